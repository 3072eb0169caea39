#include "instances/running_copies.h"

#include <cstring>
#include <vector>

#include "framework/handles.h"
#include "instances/instance_manager.h"

namespace {

const UINT_PTR kCloseRequest = 1001;
std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ModulePath(HMODULE module) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string ProcessImagePath(HANDLE process) {
    std::string path(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD length = static_cast<DWORD>(path.size());
        if (QueryFullProcessImageNameA(process, 0, &path[0], &length)) {
            path.resize(length);
            return path;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return std::string();
        path.resize(path.size() * 2);
    }
    return std::string();
}

// Asks one listed copy to close and terminates it 10 ms later. A process that
// does not run a program of the family is a stale id: it is left alone.
void CloseCopy(DWORD pid, const std::string& ownExePath) {
    UniqueHandle process(
        OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process || !IsFamilyProgram(ProcessImagePath(process.get()), ownExePath))
        return;
    HWND main = FindMainWindow(pid);
    if (main)
        PostMessageA(main, WM_CLOSE, kCloseRequest, 0);
    Sleep(10);
    TerminateProcess(process.get(), 0);
}

} // namespace

bool IsFamilyProgram(const std::string& exePath, const std::string& ownExePath) {
    std::string name = FileNameOf(exePath);
    if (name.empty())
        return false;
    if (name.size() >= 3 && _strnicmp(name.c_str(), "Qmk", 3) == 0)
        return true;
    return _stricmp(name.c_str(), FileNameOf(ownExePath).c_str()) == 0;
}

void CloseRunningCopies() {
    CloseRunningCopies(theInstanceManager);
}

void CloseRunningCopies(COXInstanceManager& manager) {
    std::vector<DWORD> ids;
    if (!manager.ListInstances(ids))
        return;
    std::string ownExePath = ModulePath(NULL);
    DWORD self = GetCurrentProcessId();
    for (DWORD pid : ids) {
        if (pid != self)
            CloseCopy(pid, ownExePath);
    }
}
