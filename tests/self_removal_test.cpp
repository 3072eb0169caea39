#include <gtest/gtest.h>

#include "framework/catalogue.h"
#include "res/resource.h"
#include "support/testkit.h"
#include "uninstall/self_removal.h"

#include <shellapi.h>

#include <string>
#include <vector>

using namespace testkit;

namespace {

// The arguments the run time of the started copy splits from `line`.
std::vector<std::string> SplitLikeTheRunTime(const std::string& line) {
    std::wstring wide(line.begin(), line.end());
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &argc);
    std::vector<std::string> out;
    for (int i = 0; i < argc; ++i) {
        std::wstring a(argv[i]);
        out.emplace_back(a.begin(), a.end());
    }
    LocalFree(argv);
    return out;
}

// A path of exactly `length` characters ending in \QmkUnInst.exe, with a blank in it.
std::string UninstallerPathOfLength(size_t length) {
    std::string tail = "\\QmkUnInst.exe";
    std::string path = "C:\\Program Files\\";
    path += std::string(length - path.size() - tail.size(), 'q');
    return path + tail;
}

struct CommandLineCase {
    std::string temporaryCopy;
    std::string uninstaller;
    BOOL silent;
    std::string expected;
};

} // namespace

// Each path is quoted only when it holds a blank or a tab, and comes back whole
// as one argument, also where the quoted path no longer fits 260 characters.
TEST(SelfRemovalCommandLine, QuotesPathsWithBlanksAndKeepsThemWhole) {
    const std::string p258 = UninstallerPathOfLength(258);
    const std::string p259 = UninstallerPathOfLength(259);
    const CommandLineCase cases[] = {
        {"C:\\temp\\uni1.tmp", "C:\\Q6\\QmkUnInst.exe", FALSE,
         "C:\\temp\\uni1.tmp -delself C:\\Q6\\QmkUnInst.exe"},
        {"C:\\temp\\uni1.tmp", "C:\\Program Files\\Quillmark 6\\QmkUnInst.exe", TRUE,
         "C:\\temp\\uni1.tmp -delself \"C:\\Program Files\\Quillmark 6\\QmkUnInst.exe\" -s"},
        {"C:\\my temp\\uni2.tmp", "C:\\Q6\\QmkUnInst.exe", FALSE,
         "\"C:\\my temp\\uni2.tmp\" -delself C:\\Q6\\QmkUnInst.exe"},
        {"C:\\temp\\uni3.tmp", "C:\\Q\t6\\QmkUnInst.exe", FALSE,
         "C:\\temp\\uni3.tmp -delself \"C:\\Q\t6\\QmkUnInst.exe\""},
        {"C:\\temp\\uni4.tmp", p258, TRUE, "C:\\temp\\uni4.tmp -delself \"" + p258 + "\" -s"},
        {"C:\\temp\\uni5.tmp", p259, FALSE, "C:\\temp\\uni5.tmp -delself \"" + p259 + "\""},
    };
    ASSERT_EQ(p258.size(), 258u);
    ASSERT_EQ(p259.size(), 259u);
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.uninstaller);
        std::string line = SelfRemovalCommandLine(c.temporaryCopy, c.uninstaller, c.silent);
        EXPECT_EQ(line, c.expected);
        std::vector<std::string> args = SplitLikeTheRunTime(line);
        ASSERT_EQ(args.size(), c.silent ? 4u : 3u);
        EXPECT_EQ(args[0], c.temporaryCopy);
        EXPECT_EQ(args[1], "-delself");
        EXPECT_EQ(args[2], c.uninstaller);
    }
}

TEST(SelfRemovalCommandLine, InstallationFolderIsDriveAndDirectory) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Program Files\\Quillmark 6\\QmkUnInst.exe", "C:\\Program Files\\Quillmark 6\\"},
        {"C:/Q6/QmkUnInst.exe", "C:/Q6/"},
        {"C:QmkUnInst.exe", "C:"},
        {"\\\\server\\share\\Q6\\QmkUnInst.exe", "\\\\server\\share\\Q6\\"},
        {UninstallerPathOfLength(300), UninstallerPathOfLength(300).substr(0, 300 - 13)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InstallationFolderOf(c.first), c.second) << c.first;
}

namespace {

// An installation in a folder with a blank in its path, holding the installed
// uninstaller; a temporary copy of the program in `temp` is started by hand
// with "-delself" and the uninstaller's path, as the installed one starts it.
class SelfRemovalPhase : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string root = ScratchDir("selfremoval");
        m_folder = root + "\\Program Files\\Quillmark 6";
        m_temp = root + "\\temp";
        CreateDirectoryA((root + "\\Program Files").c_str(), NULL);
        CreateDirectoryA(m_folder.c_str(), NULL);
        CreateDirectoryA(m_temp.c_str(), NULL);
        m_uninstaller = m_folder + "\\QmkUnInst.exe";
        ASSERT_TRUE(CopyTo(SetupExe(), m_uninstaller));
        m_copy = m_temp + "\\uni1A2B.tmp";
        ASSERT_TRUE(CopyTo(SetupExe(), m_copy));
    }

    Process StartPhase(bool silent) {
        std::vector<std::string> args = {"-delself", m_uninstaller};
        if (silent)
            args.push_back("-s");
        return Start(m_copy, args, m_temp);
    }

    std::string m_folder, m_temp, m_uninstaller, m_copy;
};

} // namespace

TEST_F(SelfRemovalPhase, SilentRemovesUninstallerAndFolderWithoutMessage) {
    Process phase = StartPhase(true);
    ASSERT_TRUE(phase.valid());
    EXPECT_EQ(phase.Wait(), 0u) << "no box is shown, the phase ends with exit code 0";
    EXPECT_FALSE(FileExists(m_uninstaller));
    EXPECT_FALSE(DirExists(m_folder)) << "the folder handed on ends with a backslash";
    EXPECT_TRUE(DirExists(m_temp));
}

TEST_F(SelfRemovalPhase, UserFileKeepsFolderAndTheClosingBoxIsShown) {
    WriteFile(m_folder + "\\my notes.txt", "mine");
    Process phase = StartPhase(false);
    ASSERT_TRUE(phase.valid());
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(phase.pid(), box));
    EXPECT_EQ(box.text, LoadCatalogueText(IDS_UNINSTALL_DONE));
    EXPECT_EQ(box.text, "A Quillmark 6 elt\xe1vol\xedt\xe1sra ker\xfclt.");
    EXPECT_EQ(box.caption, LoadCatalogueText(IDS_APP_TITLE));
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(ButtonTexts(box.hwnd).size(), 1u);
    EXPECT_FALSE(FileExists(m_uninstaller)) << "removed before the box is shown";
    PressButton(box.hwnd, IDOK);
    EXPECT_EQ(phase.Wait(), 0u);
    EXPECT_TRUE(FileExists(m_folder + "\\my notes.txt"));
    EXPECT_TRUE(DirExists(m_folder));
}
