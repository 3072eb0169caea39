#include <gtest/gtest.h>

#include "support/testkit.h"

using namespace testkit;

// The harness itself: a program of the build runs in the prefix and its exit
// code comes back; a scratch folder starts empty.
TEST(Harness, RunsProgramsOfTheBuild) {
    std::string dir = ScratchDir("harness");
    WriteFile(dir + "\\a.txt", "x");
    EXPECT_TRUE(FileExists(dir + "\\a.txt"));
    EXPECT_TRUE(FileExists(SetupExe()));
    EXPECT_EQ(ReadFile(dir + "\\a.txt"), "x");
    EXPECT_TRUE(RemoveTree(dir));
    EXPECT_FALSE(DirExists(dir));
}
