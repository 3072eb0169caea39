// Times a program from inside the Wine prefix, so that process start-up is
// measured the same way for every row of the benchmark.
//
//   bench_timer.exe wait TIMEOUT FOLDER COMMAND
//       Starts COMMAND in FOLDER and waits until it and every process it left
//       behind have ended (an uninstaller that restarts from a temporary copy
//       ends long after its first process). Wine's own service processes are
//       not waited for.
//   bench_timer.exe window TIMEOUT FOLDER page|any COMMAND
//       Starts COMMAND and waits until it shows a visible top-level window;
//       with "page", until that window also holds a visible child dialog (a
//       wizard page). The target is then ended.
//
// Prints "BENCH seconds=S exit=C" on success; exit code 0 when the figure was
// taken, 2 on a usage error, 3 when the program could not be started, 4 on a
// time-out or when the window never appeared.
#include "framework/handles.h"

#include <tlhelp32.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

class Clock {
  public:
    Clock() {
        QueryPerformanceFrequency(&m_freq);
        QueryPerformanceCounter(&m_start);
    }
    double Seconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return double(now.QuadPart - m_start.QuadPart) / double(m_freq.QuadPart);
    }

  private:
    LARGE_INTEGER m_freq{};
    LARGE_INTEGER m_start{};
};

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Wine's service processes come and go with the prefix, not with the program.
bool IsWineService(const std::string& exe) {
    static const std::set<std::string> names = {
        "services.exe", "winedevice.exe", "plugplay.exe", "explorer.exe", "svchost.exe",
        "rpcss.exe",    "conhost.exe",    "tabtip.exe",   "wineboot.exe", "winemenubuilder.exe"};
    return names.count(Lower(exe)) != 0;
}

std::set<DWORD> ProcessIds(bool servicesToo) {
    std::set<DWORD> ids;
    UniqueHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap)
        return ids;
    PROCESSENTRY32 pe;
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(snap.get(), &pe); ok; ok = Process32Next(snap.get(), &pe)) {
        if (servicesToo || !IsWineService(pe.szExeFile))
            ids.insert(pe.th32ProcessID);
    }
    return ids;
}

DWORD Remaining(const Clock& clock, double timeout) {
    double left = timeout - clock.Seconds();
    return left <= 0 ? 0 : static_cast<DWORD>(left * 1000.0) + 1;
}

bool Start(const std::string& folder, const std::string& command, PROCESS_INFORMATION& pi) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    return CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, folder.c_str(), &si,
                          &pi) != 0;
}

std::vector<DWORD> NewProcesses(const std::set<DWORD>& before) {
    const DWORD self = GetCurrentProcessId();
    std::vector<DWORD> fresh;
    for (DWORD id : ProcessIds(false)) {
        if (id != self && !before.count(id))
            fresh.push_back(id);
    }
    return fresh;
}

// A program that hangs (a message box in a silent run) must not hold up the
// rows after it.
void EndNewProcesses(const std::set<DWORD>& before) {
    for (DWORD id : NewProcesses(before)) {
        UniqueHandle h(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (h) {
            TerminateProcess(h.get(), 1);
            WaitForSingleObject(h.get(), 5000);
        }
    }
}

// Waits for every process that was not there before the start.
bool WaitForNewProcesses(const std::set<DWORD>& before, const Clock& clock, double timeout) {
    for (;;) {
        std::vector<DWORD> fresh = NewProcesses(before);
        if (fresh.empty())
            return true;
        for (DWORD id : fresh) {
            UniqueHandle h(OpenProcess(SYNCHRONIZE, FALSE, id));
            if (h && WaitForSingleObject(h.get(), Remaining(clock, timeout)) == WAIT_TIMEOUT) {
                EndNewProcesses(before);
                return false;
            }
        }
    }
}

int RunAndWait(double timeout, const std::string& folder, const std::string& command) {
    std::set<DWORD> before = ProcessIds(true);
    PROCESS_INFORMATION pi{};
    Clock clock;
    if (!Start(folder, command, pi)) {
        std::printf("BENCH error=start code=%lu\n", GetLastError());
        return 3;
    }
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    if (WaitForSingleObject(process.get(), Remaining(clock, timeout)) == WAIT_TIMEOUT) {
        EndNewProcesses(before);
        std::printf("BENCH error=timeout\n");
        return 4;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    if (!WaitForNewProcesses(before, clock, timeout)) {
        std::printf("BENCH error=timeout\n");
        return 4;
    }
    double seconds = clock.Seconds();
    std::printf("BENCH seconds=%.4f exit=%lu\n", seconds, code);
    return 0;
}

struct WindowSearch {
    DWORD pid;
    bool needPage;
    bool found;
};

BOOL CALLBACK FindPage(HWND child, LPARAM lp) {
    char cls[16] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (IsWindowVisible(child) && std::string(cls) == "#32770") {
        *reinterpret_cast<bool*>(lp) = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindTopWindow(HWND top, LPARAM lp) {
    WindowSearch& s = *reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(top, &pid);
    if (pid != s.pid || !IsWindowVisible(top))
        return TRUE;
    bool page = !s.needPage;
    if (!page)
        EnumChildWindows(top, FindPage, reinterpret_cast<LPARAM>(&page));
    s.found = page;
    return page ? FALSE : TRUE;
}

int RunUntilWindow(double timeout, const std::string& folder, bool needPage,
                   const std::string& command) {
    PROCESS_INFORMATION pi{};
    Clock clock;
    if (!Start(folder, command, pi)) {
        std::printf("BENCH error=start code=%lu\n", GetLastError());
        return 3;
    }
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    WindowSearch search{pi.dwProcessId, needPage, false};
    double seconds = 0;
    for (;;) {
        EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            seconds = clock.Seconds();
            break;
        }
        if (WaitForSingleObject(process.get(), 1) == WAIT_OBJECT_0 || clock.Seconds() > timeout)
            break;
    }
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 10000);
    if (!search.found) {
        std::printf("BENCH error=nowindow\n");
        return 4;
    }
    std::printf("BENCH seconds=%.4f exit=0\n", seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "wait")
        return RunAndWait(std::atof(argv[2]), argv[3], argv[4]);
    if (argc == 6 && std::string(argv[1]) == "window")
        return RunUntilWindow(std::atof(argv[2]), argv[3], std::string(argv[4]) == "page", argv[5]);
    std::fprintf(stderr, "usage: bench_timer wait|window TIMEOUT FOLDER [page|any] COMMAND\n");
    return 2;
}
