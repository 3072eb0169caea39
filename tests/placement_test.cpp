#include <gtest/gtest.h>

#include "app/state.h"
#include "framework/handles.h"
#include "install/file_placement.h"
#include "support/testkit.h"

#include <vector>

using namespace testkit;

namespace {

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kPending[] = "PendingFileRenameOperations";

// The system's list of operations pending for the next restart, as its strings.
std::vector<std::string> PendingOperations() {
    std::vector<std::string> out;
    RegKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, kSessionManager))
        return out;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), kPending, NULL, NULL, NULL, &size) != ERROR_SUCCESS)
        return out;
    std::vector<char> data(size + 2, '\0');
    RegQueryValueExA(key.get(), kPending, NULL, NULL, reinterpret_cast<BYTE*>(data.data()), &size);
    // Pairs of strings, a deletion having an empty second one; the list ends in an extra zero.
    for (size_t i = 0; i < size;) {
        std::string s(data.data() + i);
        out.push_back(s);
        i += s.size() + 1;
    }
    if (out.size() % 2)
        out.pop_back();
    return out;
}

// Pending pairs (source, target) whose source lies in `dir`, in their order; a deletion
// has an empty target.
std::vector<std::pair<std::string, std::string>> PendingIn(const std::string& dir) {
    std::vector<std::string> list = PendingOperations();
    std::vector<std::pair<std::string, std::string>> out;
    for (size_t i = 0; i + 1 < list.size(); i += 2) {
        std::string source = list[i].substr(list[i].compare(0, 4, "\\??\\") == 0 ? 4 : 0);
        std::string target = list[i + 1];
        if (target.compare(0, 5, "!\\??\\") == 0)
            target = target.substr(5);
        else if (target.compare(0, 4, "\\??\\") == 0)
            target = target.substr(4);
        if (lstrcmpiA(source.substr(0, dir.size()).c_str(), dir.c_str()) == 0)
            out.emplace_back(source, target);
    }
    return out;
}

// A package folder and an installation folder, with the program-wide state pointed at
// them; the list of pending restart operations is put back as it was.
class Placement : public testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        m_root = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name());
        m_src = m_root + "\\package";
        m_inst = m_root + "\\target\\Quillmark 6";
        CreateDirectoryA(m_src.c_str(), NULL);
        m_strSrcDir = m_src;
        m_strInstDir = m_inst;
        m_savedWow = pfnIsWow64Process;
        RegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kSessionManager)) {
            DWORD size = 0;
            m_hadPending =
                RegQueryValueExA(key.get(), kPending, NULL, NULL, NULL, &size) == ERROR_SUCCESS;
            m_pending.resize(size);
            if (m_hadPending)
                RegQueryValueExA(key.get(), kPending, NULL, NULL,
                                 reinterpret_cast<BYTE*>(m_pending.data()), &size);
        }
    }
    void TearDown() override {
        pfnIsWow64Process = m_savedWow;
        RegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_SET_VALUE)) {
            if (m_hadPending)
                RegSetValueExA(key.get(), kPending, 0, REG_MULTI_SZ,
                               reinterpret_cast<const BYTE*>(m_pending.data()),
                               static_cast<DWORD>(m_pending.size()));
            else
                RegDeleteValueA(key.get(), kPending);
        }
        ResetProgramState();
    }

    void Package(const std::string& name, const std::string& content = "pkg") {
        WriteFile(m_src + "\\" + name, content);
    }
    void Manifest(const std::string& text) { WriteFile(m_src + "\\QmkUnInst.log", text); }
    bool Installed(const std::string& name) { return FileExists(m_inst + "\\" + name); }

    std::string m_root, m_src, m_inst;
    PFN_ISWOW64PROCESS m_savedWow = nullptr;
    bool m_hadPending = false;
    std::vector<char> m_pending;
};

BOOL WINAPI Say32BitWindows(HANDLE, PBOOL result) {
    *result = FALSE;
    return TRUE;
}

} // namespace

