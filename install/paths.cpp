#include "install/paths.h"

#include <windows.h>

namespace {

// Length in bytes of the character that starts at `i`: 2 for a lead byte with its trail.
size_t CharLength(const std::string& s, size_t i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(s[i])) && i + 1 < s.size())
        return 2;
    return 1;
}

bool IsTrimmed(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\\';
}

bool IsDotsComponent(const std::string& component) {
    int dots = 0;
    for (char c : component) {
        if (c == '.')
            ++dots;
        else if (c != ' ')
            return false;
    }
    return dots >= 2;
}

} // namespace

int LastBackslash(const std::string& path) {
    int last = -1;
    for (size_t i = 0; i < path.size(); i += CharLength(path, i)) {
        if (path[i] == '\\')
            last = static_cast<int>(i);
    }
    return last;
}

std::string ParentFolder(const char* path) {
    if (!path)
        return std::string();
    std::string folder(path);
    if (!folder.empty() && LastBackslash(folder) == static_cast<int>(folder.size()) - 1)
        folder.erase(folder.size() - 1);
    int p = LastBackslash(folder);
    if (p > 0)
        return folder.substr(0, p);
    return std::string();
}

void NormalizeSubPath(std::string& path) {
    for (size_t i = 0; i < path.size(); i += CharLength(path, i)) {
        if (path[i] == '/')
            path[i] = '\\';
    }
    size_t begin = 0;
    while (begin < path.size() && IsTrimmed(path[begin]))
        ++begin;
    // The end is found walking forwards, so that a trail byte is never taken for a separator.
    size_t end = begin;
    for (size_t i = begin; i < path.size();) {
        size_t n = CharLength(path, i);
        if (n == 2 || !IsTrimmed(path[i]))
            end = i + n;
        i += n;
    }
    path = path.substr(begin, end - begin);
}

std::string WithSeparator(const std::string& folder) {
    size_t lastChar = std::string::npos;
    for (size_t i = 0; i < folder.size(); i += CharLength(folder, i))
        lastChar = i;
    if (lastChar != std::string::npos && lastChar + 1 == folder.size() &&
        (folder[lastChar] == '\\' || folder[lastChar] == '/'))
        return folder;
    return folder + "\\";
}

bool LeavesBaseFolder(const std::string& relative) {
    if (relative.empty())
        return false;
    if (relative[0] == '\\' || relative[0] == '/')
        return true;
    std::string component;
    for (size_t i = 0; i < relative.size();) {
        size_t n = CharLength(relative, i);
        char c = relative[i];
        if (n == 1 && c == ':')
            return true;
        if (n == 1 && (c == '\\' || c == '/')) {
            if (IsDotsComponent(component))
                return true;
            component.clear();
        } else {
            component.append(relative, i, n);
        }
        i += n;
    }
    return IsDotsComponent(component);
}
