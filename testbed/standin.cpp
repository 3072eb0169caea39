// QmkShot6.exe stand-in: a small program that behaves like the product as far as
// the installer can see. It keeps its entry in the shared instance list for as
// long as it runs, shows a main window titled "Quillmark ...", and appends what
// it receives to the file named by QMK_STANDIN_LOG:
//   started <pid>        once its windows exist
//   1946 <lParam>        WM_INSTANCE_ADDED
//   1947 <lParam>        WM_INSTANCE_REMOVED
//   WM_CLOSE <wParam>    every close request
// Switches:
//   --ignore-close       WM_CLOSE is logged but does not close the program
//   --no-main-window     only untitled, owned and tool windows (no main window)
//   --no-register        stays out of the shared list (a test plants the id itself)
//   --title TEXT         main window title instead of "Quillmark Shot 6"
//   --start-on NAME      logs "waiting <pid>", then waits for the named event to be
//                        set before it joins the list, so many copies can start at once
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/handles.h"
#include "instances/instance_manager.h"

namespace {

struct Options {
    bool ignoreClose = false;
    bool noMainWindow = false;
    bool noRegister = false;
    std::string title = "Quillmark Shot 6";
    std::string startEvent;
};

Options g_options;

Options ParseOptions() {
    Options options;
    for (int i = 1; i < __argc; ++i) {
        std::string arg = __argv[i];
        if (arg == "--ignore-close")
            options.ignoreClose = true;
        else if (arg == "--no-main-window")
            options.noMainWindow = true;
        else if (arg == "--no-register")
            options.noRegister = true;
        else if (arg == "--title" && i + 1 < __argc)
            options.title = __argv[++i];
        else if (arg == "--start-on" && i + 1 < __argc)
            options.startEvent = __argv[++i];
    }
    return options;
}

void Log(const std::string& line) {
    std::string path;
    DWORD needed = GetEnvironmentVariableA("QMK_STANDIN_LOG", NULL, 0);
    if (needed == 0)
        return;
    path.resize(needed);
    DWORD length = GetEnvironmentVariableA("QMK_STANDIN_LOG", &path[0], needed);
    path.resize(length);
    StdioFile file(path.c_str(), "a");
    if (file)
        std::fprintf(file.get(), "%s\n", line.c_str());
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INSTANCE_ADDED:
    case WM_INSTANCE_REMOVED:
        Log(std::to_string(message) + " " + std::to_string(static_cast<DWORD>(lParam)));
        return 0;
    case WM_CLOSE:
        Log("WM_CLOSE " + std::to_string(static_cast<unsigned long>(wParam)));
        if (g_options.ignoreClose)
            return 0;
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        if (GetWindow(hwnd, GW_OWNER) == NULL)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND MakeWindow(DWORD exStyle, const char* title, HWND owner) {
    return CreateWindowExA(exStyle, "QmkShot6StandIn", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           CW_USEDEFAULT, CW_USEDEFAULT, 320, 200, owner, NULL,
                           GetModuleHandleA(NULL), NULL);
}

bool CreateWindows() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "QmkShot6StandIn";
    if (!RegisterClassA(&wc))
        return false;
    if (!g_options.noMainWindow)
        return MakeWindow(0, g_options.title.c_str(), NULL) != NULL;
    // Windows that never count as a main window: untitled, owned, tool window.
    HWND untitled = MakeWindow(0, "", NULL);
    MakeWindow(0, "Quillmark owned", untitled);
    MakeWindow(WS_EX_TOOLWINDOW, "Quillmark tool", NULL);
    return untitled != NULL;
}

void WaitForStartSignal(const std::string& eventName) {
    UniqueHandle event(CreateEventA(NULL, TRUE, FALSE, eventName.c_str()));
    Log("waiting " + std::to_string(GetCurrentProcessId()));
    if (event)
        WaitForSingleObject(event.get(), INFINITE);
}

} // namespace

// Registered from WinMain, so that the options are known first; released on
// the normal exit path, which removes the entry again.
std::unique_ptr<COXInstanceManager> g_instanceManager;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    g_options = ParseOptions();
    if (!g_options.startEvent.empty())
        WaitForStartSignal(g_options.startEvent);
    if (g_options.noRegister)
        g_instanceManager.reset(new COXInstanceManager(COXInstanceManager::WithoutRegistration()));
    else
        g_instanceManager.reset(new COXInstanceManager());
    if (!CreateWindows())
        return 2;
    Log("started " + std::to_string(GetCurrentProcessId()));
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    g_instanceManager.reset();
    return 0;
}
