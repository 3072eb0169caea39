// Whole-program runs of setup.exe in package folders: the folder and options it
// settles on, the version questions, the group taken over from an earlier
// installation, damaged packages, the pages it opens and the product it starts.
#include <gtest/gtest.h>

#include "app/product.h"
#include "framework/catalogue.h"
#include "res/resource.h"
#include "support/package.h"
#include "support/testkit.h"
#include "support/url_recorder.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace testkit;

namespace {

constexpr const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char kStandInClass[] = "QmkShot6StandIn";

std::string ProgramFiles() {
    return RegGet(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir");
}
std::string DefaultFolder() {
    return ProgramFiles() + "\\" + kProductFolder;
}

std::string ShellFolder(bool allUsers, const char* common, const char* own) {
    return allUsers ? RegGet(HKEY_LOCAL_MACHINE, kShellFoldersKey, common)
                    : RegGet(HKEY_CURRENT_USER, kShellFoldersKey, own);
}

// An earlier installation recorded in the registry, with its program file.
void MakeEarlierInstallation(const std::string& folder, Program program,
                             const std::string& log = std::string()) {
    CreateDirectoryA(folder.c_str(), NULL);
    CopyTo(StandIn(program), folder + "\\QmkShot6.exe");
    if (!log.empty())
        WriteFile(folder + "\\QmkUnInst.log", log);
    RegSet(HKEY_LOCAL_MACHINE, kProductKey, kPathValue, folder);
}

std::string Format(const std::string& format, std::vector<int> v) {
    v.resize(8, 0);
    char text[1024];
    std::snprintf(text, sizeof text, format.c_str(), v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                  v[7]);
    return text;
}

void KillStandIns() {
    HWND h;
    while ((h = FindWindowA(kStandInClass, NULL)) != NULL) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        Process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid), pid).Kill();
        WaitUntil([&] { return !IsWindow(h); });
    }
}

// Every case starts from, and leaves, a prefix without any installation.
class InstallDriver : public ::testing::Test {
  protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }

    static void Clear() {
        KillStandIns();
        RegDeleteAll(HKEY_LOCAL_MACHINE, kProductKey);
        RegDeleteAll(HKEY_LOCAL_MACHINE, kAppPathsKey);
        RegDeleteAll(HKEY_LOCAL_MACHINE, kUninstallKey);
        RemoveTree(DefaultFolder());
        for (bool all : {true, false}) {
            const std::string programs = ShellFolder(all, "Common Programs", "Programs");
            RemoveTree(programs + "\\" + kProductFolder);
            RemoveTree(programs + "\\Brightwell Tools");
            DeleteFileA(
                (ShellFolder(all, "Common Desktop", "Desktop") + "\\Quillmark 6.lnk").c_str());
            DeleteFileA(
                (ShellFolder(all, "Common Startup", "Startup") + "\\Quillmark 6.lnk").c_str());
        }
    }

    static int RunSetup(const std::string& package, const std::vector<std::string>& args) {
        return testkit::Run(package + "\\setup.exe", args, package);
    }
};

TEST_F(InstallDriver, SilentNewInstallationGoesToProgramFilesForAllUsers) {
    UrlRecorder urls;
    const std::string package = MakePackage("driver-default", Program::V6020);
    ASSERT_EQ(RunSetup(package, {"-s"}), 0);
    EXPECT_TRUE(FileExists(DefaultFolder() + "\\QmkShot6.exe"));
    EXPECT_TRUE(FileExists(DefaultFolder() + "\\QmkUnInst.exe"));
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProductKey, kPathValue), DefaultFolder());
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProductKey, kAllUsersValue), "B");
    // A silent installation opens no page.
    EXPECT_TRUE(urls.UrlsBeforeMarker().empty());
}

