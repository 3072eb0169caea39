// The bare removal loop the benchmark compares uninstallers with: one
// directory search per folder, one DeleteFileA per file, then the folders.
//   bench_delete.exe FOLDER   removes FOLDER and everything in it
#include "framework/handles.h"

#include <string>

namespace {
bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &fd));
    if (find) {
        do {
            if (IsDots(fd.cFileName))
                continue;
            std::string path = folder + "\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find.get(), &fd));
    }
    find.reset();
    RemoveDirectoryA(folder.c_str());
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    DeleteTree(argv[1]);
    return 0;
}
