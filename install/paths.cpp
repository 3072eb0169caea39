#include "install/paths.h"

// Placeholders until the path helpers are built.
std::string ParentFolder(const char*) { return std::string(); }
void NormalizeSubPath(std::string&) {}
int LastBackslash(const std::string&) { return -1; }
