#pragma once

#include <string>

// Removes the installation in `folder` (with or without a trailing backslash).
void RemoveInstallation(const std::string& folder);
