// The package manifest, which becomes the uninstall log once installed.
#pragma once

#include <cstdio>
#include <string>

constexpr const char kTagFileCopy[] = "File Copy: ";
constexpr const char kTagFileCopyX64[] = "File Copy x64: ";
constexpr const char kTagFileCopyInd[] = "File Copy ind: ";
constexpr const char kTagFileOverwrite[] = "File Overwrite: ";
constexpr const char kTagFileDel[] = "File Del: ";
constexpr const char kTagMakeDir[] = "Make Dir: ";
constexpr const char kTagMadeDir[] = "Made Dir: ";
constexpr const char kTagShellLink[] = "Shell Link: ";

constexpr const char kLogFile[] = "QmkUnInst.log";
constexpr const char kOldLogFile[] = "install.log";

// Lines are read in pieces of at most this many bytes minus one.
constexpr int kLogLineBuffer = 512;

// Reads the next line of an open log under the reading rule; false at end of file.
bool ReadLogLine(FILE* file, std::string& line);
// True when `line` begins with the exact bytes of `tag`; `argument` gets the rest.
bool MatchLogTag(const std::string& line, const char* tag, std::string& argument);
// Appends `text` and a line end to the log at `path`; a line that cannot be written is dropped.
void AppendLogLine(const std::string& path, const std::string& text);
