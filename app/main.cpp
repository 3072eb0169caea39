// The program's global objects, defined here in the order they must be built:
// the instance manager registers this process in the shared list, then the
// address of IsWow64Process is looked up, and only then is the application
// object constructed. Within one translation unit C++ constructs globals in
// the order of their definitions and destroys them in reverse.
#include "app/setup_app.h"
#include "install/file_placement.h"
#include "instances/instance_manager.h"

#include <cstdlib>

COXInstanceManager theInstanceManager;
PFN_ISWOW64PROCESS pfnIsWow64Process = LookUpIsWow64Process();
CSetupApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return AfxWinMain();
}

// The run time's default handler for an uncaught exception prints the
// exception's demangled type name, which links the whole C++ demangler into
// the program. Nothing here throws, so a plain abort serves.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
