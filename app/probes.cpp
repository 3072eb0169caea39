#include "app/probes.h"

#include "app/product.h"
#include "app/state.h"
#include "install/paths.h"
#include "install/registry.h"

#include <windows.h>

#include <vector>

namespace {

constexpr const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char kProgramFilesValue[] = "ProgramFilesDir";
constexpr const char kProgramFilesName[] = "Program Files";
constexpr const char kProgramInPath[] = "\\QmkShot6.exe";

void DropOneTrailingBackslash(std::string& folder) {
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
}

std::string FolderFromAppPath(const std::string& appPath) {
    const size_t at = appPath.find(kProgramInPath);
    return at == std::string::npos ? std::string() : appPath.substr(0, at);
}

std::string WindowsFolderDriveRoot() {
    char buffer[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    std::string folder = length < MAX_PATH ? std::string(buffer, length) : std::string();
    const size_t slash = folder.find('\\');
    if (slash != std::string::npos)
        folder.erase(slash + 1);
    return folder;
}

void SetVersion(int major, int minor, int build, int beta) {
    nVerMajor = major;
    nVerMinor = minor;
    nVerBuild = build;
    nVerBeta = beta;
}

} // namespace

std::string FindInstalledFolder() {
    std::string folder = RegReadString(HKEY_LOCAL_MACHINE, kProductKey, kPathValue);
    if (folder.empty())
        folder = FolderFromAppPath(RegReadString(HKEY_LOCAL_MACHINE, kAppPathsKey, nullptr));
    DropOneTrailingBackslash(folder);
    return folder;
}

std::string GetProgramFilesFolder() {
    std::string folder = RegReadString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue);
    if (folder.empty())
        folder = WindowsFolderDriveRoot() + kProgramFilesName;
    DropOneTrailingBackslash(folder);
    return folder;
}

std::string GetPackageFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(NULL, buffer, MAX_PATH);
    const std::string path(buffer, length < MAX_PATH ? length : MAX_PATH - 1);
    const int slash = LastBackslash(path);
    return slash < 0 ? std::string() : path.substr(0, slash);
}

void ReadProgramVersion(const std::string& path) {
    SetVersion(0, 0, 0, 0);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
        infoSize < sizeof(VS_FIXEDFILEINFO))
        return;
    SetVersion(HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
               HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
}
