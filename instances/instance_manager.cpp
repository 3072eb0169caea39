#include "instances/instance_manager.h"

#include "instances/running_copies.h"

namespace {

const char kAppName[] = "Brightwell.Quillmark-RX.v4";
const char kListMutexPrefix[] = "COXInstanceManager_InstanceList_Mutex_";
const char kAdditionalMutexPrefix[] = "COXInstanceManager_Additional_Mutex_";
const char kFileMapPrefix[] = "COXInstanceManager_FileMap_";
const DWORD kNominalListSize = 4008;
const DWORD kNominalAdditionalSize = 1024;

// Holds a mutex from construction to destruction. A mutex left behind by a
// process that ended while holding it is taken over as it is.
class MutexLock {
  public:
    explicit MutexLock(HANDLE mutex) : m_mutex(mutex) {
        DWORD wait = WaitForSingleObject(m_mutex, INFINITE);
        m_bHeld = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~MutexLock() {
        if (m_bHeld)
            ReleaseMutex(m_mutex);
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

  private:
    HANDLE m_mutex;
    bool m_bHeld = false;
};

DWORD RoundUpToGranularity(DWORD size) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    DWORD unit = info.dwAllocationGranularity ? info.dwAllocationGranularity : 1;
    return (size + unit - 1) / unit * unit;
}

void PostToListed(const COXInstanceManager::SharedList& list, UINT message, DWORD pid) {
    for (DWORD i = 0; i < list.count && i < COXInstanceManager::kMaxInstances; ++i) {
        HWND main = FindMainWindow(list.ids[i]);
        if (main)
            PostMessageA(main, message, 0, static_cast<LPARAM>(pid));
    }
}

} // namespace

COXInstanceManager::COXInstanceManager() : COXInstanceManager(WithoutRegistration()) {
    m_bRegistered = AddInstance(GetCurrentProcessId()) != FALSE;
}

COXInstanceManager::COXInstanceManager(WithoutRegistration) {
    OpenSharedObjects();
}

COXInstanceManager::~COXInstanceManager() {
    if (m_bRegistered)
        RemoveInstance(GetCurrentProcessId());
    m_additionalView.reset();
    m_mapping.reset();
    m_additionalMutex.reset();
    m_listMutex.reset();
}

// Creates or opens the mutexes and the mapping. The list mutex is held from
// before the mapping exists until a new list is initialised, so no other
// process can add itself to a list that is about to be cleared.
void COXInstanceManager::OpenSharedObjects() {
    m_strAppName = kAppName;
    m_dwAdditionalSize = kNominalAdditionalSize;
    m_listMutex.reset(CreateMutexA(NULL, FALSE, (kListMutexPrefix + m_strAppName).c_str()));
    m_additionalMutex.reset(
        CreateMutexA(NULL, FALSE, (kAdditionalMutexPrefix + m_strAppName).c_str()));
    m_dwListSize = kNominalListSize;
    m_dwListSize = RoundUpToGranularity(m_dwListSize);
    m_dwAdditionalSize = RoundUpToGranularity(m_dwAdditionalSize);

    MutexLock lock(m_listMutex.get());
    m_mapping.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE | SEC_COMMIT, 0,
                                       m_dwListSize + m_dwAdditionalSize,
                                       (kFileMapPrefix + m_strAppName).c_str()));
    bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (!existed) {
        WithList([](SharedList& list) {
            list.header = 1;
            list.count = 0;
            for (DWORD& id : list.ids)
                id = 0;
            return true;
        });
    }
}

// One operation on the list: map the list area, lock, work, unmap, unlock.
// False at once, without locking, when the list cannot be mapped.
template <typename Work> bool COXInstanceManager::WithList(Work work) {
    if (!m_mapping)
        return false;
    void* view = MapViewOfFile(m_mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, m_dwListSize);
    if (!view)
        return false;
    MutexLock lock(m_listMutex.get());
    m_listView.reset(view);
    bool result = work(*static_cast<SharedList*>(m_listView.get()));
    m_listView.reset();
    return result;
}

int COXInstanceManager::CountInstances() {
    int count = 0;
    WithList([&](SharedList& list) {
        count = static_cast<int>(list.count);
        return true;
    });
    return count;
}

BOOL COXInstanceManager::ListInstances(std::vector<DWORD>& ids) {
    return WithList([&](SharedList& list) {
        DWORD count = list.count < kMaxInstances ? list.count : kMaxInstances;
        ids.assign(list.ids, list.ids + count);
        return true;
    });
}

BOOL COXInstanceManager::AddInstance(DWORD pid) {
    return WithList([&](SharedList& list) {
        if (list.count >= kMaxInstances)
            return false;
        PostToListed(list, WM_INSTANCE_ADDED, pid);
        list.ids[list.count] = pid;
        ++list.count;
        return true;
    });
}

BOOL COXInstanceManager::RemoveInstance(DWORD pid) {
    return WithList([&](SharedList& list) {
        DWORD count = list.count < kMaxInstances ? list.count : kMaxInstances;
        DWORD found = 0;
        while (found < count && list.ids[found] != pid)
            ++found;
        if (found == count)
            return false;
        for (DWORD i = found + 1; i < count; ++i)
            list.ids[i - 1] = list.ids[i];
        list.count = count - 1;
        PostToListed(list, WM_INSTANCE_REMOVED, pid);
        return true;
    });
}