TEST_F(InstallDriver, InstDirOption) {
    const std::string existing = ScratchDir("driver-instdir-target");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string folder;
    };
    const Case cases[] = {
        {"existing folder, trailing backslash", {"-s", "-instdir", existing + "\\"}, existing},
        {"existing folder, trailing slash", {"-s", "-instdir", existing + "/"}, existing},
        {"missing folder ignored", {"-s", "-instdir", existing + "\\absent"}, DefaultFolder()},
        {"last argument ignored", {"-s", "-instdir"}, DefaultFolder()},
        {"capitals are no option", {"-s", "-INSTDIR", existing}, DefaultFolder()},
        {"last one decides",
         {"-s", "-instdir", existing, "-instdir", existing + "\\absent"},
         DefaultFolder()}, // the last one decides, even naming a missing folder
    };
    const std::string package = MakePackage("driver-instdir", Program::V6020);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Clear();
        RemoveTree(existing + "\\QmkShot6.exe");
        ASSERT_EQ(RunSetup(package, c.args), 0);
        EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProductKey, kPathValue), c.folder);
        EXPECT_TRUE(FileExists(c.folder + "\\QmkShot6.exe"));
    }
}

TEST_F(InstallDriver, ArgumentAfterInstDirIsExaminedAgain) {
    // "-runafter" names no folder, and still counts as an option: the product starts.
    const std::string package = MakePackage("driver-instdir-option", Program::V6020);
    ASSERT_EQ(RunSetup(package, {"-s", "-instdir", "-runafter"}), 0);
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProductKey, kPathValue), DefaultFolder());
    EXPECT_NE(WaitForWindow(0, kStandInClass, ""), (HWND)NULL);
}

TEST_F(InstallDriver, RunAfterStartsTheInstalledProductInASilentRun) {
    UrlRecorder urls;
    const std::string target = ScratchDir("driver-runafter-target");
    const std::string package = MakePackage("driver-runafter", Program::V6020);
    ASSERT_EQ(RunSetup(package, {"-s", "-runafter", "-instdir", target}), 0);
    HWND product = WaitForWindow(0, kStandInClass, "");
    ASSERT_NE(product, (HWND)NULL);
    DWORD pid = 0;
    GetWindowThreadProcessId(product, &pid);
    Process running(
        OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_VM_READ,
                    FALSE, pid),
        pid);
    char path[MAX_PATH] = {};
    typedef BOOL(WINAPI * QueryName)(HANDLE, DWORD, LPSTR, PDWORD);
    auto query = reinterpret_cast<QueryName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
    DWORD size = MAX_PATH;
    ASSERT_TRUE(query && query(running.handle(), 0, path, &size));
    EXPECT_EQ(lstrcmpiA(path, (target + "\\QmkShot6.exe").c_str()), 0) << path;
    EXPECT_TRUE(urls.UrlsBeforeMarker().empty());
}

struct VersionCase {
    const char* name;
    Program installed;
    Program package;
    std::vector<std::string> args;
    UINT question; // 0: none
    std::vector<int> shown;
};

const VersionCase kVersionCases[] = {
    {"older installed: an upgrade", Program::V6010, Program::V6020, {}, 0, {}},
    {"equal versions", Program::V6020, Program::V6020, {}, IDS_SAME_VERSION, {6, 0, 2, 0}},
    {"newer installed",
     Program::V6020,
     Program::V6010,
     {},
     IDS_OLDER_VERSION,
     {6, 0, 2, 0, 6, 0, 1, 0}},
    {"beta number counts",
     Program::V6023,
     Program::V6020,
     {},
     IDS_OLDER_VERSION,
     {6, 0, 2, 3, 6, 0, 2, 0}},
    {"silent over newer", Program::V6023, Program::V6010, {"-s"}, 0, {}},
    {"silent over equal", Program::V6020, Program::V6020, {"-s"}, 0, {}},
};

