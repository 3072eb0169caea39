// The package manifest, which becomes the uninstall log once installed.
#pragma once

#include <cstdio>
#include <string>

constexpr const char kTagFileCopy[] = "File Copy: ";
constexpr const char kTagFileCopyX64[] = "File Copy x64: ";
constexpr const char kTagFileCopyInd[] = "File Copy ind: ";
constexpr const char kTagFileNoRemove[] = "File NoRemove: ";
constexpr const char kTagFileDel[] = "File Del: ";
constexpr const char kTagMakeDir[] = "Make Dir: ";
constexpr const char kTagMadeDir[] = "Made Dir: ";
constexpr const char kTagShellLink[] = "Shell Link: ";

constexpr const char kLogFile[] = "QmkUnInst.log";
constexpr const char kOldLogFile[] = "install.log";

// Reads the next line of an open log under the reading rule; false at end of file.
bool ReadLogLine(FILE* file, std::string& line);
// Appends `text` and a line end to the log at `path`; a line that cannot be written is dropped.
void AppendLogLine(const std::string& path, const std::string& text);
