// The installed uninstaller as the user runs it: QmkUnInst.exe in the
// installation folder starts its temporary copy and ends; the copy removes the
// installation. The installation is laid out by hand as the installer leaves it.
#include <gtest/gtest.h>

#include "framework/catalogue.h"
#include "framework/handles.h"
#include "res/resource.h"
#include "support/package.h"
#include "support/testkit.h"

#include <tlhelp32.h>

#include <set>
#include <string>
#include <vector>

using namespace testkit;

namespace {

const std::string kProduct = "SOFTWARE\\Brightwell\\Quillmark 6";
const std::string kMaker = "SOFTWARE\\Brightwell";
const std::string kUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmark 6";
const std::string kAppPaths =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QmkShot6.exe";
const std::string kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string TempFolder() {
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    return path;
}

std::set<std::string> TemporaryCopies() {
    std::set<std::string> names;
    WIN32_FIND_DATAA fd;
    FindHandle find(FindFirstFileA((TempFolder() + "uni*.tmp").c_str(), &fd));
    if (find) {
        do
            names.insert(fd.cFileName);
        while (FindNextFileA(find.get(), &fd));
    }
    return names;
}

bool ProcessRunning(const std::string& exeName) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    if (!snapshot || !Process32First(snapshot.get(), &entry))
        return false;
    do {
        if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0)
            return true;
    } while (Process32Next(snapshot.get(), &entry));
    return false;
}

// The temporary copy that appeared since `before`, once it has ended: the name
// of its file, or empty when none appeared or it did not end in time.
std::string WaitForTemporaryCopyToEnd(const std::set<std::string>& before) {
    std::string name;
    WaitUntil([&] {
        for (const std::string& n : TemporaryCopies())
            if (!before.count(n))
                name = n;
        return !name.empty();
    });
    if (name.empty() || !WaitUntil([&] { return !ProcessRunning(name); }))
        return std::string();
    return name;
}

// A complete installation below a folder with a blank in its path, with its
// log, registry entries, a program group under another name than the default
// (nested two levels), a desktop shortcut and the default group of an earlier
// installation.
class UninstallRun : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string root = ScratchDir("uninstall-run");
        CreateDirectoryA((root + "\\Program Files").c_str(), NULL);
        m_folder = root + "\\Program Files\\Quillmark 6";
        CreateDirectoryA(m_folder.c_str(), NULL);
        CreateDirectoryA((m_folder + "\\help").c_str(), NULL);
        ASSERT_TRUE(CopyTo(SetupExe(), m_folder + "\\QmkUnInst.exe"));
        ASSERT_TRUE(CopyTo(TestbedDir() + "\\QmkShot6.exe", m_folder + "\\QmkShot6.exe"));
        WriteFile(m_folder + "\\readme.txt", "read me");
        WriteFile(m_folder + "\\help\\index.htm", "<html>");
        WriteFile(m_folder + "\\help\\tips.htm", "<html>");

        std::string programs = RegGet(HKEY_CURRENT_USER, kShellFolders, "Programs");
        std::string desktop = RegGet(HKEY_CURRENT_USER, kShellFolders, "Desktop");
        ASSERT_FALSE(programs.empty());
        m_outerGroup = programs + "\\Brightwell Tools";
        m_group = m_outerGroup + "\\Capture Suite";
        m_defaultGroup = programs + "\\Quillmark 6";
        m_desktopLink = desktop + "\\Quillmark 6.lnk";
        RemoveTree(m_outerGroup);
        CreateDirectoryA(m_outerGroup.c_str(), NULL);
        CreateDirectoryA(m_group.c_str(), NULL);
        CreateDirectoryA(m_defaultGroup.c_str(), NULL);
        WriteFile(m_group + "\\Quillmark 6.lnk", "L");
        WriteFile(m_group + "\\Uninstall.lnk", "L");
        WriteFile(m_defaultGroup + "\\Quillmark 6.lnk", "L");
        WriteFile(m_desktopLink, "L");

        WriteFile(m_folder + "\\QmkUnInst.log", "Quillmark 6 package\r\n"
                                                "File Copy: QmkShot6.exe\r\n"
                                                "File Copy: QmkUnInst.exe\r\n"
                                                "File Copy: readme.txt | the notes\r\n"
                                                "Make Dir: help\r\n"
                                                "File Copy: help\\*.htm\r\n"
                                                "Made Dir: " +
                                                    m_group +
                                                    "\r\n"
                                                    "Shell Link: " +
                                                    m_group +
                                                    "\\Quillmark 6.lnk\r\n"
                                                    "Shell Link: " +
                                                    m_group +
                                                    "\\Uninstall.lnk\r\n"
                                                    "Shell Link: " +
                                                    m_desktopLink + "\r\n");

        RegSet(HKEY_LOCAL_MACHINE, kProduct, "Path", m_folder);
        RegSet(HKEY_LOCAL_MACHINE, kProduct, "AllUsers", "0");
        RegSet(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString", m_folder + "\\QmkUnInst.exe");
        RegSet(HKEY_LOCAL_MACHINE, kAppPaths, nullptr, m_folder + "\\QmkShot6.exe");
    }
    void TearDown() override {
        RemoveTree(m_outerGroup);
        RemoveTree(m_defaultGroup);
        DeleteFileA(m_desktopLink.c_str());
        RegDeleteAll(HKEY_LOCAL_MACHINE, kMaker);
        RegDeleteAll(HKEY_LOCAL_MACHINE, kUninstall);
        RegDeleteAll(HKEY_LOCAL_MACHINE, kAppPaths);
    }

    std::string Uninstaller() const { return m_folder + "\\QmkUnInst.exe"; }

    void ExpectNothingRemoved() {
        EXPECT_TRUE(FileExists(Uninstaller()));
        EXPECT_TRUE(FileExists(m_folder + "\\QmkShot6.exe"));
        EXPECT_TRUE(FileExists(m_group + "\\Uninstall.lnk"));
        EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProduct, "Path"), m_folder);
    }

    void ExpectEverythingRemoved() {
        EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kProduct));
        EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kMaker));
        EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kUninstall));
        EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kAppPaths));
        for (const char* f :
             {"QmkShot6.exe", "readme.txt", "help\\index.htm", "QmkUnInst.log", "QmkUnInst.exe"})
            EXPECT_FALSE(FileExists(m_folder + "\\" + f)) << f;
        EXPECT_FALSE(DirExists(m_folder));
        EXPECT_FALSE(DirExists(m_group));
        EXPECT_FALSE(DirExists(m_outerGroup)) << "the climb removes the emptied outer group";
        EXPECT_FALSE(DirExists(m_defaultGroup));
        EXPECT_FALSE(FileExists(m_desktopLink));
    }

    std::string m_folder, m_group, m_outerGroup, m_defaultGroup, m_desktopLink;
};

} // namespace

