#include "install/file_placement.h"

PFN_ISWOW64PROCESS LookUpIsWow64Process() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return nullptr;
    return reinterpret_cast<PFN_ISWOW64PROCESS>(GetProcAddress(kernel, "IsWow64Process"));
}
