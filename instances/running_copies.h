// Finding the product's main window and closing running copies.
#pragma once

#include <windows.h>
#include <string>

HWND FindMainWindow(DWORD pid);
void CloseRunningCopies();
// The same with the list of a given manager (the process's own one above).
class COXInstanceManager;
void CloseRunningCopies(COXInstanceManager& manager);

// True when `exePath` is one of the product family's programs: its file name
// begins with "Qmk" or equals the file name of `ownExePath` (case ignored).
bool IsFamilyProgram(const std::string& exePath, const std::string& ownExePath);
