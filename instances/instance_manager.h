// The shared list of running processes of the product family, kept in a named
// file mapping that the product itself uses too.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

#include "framework/handles.h"

constexpr UINT WM_INSTANCE_ADDED = 1946;
constexpr UINT WM_INSTANCE_REMOVED = 1947;

class COXInstanceManager {
  public:
    // Joins the shared list (creating it when this is the first process of the family).
    COXInstanceManager();
    // Opens the shared list without putting this process in it: for a process
    // that only watches the list, such as the test program.
    struct WithoutRegistration {};
    explicit COXInstanceManager(WithoutRegistration);
    // Holds no shared object at all: every operation fails as when the list
    // cannot be reached. For the test program, whose tests start and watch the
    // family's processes themselves.
    struct Unattached {};
    explicit COXInstanceManager(Unattached) {}
    ~COXInstanceManager();
    COXInstanceManager(const COXInstanceManager&) = delete;
    COXInstanceManager& operator=(const COXInstanceManager&) = delete;

    int CountInstances();
    BOOL ListInstances(std::vector<DWORD>& ids);
    BOOL AddInstance(DWORD pid);
    BOOL RemoveInstance(DWORD pid);

    // Layout of the list area at the start of the shared mapping.
    static constexpr DWORD kMaxInstances = 1000;
    struct SharedList {
        DWORD header;
        DWORD count;
        DWORD ids[kMaxInstances];
    };

  private:
    void OpenSharedObjects();
    template <typename Work> bool WithList(Work work);

    std::string m_strAppName;
    DWORD m_dwListSize = 0;
    DWORD m_dwAdditionalSize = 0;
    UniqueHandle m_listMutex;
    UniqueHandle m_additionalMutex;
    UniqueHandle m_mapping;
    MappedView m_listView;
    MappedView m_additionalView;
    bool m_bRegistered = false;
};

// The process's own manager, constructed before the application object.
extern COXInstanceManager theInstanceManager;