TEST_F(InstallDriver, VersionQuestions) {
    for (const VersionCase& c : kVersionCases) {
        SCOPED_TRACE(c.name);
        Clear();
        const std::string installed = ScratchDir("driver-version-installed");
        MakeEarlierInstallation(installed, c.installed);
        const std::string before = ReadFile(installed + "\\QmkShot6.exe");
        const std::string package = MakePackage("driver-version-package", c.package);
        Process setup = Start(package + "\\setup.exe", c.args, package);
        ASSERT_TRUE(setup.valid());
        if (c.args.empty()) {
            MessageBoxInfo box;
            ASSERT_TRUE(WaitForMessageBox(setup.pid(), box));
            if (c.question) {
                EXPECT_EQ(box.text, Format(LoadCatalogueText(c.question), c.shown));
                EXPECT_EQ(box.caption, LoadCatalogueText(AFX_IDS_APP_TITLE));
                EXPECT_TRUE(box.hasIcon);
                PressButton(box.hwnd, IDNO);
                // The refusal ends the run; the exit code is 0 on this path.
                EXPECT_EQ(setup.Wait(), 0u);
                EXPECT_EQ(ReadFile(installed + "\\QmkShot6.exe"), before);
                EXPECT_FALSE(FileExists(installed + "\\QmkUnInst.log"));
                EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProductKey, kPathValue), installed);
            } else {
                // No question: the first window is the wizard, which has no Yes button.
                EXPECT_EQ(GetDlgItem(box.hwnd, IDYES), (HWND)NULL) << box.text;
                setup.Kill();
            }
        } else {
            EXPECT_EQ(setup.Wait(), 0u);
            EXPECT_EQ(ReadFile(installed + "\\QmkShot6.exe"), ReadFile(StandIn(c.package)));
        }
    }
}

TEST_F(InstallDriver, GroupRecoveredFromInstalledLog) {
    // Per-user installation recorded, "-allusers" given: the stored type wins,
    // so the group is looked for in the user's Programs folder.
    const std::string programs = ShellFolder(false, "", "Programs");
    const std::string startup = ShellFolder(false, "", "Startup");
    const std::string log = "File Copy: QmkShot6.exe\r\n\r\nMade Dir: " + programs +
                            "\\Brightwell Tools\r\n"
                            "Shell Link: " +
                            programs +
                            "\\Quillmark 6\\Quillmark 6.lnk\r\n"
                            "Shell Link: " +
                            programs +
                            "\\Brightwell Tools\\Help.lnk\r\n"
                            "Shell Link: " +
                            startup + "\\Quillmark 6.lnk\r\n";
    const std::string installed = ScratchDir("driver-group-installed");
    MakeEarlierInstallation(installed, Program::V6010, log);
    RegSet(HKEY_LOCAL_MACHINE, kProductKey, kAllUsersValue, "A");
    const std::string package = MakePackage("driver-group-package", Program::V6020);
    ASSERT_EQ(RunSetup(package, {"-s", "-allusers"}), 0);
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kProductKey, kAllUsersValue), "A");
    const std::string record = ReadFile(installed + "\\QmkUnInst.log");
    EXPECT_NE(record.find("Made Dir: " + programs + "\\Brightwell Tools\r\n"), std::string::npos)
        << record;
}

TEST_F(InstallDriver, DamagedPackageIsRefused) {
    struct Case {
        const char* name;
        Program program;
        bool manifest;
    };
    const Case cases[] = {
        {"no manifest", Program::V6020, false},
        {"no program", Program::Missing, true},
        {"program without version", Program::NoVersion, true},
    };
    for (const Case& c : cases) {
        for (bool silent : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (silent ? ", silent" : ""));
            Clear();
            UrlRecorder urls;
            const std::string target = ScratchDir("driver-damaged-target");
            const std::string package = MakePackage("driver-damaged", c.program, c.manifest);
            std::vector<std::string> args = {"-instdir", target};
            if (silent)
                args.insert(args.begin(), "-s");
            Process setup = Start(package + "\\setup.exe", args, package);
            MessageBoxInfo box;
            ASSERT_TRUE(WaitForMessageBox(setup.pid(), box));
            EXPECT_EQ(box.text, LoadCatalogueText(IDS_DAMAGED_PACKAGE));
            EXPECT_EQ(box.caption, LoadCatalogueText(AFX_IDS_APP_TITLE));
            EXPECT_TRUE(box.hasIcon);
            EXPECT_EQ(ButtonTexts(box.hwnd).size(), 1u);
            PressButton(box.hwnd, IDOK);
            EXPECT_EQ(setup.Wait(), 1u);
            EXPECT_TRUE(urls.WaitForUrl(kHomePage));
            EXPECT_FALSE(FileExists(target + "\\QmkShot6.exe"));
            EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kProductKey));
        }
    }
}

} // namespace
