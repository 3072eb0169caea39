// Whole interactive installations: setup.exe started in a package folder, its
// wizard clicked through as a user does, and what happens after Finish: the
// product started or not, and the web page opened.
#include <gtest/gtest.h>
#include <windows.h>

#include <tlhelp32.h>

#include "app/product.h"
#include "framework/handles.h"
#include "framework/catalogue.h"
#include "res/resource.h"
#include "support/testkit.h"
#include "support/url_recorder.h"

#include <string>
#include <vector>

using namespace testkit;

namespace {

constexpr const char kStandInClass[] = "QmkShot6StandIn";
constexpr const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char kHomePageUrl[] = "[InternetShortcut]\r\n"
                                      "URL=http://www.brightwell.example/?ref=7\r\n";

std::string DefaultFolder() {
    return RegGet(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir") + "\\" +
           kProductFolder;
}

std::string ShellFolder(bool allUsers, const char* common, const char* own) {
    return allUsers ? RegGet(HKEY_LOCAL_MACHINE, kShellFoldersKey, common)
                    : RegGet(HKEY_CURRENT_USER, kShellFoldersKey, own);
}

std::string ClassOf(HWND h) {
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    return cls;
}

// The processes whose program file is named `exe`.
std::vector<DWORD> ProcessesNamed(const char* exe) {
    std::vector<DWORD> pids;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return pids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, exe) == 0)
            pids.push_back(entry.th32ProcessID);
    }
    return pids;
}

std::string ImagePath(DWORD pid) {
    Process process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid), pid);
    typedef BOOL(WINAPI * QueryName)(HANDLE, DWORD, LPSTR, PDWORD);
    auto query = reinterpret_cast<QueryName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process.valid() || !query || !query(process.handle(), 0, path, &size))
        return std::string();
    return path;
}

void KillStandIns() {
    for (DWORD pid : ProcessesNamed("QmkShot6.exe")) {
        // Kill waits until the process has ended.
        Process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid), pid).Kill();
    }
}

// The wizard of another process, found as a user sees it: the frame is the
// process's top-level dialog without an owner, the page its visible child dialog.
class ExternalWizard {
  public:
    explicit ExternalWizard(DWORD pid) : m_pid(pid) {
        WaitUntil([&] { return (m_frame = FindFrame()) != NULL && Page() != NULL; });
    }
    HWND frame() const { return m_frame; }

    HWND Page() const {
        HWND page = NULL;
        for (HWND h = GetWindow(m_frame, GW_CHILD); h && !page; h = GetWindow(h, GW_HWNDNEXT))
            if (IsWindowVisible(h) && ClassOf(h) == "#32770")
                page = h;
        return page;
    }
    std::string NextCaption() const { return WindowText(GetDlgItem(m_frame, IDOK)); }
    bool NextEnabled() const { return IsWindowEnabled(GetDlgItem(m_frame, IDOK)) != FALSE; }

    // Presses Next and waits until the frame has moved to another page.
    bool NextPage() const {
        HWND before = Page();
        PressButton(m_frame, IDOK);
        return WaitUntil([&] {
            HWND now = Page();
            return now != NULL && now != before;
        });
    }

  private:
    struct FrameQuery {
        DWORD pid;
        HWND found;
    };
    static BOOL CALLBACK FindFrameProc(HWND h, LPARAM lp) {
        auto* q = reinterpret_cast<FrameQuery*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != q->pid || !IsWindowVisible(h) || GetWindow(h, GW_OWNER) != NULL ||
            ClassOf(h) != "#32770")
            return TRUE;
        q->found = h;
        return FALSE;
    }
    HWND FindFrame() const {
        FrameQuery q{m_pid, NULL};
        EnumWindows(FindFrameProc, reinterpret_cast<LPARAM>(&q));
        return q.found;
    }

    DWORD m_pid;
    HWND m_frame = NULL;
};

struct Case {
    const char* name;
    bool upgrade;     // an older version is installed (and recorded) already
    bool homePageUrl; // the package ships HomePage.url
    bool runProduct;  // check box 1012 at Finish
    std::vector<std::string> args;
    std::string page; // the page opened after Finish
};

const Case kCases[] = {
    {"new installation, product started",
     false,
     true,
     true,
     {},
     std::string(kInstallScriptPage) + "?ref=7"},
    {"check box cleared wins over -runafter",
     false,
     true,
     false,
     {"-runafter"},
     std::string(kInstallScriptPage) + "?ref=7"},
    {"new installation without HomePage.url", false, false, false, {}, kInstalledPage},
    {"upgrade", true, true, false, {}, kInstalledPage},
};

