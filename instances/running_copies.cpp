#include "instances/running_copies.h"

// Placeholders until instance control is built.
HWND FindMainWindow(DWORD) { return NULL; }
void CloseRunningCopies() {}
