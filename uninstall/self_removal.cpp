// The uninstaller cannot delete its own executable while it runs, so the
// installed copy starts a temporary copy of itself and ends; the temporary copy
// removes the installation, the installed uninstaller included, and has its own
// file deleted at the next restart.
#include "uninstall/self_removal.h"

#include "app/state.h"
#include "framework/handles.h"
#include "framework/msgbox.h"
#include "install/deferred_ops.h"
#include "res/resource.h"
#include "uninstall/uninstall_sequence.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr const char kTempPrefix[] = "uni";
constexpr const char kDelSelfOption[] = "-delself";
constexpr const char kSilentOption[] = "-s";
constexpr DWORD kWaitForFirstProcessMs = 1000;

// The running program's full path, or empty when it does not fit MAX_PATH.
std::string OwnPath() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::string();
    return std::string(path, n);
}

// A new empty file named uni*.tmp in the temporary folder, or empty on failure.
std::string CreateTemporaryFile() {
    char folder[MAX_PATH] = {};
    DWORD n = GetTempPathA(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH)
        return std::string();
    char file[MAX_PATH] = {};
    if (!GetTempFileNameA(folder, kTempPrefix, 0, file))
        return std::string();
    return file;
}

std::string QuotedWhenBlank(const std::string& path) {
    if (path.find_first_of(" \t") == std::string::npos)
        return path;
    return "\"" + path + "\"";
}

// Starts `program` with `commandLine`, inheriting the current directory and the
// environment, without waiting for it.
bool StartDetached(const std::string& program, const std::string& commandLine) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(program.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return false;
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    return true;
}

} // namespace

std::string SelfRemovalCommandLine(const std::string& temporaryCopy,
                                   const std::string& installedUninstaller, BOOL silent) {
    std::string line = QuotedWhenBlank(temporaryCopy);
    line += " ";
    line += kDelSelfOption;
    line += " ";
    line += QuotedWhenBlank(installedUninstaller);
    if (silent) {
        line += " ";
        line += kSilentOption;
    }
    return line;
}

std::string InstallationFolderOf(const std::string& path) {
    const char* start = path.c_str();
    size_t end = 0;
    for (const char* p = start; *p; p = CharNextA(p)) {
        size_t at = static_cast<size_t>(p - start);
        if (*p == '\\' || *p == '/' || (at == 1 && *p == ':'))
            end = at + 1;
    }
    return path.substr(0, end);
}

BOOL StartSelfRemoval() {
    std::string temporaryCopy = CreateTemporaryFile();
    std::string self = OwnPath();
    if (temporaryCopy.empty() || self.empty())
        return FALSE;
    if (!CopyFileA(self.c_str(), temporaryCopy.c_str(), FALSE))
        return FALSE;
    if (!StartDetached(temporaryCopy, SelfRemovalCommandLine(temporaryCopy, self, bSilent)))
        return FALSE;
    // The normal exit path, so that this process also leaves the shared instance list.
    std::exit(0);
}

void RunDelSelfPhase(const std::string& installedUninstaller) {
    // The first process ends right after starting this one; give it the time
    // to release its executable.
    Sleep(kWaitForFirstProcessMs);
    std::string self = OwnPath();
    if (!self.empty())
        ScheduleDeleteOnReboot(self);
    std::string folder = InstallationFolderOf(installedUninstaller);
    DeleteFileA(installedUninstaller.c_str());
    RemoveInstallation(folder);
    if (!bSilent)
        AfxMessageBox(IDS_UNINSTALL_DONE, MB_OK | MB_ICONEXCLAMATION);
    std::exit(0);
}
