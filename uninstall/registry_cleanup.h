#pragma once

#include <windows.h>

void RemoveRegistryEntries();
BOOL RegDeleteKeyTree(HKEY parent, const char* subkey);
void RegDeleteKeyIfNoSubkeys(HKEY parent, const char* subkey);
