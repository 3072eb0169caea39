#include "app/probes.h"

// Placeholders until the probes are built.
std::string FindInstalledFolder() { return std::string(); }
std::string GetProgramFilesFolder() { return std::string(); }
std::string GetPackageFolder() { return std::string(); }
void ReadProgramVersion(const std::string&) {}
