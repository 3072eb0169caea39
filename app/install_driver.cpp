#include "app/install_driver.h"

#include "app/probes.h"
#include "app/product.h"
#include "app/state.h"
#include "framework/catalogue.h"
#include "framework/handles.h"
#include "framework/msgbox.h"
#include "framework/winapp.h"
#include "install/install_sequence.h"
#include "install/paths.h"
#include "install/registry.h"
#include "install/uninstall_log.h"
#include "res/resource.h"
#include "wizard/setup_dlg.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char kProgramSuffix[] = "\\QmkShot6.exe";
constexpr const char kHomePageUrlFile[] = "\\HomePage.url";
constexpr const char kUrlLinePrefix[] = "URL=http://";
constexpr int kHomePageUrlLineSize = 260;

struct Version {
    int major = 0;
    int minor = 0;
    int build = 0;
    int beta = 0;
};

Version CurrentVersion() {
    return Version{nVerMajor, nVerMinor, nVerBuild, nVerBeta};
}

// Compared as an unsigned number: major, minor, build and beta two decimal places each.
unsigned VersionKey(const Version& v) {
    return ((static_cast<unsigned>(v.major) * 100u + static_cast<unsigned>(v.minor)) * 100u +
            static_cast<unsigned>(v.build)) *
               100u +
           static_cast<unsigned>(v.beta);
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string LowerCase(std::string text) {
    if (!text.empty())
        CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

template <class... Args> std::string FormatCatalogueText(UINT id, Args... args) {
    const std::string format = LoadCatalogueText(id);
    const int length = std::snprintf(nullptr, 0, format.c_str(), args...);
    if (length <= 0)
        return format;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(&text[0], text.size(), format.c_str(), args...);
    text.resize(static_cast<size_t>(length));
    return text;
}

void OpenWebPage(const std::string& url) {
    ShellExecuteA(NULL, "open", url.c_str(), NULL, NULL, SW_SHOW);
}

// Step 1.
void SettleFolders() {
    m_strInstDir = FindInstalledFolder();
    m_strSrcDir = GetPackageFolder();
    if (m_strInstDir.empty()) {
        m_strInstDir = GetProgramFilesFolder() + "\\" + kProductFolder;
        bNewInstall = TRUE;
    }
}

// "-instdir" names a candidate only when something exists under it; one trailing
// separator is dropped.
std::string InstDirCandidate(const std::string& argument) {
    if (!PathExists(argument))
        return std::string();
    std::string folder = argument;
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

// Step 2. The argument after "-instdir" is examined again as an argument of its own.
void ApplyOptions(int argc, char** argv) {
    std::string candidate;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "-instdir") == 0 && i + 1 < argc)
            candidate = InstDirCandidate(argv[i + 1]);
        else if (lstrcmpiA(arg, "-runafter") == 0)
            bRunAfter = TRUE;
        else if (lstrcmpiA(arg, "-allusers") == 0)
            bAllUsers = TRUE;
        else if (lstrcmpiA(arg, "-autostart") == 0)
            bAutoStart = TRUE;
        else if (lstrcmpiA(arg, "-nodeskico") == 0)
            bDeskIcon = FALSE;
    }
    if (!candidate.empty())
        m_strInstDir = candidate;
}

