#include "install/uninstall_log.h"

#include "framework/handles.h"

#include <cstring>

bool ReadLogLine(FILE* file, std::string& line) {
    char buffer[kLogLineBuffer];
    if (!std::fgets(buffer, sizeof buffer, file))
        return false;
    size_t length = std::strlen(buffer);
    // Cut trailing blanks and control bytes, but never the first byte.
    while (length > 1 && static_cast<unsigned char>(buffer[length - 1]) <= 0x20)
        --length;
    line.assign(buffer, length);
    return true;
}

bool MatchLogTag(const std::string& line, const char* tag, std::string& argument) {
    size_t length = std::strlen(tag);
    if (line.compare(0, length, tag) != 0)
        return false;
    argument = line.substr(length);
    return true;
}

void AppendLogLine(const std::string& path, const std::string& text) {
    StdioFile log(path.c_str(), "at");
    if (!log)
        return;
    std::fputs(text.c_str(), log.get());
    std::fputc('\n', log.get());
}
