#include <gtest/gtest.h>

#include "install/deferred_ops.h"
#include "support/testkit.h"

#include <vector>

using namespace testkit;

namespace {

const char kIni[] = "WININIT.INI";

// The "rename" section as a list of key=value entries.
std::vector<std::string> RenameSection() {
    std::vector<char> buffer(65536, '\0');
    DWORD n = GetPrivateProfileSectionA("rename", buffer.data(), 65536, kIni);
    std::vector<std::string> entries;
    for (DWORD i = 0; i < n;) {
        std::string entry(buffer.data() + i);
        entries.push_back(entry);
        i += static_cast<DWORD>(entry.size()) + 1;
    }
    return entries;
}

// Takes the profile way for the whole test, starting from an empty "WININIT.INI" and
// putting back the file that was there before.
class DeferredWininit : public testing::Test {
  protected:
    static BOOL WINAPI RefuseDelayedMove(LPCSTR, LPCSTR, DWORD) { return FALSE; }

    void SetUp() override {
        char windows[MAX_PATH] = {};
        GetWindowsDirectoryA(windows, MAX_PATH);
        m_ini = std::string(windows) + "\\wininit.ini";
        m_had = FileExists(m_ini);
        if (m_had)
            m_saved = ReadFile(m_ini);
        DeleteFileA(m_ini.c_str());
        WritePrivateProfileStringA(NULL, NULL, NULL, kIni); // drop the cached file
        pfnDelayedMove = RefuseDelayedMove;
    }
    void TearDown() override {
        pfnDelayedMove = MoveFileExA;
        DeleteFileA(m_ini.c_str());
        if (m_had)
            WriteFile(m_ini, m_saved);
        WritePrivateProfileStringA(NULL, NULL, NULL, kIni);
    }

    std::string m_ini;
    bool m_had = false;
    std::string m_saved;
};

} // namespace

TEST_F(DeferredWininit, EntriesAreAppendedInOrderAndCreateTheFile) {
    EXPECT_TRUE(ScheduleDeleteOnReboot("C:\\q\\a.dll"));
    EXPECT_TRUE(FileExists(m_ini));
    EXPECT_TRUE(ScheduleDeleteOnReboot("C:\\q\\a.dll"));
    ScheduleRenameOnReboot("C:\\q\\a.dll.new", "C:\\q\\a.dll");
    std::vector<std::string> expected = {"NUL=C:\\q\\a.dll", "NUL=C:\\q\\a.dll",
                                         "C:\\q\\a.dll=C:\\q\\a.dll.new"};
    EXPECT_EQ(RenameSection(), expected);
}

// The section lives in a 16,384-byte buffer: an entry that fits exactly is written, one
// byte more and nothing is written at all.
TEST_F(DeferredWininit, NearlyFullSectionIsNeverWrittenCut) {
    // Entries of "Kxxxx=" + value, 100 bytes each with their zero byte.
    std::vector<char> section;
    int entries = 0;
    while (section.size() + 100 <= 16000) {
        char key[8];
        wsprintfA(key, "K%04d=", entries++);
        std::string entry = std::string(key) + std::string(100 - 7, 'v');
        section.insert(section.end(), entry.begin(), entry.end());
        section.push_back('\0');
    }
    size_t used = section.size();
    section.push_back('\0');
    ASSERT_TRUE(WritePrivateProfileSectionA("rename", section.data(), kIni));
    ASSERT_EQ(RenameSection().size(), static_cast<size_t>(entries));

    // used + "NUL=" + path + two zero bytes == 16384 fits exactly.
    size_t room = 16384 - used - 2 - 4;
    std::string fits = "C:\\" + std::string(room - 3, 'p');
    std::string tooLong = fits + "p";
    EXPECT_FALSE(ScheduleDeleteOnReboot(tooLong));
    EXPECT_EQ(RenameSection().size(), static_cast<size_t>(entries));
    EXPECT_TRUE(ScheduleDeleteOnReboot(fits));
    std::vector<std::string> after = RenameSection();
    ASSERT_EQ(after.size(), static_cast<size_t>(entries) + 1);
    EXPECT_EQ(after.back(), "NUL=" + fits);
    EXPECT_EQ(after.front().substr(0, 6), "K0000=");
    // Now the section is full: nothing more goes in.
    EXPECT_FALSE(ScheduleDeleteOnReboot("C:\\x"));
    EXPECT_EQ(RenameSection().size(), static_cast<size_t>(entries) + 1);
}

// The system's own way, carried out by a restart of the prefix: the deletion first, then
// the rename onto the deleted name.
TEST(DeferredRestart, DeleteThenRenameOntoItAfterWineboot) {
    std::string dir = ScratchDir("deferred-restart");
    std::string target = dir + "\\prog.dll";
    std::string waiting = dir + "\\prog.dll.new";
    WriteFile(target, "old");
    WriteFile(waiting, "new");
    ASSERT_TRUE(ScheduleDeleteOnReboot(target));
    ScheduleRenameOnReboot(waiting, target);
    EXPECT_EQ(ReadFile(target), "old"); // nothing happens at once

    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(testkit::Run(std::string(system) + "\\wineboot.exe", {"-r"}, dir, 120000), 0);
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(waiting); }, 10000));
    EXPECT_EQ(ReadFile(target), "new");
}