TEST_F(Placement, CopiesWhatTheManifestSays) {
    Package("a.dat", "A");
    Package("c.dat", "C");
    CreateDirectoryA((m_src + "\\d.dat").c_str(), NULL); // a folder that matches the pattern
    CreateDirectoryA((m_src + "\\sub").c_str(), NULL);
    Package("sub\\one.txt");
    Package("sub\\two.txt");
    Package("x.bin");
    Package("wide.x64");
    Package("msvcrt.dll", "not a library");
    Package("qmkabsent.dll", "not a library either");
    WriteFile(m_root + "\\outside.txt", "o");
    WriteFile(m_root + "\\target\\keep.txt", "k");
    Manifest("File Copy: *.dat\r\n"
             "Make Dir: sub\r\n"
             "File Copy: sub\\*.txt\r\n"
             "File Copy: a.dat >  b.dat\r\n"
             "File Copy: x.bin | note\r\n"
             "File Copy x64: wide.x64\r\n"
             "File Copy ind: msvcrt.dll\r\n"
             "File Copy ind: qmkabsent.dll\r\n"
             "File Copy: *.none\r\n"
             "File Copy: ..\\outside.txt\r\n"
             "File Copy: a.dat > ..\\escaped.dat\r\n"
             "File Copy: ..\\outside.txt > inside.txt\r\n"
             "Make Dir: ..\\madeoutside\r\n");
    ASSERT_TRUE(RunningOnWow64()) << "a 32-bit program in a 64-bit prefix is under WoW64";
    CopyManifestFiles(m_src + "\\QmkUnInst.log");

    EXPECT_EQ(ReadFile(m_inst + "\\a.dat"), "A");
    EXPECT_EQ(ReadFile(m_inst + "\\c.dat"), "C");
    EXPECT_EQ(ReadFile(m_inst + "\\b.dat"), "A");
    EXPECT_FALSE(DirExists(m_inst + "\\d.dat"));
    EXPECT_TRUE(Installed("sub\\one.txt"));
    EXPECT_TRUE(Installed("sub\\two.txt"));
    EXPECT_FALSE(Installed("x.bin"));
    EXPECT_TRUE(Installed("wide.x64"));
    EXPECT_FALSE(Installed("msvcrt.dll"));
    EXPECT_TRUE(Installed("qmkabsent.dll"));
    // The library test puts the package's own copies back.
    EXPECT_TRUE(FileExists(m_src + "\\msvcrt.dll"));
    EXPECT_TRUE(FileExists(m_src + "\\qmkabsent.dll"));
    // Nothing reaches outside the installation folder.
    EXPECT_FALSE(Installed("outside.txt"));
    EXPECT_FALSE(Installed("inside.txt"));
    EXPECT_FALSE(FileExists(m_root + "\\target\\escaped.dat"));
    EXPECT_FALSE(FileExists(m_root + "\\target\\outside.txt"));
    EXPECT_FALSE(DirExists(m_root + "\\target\\madeoutside"));
}

TEST_F(Placement, X64LinesSkippedOn32BitWindows) {
    Package("wide.x64");
    Package("a.dat");
    Manifest("File Copy: a.dat\nFile Copy x64: wide.x64\n");
    pfnIsWow64Process = Say32BitWindows;
    CopyManifestFiles(m_src + "\\QmkUnInst.log");
    EXPECT_TRUE(Installed("a.dat"));
    EXPECT_FALSE(Installed("wide.x64"));
    pfnIsWow64Process = nullptr;
    EXPECT_FALSE(RunningOnWow64());
}

// Only the first pattern line creates the installation folder: a '>' line or a
// "Make Dir: " line before it fails, and a pattern that matches nothing creates nothing.
TEST_F(Placement, NewFolderIsMadeByTheFirstPatternLineOnly) {
    Package("a.dat");
    Manifest("File Copy: *.none\nFile Copy: a.dat > b.dat\nMake Dir: sub\n");
    CopyManifestFiles(m_src + "\\QmkUnInst.log");
    EXPECT_FALSE(DirExists(m_root + "\\target"));
    Manifest("File Copy: a.dat > b.dat\nMake Dir: sub\nFile Copy: *.dat\n");
    CopyManifestFiles(m_src + "\\QmkUnInst.log");
    EXPECT_TRUE(Installed("a.dat"));
    EXPECT_FALSE(Installed("b.dat"));
    EXPECT_FALSE(DirExists(m_inst + "\\sub"));
}

TEST_F(Placement, RunFromTheInstallationFolderLeavesPatternFilesAlone) {
    Package("a.dat", "A");
    std::string upper = m_src;
    CharUpperA(&upper[0]);
    EXPECT_EQ(CopyMatchingFiles("*.dat", upper, m_src), 1);
    EXPECT_EQ(ReadFile(m_src + "\\a.dat"), "A");
    EXPECT_TRUE(PlaceFile("a.dat", m_src, upper, "b.dat"));
    EXPECT_EQ(ReadFile(m_src + "\\b.dat"), "A");
}

