// Small move-only owners for the system resources the program opens. Each
// operation opens what it needs and releases it before it returns.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <cstdio>
#include <utility>

// Owner of a handle that CloseHandle releases; NULL and INVALID_HANDLE_VALUE are both empty.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : m_h(h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        reset(o.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return m_h; }
    bool valid() const { return m_h != NULL && m_h != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }
    HANDLE release() { return std::exchange(m_h, HANDLE(NULL)); }
    void reset(HANDLE h = NULL) {
        if (valid())
            CloseHandle(m_h);
        m_h = h;
    }

private:
    HANDLE m_h = NULL;
};

// Owner of an open registry key.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY h) : m_h(h) {}
    RegKey(RegKey&& o) noexcept : m_h(std::exchange(o.m_h, HKEY(NULL))) {}
    RegKey& operator=(RegKey&& o) noexcept {
        reset(std::exchange(o.m_h, HKEY(NULL)));
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { reset(); }

    HKEY get() const { return m_h; }
    HKEY* out() {
        reset();
        return &m_h;
    }
    explicit operator bool() const { return m_h != NULL; }
    void reset(HKEY h = NULL) {
        if (m_h)
            RegCloseKey(m_h);
        m_h = h;
    }

    // Opens hive\path; false (and an empty key) when it cannot be opened.
    bool Open(HKEY hive, const char* path, REGSAM access = KEY_READ) {
        return RegOpenKeyExA(hive, path, 0, access, out()) == ERROR_SUCCESS;
    }

private:
    HKEY m_h = NULL;
};

// Owner of a directory search started with FindFirstFileA.
class FindHandle {
public:
    FindHandle() = default;
    explicit FindHandle(HANDLE h) : m_h(h) {}
    FindHandle(FindHandle&& o) noexcept : m_h(std::exchange(o.m_h, INVALID_HANDLE_VALUE)) {}
    FindHandle& operator=(FindHandle&& o) noexcept {
        reset(std::exchange(o.m_h, INVALID_HANDLE_VALUE));
        return *this;
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() { reset(); }

    HANDLE get() const { return m_h; }
    explicit operator bool() const { return m_h != INVALID_HANDLE_VALUE; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (m_h != INVALID_HANDLE_VALUE)
            FindClose(m_h);
        m_h = h;
    }

private:
    HANDLE m_h = INVALID_HANDLE_VALUE;
};

// Owner of a mapped view of a file mapping.
class MappedView {
public:
    MappedView() = default;
    explicit MappedView(void* p) : m_p(p) {}
    MappedView(MappedView&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    MappedView& operator=(MappedView&& o) noexcept {
        reset(std::exchange(o.m_p, nullptr));
        return *this;
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    ~MappedView() { reset(); }

    void* get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    void reset(void* p = nullptr) {
        if (m_p)
            UnmapViewOfFile(m_p);
        m_p = p;
    }

private:
    void* m_p = nullptr;
};

// Owner of a run-time library stream.
class StdioFile {
public:
    StdioFile() = default;
    StdioFile(const char* path, const char* mode) : m_f(std::fopen(path, mode)) {}
    StdioFile(StdioFile&& o) noexcept : m_f(std::exchange(o.m_f, nullptr)) {}
    StdioFile& operator=(StdioFile&& o) noexcept {
        reset(std::exchange(o.m_f, nullptr));
        return *this;
    }
    StdioFile(const StdioFile&) = delete;
    StdioFile& operator=(const StdioFile&) = delete;
    ~StdioFile() { reset(); }

    FILE* get() const { return m_f; }
    explicit operator bool() const { return m_f != nullptr; }
    void reset(FILE* f = nullptr) {
        if (m_f)
            std::fclose(m_f);
        m_f = f;
    }

private:
    FILE* m_f = nullptr;
};

// Owner of a COM interface pointer.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        reset(std::exchange(o.m_p, nullptr));
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T** out() {
        reset();
        return &m_p;
    }
    void** outVoid() { return reinterpret_cast<void**>(out()); }
    void reset(T* p = nullptr) {
        if (m_p)
            m_p->Release();
        m_p = p;
    }

private:
    T* m_p = nullptr;
};

// Owner of a library loaded with LoadLibraryA.
class LoadedLibrary {
public:
    LoadedLibrary() = default;
    explicit LoadedLibrary(HMODULE h) : m_h(h) {}
    LoadedLibrary(LoadedLibrary&& o) noexcept : m_h(std::exchange(o.m_h, HMODULE(NULL))) {}
    LoadedLibrary& operator=(LoadedLibrary&& o) noexcept {
        reset(std::exchange(o.m_h, HMODULE(NULL)));
        return *this;
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    ~LoadedLibrary() { reset(); }

    HMODULE get() const { return m_h; }
    explicit operator bool() const { return m_h != NULL; }
    void reset(HMODULE h = NULL) {
        if (m_h)
            FreeLibrary(m_h);
        m_h = h;
    }

private:
    HMODULE m_h = NULL;
};

// Owner of a shell item id list, freed with the shell's allocator.
class ItemIdList {
public:
    ItemIdList() = default;
    explicit ItemIdList(LPITEMIDLIST p) : m_p(p) {}
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;
    ~ItemIdList() {
        if (m_p)
            CoTaskMemFree(m_p);
    }
    LPITEMIDLIST get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    LPITEMIDLIST m_p = nullptr;
};

// COM initialised on the calling thread (single-threaded apartment) for as long
// as the owner lives; released only when this owner's call succeeded.
class ComApartment {
public:
    ComApartment() : m_hr(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }

private:
    HRESULT m_hr;
};
