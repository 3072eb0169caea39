// File operations carried out at the next restart.
#pragma once

#include <string>

bool ScheduleDeleteOnReboot(const std::string& path);
void ScheduleRenameOnReboot(const std::string& source, const std::string& target);
