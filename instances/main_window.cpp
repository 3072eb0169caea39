// The search for a process's main window, used both for the instance notices
// and for the close requests.
#include "instances/running_copies.h"

namespace {

const int kTitleBufferSize = 512;

struct MainWindowSearch {
    DWORD pid;
    HWND found;
};

std::string WindowTitle(HWND hwnd) {
    std::string title(kTitleBufferSize, '\0');
    int length = GetWindowTextA(hwnd, &title[0], kTitleBufferSize);
    title.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return title;
}

bool IsMainWindowOf(HWND hwnd, DWORD pid) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != pid)
        return false;
    if (GetWindow(hwnd, GW_OWNER) != NULL)
        return false;
    if (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
        return false;
    std::string title = WindowTitle(hwnd);
    if (title == "DDE Server Window" || title == "OleMainThreadWndName")
        return false;
    return title.compare(0, 9, "Quillmark") == 0;
}

BOOL CALLBACK TestTopLevelWindow(HWND hwnd, LPARAM param) {
    MainWindowSearch* search = reinterpret_cast<MainWindowSearch*>(param);
    if (!IsMainWindowOf(hwnd, search->pid))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

} // namespace

HWND FindMainWindow(DWORD pid) {
    MainWindowSearch search = {pid, NULL};
    EnumWindows(TestTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