// Step 4.3: true when the user wants to go on over an equal or newer installation.
bool AskToInstallOver(const Version& installed, const Version& package) {
    std::string question;
    if (VersionKey(package) < VersionKey(installed))
        question = FormatCatalogueText(IDS_OLDER_VERSION, installed.major, installed.minor,
                                       installed.build, installed.beta, package.major,
                                       package.minor, package.build, package.beta);
    else
        question = FormatCatalogueText(IDS_SAME_VERSION, package.major, package.minor,
                                       package.build, package.beta);
    return AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// Step 4.5: the group of the last shortcut the installed log records in the
// Programs folder, outside the Startup folder.
void RecoverProgramGroup() {
    StdioFile log((m_strInstDir + "\\" + kLogFile).c_str(), "r");
    if (!log)
        log = StdioFile((m_strInstDir + "\\" + kOldLogFile).c_str(), "r");
    if (!log)
        return;
    HKEY hive = bAllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    std::string programs =
        RegReadString(hive, kShellFoldersKey, bAllUsers ? "Common Programs" : "Programs");
    std::string startup =
        RegReadString(hive, kShellFoldersKey, bAllUsers ? "Common Startup" : "Startup");
    if (programs.empty() || programs.back() != '\\')
        programs += '\\';
    programs = LowerCase(programs);
    startup = LowerCase(startup);
    const size_t tagLength = std::strlen(kTagShellLink);
    std::string line;
    while (ReadLogLine(log.get(), line)) {
        if (line.compare(0, tagLength, kTagShellLink) != 0)
            continue;
        const std::string link = line.substr(tagLength);
        const std::string lowered = LowerCase(link);
        if (lowered.compare(0, programs.size(), programs) != 0)
            continue;
        // A missing Startup folder excludes nothing (an empty text would be found in every path).
        if (!startup.empty() && lowered.find(startup) != std::string::npos)
            continue;
        m_strGroup = ParentFolder(link.substr(programs.size()).c_str());
    }
}

// Step 4. Leaves the package's version in the version fields; false when the
// user declined to install over an equal or newer version.
bool ConsiderEarlierInstallation(BOOL& upgrade) {
    ReadProgramVersion(m_strInstDir + kProgramSuffix);
    const Version installed = CurrentVersion();
    ReadProgramVersion(m_strSrcDir + kProgramSuffix);
    const Version package = CurrentVersion();
    if (bSilent || VersionKey(installed) < VersionKey(package))
        upgrade = TRUE;
    else if (!AskToInstallOver(installed, package))
        return false;
    bAllUsers = RegReadString(HKEY_LOCAL_MACHINE, kProductKey, kAllUsersValue) == "B";
    RecoverProgramGroup();
    return true;
}

// Step 6: a damaged package ends the process.
void StopIfPackageDamaged() {
    if (nVerMajor != 0 && PathExists(m_strSrcDir + "\\" + kLogFile))
        return;
    AfxMessageBox(IDS_DAMAGED_PACKAGE, MB_OK | MB_ICONERROR);
    OpenWebPage(kHomePage);
    ExitProcess(1);
}

// Step 7: false when the wizard was left without finishing.
bool Install() {
    if (bSilent) {
        if (bNewInstall)
            bAllUsers = TRUE;
        InstallSequence();
        return true;
    }
    CSetupDlg wizard;
    CWinApp* app = AfxGetApp();
    if (app)
        app->m_pMainWnd = &wizard;
    const INT_PTR result = wizard.DoModal();
    if (app)
        app->m_pMainWnd = nullptr;
    return result == IDOK;
}

// Step 9.1: from the first "URL=http://" line of HomePage.url, the text from its
// first "?" on.
std::string HomePageQuery() {
    StdioFile file((m_strInstDir + kHomePageUrlFile).c_str(), "r");
    if (!file)
        return std::string();
    char buffer[kHomePageUrlLineSize];
    while (std::fgets(buffer, sizeof buffer, file.get())) {
        if (std::strncmp(buffer, kUrlLinePrefix, std::strlen(kUrlLinePrefix)) != 0)
            continue;
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        const size_t mark = line.find('?');
        return mark == std::string::npos ? std::string() : line.substr(mark);
    }
    return std::string();
}

// Step 9.
void OpenFollowUpPage(BOOL upgrade) {
    if (bSilent || !(bNewInstall || upgrade))
        return;
    const std::string query = HomePageQuery();
    if (bNewInstall && !query.empty())
        OpenWebPage(kInstallScriptPage + query);
    else
        OpenWebPage(kInstalledPage);
}

// Step 10: started and left to run.
void StartProduct() {
    std::string program = m_strInstDir + kProgramSuffix;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessA(program.c_str(), &program[0], NULL, NULL, FALSE, 0, NULL,
                       m_strInstDir.c_str(), &startup, &info)) {
        UniqueHandle process(info.hProcess);
        UniqueHandle thread(info.hThread);
    }
}

} // namespace

int RunInstall() {
    BOOL upgrade = FALSE;
    SettleFolders();
    CWinApp* app = AfxGetApp();
    if (app)
        ApplyOptions(app->m_argc, app->m_argv);
    m_strGroup = kProductFolder;
    if (!bNewInstall && !ConsiderEarlierInstallation(upgrade))
        return 1;
    if (bNewInstall)
        ReadProgramVersion(m_strSrcDir + kProgramSuffix);
    StopIfPackageDamaged();
    if (!Install())
        return 1;
    SetCurrentDirectoryA(m_strInstDir.c_str());
    OpenFollowUpPage(upgrade);
    if (bRunAfter)
        StartProduct();
    return 0;
}