TEST_F(UninstallRun, SilentRemovesEverythingAndLeavesTheTemporaryCopyUntilRestart) {
    std::set<std::string> before = TemporaryCopies();
    EXPECT_EQ(testkit::Run(Uninstaller(), {"-s"}, m_folder), 0);
    std::string copy = WaitForTemporaryCopyToEnd(before);
    ASSERT_FALSE(copy.empty()) << "a uni*.tmp copy ran and ended";

    ExpectEverythingRemoved();
    EXPECT_TRUE(FileExists(TempFolder() + copy)) << "deleted only at the next restart";

    // A restart of the prefix carries out the scheduled deletion.
    EXPECT_EQ(testkit::Run("C:\\windows\\system32\\wineboot.exe", {"-r"}), 0);
    EXPECT_FALSE(FileExists(TempFolder() + copy));
}

TEST_F(UninstallRun, DeclinedConfirmationChangesNothing) {
    Process first = Start(Uninstaller(), {}, m_folder);
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(first.pid(), box));
    EXPECT_EQ(box.text, LoadCatalogueText(IDS_UNINSTALL_CONFIRM));
    PressButton(box.hwnd, IDNO);
    EXPECT_EQ(first.Wait(), 0u);
    ExpectNothingRemoved();
}

// After Yes, the running product is closed without a second question, the
// installation goes, and the temporary copy shows the closing box.
TEST_F(UninstallRun, ConfirmedUninstallClosesTheProductAndShowsTheClosingBox) {
    Process product = Start(m_folder + "\\QmkShot6.exe", {}, m_folder);
    ASSERT_TRUE(WaitForWindow(product.pid(), "QmkShot6StandIn", std::string()));
    std::set<std::string> before = TemporaryCopies();
    Process first = Start(Uninstaller(), {}, m_folder);
    MessageBoxInfo confirm;
    ASSERT_TRUE(WaitForMessageBox(first.pid(), confirm));
    EXPECT_EQ(confirm.text, LoadCatalogueText(IDS_UNINSTALL_CONFIRM));
    PressButton(confirm.hwnd, IDYES);
    EXPECT_EQ(first.Wait(), 0u) << "no second question about the running copy";
    EXPECT_NE(product.Wait(), STILL_ACTIVE) << "the product was closed first";

    MessageBoxInfo done;
    ASSERT_TRUE(WaitForMessageBox(0, done));
    EXPECT_EQ(done.text, LoadCatalogueText(IDS_UNINSTALL_DONE));
    EXPECT_EQ(done.caption, LoadCatalogueText(IDS_APP_TITLE));
    EXPECT_TRUE(done.hasIcon);
    PressButton(done.hwnd, IDOK);
    ASSERT_FALSE(WaitForTemporaryCopyToEnd(before).empty());
    ExpectEverythingRemoved();
}

