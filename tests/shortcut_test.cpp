#include <gtest/gtest.h>

#include "app/state.h"
#include "install/shortcuts.h"
#include "support/testkit.h"

using namespace testkit;

namespace {
int CountLines(const std::string& text, const std::string& line) {
    int n = 0;
    for (size_t p = text.find(line); p != std::string::npos; p = text.find(line, p + 1))
        ++n;
    return n;
}
} // namespace

TEST(ShortcutCreate, SavedLinkReadsBackAndIsRecorded) {
    ResetProgramState();
    std::string dir = ScratchDir("shortcut-create");
    m_strInstDir = dir;
    WriteFile(dir + "\\prog.exe", "x");
    std::string link = dir + "\\My Prog.LNK";

    EXPECT_TRUE(SUCCEEDED(CreateShortcut("\"" + dir + "\\prog.exe\"", link, "%APPDATA%")));
    ShortcutInfo info = ReadShortcut(link);
    ASSERT_TRUE(info.loaded);
    EXPECT_EQ(info.target, dir + "\\prog.exe");
    EXPECT_EQ(info.workingFolder, "%APPDATA%");
    EXPECT_EQ(info.description, "");

    // Saved again over the existing file and recorded again, exactly as passed.
    EXPECT_TRUE(SUCCEEDED(CreateShortcut(dir + "\\prog.exe", link, nullptr)));
    EXPECT_EQ(ReadShortcut(link).workingFolder, "");
    std::string log = ReadFile(dir + "\\QmkUnInst.log");
    EXPECT_EQ(CountLines(log, "Shell Link: " + link + "\r\n"), 2);
    EXPECT_EQ(bComInitialized, TRUE);
    ResetProgramState();
}

TEST(ShortcutCreate, FolderThatDoesNotExistLeavesNoFileAndNoRecord) {
    ResetProgramState();
    std::string dir = ScratchDir("shortcut-missing");
    m_strInstDir = dir;
    std::string link = dir + "\\no-such-folder\\A.lnk";
    EXPECT_TRUE(FAILED(CreateShortcut(dir + "\\prog.exe", link, nullptr)));
    EXPECT_FALSE(FileExists(link));
    EXPECT_FALSE(FileExists(dir + "\\QmkUnInst.log"));
    ResetProgramState();
}
