// Names fixed by the product that several parts of the program use.
#pragma once

constexpr const char kProductFolder[] = "Quillmark 6"; // default folder and program group
constexpr const char kProgramFile[] = "QmkShot6.exe";
constexpr const char kUninstallerFile[] = "QmkUnInst.exe";
constexpr const char kProductKey[] = "SOFTWARE\\Brightwell\\Quillmark 6";
constexpr const char kMakerKey[] = "SOFTWARE\\Brightwell";
constexpr const char kPathValue[] = "Path";
constexpr const char kAllUsersValue[] = "AllUsers";
constexpr const char kAppPathsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QmkShot6.exe";
constexpr const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmark 6";
constexpr const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char kSetupNameTest[] = "setup.exe";
constexpr const char kInstanceAppName[] = "Brightwell.Quillmark-RX.v4";
constexpr const char kWindowTitlePrefix[] = "Quillmark";

// The maker's web site: one place for every address the program opens or records.
constexpr const char kMakerSite[] = "http://www.brightwell.example";
constexpr const char kHomePage[] = "http://www.brightwell.example/";
constexpr const char kLocalSite[] = "http://www.brightwell.example/hu/";
constexpr const char kInstallScriptPage[] = "http://www.brightwell.example/qmrx/InstScript.asp";
constexpr const char kInstalledPage[] = "http://www.brightwell.example/qmrx/installed.asp";
