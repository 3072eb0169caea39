// Removal of what an uninstall log records.
#pragma once

#include <string>

void RemoveLoggedShortcutsAndDirs(const std::string& logPath);
// tag null: all five file tags; otherwise that tag alone.
void RemoveLoggedFiles(const std::string& logPath, const std::string& baseFolder, const char* tag);
void DeleteMatchingFiles(const std::string& folder, const std::string& pattern);
