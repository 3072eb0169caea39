// Removal of one installation, given its folder: the registry entries, the
// image-file associations the product took over, everything the uninstall logs
// record, the folder itself, and the default shortcuts and program group in the
// machine-wide shell folders and in every loaded profile. Every step is best
// effort and silent; none depends on an earlier one.
#include "uninstall/uninstall_sequence.h"

#include "app/product.h"
#include "framework/handles.h"
#include "uninstall/log_removal.h"
#include "uninstall/registry_cleanup.h"

#include <cstring>

namespace {

// Registry values are read into a buffer of this size, and the shell-folder
// paths are composed within the same limit.
constexpr DWORD kValueSize = 512;
using ValueBuffer = char[kValueSize];

constexpr const char kFileExtsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
constexpr const char kApplicationValue[] = "Application";
constexpr const char kOldAssociationValue[] = "QmkShotOld";
constexpr const char* kImageExtensions[] = {".bmp",  ".dib", ".gif", ".jpg", ".jpeg", ".tif",
                                            ".tiff", ".png", ".cmp", ".tga", ".wpg"};
constexpr const char kOldLogName[] = "install.log";
constexpr const char kLogName[] = "QmkUnInst.log";
constexpr const char kShortcutExtension[] = ".lnk";

// Reads a value's text into `buffer`, emptied first. False when the value is
// missing or unreadable, and when it would not fit with its terminator: such a
// value counts as absent rather than being cut short.
bool ReadValue(HKEY key, const char* name, ValueBuffer& buffer) {
    std::memset(buffer, 0, kValueSize);
    DWORD size = kValueSize;
    if (RegQueryValueExA(key, name, NULL, NULL, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS) {
        buffer[0] = '\0';
        return false;
    }
    if (size == kValueSize && buffer[kValueSize - 1] != '\0') {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

// Text of a value, or empty when it cannot be read.
std::string ValueText(HKEY key, const char* name) {
    ValueBuffer buffer;
    ReadValue(key, name, buffer);
    return buffer;
}

// `folder` + `tail` when that fits the value buffer with its terminator, else
// empty: a path that does not fit is skipped, never cut short.
std::string ComposeInValueBuffer(const std::string& folder, const std::string& tail) {
    if (folder.empty() || folder.size() + tail.size() >= kValueSize)
        return std::string();
    return folder + tail;
}

std::string WithTrailingBackslash(const std::string& folder) {
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/')
        return folder;
    return folder + "\\";
}

// Puts one extension's association back: the saved one when there is one,
// else none. True when the product's association was found and undone.
bool RestoreAssociation(HKEY associations, const char* extension, const char* examined) {
    RegKey key;
    if (!key.Open(associations, extension, KEY_ALL_ACCESS))
        return false;
    ValueBuffer value;
    if (!ReadValue(key.get(), examined, value) || !std::strstr(value, kProgramFile))
        return false;
    if (ReadValue(key.get(), kOldAssociationValue, value) && value[0] != '\0')
        RegSetValueExA(key.get(), examined, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(std::strlen(value) + 1));
    else
        RegDeleteValueA(key.get(), examined);
    RegDeleteValueA(key.get(), kOldAssociationValue);
    return true;
}

// The current user's per-extension applications when the shell keeps them,
// else the class registrations' default values.
void RestoreImageAssociations() {
    RegKey associations;
    const char* examined = kApplicationValue;
    if (!associations.Open(HKEY_CURRENT_USER, kFileExtsKey, KEY_ALL_ACCESS)) {
        examined = nullptr;
        if (!associations.Open(HKEY_CLASSES_ROOT, nullptr, KEY_ALL_ACCESS))
            return;
    }
    bool restored = false;
    for (const char* extension : kImageExtensions)
        if (RestoreAssociation(associations.get(), extension, examined))
            restored = true;
    if (restored)
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL);
}

void RemoveLoggedItems(const std::string& folder) {
    RemoveLoggedShortcutsAndDirs(folder + kOldLogName);
    RemoveLoggedShortcutsAndDirs(folder + kLogName);
    RemoveLoggedFiles(folder + kOldLogName, folder, nullptr);
    RemoveLoggedFiles(folder + kLogName, folder, nullptr);
    DeleteMatchingFiles(folder, kLogName);
}

// Leaves the folder first, so that being the current directory does not keep it.
void RemoveFolderIfEmpty(const std::string& folder) {
    SetCurrentDirectoryA("\\");
    RemoveDirectoryA(folder.c_str());
}

void DeleteDefaultShortcut(HKEY shellFolders, const char* valueName) {
    std::string link =
        ComposeInValueBuffer(ValueText(shellFolders, valueName),
                             std::string("\\") + kProductFolder + kShortcutExtension);
    if (!link.empty())
        DeleteFileA(link.c_str());
}

void RemoveDefaultGroup(const std::string& programs) {
    std::string group = ComposeInValueBuffer(programs, std::string("\\") + kProductFolder + "\\");
    if (group.empty())
        return;
    DeleteMatchingFiles(group, "*.*");
    RemoveDirectoryA(group.c_str());
}

// The Startup and Desktop shortcuts and the program group under the product's
// default name, in the shell folders that `shellFolders` lists.
void RemoveDefaultShortcuts(RegKey shellFolders, const char* startup, const char* desktop,
                            const char* programs) {
    DeleteDefaultShortcut(shellFolders.get(), startup);
    DeleteDefaultShortcut(shellFolders.get(), desktop);
    std::string programsFolder = ValueText(shellFolders.get(), programs);
    shellFolders.reset();
    RemoveDefaultGroup(programsFolder);
}

void RemoveMachineWideShortcuts() {
    RegKey shellFolders;
    if (shellFolders.Open(HKEY_LOCAL_MACHINE, kShellFoldersKey, KEY_QUERY_VALUE))
        RemoveDefaultShortcuts(std::move(shellFolders), "Common Startup", "Common Desktop",
                               "Common Programs");
}

void RemoveProfileShortcuts(const char* profile) {
    RegKey user;
    if (!user.Open(HKEY_USERS, profile, KEY_ALL_ACCESS))
        return;
    RegKey shellFolders;
    if (shellFolders.Open(user.get(), kShellFoldersKey, KEY_ALL_ACCESS))
        RemoveDefaultShortcuts(std::move(shellFolders), "Startup", "Desktop", "Programs");
}

void RemoveShortcutsOfEveryProfile() {
    ValueBuffer profile;
    // The index grows after every subkey, usable or not; the per-user classes
    // hives have no shell folders and are passed over.
    for (DWORD i = 0; RegEnumKeyA(HKEY_USERS, i, profile, kValueSize) == ERROR_SUCCESS; ++i)
        RemoveProfileShortcuts(profile);
}

} // namespace

void RemoveInstallation(const std::string& installFolder) {
    const std::string folder = WithTrailingBackslash(installFolder);
    RemoveRegistryEntries();
    RestoreImageAssociations();
    RemoveLoggedItems(folder);
    RemoveFolderIfEmpty(folder);
    RemoveMachineWideShortcuts();
    RemoveShortcutsOfEveryProfile();
}
