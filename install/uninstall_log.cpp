#include "install/uninstall_log.h"

// Placeholders until the log reader and writer are built.
bool ReadLogLine(FILE*, std::string&) { return false; }
void AppendLogLine(const std::string&, const std::string&) {}
