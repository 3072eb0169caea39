// Look-ups made before the install driver decides anything.
#pragma once

#include <string>

std::string FindInstalledFolder();
std::string GetProgramFilesFolder();
std::string GetPackageFolder();
// Sets nVerMajor, nVerMinor, nVerBuild and nVerBeta from the file version (all 0 without one).
void ReadProgramVersion(const std::string& path);