class WizardInstall : public ::testing::Test {
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
            RemoveTree(ShellFolder(all, "Common Programs", "Programs") + "\\" + kProductFolder);
            DeleteFileA(
                (ShellFolder(all, "Common Desktop", "Desktop") + "\\Quillmark 6.lnk").c_str());
            DeleteFileA(
                (ShellFolder(all, "Common Startup", "Startup") + "\\Quillmark 6.lnk").c_str());
        }
    }

    static std::string MakePackage(bool homePageUrl) {
        const std::string dir = ScratchDir("wizard-install-package");
        CopyTo(SetupExe(), dir + "\\setup.exe");
        CopyTo(TestbedDir() + "\\v6.0.2.0\\QmkShot6.exe", dir + "\\QmkShot6.exe");
        WriteFile(dir + "\\agreement.txt", "Licence agreement of the test package.\r\n");
        std::string manifest = "Package manifest\r\n"
                               "File Copy: QmkShot6.exe\r\n"
                               "File Copy: setup.exe > QmkUnInst.exe\r\n"
                               "File Copy: agreement.txt\r\n";
        if (homePageUrl) {
            WriteFile(dir + "\\HomePage.url", kHomePageUrl);
            manifest += "File Copy: HomePage.url\r\n";
        }
        WriteFile(dir + "\\QmkUnInst.log", manifest);
        return dir;
    }
};

TEST_F(WizardInstall, FinishStartsTheProductAndOpensThePage) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Clear();
        const std::string target = ScratchDir("wizard-install-target");
        if (c.upgrade) {
            CopyTo(TestbedDir() + "\\v6.0.1.0\\QmkShot6.exe", target + "\\QmkShot6.exe");
            RegSet(HKEY_LOCAL_MACHINE, kProductKey, kPathValue, target);
        }
        const std::string package = MakePackage(c.homePageUrl);
        UrlRecorder urls;
        std::vector<std::string> args = c.args;
        if (!c.upgrade) {
            args.push_back("-instdir");
            args.push_back(target);
        }
        Process setup = Start(package + "\\setup.exe", args, package);
        ASSERT_TRUE(setup.valid());

        ExternalWizard wizard(setup.pid());
        ASSERT_NE(wizard.frame(), (HWND)NULL);
        // Welcome, agreement ("Igen"), folder, group: Next leads to the ready page.
        for (int page = 0; page < 4; ++page) {
            if (page == 1) {
                EXPECT_EQ(wizard.NextCaption(), "Igen");
            }
            ASSERT_TRUE(wizard.NextPage()) << "page " << page;
        }
        HWND ready = wizard.Page();
        ASSERT_NE(GetDlgItem(ready, IDC_READY_TITLE), (HWND)NULL);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(ready, IDC_RUN_AFTER)));

        // Next on the ready page installs; the page then offers Finish and 1012.
        PressButton(wizard.frame(), IDOK);
        ASSERT_TRUE(WaitUntil([&] {
            return wizard.NextEnabled() &&
                   wizard.NextCaption() == LoadCatalogueText(IDS_FINISH_BUTTON) &&
                   IsWindowVisible(GetDlgItem(ready, IDC_RUN_AFTER));
        }));
        EXPECT_TRUE(FileExists(target + "\\QmkUnInst.exe"));
        const int newState = c.runProduct ? BST_CHECKED : BST_UNCHECKED;
        HWND runAfter = GetDlgItem(ready, IDC_RUN_AFTER);
        if (SendMessageA(runAfter, BM_GETCHECK, 0, 0) != newState)
            SendMessageA(runAfter, BM_CLICK, 0, 0);
        ASSERT_EQ(SendMessageA(runAfter, BM_GETCHECK, 0, 0), newState);
        PressButton(wizard.frame(), IDOK);
        ASSERT_EQ(setup.Wait(), 0u);

        if (c.homePageUrl) {
            EXPECT_TRUE(FileExists(target + "\\HomePage.url"));
        }
        EXPECT_TRUE(urls.WaitForUrl(c.page));
        EXPECT_EQ(urls.UrlsBeforeMarker(), std::vector<std::string>{c.page});
        // The product is started before setup.exe ends, so it is in the process list now.
        if (c.runProduct) {
            ASSERT_NE(WaitForWindow(0, kStandInClass, ""), (HWND)NULL);
            const std::vector<DWORD> products = ProcessesNamed("QmkShot6.exe");
            ASSERT_EQ(products.size(), 1u);
            EXPECT_EQ(
                lstrcmpiA(ImagePath(products[0]).c_str(), (target + "\\QmkShot6.exe").c_str()), 0);
        } else {
            EXPECT_TRUE(ProcessesNamed("QmkShot6.exe").empty());
        }
    }
}

} // namespace
