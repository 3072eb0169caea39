#include "install/registry.h"

// Placeholders until the registry helpers are built.
std::string RegReadString(HKEY, const char*, const char*) { return std::string(); }
bool RegWriteString(HKEY, const char*, const std::string&, const char*) { return false; }
