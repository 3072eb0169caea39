#include "uninstall/log_removal.h"

// Placeholders until log-driven removal is built.
void RemoveLoggedShortcutsAndDirs(const std::string&) {}
void RemoveLoggedFiles(const std::string&, const std::string&, const char*) {}
void DeleteMatchingFiles(const std::string&, const std::string&) {}
