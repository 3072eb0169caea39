// The test program links the engine, which refers to the program's globals.
#include "install/file_placement.h"
#include "instances/instance_manager.h"

COXInstanceManager theInstanceManager;
PFN_ISWOW64PROCESS pfnIsWow64Process = LookUpIsWow64Process();
