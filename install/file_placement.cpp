#include "install/file_placement.h"

PFN_ISWOW64PROCESS LookUpIsWow64Process() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return nullptr;
    return reinterpret_cast<PFN_ISWOW64PROCESS>(GetProcAddress(kernel, "IsWow64Process"));
}

// Placeholders until file placement is built.
bool RunningOnWow64() { return false; }
void CopyManifestFiles(const std::string&) {}
int CopyMatchingFiles(const std::string&, const std::string&, const std::string&) { return 0; }
bool PlaceFile(const std::string&, const std::string&, const std::string&, const char*) {
    return false;
}
