#include <gtest/gtest.h>

#include "install/paths.h"
#include "support/testkit.h"

using namespace testkit;

TEST(PathsParent, Table) {
    struct Case {
        const char* path;
        const char* parent;
    } cases[] = {
        {"D:\\A\\B", "D:\\A"},
        {"D:\\A\\B\\", "D:\\A"},
        {"D:\\A", "D:"},
        {"D:\\", ""},
        {"D:", ""},
        {"\\name", ""},
        {"name", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
    EXPECT_EQ(ParentFolder(nullptr), "");
}

TEST(PathsNormalize, Table) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {" /Tools/Quillmark 6/ ", "Tools\\Quillmark 6"},
        {"a//b", "a\\\\b"},
        {"\t\r\n \\/ ", ""},
        {"Group", "Group"},
    };
    for (const Case& c : cases) {
        std::string s = c.in;
        NormalizeSubPath(s);
        EXPECT_EQ(s, c.out) << c.in;
    }
}

TEST(PathsLeaveBase, Table) {
    struct Case {
        const char* name;
        bool leaves;
    } cases[] = {
        {"a.dll", false},          {"sub\\*.dll", false},
        {"..a.dll", false},        {"a..b", false},
        {"..\\outside.txt", true}, {"sub\\..\\..\\x", true},
        {"sub/../x", true},        {"..", true},
        {"sub\\..", true},         {"\\Windows\\x.dll", true},
        {"/x.dll", true},          {"C:\\x.dll", true},
        {"C:x.dll", true},         {"a.txt:stream", true},
        {". .\\x", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LeavesBaseFolder(c.name), c.leaves) << c.name;
}

// In code page 932 the trail byte of a double-byte character can be 0x5C, the code of
// the backslash. The locale of a Wine process is fixed when it starts, so this test is
// run once more by its own CTest entry with the Japanese locale (QMK_EXPECT_ACP=932);
// in the ordinary run it is skipped.
TEST(PathsDoubleByte, TrailByteIsNeverASeparator) {
    char expected[16] = {};
    GetEnvironmentVariableA("QMK_EXPECT_ACP", expected, sizeof expected);
    if (GetACP() != 932) {
        ASSERT_STREQ(expected, "") << "this run was meant to have code page 932";
        GTEST_SKIP() << "needs code page 932";
    }
    const std::string hyo = "\x95\x5C"; // a character whose trail byte is 0x5C
    EXPECT_EQ(LastBackslash("C:\\A\\" + hyo), 4);
    EXPECT_EQ(LastBackslash(hyo), -1);
    EXPECT_EQ(ParentFolder(("C:\\" + hyo).c_str()), "C:");
    EXPECT_EQ(ParentFolder(("C:\\" + hyo + "\\b").c_str()), "C:\\" + hyo);
    std::string group = " /" + hyo + "/";
    NormalizeSubPath(group);
    EXPECT_EQ(group, hyo);
    EXPECT_EQ(WithSeparator("C:\\" + hyo), "C:\\" + hyo + "\\");
    EXPECT_FALSE(LeavesBaseFolder(hyo + ".."));
    EXPECT_FALSE(LeavesBaseFolder(".." + hyo));
}
