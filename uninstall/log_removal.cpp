#include "uninstall/log_removal.h"

#include "framework/handles.h"
#include "install/paths.h"
#include "install/uninstall_log.h"

#include <windows.h>

#include <cstring>

namespace {

// No attribute left is written as FILE_ATTRIBUTE_NORMAL.
DWORD NormalAttributes(DWORD attributes) {
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

constexpr const char kTrailer[] = " | ";
constexpr const char kShortcutSuffix[] = ".lnk";
const char* const kFileTags[] = {kTagFileCopy, kTagFileCopyX64, kTagFileCopyInd, kTagFileOverwrite,
                                 kTagFileDel};

// Paths handed to the file system hold at most 259 characters.
bool FitsPathLimit(const std::string& path) {
    return path.size() < MAX_PATH;
}

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A log may lie in a folder the user can write, and the uninstaller may run with more
// rights: a "Shell Link: " line deletes nothing but a shortcut file.
bool IsShortcutFile(const std::string& path) {
    size_t n = std::strlen(kShortcutSuffix);
    return path.size() >= n && lstrcmpiA(path.c_str() + path.size() - n, kShortcutSuffix) == 0;
}

void DeleteShortcuts(FILE* log) {
    std::string line, path;
    while (ReadLogLine(log, line)) {
        if (MatchLogTag(line, kTagShellLink, path) && IsShortcutFile(path) && FitsPathLimit(path))
            DeleteFileA(path.c_str());
    }
}

// Removes the folder, then each parent in turn while removal succeeds.
void RemoveFolderAndEmptyParents(std::string folder) {
    while (!folder.empty() && FitsPathLimit(folder) && RemoveDirectoryA(folder.c_str()))
        folder = ParentFolder(folder.c_str());
}

void RemoveMadeFolders(FILE* log) {
    std::string line, folder;
    while (ReadLogLine(log, line)) {
        if (MatchLogTag(line, kTagMadeDir, folder))
            RemoveFolderAndEmptyParents(folder);
    }
}

// The name a "File" line removes: the trailer cut, then the '>' target if there is one.
std::string RemovedName(std::string argument) {
    size_t trailer = argument.find(kTrailer);
    if (trailer != std::string::npos)
        argument.erase(trailer);
    size_t arrow = argument.find('>');
    if (arrow == std::string::npos)
        return argument;
    size_t start = arrow + 1;
    while (start < argument.size() && IsWhiteSpace(argument[start]))
        ++start;
    return argument.substr(start);
}

void DeleteLoggedFiles(FILE* log, const std::string& baseFolder, const char* tag) {
    std::string line, argument;
    while (ReadLogLine(log, line)) {
        for (const char* fileTag : kFileTags) {
            if (tag && std::strcmp(tag, fileTag) != 0)
                continue;
            if (!MatchLogTag(line, fileTag, argument))
                continue;
            std::string name = RemovedName(argument);
            if (!LeavesBaseFolder(name))
                DeleteMatchingFiles(baseFolder, name);
        }
    }
}

void RemoveMadeSubfolders(FILE* log, const std::string& baseFolder) {
    std::string line, sub;
    while (ReadLogLine(log, line)) {
        if (!MatchLogTag(line, kTagMakeDir, sub) || LeavesBaseFolder(sub))
            continue;
        std::string folder = baseFolder + "\\" + sub;
        if (FitsPathLimit(folder))
            RemoveDirectoryA(folder.c_str());
    }
}

} // namespace

void RemoveLoggedShortcutsAndDirs(const std::string& logPath) {
    StdioFile log(logPath.c_str(), "rt");
    if (!log)
        return;
    DeleteShortcuts(log.get());
    std::rewind(log.get());
    RemoveMadeFolders(log.get());
}

void RemoveLoggedFiles(const std::string& logPath, const std::string& baseFolder, const char* tag) {
    StdioFile log(logPath.c_str(), "rt");
    if (!log)
        return;
    DeleteLoggedFiles(log.get(), baseFolder, tag);
    std::rewind(log.get());
    RemoveMadeSubfolders(log.get(), baseFolder);
}

void DeleteMatchingFiles(const std::string& folder, const std::string& pattern) {
    std::string prefix = folder.empty() ? folder : WithSeparator(folder);
    std::string search = prefix + pattern;
    if (!FitsPathLimit(search))
        return;
    int sub = LastBackslash(pattern);
    std::string subfolder = sub >= 0 ? pattern.substr(0, sub + 1) : std::string();
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA(search.c_str(), &found));
    if (!find)
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::string path = prefix + subfolder + found.cFileName;
        if (!FitsPathLimit(path))
            continue;
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesA(
                path.c_str(),
                NormalAttributes(attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)));
        DeleteFileA(path.c_str());
    } while (FindNextFileA(find.get(), &found));
}