// An installed uninstaller path of 258 or 259 characters no longer fits 260
// characters once quoted; the temporary copy still receives it whole and
// removes that uninstaller and its folder, which was its current directory.
TEST(UninstallLongPath, UninstallerPathsOf258And259Characters) {
    for (size_t length : {258u, 259u}) {
        SCOPED_TRACE(length);
        std::string root = ScratchDir("uninstall-long") + "\\Program Files";
        CreateDirectoryA(root.c_str(), NULL);
        const std::string name = "\\QmkUnInst.exe";
        std::string folder =
            root + "\\Quillmark 6 " + std::string(length - root.size() - 13 - name.size(), 'x');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
        std::string uninstaller = folder + name;
        ASSERT_EQ(uninstaller.size(), length);
        ASSERT_TRUE(CopyTo(SetupExe(), uninstaller));

        std::set<std::string> before = TemporaryCopies();
        EXPECT_EQ(testkit::Run(uninstaller, {"-s"}, folder), 0);
        ASSERT_FALSE(WaitForTemporaryCopyToEnd(before).empty());
        EXPECT_FALSE(FileExists(uninstaller));
        EXPECT_FALSE(DirExists(folder));
        EXPECT_TRUE(DirExists(root));
    }
}

// Installed by the real installer, silently, into a folder with a blank in its
// path, then removed by the installed uninstaller: nothing the installation
// made is left but the temporary copy, which goes at the next restart. The
// group is the default one, or a nested one taken over from the log of the
// installation installed over.
TEST(UninstallAfterInstall, SilentInstallThenSilentUninstall) {
    struct Case {
        const char* name;
        const char* earlierGroup; // group in the earlier installed log; null: new installation
        const char* group;        // group the installer makes
        const char* outer;        // outer folder of a nested group; null: none
    };
    const Case cases[] = {
        {"new installation, default group", nullptr, "Quillmark 6", nullptr},
        {"over an earlier one, nested group", "Tools\\Qm", "Tools\\Qm", "Tools"},
    };
    const std::string programs = RegGet(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs");
    const std::string desktop = RegGet(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop");
    ASSERT_FALSE(programs.empty());
    const std::string package = MakePackage("uninstall-e2e-package", Program::V6020);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string root = ScratchDir("uninstall-e2e") + "\\Program Files";
        CreateDirectoryA(root.c_str(), NULL);
        const std::string folder = root + "\\Quillmark 6";
        CreateDirectoryA(folder.c_str(), NULL);
        const std::string group = programs + "\\" + c.group;
        const std::string desktopLink = desktop + "\\Quillmark 6.lnk";
        if (c.earlierGroup) {
            ASSERT_TRUE(CopyTo(StandIn(Program::V6010), folder + "\\QmkShot6.exe"));
            WriteFile(folder + "\\QmkUnInst.log",
                      "File Copy: QmkShot6.exe\r\n\r\nShell Link: " + programs + "\\" +
                          c.earlierGroup + "\\Quillmark 6.lnk\r\n");
            RegSet(HKEY_LOCAL_MACHINE, kProduct, "Path", folder);
            RegSet(HKEY_LOCAL_MACHINE, kProduct, "AllUsers", "B");
        }

        ASSERT_EQ(testkit::Run(package + "\\setup.exe", {"-s", "-instdir", folder}, package), 0);
        ASSERT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProduct, "Path"), folder);
        ASSERT_TRUE(FileExists(folder + "\\QmkUnInst.exe"));
        ASSERT_TRUE(FileExists(group + "\\Quillmark 6.lnk"));
        ASSERT_TRUE(FileExists(desktopLink));
        EXPECT_TRUE(RegHas(HKEY_LOCAL_MACHINE, kUninstall));
        EXPECT_TRUE(RegHas(HKEY_LOCAL_MACHINE, kAppPaths));

        std::set<std::string> before = TemporaryCopies();
        EXPECT_EQ(testkit::Run(folder + "\\QmkUnInst.exe", {"-s"}, folder), 0);
        std::string copy = WaitForTemporaryCopyToEnd(before);
        ASSERT_FALSE(copy.empty()) << "a uni*.tmp copy ran and ended";

        EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kProduct));
        EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kUninstall));
        EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kAppPaths));
        for (const char* f : {"QmkShot6.exe", "agreement.txt", "QmkUnInst.log", "QmkUnInst.exe"})
            EXPECT_FALSE(FileExists(folder + "\\" + f)) << f;
        EXPECT_FALSE(DirExists(folder));
        EXPECT_TRUE(DirExists(root));
        EXPECT_FALSE(DirExists(group));
        if (c.outer) {
            EXPECT_FALSE(DirExists(programs + "\\" + c.outer)) << "the emptied outer group goes";
        }
        EXPECT_FALSE(FileExists(desktopLink));
        EXPECT_TRUE(FileExists(TempFolder() + copy)) << "deleted only at the next restart";

        EXPECT_EQ(testkit::Run("C:\\windows\\system32\\wineboot.exe", {"-r"}), 0);
        EXPECT_FALSE(FileExists(TempFolder() + copy));

        RegDeleteAll(HKEY_LOCAL_MACHINE, kMaker);
        RegDeleteAll(HKEY_LOCAL_MACHINE, kUninstall);
        RegDeleteAll(HKEY_LOCAL_MACHINE, kAppPaths);
        RemoveTree(group);
        if (c.outer)
            RemoveTree(programs + "\\" + c.outer);
        DeleteFileA(desktopLink.c_str());
    }
}
