// Finding the product's main window and closing running copies.
#pragma once

#include <windows.h>

HWND FindMainWindow(DWORD pid);
void CloseRunningCopies();
