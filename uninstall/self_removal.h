// The uninstaller's two processes: the installed copy starts a temporary copy
// of itself, which removes the installation and the installed uninstaller.
#pragma once

#include <windows.h>
#include <string>

// Starts the temporary copy and ends this process with exit code 0; returns
// FALSE only when no copy could be started.
BOOL StartSelfRemoval();
// The temporary copy's work; ends the process with exit code 0.
void RunDelSelfPhase(const std::string& installedUninstaller);

// The temporary copy's command line: its own path, "-delself", the installed
// uninstaller's path (each path quoted when it holds a blank or a tab), and
// "-s" when silent. Built without a length limit.
std::string SelfRemovalCommandLine(const std::string& temporaryCopy,
                                   const std::string& installedUninstaller, BOOL silent);
// Drive and directory of `path`, ending with its last separator.
std::string InstallationFolderOf(const std::string& path);
