#include "install/registry.h"

#include "framework/handles.h"

#include <cstring>

std::string RegReadString(HKEY hive, const char* keyPath, const char* valueName) {
    RegKey key;
    if (!key.Open(hive, keyPath, KEY_READ))
        return std::string();
    char buffer[kRegValueBuffer] = {};
    DWORD type = 0;
    DWORD size = kRegValueBuffer;
    if (RegQueryValueExA(key.get(), valueName, NULL, &type, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS)
        return std::string();
    // A value that fills the whole buffer without a zero byte is not a text we can return.
    const void* zero = std::memchr(buffer, 0, size);
    if (!zero && size >= kRegValueBuffer)
        return std::string();
    if (!zero)
        buffer[size] = '\0';
    return std::string(buffer);
}

bool RegWriteString(HKEY hive, const char* keyPath, const std::string& text,
                    const char* valueName) {
    RegKey key;
    if (RegCreateKeyA(hive, keyPath, key.out()) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), valueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}
