// The shared list of running processes of the product family, kept in a named
// file mapping that the product itself uses too.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

constexpr UINT WM_INSTANCE_ADDED = 1946;
constexpr UINT WM_INSTANCE_REMOVED = 1947;

class COXInstanceManager {
public:
    COXInstanceManager();
    ~COXInstanceManager();
    COXInstanceManager(const COXInstanceManager&) = delete;
    COXInstanceManager& operator=(const COXInstanceManager&) = delete;

    int CountInstances();
    BOOL ListInstances(std::vector<DWORD>& ids);
    BOOL AddInstance(DWORD pid);
    BOOL RemoveInstance(DWORD pid);
};

// The process's own manager, constructed before the application object.
extern COXInstanceManager theInstanceManager;
