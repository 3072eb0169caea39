#include "instances/instance_manager.h"

// Placeholder until the shared list is built: no list can be reached.
COXInstanceManager::COXInstanceManager() {}
COXInstanceManager::~COXInstanceManager() {}
int COXInstanceManager::CountInstances() { return 0; }
BOOL COXInstanceManager::ListInstances(std::vector<DWORD>&) { return FALSE; }
BOOL COXInstanceManager::AddInstance(DWORD) { return FALSE; }
BOOL COXInstanceManager::RemoveInstance(DWORD) { return FALSE; }
