#include <gtest/gtest.h>

#include "install/registry.h"
#include "support/testkit.h"

using namespace testkit;

namespace {
const char kKey[] = "Software\\QmkTests\\Registry";

void SetRaw(const char* name, DWORD type, const std::string& bytes) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kKey, &key), ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}
} // namespace

TEST(RegistryRead, ValuesAgainstTheBuffer) {
    RegDeleteAll(HKEY_CURRENT_USER, kKey);
    std::string text259(259, 'a');
    SetRaw("v259", REG_SZ, text259 + std::string(1, '\0'));
    SetRaw("v300", REG_SZ, std::string(300, 'b') + std::string(1, '\0'));
    SetRaw("full", REG_BINARY, std::string(260, 'c'));
    SetRaw("short", REG_BINARY, std::string("dd\0ee", 5));
    SetRaw("noterm", REG_BINARY, std::string(10, 'f'));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "v259"), text259);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "v300"), "");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "full"), "");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "short"), "dd");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "noterm"), std::string(10, 'f'));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "missing"), "");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, nullptr), "");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, "Software\\QmkTests\\NoSuchKey", "v"), "");
    RegDeleteAll(HKEY_CURRENT_USER, kKey);
}

TEST(RegistryWrite, CreatesTheKeyPathAndSetsNamedAndDefaultValues) {
    const std::string deep = std::string(kKey) + "\\a\\b\\c";
    RegDeleteAll(HKEY_CURRENT_USER, kKey);
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, deep.c_str(), "named", "Path"));
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, deep.c_str(), "default", nullptr));
    EXPECT_EQ(RegGet(HKEY_CURRENT_USER, deep, "Path"), "named");
    EXPECT_EQ(RegGet(HKEY_CURRENT_USER, deep, nullptr), "default");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, deep.c_str(), nullptr), "default");
    RegDeleteAll(HKEY_CURRENT_USER, kKey);
}
