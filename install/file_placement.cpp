#include "install/file_placement.h"

#include "app/state.h"
#include "framework/handles.h"
#include "install/deferred_ops.h"
#include "install/paths.h"
#include "install/uninstall_log.h"

#include <cstring>
#include <vector>

PFN_ISWOW64PROCESS LookUpIsWow64Process() {
    HMODULE kernel = GetModuleHandleA("kernel32");
    if (!kernel)
        return nullptr;
    return reinterpret_cast<PFN_ISWOW64PROCESS>(GetProcAddress(kernel, "IsWow64Process"));
}

bool RunningOnWow64() {
    BOOL result = FALSE;
    if (pfnIsWow64Process)
        pfnIsWow64Process(GetCurrentProcess(), &result);
    return result != FALSE;
}

namespace {

constexpr const char kInstallTestSuffix[] = ".toinst";
constexpr const char kOldSuffix[] = ".old";
constexpr const char kNewSuffix[] = ".new";

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string TrimRight(std::string s) {
    while (!s.empty() && IsWhiteSpace(s.back()))
        s.pop_back();
    return s;
}

std::string TrimLeft(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && IsWhiteSpace(s[i]))
        ++i;
    return s.substr(i);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDots(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// "a.dll > b.dll": the source before the first '>', the target after it.
void SplitCopyTarget(const std::string& argument, std::string& source, std::string& target) {
    size_t arrow = argument.find('>');
    source = TrimRight(argument.substr(0, arrow));
    target = TrimLeft(argument.substr(arrow + 1));
}

void CopyLine(const std::string& argument) {
    if (argument.find('>') != std::string::npos) {
        std::string source, target;
        SplitCopyTarget(argument, source, target);
        if (LeavesBaseFolder(source) || LeavesBaseFolder(target))
            return;
        PlaceFile(source, m_strSrcDir, m_strInstDir, target.c_str());
        return;
    }
    if (LeavesBaseFolder(argument))
        return;
    CopyMatchingFiles(argument, m_strInstDir, m_strSrcDir);
}

// The package's own copy is hidden while the system is asked for the library, because
// the library search looks in the installer's folder first.
bool SystemProvidesLibrary(const std::string& argument) {
    std::string name = argument;
    if (name.find('>') != std::string::npos)
        name = TrimRight(name.substr(0, name.find('>')));
    std::string packaged = WithSeparator(m_strSrcDir) + name;
    std::string hidden = packaged + kInstallTestSuffix;
    MoveFileA(packaged.c_str(), hidden.c_str());
    LoadedLibrary library(LoadLibraryA(name.c_str()));
    MoveFileA(hidden.c_str(), packaged.c_str());
    return static_cast<bool>(library);
}

void MakeDirLine(const std::string& argument) {
    if (LeavesBaseFolder(argument))
        return;
    CreateDirectoryA((m_strInstDir + "\\" + argument).c_str(), NULL);
}

// Offsets of the backslashes in `path`, stepping over double-byte characters.
std::vector<size_t> Backslashes(const std::string& path) {
    std::vector<size_t> found;
    for (size_t i = 0; i < path.size();) {
        bool lead = IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size();
        if (!lead && path[i] == '\\')
            found.push_back(i);
        i += lead ? 2 : 1;
    }
    return found;
}

// Creates every missing parent of `folder`. A network folder (\\server\share\...) is
// climbed from the share on, so that no prefix is ever a relative name; any other
// folder from the start of its normalised form.
void CreateParents(const std::string& folder) {
    if (folder.compare(0, 2, "\\\\") == 0) {
        std::vector<size_t> cuts = Backslashes(folder);
        // cuts 0 and 1 are the leading pair, 2 ends the server, 3 the share.
        for (size_t k = 4; k < cuts.size(); ++k)
            CreateDirectoryA(folder.substr(0, cuts[k]).c_str(), NULL);
        return;
    }
    std::string normal = folder;
    NormalizeSubPath(normal);
    for (size_t cut : Backslashes(normal)) {
        if (cut >= 1)
            CreateDirectoryA(normal.substr(0, cut).c_str(), NULL);
    }
}

// Moves a target in use out of the way, or schedules its replacement at the next restart.
void ReplaceTargetInUse(const std::string& src, const std::string& dst) {
    std::string old = dst + kOldSuffix;
    if (Exists(old) && !DeleteFileA(old.c_str())) {
        ScheduleDeleteOnReboot(old);
        old += "2";
        DeleteFileA(old.c_str());
    }
    if (MoveFileA(dst.c_str(), old.c_str())) {
        ScheduleDeleteOnReboot(old);
        return;
    }
    ScheduleDeleteOnReboot(dst);
    std::string waiting = dst + kNewSuffix;
    DeleteFileA(waiting.c_str());
    if (CopyFileA(src.c_str(), waiting.c_str(), FALSE))
        ScheduleRenameOnReboot(waiting, dst);
}

void ClearReadOnlyAndHidden(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path.c_str(),
                           attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

} // namespace

bool CreateFolderChain(const std::string& folder) {
    if (!IsFolder(folder)) {
        CreateParents(folder);
        CreateDirectoryA(folder.c_str(), NULL);
    }
    return IsFolder(folder);
}

void CopyManifestFiles(const std::string& manifestPath) {
    bool wow = RunningOnWow64();
    StdioFile manifest(manifestPath.c_str(), "rt");
    if (!manifest)
        return;
    std::string line, argument;
    while (ReadLogLine(manifest.get(), line)) {
        if (MatchLogTag(line, kTagFileCopy, argument))
            CopyLine(argument);
        else if (wow && MatchLogTag(line, kTagFileCopyX64, argument))
            CopyLine(argument);
        else if (MatchLogTag(line, kTagFileCopyInd, argument)) {
            if (!SystemProvidesLibrary(argument))
                CopyLine(argument);
        } else if (MatchLogTag(line, kTagMakeDir, argument))
            MakeDirLine(argument);
    }
}

int CopyMatchingFiles(const std::string& pattern, const std::string& targetFolder,
                      const std::string& sourceFolder) {
    std::string spec = WithSeparator(sourceFolder) + pattern;
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(spec.c_str(), &found));
    if (!search)
        return 0;
    if (!Exists(targetFolder))
        CreateFolderChain(targetFolder);
    std::string from = sourceFolder;
    std::string to = targetFolder;
    int sub = LastBackslash(pattern);
    if (sub >= 0) {
        from = spec.substr(0, LastBackslash(spec));
        to = WithSeparator(targetFolder) + pattern.substr(0, sub);
    }
    int placed = 0;
    do {
        if (IsDots(found.cFileName) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (!PlaceFile(found.cFileName, from, to, nullptr))
            break;
        ++placed;
    } while (FindNextFileA(search.get(), &found));
    return placed;
}

bool PlaceFile(const std::string& name, const std::string& sourceFolder,
               const std::string& targetFolder, const char* targetName) {
    std::string src = WithSeparator(sourceFolder);
    std::string dst = WithSeparator(targetFolder);
    bool same = lstrcmpiA(src.c_str(), dst.c_str()) == 0;
    if (same && !targetName)
        return true;
    src += name;
    if (!Exists(src) || IsFolder(src))
        return false;
    dst += targetName ? targetName : name;
    // A folder in the target's place is never moved aside or scheduled for deletion.
    if (IsFolder(dst))
        return false;
    if (same) {
        if (Exists(dst) && !DeleteFileA(dst.c_str()))
            return true;
    } else if (Exists(dst)) {
        ClearReadOnlyAndHidden(dst);
        if (!DeleteFileA(dst.c_str()))
            ReplaceTargetInUse(src, dst);
    }
    return CopyFileA(src.c_str(), dst.c_str(), FALSE) != 0;
}
