// The framework's message box: owned by the program's active window when there
// is one, captioned with the application title, and given the exclamation icon
// (OK boxes) or the question icon (Yes/No boxes) when the caller names none.
#pragma once

#include <windows.h>
#include <string>

int AfxMessageBox(const std::string& text, UINT type = MB_OK);
int AfxMessageBox(UINT idPrompt, UINT type = MB_OK);
