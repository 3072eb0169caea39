// Path and text helpers that step over double-byte characters.
#pragma once

#include <string>

std::string ParentFolder(const char* path);
void NormalizeSubPath(std::string& path);
int LastBackslash(const std::string& path);
