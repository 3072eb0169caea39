#pragma once

#include <windows.h>
#include <string>

// Values are read through a buffer of this size: 259 bytes of text and the zero byte.
constexpr DWORD kRegValueBuffer = 260;

// The value's text, or empty on any failure; a null name reads the default value.
std::string RegReadString(HKEY hive, const char* keyPath, const char* valueName);
// Creates the key path as needed; true when the value was set.
bool RegWriteString(HKEY hive, const char* keyPath, const std::string& text, const char* valueName);
