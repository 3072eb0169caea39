// Texts of the program's string table, by number.
#pragma once

#include <windows.h>
#include <string>

// The framework's id of the application title.
constexpr UINT AFX_IDS_APP_TITLE = 57344;

// The text of string `id` (empty when there is none), in the ANSI code page.
std::string LoadCatalogueText(UINT id);

// Loads string `id` into buffer[0..size), always zero-terminated, cut to size-1
// bytes when longer. Returns the number of bytes stored without the terminator.
int LoadCatalogueText(UINT id, char* buffer, int size);
