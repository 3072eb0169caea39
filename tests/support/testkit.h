// Helpers for tests that run the built programs under Wine and watch what they do.
// Every wait has a time-out; nothing sleeps for a fixed time to let things happen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testkit {

constexpr DWORD kTimeoutMs = 30000;

// Folder of the test program: build\bin, where setup.exe is too.
std::string BinDir();
std::string SetupExe();
// Folder of the product stand-in builds: build\testbed.
std::string TestbedDir();
// A fresh, empty folder C:\qmk-tests\<name> (removed with its content first).
std::string ScratchDir(const std::string& name);
// Removes a folder and everything in it; true when it is gone.
bool RemoveTree(const std::string& path);

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool CopyTo(const std::string& from, const std::string& to);

// Polls `condition` every 20 ms until it holds or the time-out passes.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kTimeoutMs);

// A started process; killed on destruction if it still runs.
class Process {
  public:
    Process() = default;
    Process(HANDLE process, DWORD pid) : m_h(process), m_pid(pid) {}
    Process(Process&& o) noexcept;
    Process& operator=(Process&& o) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    bool valid() const { return m_h != NULL; }
    DWORD pid() const { return m_pid; }
    HANDLE handle() const { return m_h; }
    // Exit code after the process ended within the time-out, else STILL_ACTIVE.
    DWORD Wait(DWORD timeoutMs = kTimeoutMs);
    bool Running() const;
    void Kill();

  private:
    HANDLE m_h = NULL;
    DWORD m_pid = 0;
};

// Quotes an argument the way the run time splits it back.
std::string QuoteArg(const std::string& arg);
// Starts `exe` with the arguments (argv[0] is `exe`); workdir empty: the exe's folder.
Process Start(const std::string& exe, const std::vector<std::string>& args = {},
              const std::string& workdir = std::string());
// Starts and waits; the exit code, or -1 after the time-out (the process is killed).
int Run(const std::string& exe, const std::vector<std::string>& args = {},
        const std::string& workdir = std::string(), DWORD timeoutMs = kTimeoutMs);

// Top-level visible window of process `pid` (0: any) with class `cls` (empty: any)
// whose title matches `title` (empty: any), waiting up to the time-out; NULL if none.
HWND WaitForWindow(DWORD pid, const std::string& cls, const std::string& title,
                   DWORD timeoutMs = kTimeoutMs);
std::string WindowText(HWND h);

// A message box (a #32770 dialog) shown by process `pid`.
struct MessageBoxInfo {
    HWND hwnd = NULL;
    std::string caption;
    std::string text;
    bool hasIcon = false;
};
bool WaitForMessageBox(DWORD pid, MessageBoxInfo& box, DWORD timeoutMs = kTimeoutMs);
// Presses button `id` (IDYES, IDNO, IDOK, ...) of a dialog as a click would.
void PressButton(HWND dialog, int id);
// Texts of the buttons of a dialog, in child order.
std::vector<std::string> ButtonTexts(HWND dialog);

// Registry helpers for setting up and checking tests.
std::string RegGet(HKEY hive, const std::string& key, const char* value);
bool RegHas(HKEY hive, const std::string& key, const char* value = nullptr);
void RegSet(HKEY hive, const std::string& key, const char* value, const std::string& data);
void RegDeleteAll(HKEY hive, const std::string& key);

// A shortcut file read back through the shell, as the shell would open it.
struct ShortcutInfo {
    bool loaded = false;
    std::string target;
    std::string workingFolder;
    std::string description;
};
ShortcutInfo ReadShortcut(const std::string& linkPath);

} // namespace testkit
