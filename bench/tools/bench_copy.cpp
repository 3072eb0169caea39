// The bare copy loop the benchmark compares installers with: one directory
// search per folder and one CopyFileA per file, nothing else.
//   bench_copy.exe SOURCE TARGET   copies the tree SOURCE into the folder TARGET
#include "framework/handles.h"

#include <string>

namespace {
bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

void CopyTree(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), NULL);
    WIN32_FIND_DATAA fd;
    FindHandle find(FindFirstFileA((from + "\\*").c_str(), &fd));
    if (!find)
        return;
    do {
        if (IsDots(fd.cFileName))
            continue;
        std::string src = from + "\\" + fd.cFileName;
        std::string dst = to + "\\" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(src, dst);
        else
            CopyFileA(src.c_str(), dst.c_str(), FALSE);
    } while (FindNextFileA(find.get(), &fd));
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    CopyTree(argv[1], argv[2]);
    return 0;
}
