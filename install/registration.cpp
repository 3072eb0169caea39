#include "install/registration.h"

#include "app/product.h"
#include "app/state.h"
#include "framework/catalogue.h"
#include "install/registry.h"
#include "res/resource.h"

#include <cstdio>

namespace {

constexpr const char kContact[] = "Support";
constexpr const char kPublisher[] = "Brightwell Technology LLC";

std::string VersionText() {
    char text[64];
    std::snprintf(text, sizeof text, "%d.%02d.%02d", nVerMajor, nVerMinor, nVerBuild);
    return text;
}

} // namespace

// Each write stands alone: one that fails does not keep the others from being made.
void RegisterProduct() {
    RegWriteString(HKEY_LOCAL_MACHINE, kProductKey, bAllUsers ? "B" : "A", kAllUsersValue);
    RegWriteString(HKEY_LOCAL_MACHINE, kProductKey, m_strInstDir, kPathValue);
    RegWriteString(HKEY_LOCAL_MACHINE, kAppPathsKey, m_strInstDir + "\\" + kProgramFile, nullptr);
    RegWriteString(HKEY_LOCAL_MACHINE, kUninstallKey, kContact, "Contact");
    RegWriteString(HKEY_LOCAL_MACHINE, kUninstallKey, LoadCatalogueText(IDS_SHORTCUT_NAME),
                   "DisplayName");
    RegWriteString(HKEY_LOCAL_MACHINE, kUninstallKey, VersionText(), "DisplayVersion");
    RegWriteString(HKEY_LOCAL_MACHINE, kUninstallKey, kPublisher, "Publisher");
    // Windows runs this as a command line: quoted, so that a folder with blanks cannot be
    // taken for a shorter program name.
    RegWriteString(HKEY_LOCAL_MACHINE, kUninstallKey,
                   "\"" + m_strInstDir + "\\" + kUninstallerFile + "\"", "UninstallString");
    RegWriteString(HKEY_LOCAL_MACHINE, kUninstallKey, kHomePage, "URLInfoAbout");
}
