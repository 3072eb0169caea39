#include <gtest/gtest.h>

#include "framework/handles.h"
#include "support/testkit.h"
#include "uninstall/registry_cleanup.h"

#include <string>

using namespace testkit;

namespace {

const std::string kProduct = "SOFTWARE\\Brightwell\\Quillmark 6";
const std::string kMaker = "SOFTWARE\\Brightwell";
const std::string kOtherProduct = "SOFTWARE\\Brightwell\\Lumen 2";
const std::string kUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmark 6";
const std::string kAppPaths =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QmkShot6.exe";
// A second loaded profile beside the current user's, as HKEY_USERS shows one.
const std::string kOtherProfile = "S-1-5-21-0-0-0-4242";

// Every key the cleanup may touch starts and ends absent.
class RegistryCleanup : public ::testing::Test {
  protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            RegDeleteAll(hive, kMaker);
        RegDeleteAll(HKEY_USERS, kOtherProfile);
        RegDeleteAll(HKEY_CLASSES_ROOT, "QM6.Document");
        RegDeleteAll(HKEY_LOCAL_MACHINE, kUninstall);
        RegDeleteAll(HKEY_LOCAL_MACHINE, kAppPaths);
    }
};

} // namespace

TEST_F(RegistryCleanup, RemovesEveryProductKeyWithItsSubtree) {
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        RegSet(hive, kProduct, "Path", "C:\\Program Files\\Quillmark 6");
        RegSet(hive, kProduct + "\\Options\\Capture\\Region\\Last", "Left", "10");
        RegSet(hive, kProduct + "\\Options\\Capture\\Window", "Mode", "1");
        RegSet(hive, kProduct + "\\Options\\Hotkeys", "Print", "1");
        RegSet(hive, kProduct + "\\Recent", "1", "a.png");
    }
    RegSet(HKEY_USERS, kOtherProfile + "\\" + kProduct + "\\Options\\Deep\\Deeper", "x", "1");
    RegSet(HKEY_CLASSES_ROOT, "QM6.Document\\shell\\open\\command", nullptr, "QmkShot6.exe %1");
    RegSet(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName", "Quillmark 6");
    RegSet(HKEY_LOCAL_MACHINE, kAppPaths, nullptr, "C:\\Program Files\\Quillmark 6\\QmkShot6.exe");
    ASSERT_TRUE(RegHas(HKEY_USERS, kOtherProfile + "\\" + kProduct + "\\Options\\Deep\\Deeper"));

    RemoveRegistryEntries();

    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        EXPECT_FALSE(RegHas(hive, kProduct));
        EXPECT_FALSE(RegHas(hive, kMaker)) << "the maker key held nothing else";
    }
    EXPECT_FALSE(RegHas(HKEY_USERS, kOtherProfile + "\\" + kProduct));
    EXPECT_FALSE(RegHas(HKEY_USERS, kOtherProfile + "\\" + kMaker));
    EXPECT_TRUE(RegHas(HKEY_USERS, kOtherProfile)) << "the profile itself stays";
    EXPECT_FALSE(RegHas(HKEY_CLASSES_ROOT, "QM6.Document"));
    EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kUninstall));
    EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kAppPaths));
    EXPECT_TRUE(
        RegHas(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
}

// The maker key goes only when no other key is below it; its values do not keep it.
TEST_F(RegistryCleanup, MakerKeyStaysWhileAnotherProductIsUnderIt) {
    RegSet(HKEY_LOCAL_MACHINE, kProduct, "Path", "C:\\Q");
    RegSet(HKEY_LOCAL_MACHINE, kOtherProduct, "Path", "C:\\L");
    RegSet(HKEY_CURRENT_USER, kProduct, "Path", "C:\\Q");
    RegSet(HKEY_CURRENT_USER, kMaker, "Customer", "someone");
    RegSet(HKEY_USERS, kOtherProfile + "\\" + kOtherProduct, "Path", "C:\\L");

    RemoveRegistryEntries();

    EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, kProduct));
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kOtherProduct, "Path"), "C:\\L");
    EXPECT_FALSE(RegHas(HKEY_CURRENT_USER, kMaker)) << "values alone do not keep the maker key";
    EXPECT_EQ(RegGet(HKEY_USERS, kOtherProfile + "\\" + kOtherProduct, "Path"), "C:\\L");
}

TEST_F(RegistryCleanup, WithoutProductKeysNothingChanges) {
    RegSet(HKEY_LOCAL_MACHINE, kOtherProduct + "\\Sub", "v", "1");
    RegSet(HKEY_CURRENT_USER, kOtherProduct, "v", "2");
    RegSet(HKEY_LOCAL_MACHINE, kUninstall + "X", "DisplayName", "Quillmark 6X");

    RemoveRegistryEntries();

    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kOtherProduct + "\\Sub", "v"), "1");
    EXPECT_EQ(RegGet(HKEY_CURRENT_USER, kOtherProduct, "v"), "2");
    EXPECT_EQ(RegGet(HKEY_LOCAL_MACHINE, kUninstall + "X", "DisplayName"), "Quillmark 6X");
    RegDeleteAll(HKEY_LOCAL_MACHINE, kUninstall + "X");
}

// The walk steps back after each deleted subkey: every sibling goes, none is skipped.
TEST_F(RegistryCleanup, DeleteKeyTreeRemovesEverySibling) {
    const std::string root = kMaker + "\\Tree";
    for (const char* name : {"a", "b", "c", "d", "e"})
        for (const char* child : {"1", "2", "3"})
            RegSet(HKEY_CURRENT_USER, root + "\\" + name + "\\" + child + "\\x", "v", "1");
    EXPECT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, root.c_str()));
    EXPECT_FALSE(RegHas(HKEY_CURRENT_USER, root));
    EXPECT_FALSE(RegDeleteKeyTree(HKEY_CURRENT_USER, root.c_str())) << "nothing left to delete";
}
