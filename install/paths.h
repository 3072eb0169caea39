// Path and text helpers that step over double-byte characters.
#pragma once

#include <string>

std::string ParentFolder(const char* path);
void NormalizeSubPath(std::string& path);
int LastBackslash(const std::string& path);

// The folder followed by a backslash, unless it already ends in a backslash or a slash.
std::string WithSeparator(const std::string& folder);

// True when a relative name or pattern from a log would reach outside the folder it is
// joined to: an absolute path, a drive or stream colon, a leading backslash or slash, or
// a component made only of dots (two or more) and blanks. Placement and removal refuse
// such names.
bool LeavesBaseFolder(const std::string& relative);
