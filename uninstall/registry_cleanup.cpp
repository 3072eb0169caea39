// Removal of the product's registry keys: the product key in every hive that
// can hold it, the maker key once nothing else is below it, the document type,
// and the entries in the list of installed programs and in App Paths.
#include "uninstall/registry_cleanup.h"

#include "app/product.h"
#include "framework/handles.h"

namespace {

constexpr DWORD kSubkeyNameSize = 512; // subkey names are at most 511 characters
constexpr const char kDocumentType[] = "QM6.Document";
constexpr const char kUninstallParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char kUninstallEntry[] = "Quillmark 6";
constexpr const char kAppPathsParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char kAppPathsEntry[] = "QmkShot6.exe";

// Name of subkey number `index` of `key`; false when there is none.
bool SubkeyName(HKEY key, DWORD index, char (&name)[kSubkeyNameSize]) {
    name[0] = '\0';
    return RegEnumKeyA(key, index, name, kSubkeyNameSize) == ERROR_SUCCESS;
}

// Deletes parent\subkey with one call, without walking below it.
void DeleteSingleKey(HKEY hive, const char* parentPath, const char* subkey) {
    RegKey parent;
    if (parent.Open(hive, parentPath, KEY_ALL_ACCESS))
        RegDeleteKeyA(parent.get(), subkey);
}

// The product key and then the maker key below one loaded profile of HKEY_USERS.
void RemoveProfileEntries(const char* profile) {
    RegKey user;
    if (!user.Open(HKEY_USERS, profile, KEY_ALL_ACCESS))
        return;
    RegDeleteKeyTree(user.get(), kProductKey);
    RegDeleteKeyIfNoSubkeys(user.get(), kMakerKey);
}

void RemoveEntriesOfEveryProfile() {
    char profile[kSubkeyNameSize];
    // The index grows after every profile, whether or not it could be used:
    // deleting below a profile never removes the profile itself.
    for (DWORD i = 0; SubkeyName(HKEY_USERS, i, profile); ++i)
        RemoveProfileEntries(profile);
}

} // namespace

BOOL RegDeleteKeyTree(HKEY parent, const char* subkey) {
    RegKey key;
    if (key.Open(parent, subkey, KEY_ALL_ACCESS)) {
        char name[kSubkeyNameSize];
        DWORD i = 0;
        while (SubkeyName(key.get(), i, name)) {
            ++i;
            // A deleted subkey moves the following ones up by one place.
            if (RegDeleteKeyTree(key.get(), name))
                --i;
        }
        key.reset();
    }
    return RegDeleteKeyA(parent, subkey) == ERROR_SUCCESS;
}

void RegDeleteKeyIfNoSubkeys(HKEY parent, const char* subkey) {
    RegKey key;
    if (!key.Open(parent, subkey, KEY_ALL_ACCESS))
        return;
    char name[kSubkeyNameSize];
    DWORD count = 0;
    while (SubkeyName(key.get(), count, name))
        ++count;
    key.reset();
    if (count == 0)
        RegDeleteKeyA(parent, subkey);
}

void RemoveRegistryEntries() {
    RegDeleteKeyTree(HKEY_LOCAL_MACHINE, kProductKey);
    RegDeleteKeyTree(HKEY_CURRENT_USER, kProductKey);
    RegDeleteKeyIfNoSubkeys(HKEY_LOCAL_MACHINE, kMakerKey);
    RegDeleteKeyIfNoSubkeys(HKEY_CURRENT_USER, kMakerKey);
    RemoveEntriesOfEveryProfile();
    RegDeleteKeyTree(HKEY_CLASSES_ROOT, kDocumentType);
    DeleteSingleKey(HKEY_LOCAL_MACHINE, kUninstallParent, kUninstallEntry);
    DeleteSingleKey(HKEY_LOCAL_MACHINE, kAppPathsParent, kAppPathsEntry);
}
