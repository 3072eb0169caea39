// The look-ups the install driver makes first, against registry values and
// program files set up in the test prefix.
#include <gtest/gtest.h>

#include "app/probes.h"
#include "app/product.h"
#include "app/state.h"
#include "support/testkit.h"

using namespace testkit;

namespace {

constexpr const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Clears the product's records before and after each case.
class ProbesInstalled : public ::testing::Test {
  protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        RegDeleteAll(HKEY_LOCAL_MACHINE, kProductKey);
        RegDeleteAll(HKEY_LOCAL_MACHINE, kAppPathsKey);
    }
};

struct InstalledCase {
    const char* name;
    const char* path;    // "Path" of the product key; nullptr: absent
    const char* appPath; // default value of the App Paths key; nullptr: absent
    const char* expected;
};

const InstalledCase kInstalledCases[] = {
    {"PathWithoutBackslash", "D:\\Apps\\Quillmark 6", nullptr, "D:\\Apps\\Quillmark 6"},
    {"PathTrailingBackslashDropped", "D:\\Apps\\Quillmark 6\\", nullptr, "D:\\Apps\\Quillmark 6"},
    {"OnlyOneBackslashDropped", "D:\\Apps\\\\", nullptr, "D:\\Apps\\"},
    {"PathWinsOverAppPaths", "E:\\First", "D:\\Tools\\Quillmark 6\\QmkShot6.exe", "E:\\First"},
    {"AppPathsCutBeforeProgram", nullptr, "D:\\Tools\\Quillmark 6\\QmkShot6.exe",
     "D:\\Tools\\Quillmark 6"},
    {"EmptyPathFallsBack", "", "D:\\Tools\\QmkShot6.exe", "D:\\Tools"},
    {"AppPathsOtherCase", nullptr, "D:\\Tools\\Quillmark 6\\qmkshot6.exe", ""},
    {"AppPathsOtherFile", nullptr, "D:\\Tools\\Quillmark 6\\Other.exe", ""},
    {"AppPathsQuoteStays", nullptr, "\"D:\\Tools\\Quillmark 6\\QmkShot6.exe\"",
     "\"D:\\Tools\\Quillmark 6"},
    {"NothingRecorded", nullptr, nullptr, ""},
};

TEST_F(ProbesInstalled, FolderFromPathOrAppPaths) {
    for (const InstalledCase& c : kInstalledCases) {
        SCOPED_TRACE(c.name);
        Clear();
        if (c.path)
            RegSet(HKEY_LOCAL_MACHINE, kProductKey, kPathValue, c.path);
        if (c.appPath)
            RegSet(HKEY_LOCAL_MACHINE, kAppPathsKey, nullptr, c.appPath);
        EXPECT_EQ(FindInstalledFolder(), c.expected);
    }
}

// Puts the prefix's own "ProgramFilesDir" back after each case.
class ProbesProgramFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        m_saved = RegGet(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir");
        ASSERT_FALSE(m_saved.empty());
    }
    void TearDown() override {
        RegSet(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir", m_saved);
    }
    std::string m_saved;
};

TEST_F(ProbesProgramFiles, FromRegistryOrWindowsDrive) {
    RegSet(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir", "D:\\Programs\\");
    EXPECT_EQ(GetProgramFilesFolder(), "D:\\Programs");
    RegSet(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir", "D:\\Programs");
    EXPECT_EQ(GetProgramFilesFolder(), "D:\\Programs");

    HKEY key = NULL;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    RegDeleteValueA(key, "ProgramFilesDir");
    RegCloseKey(key);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string root = std::string(windows).substr(0, 3); // such as C:\ .
    EXPECT_EQ(GetProgramFilesFolder(), root + "Program Files");
}

TEST(ProbesPackage, FolderOfTheRunningProgram) {
    // The test program runs from build\bin; the folder comes without a backslash.
    EXPECT_EQ(GetPackageFolder(), BinDir());
}

struct VersionCase {
    const char* file; // under build\testbed; empty: a text file; "missing": no file
    int major, minor, build, beta;
};

const VersionCase kVersionCases[] = {
    {"v6.0.1.0\\QmkShot6.exe", 6, 0, 1, 0},
    {"v6.0.2.0\\QmkShot6.exe", 6, 0, 2, 0},
    {"v6.0.2.3\\QmkShot6.exe", 6, 0, 2, 3},
    {"v6.30.2.0\\QmkShot6.exe", 6, 30, 2, 0},
    {"noversion\\QmkShot6.exe", 0, 0, 0, 0},
    {"", 0, 0, 0, 0},
    {"missing", 0, 0, 0, 0},
};

TEST(ProbesVersion, FileVersionFieldsOrZero) {
    const std::string scratch = ScratchDir("probes-version");
    WriteFile(scratch + "\\notes.txt", "not a program\r\n");
    for (const VersionCase& c : kVersionCases) {
        const std::string name(c.file);
        const std::string path = name.empty()        ? scratch + "\\notes.txt"
                                 : name == "missing" ? scratch + "\\absent.exe"
                                                     : TestbedDir() + "\\" + name;
        SCOPED_TRACE(path);
        // Fields left from an earlier read must not survive a read that finds nothing.
        nVerMajor = nVerMinor = nVerBuild = nVerBeta = 77;
        ReadProgramVersion(path);
        EXPECT_EQ(nVerMajor, c.major);
        EXPECT_EQ(nVerMinor, c.minor);
        EXPECT_EQ(nVerBuild, c.build);
        EXPECT_EQ(nVerBeta, c.beta);
    }
    ResetProgramState();
}

} // namespace