TEST_F(Placement, CopyStopsAtTheFirstFailureAndKeepsFoldersOutOfTheWay) {
    Package("a.dat");
    CreateDirectoryA((m_root + "\\target").c_str(), NULL);
    CreateDirectoryA(m_inst.c_str(), NULL);
    CreateDirectoryA((m_inst + "\\a.dat").c_str(), NULL);
    EXPECT_EQ(CopyMatchingFiles("*.dat", m_inst, m_src), 0);
    EXPECT_TRUE(DirExists(m_inst + "\\a.dat"));
    EXPECT_TRUE(PendingIn(m_root).empty());
}

TEST_F(Placement, ReadOnlyAndHiddenTargetIsReplaced) {
    Package("a.dat", "new");
    CreateFolderChain(m_inst);
    WriteFile(m_inst + "\\a.dat", "old");
    SetFileAttributesA((m_inst + "\\a.dat").c_str(),
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(PlaceFile("a.dat", m_src, m_inst, nullptr));
    EXPECT_EQ(ReadFile(m_inst + "\\a.dat"), "new");
}

// A library in use: the system refuses to delete a mapped image but lets it be moved
// aside, as with a running program.
TEST_F(Placement, TargetInUseIsMovedAsideToOld) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    CreateFolderChain(m_inst);
    std::string dst = m_inst + "\\img.dll";
    ASSERT_TRUE(CopyTo(std::string(system) + "\\msimg32.dll", dst));
    Package("img.dll", "new");
    LoadedLibrary inUse(LoadLibraryA(dst.c_str()));
    ASSERT_TRUE(inUse);

    EXPECT_TRUE(PlaceFile("img.dll", m_src, m_inst, nullptr));
    EXPECT_EQ(ReadFile(dst), "new");
    EXPECT_TRUE(FileExists(dst + ".old"));
    auto pending = PendingIn(m_inst);
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].first, dst + ".old");
    EXPECT_EQ(pending[0].second, "");
}

TEST_F(Placement, LockedOldLeftOverGivesOld2) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    CreateFolderChain(m_inst);
    std::string dst = m_inst + "\\img.dll";
    ASSERT_TRUE(CopyTo(std::string(system) + "\\msimg32.dll", dst));
    WriteFile(dst + ".old", "left over");
    UniqueHandle lockedOld(
        CreateFileA((dst + ".old").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
    ASSERT_TRUE(lockedOld);
    Package("img.dll", "new");
    LoadedLibrary inUse(LoadLibraryA(dst.c_str()));
    ASSERT_TRUE(inUse);

    EXPECT_TRUE(PlaceFile("img.dll", m_src, m_inst, nullptr));
    EXPECT_EQ(ReadFile(dst), "new");
    EXPECT_TRUE(FileExists(dst + ".old2"));
    auto pending = PendingIn(m_inst);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].first, dst + ".old");
    EXPECT_EQ(pending[1].first, dst + ".old2");
}

// A file held open without sharing can be neither deleted nor moved: the new file waits
// as name.new, the target's deletion scheduled before the rename onto it.
TEST_F(Placement, TargetThatCannotBeMovedWaitsAsNew) {
    CreateFolderChain(m_inst);
    std::string dst = m_inst + "\\prog.exe";
    WriteFile(dst, "old");
    Package("prog.exe", "new");
    UniqueHandle held(CreateFileA(dst.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
    ASSERT_TRUE(held);

    EXPECT_FALSE(PlaceFile("prog.exe", m_src, m_inst, nullptr));
    held.reset();
    EXPECT_EQ(ReadFile(dst), "old");
    EXPECT_EQ(ReadFile(dst + ".new"), "new");
    auto pending = PendingIn(m_inst);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0], std::make_pair(dst, std::string()));
    EXPECT_EQ(pending[1], std::make_pair(dst + ".new", dst));
}

TEST(PlacementFolders, ChainOfMissingParentsIsCreated) {
    std::string root = ScratchDir("placement-chain");
    EXPECT_TRUE(CreateFolderChain(root + "\\a\\b\\c"));
    EXPECT_TRUE(CreateFolderChain(root + "/x/y/"));
    EXPECT_TRUE(DirExists(root + "\\x\\y"));
    // A network folder: its parents are made from the share on, never as relative names.
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    SetCurrentDirectoryA(root.c_str());
    CreateFolderChain("\\\\qmk-no-such-server\\share\\p\\q");
    EXPECT_FALSE(DirExists(root + "\\qmk-no-such-server"));
    EXPECT_FALSE(DirExists(root + "\\share"));
    SetCurrentDirectoryA(cwd);
}
