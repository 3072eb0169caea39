#include "install/install_sequence.h"

#include "app/product.h"
#include "app/state.h"
#include "framework/catalogue.h"
#include "install/file_placement.h"
#include "install/paths.h"
#include "install/registration.h"
#include "install/registry.h"
#include "install/shortcuts.h"
#include "install/uninstall_log.h"
#include "res/resource.h"
#include "uninstall/log_removal.h"

#include <windows.h>

#include <vector>

namespace {

constexpr const char kAppData[] = "%APPDATA%";
constexpr const char kSettingsFile[] = "QmkShot6.ini";
constexpr const char kPackageFileVariable[] = "sfxname";
constexpr const char kHelpFile[] = "QmkShot6Man.chm";
constexpr const char kReadmeFile[] = "readme.txt";
// A machine-wide program folder shorter than this counts as missing.
constexpr size_t kShortestProgramsFolder = 4;

std::string ShellFolder(const char* commonValue, const char* userValue) {
    if (bAllUsers)
        return RegReadString(HKEY_LOCAL_MACHINE, kShellFoldersKey, commonValue);
    return RegReadString(HKEY_CURRENT_USER, kShellFoldersKey, userValue);
}

std::string InstalledFile(const char* name) {
    return m_strInstDir + "\\" + name;
}
std::string LogPath() {
    return InstalledFile(kLogFile);
}

std::string LinkName(UINT id) {
    return LoadCatalogueText(id) + ".lnk";
}

void RemoveEarlierInstallation() {
    RemoveLoggedShortcutsAndDirs(InstalledFile(kOldLogFile));
    RemoveLoggedShortcutsAndDirs(LogPath());
    RemoveLoggedFiles(m_strSrcDir + "\\" + kLogFile, m_strInstDir, kTagFileDel);
}

// The parent of the program group; bAllUsers is cleared when the machine-wide folder is
// missing, so that everything after follows the current user.
std::string ProgramsFolder() {
    if (bAllUsers) {
        std::string common = RegReadString(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Programs");
        if (common.size() >= kShortestProgramsFolder)
            return common;
        bAllUsers = FALSE;
    }
    return RegReadString(HKEY_CURRENT_USER, kShellFoldersKey, "Programs");
}

// Creates every folder of a nested group name below `programs`, the group itself last.
void CreateGroupFolders(const std::string& programs) {
    for (size_t c = m_strGroup.find('\\', 1); c != std::string::npos && c >= 1;
         c = m_strGroup.find('\\', c + 1)) {
        if (LastBackslash(m_strGroup.substr(0, c + 1)) == static_cast<int>(c))
            CreateDirectoryA((programs + "\\" + m_strGroup.substr(0, c)).c_str(), NULL);
    }
    CreateDirectoryA((programs + "\\" + m_strGroup).c_str(), NULL);
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateGroupShortcuts(const std::string& group) {
    CreateShortcut(InstalledFile(kProgramFile), group + "\\" + LinkName(IDS_SHORTCUT_NAME),
                   kAppData);
    CreateShortcut(InstalledFile(kHelpFile), group + "\\" + LinkName(IDS_HELP_SHORTCUT), nullptr);
    CreateShortcut(InstalledFile(kReadmeFile), group + "\\" + LinkName(IDS_README_SHORTCUT),
                   nullptr);
    CreateShortcut(InstalledFile(kUninstallerFile), group + "\\" + LinkName(IDS_UNINSTALL_SHORTCUT),
                   nullptr);
}

// The program group, recorded as made whether or not it was new. An unreadable Programs
// folder or an empty group name gives no group at all, never a folder at the drive's root
// or the Programs folder itself.
void CreateProgramGroup() {
    std::string programs = ProgramsFolder();
    NormalizeSubPath(m_strGroup);
    if (programs.empty() || m_strGroup.empty())
        return;
    CreateGroupFolders(programs);
    std::string group = programs + "\\" + m_strGroup;
    AppendLogLine(LogPath(), kTagMadeDir + group);
    if (FolderExists(group))
        CreateGroupShortcuts(group);
}

// The desktop or Startup shortcut to the product; skipped when the folder is unknown.
void CreateProductShortcut(const char* commonValue, const char* userValue) {
    std::string folder = ShellFolder(commonValue, userValue);
    if (folder.empty())
        return;
    CreateShortcut(InstalledFile(kProgramFile), folder + "\\" + LinkName(IDS_SHORTCUT_NAME),
                   kAppData);
}

std::string PackageFileFolder() {
    DWORD size = GetEnvironmentVariableA(kPackageFileVariable, NULL, 0);
    if (size == 0)
        return std::string();
    std::vector<char> value(size + 1, '\0');
    GetEnvironmentVariableA(kPackageFileVariable, value.data(), size + 1);
    return ParentFolder(value.data());
}

void TakeOverSettingsFile() {
    std::string folder = PackageFileFolder();
    if (!folder.empty())
        PlaceFile(kSettingsFile, folder, m_strInstDir, nullptr);
}

} // namespace

int InstallSequence() {
    if (!bNewInstall)
        RemoveEarlierInstallation();
    CopyManifestFiles(m_strSrcDir + "\\" + kLogFile);
    CopyMatchingFiles(kLogFile, m_strInstDir, m_strSrcDir);
    AppendLogLine(LogPath(), "");
    CreateProgramGroup();
    if (bDeskIcon)
        CreateProductShortcut("Common Desktop", "Desktop");
    if (bAutoStart)
        CreateProductShortcut("Common Startup", "Startup");
    RegisterProduct();
    TakeOverSettingsFile();
    return 0;
}
