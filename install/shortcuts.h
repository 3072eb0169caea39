#pragma once

#include <windows.h>
#include <string>

extern BOOL bComInitialized;

HRESULT CreateShortcut(const std::string& target, const std::string& linkPath, const char* workingFolder);
