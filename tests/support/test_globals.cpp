// The test program links the engine, which refers to the program's globals.
// The test program is no member of the product family: its manager holds no
// shared object, so the shared list exists only while the processes a test
// starts hold it, and every count a test reads is exactly what it started.
#include "install/file_placement.h"
#include "instances/instance_manager.h"

COXInstanceManager theInstanceManager{COXInstanceManager::Unattached()};
PFN_ISWOW64PROCESS pfnIsWow64Process = LookUpIsWow64Process();
