#include "install/deferred_ops.h"

// Placeholders until deferred operations are built.
bool ScheduleDeleteOnReboot(const std::string&) { return false; }
void ScheduleRenameOnReboot(const std::string&, const std::string&) {}
