#include <gtest/gtest.h>

#include "support/testkit.h"
#include "uninstall/log_removal.h"

#include <vector>

using namespace testkit;

namespace {

// Every case works in a fresh folder B: `make` lists what is created there first
// (names ending in '\' are folders, a leading '!' makes a file read-only and hidden),
// then the log is applied and `kept` and `gone` are checked. "$" in the log stands for B.
struct RemovalCase {
    const char* name;
    const char* log;
    std::vector<std::string> make;
    std::vector<std::string> kept;
    std::vector<std::string> gone;
};

std::string Expand(std::string text, const std::string& base) {
    for (size_t p; (p = text.find('$')) != std::string::npos;)
        text.replace(p, 1, base);
    return text;
}

std::string Prepare(const RemovalCase& c) {
    std::string base = ScratchDir(std::string("removal-") + c.name) + "\\B";
    CreateDirectoryA(base.c_str(), NULL);
    for (std::string entry : c.make) {
        bool hidden = entry[0] == '!';
        if (hidden)
            entry.erase(0, 1);
        std::string path = Expand(entry, base);
        if (path.back() == '\\') {
            CreateDirectoryA(path.c_str(), NULL);
            continue;
        }
        WriteFile(path, "x");
        if (hidden)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    }
    WriteFile(base + "\\..\\test.log", Expand(c.log, base));
    return base;
}

void Check(const RemovalCase& c, const std::string& base) {
    for (const std::string& k : c.kept) {
        std::string path = Expand(k, base);
        EXPECT_TRUE(FileExists(path) || DirExists(path)) << c.name << ": " << path << " kept";
    }
    for (const std::string& g : c.gone) {
        std::string path = Expand(g, base);
        EXPECT_FALSE(FileExists(path) || DirExists(path)) << c.name << ": " << path << " gone";
    }
}

} // namespace

TEST(RemovalFiles, LogLinesAgainstTheBaseFolder) {
    const RemovalCase cases[] = {
        {"arrow",
         "File Copy: a.dll > b.dll\n",
         {"$\\a.dll", "$\\b.dll"},
         {"$\\a.dll"},
         {"$\\b.dll"}},
        {"trailer", "File Copy: x.dll | note\n", {"$\\x.dll"}, {}, {"$\\x.dll"}},
        {"subpattern",
         "File Copy: sub\\*.txt\n",
         {"$\\sub\\", "!$\\sub\\h.txt", "$\\sub\\n.txt", "$\\sub\\keep.bin"},
         {"$\\sub", "$\\sub\\keep.bin"},
         {"$\\sub\\h.txt", "$\\sub\\n.txt"}},
        {"alltags",
         "File Copy x64: w.dll\nFile Copy ind: i.dll\nFile Overwrite: o.ini\nFile Del: d.dll\n",
         {"$\\w.dll", "$\\i.dll", "$\\o.ini", "$\\d.dll"},
         {},
         {"$\\w.dll", "$\\i.dll", "$\\o.ini", "$\\d.dll"}},
        {"nested", "Make Dir: a\nMake Dir: a\\b\n", {"$\\a\\", "$\\a\\b\\"}, {"$\\a"}, {"$\\a\\b"}},
        {"folders", "File Copy: *\n", {"$\\f\\", "$\\g.txt"}, {"$\\f"}, {"$\\g.txt"}},
        {"outside",
         "File Del: ..\\outside.txt\nFile Copy: x > ..\\outside.txt\nFile Copy: \\outside.txt\n"
         "Make Dir: ..\\emptyout\n",
         {"$\\..\\outside.txt", "$\\..\\emptyout\\"},
         {"$\\..\\outside.txt", "$\\..\\emptyout"},
         {}},
    };
    for (const RemovalCase& c : cases) {
        std::string base = Prepare(c);
        RemoveLoggedFiles(base + "\\..\\test.log", base, nullptr);
        Check(c, base);
    }
}

TEST(RemovalFiles, OneTagAloneStillRemovesEmptyMakeDirFolders) {
    RemovalCase c = {"onetag",
                     "File Copy: keep.dll\nFile Del: old.dll | gone since 6.1\nMake Dir: empty\n",
                     {"$\\keep.dll", "$\\old.dll", "$\\empty\\"},
                     {"$\\keep.dll"},
                     {"$\\old.dll", "$\\empty"}};
    std::string base = Prepare(c);
    RemoveLoggedFiles(base + "\\..\\test.log", base, "File Del: ");
    Check(c, base);
}

TEST(RemovalShortcuts, LinksFirstThenMadeFoldersWithTheirParents) {
    const RemovalCase cases[] = {
        {"climb",
         "Made Dir: $\\P\\Tools\\Group\nShell Link: $\\P\\Tools\\Group\\A.lnk\n"
         "Shell Link: $\\P\\Tools\\Group\\B.LNK\n",
         {"$\\P\\", "$\\P\\keep.txt", "$\\P\\Tools\\", "$\\P\\Tools\\Group\\",
          "$\\P\\Tools\\Group\\A.lnk", "$\\P\\Tools\\Group\\B.LNK"},
         {"$\\P", "$\\P\\keep.txt"},
         {"$\\P\\Tools"}},
        {"unrecorded",
         "Shell Link: $\\G\\A.lnk\nMade Dir: $\\G\n",
         {"$\\G\\", "$\\G\\A.lnk", "$\\G\\other.txt"},
         {"$\\G\\other.txt"},
         {"$\\G\\A.lnk"}},
        {"notalink",
         "Shell Link: $\\victim.txt\nShell Link: $\\gone.lnk\n",
         {"$\\victim.txt", "$\\keep.txt"},
         {"$\\victim.txt"},
         {}},
    };
    for (const RemovalCase& c : cases) {
        std::string base = Prepare(c);
        RemoveLoggedShortcutsAndDirs(base + "\\..\\test.log");
        Check(c, base);
    }
}

TEST(RemovalFiles, MissingLogAndOverlongPathsDoNothing) {
    std::string base = ScratchDir("removal-missing");
    WriteFile(base + "\\a.dll", "x");
    RemoveLoggedFiles(base + "\\none.log", base, nullptr);
    RemoveLoggedShortcutsAndDirs(base + "\\none.log");
    DeleteMatchingFiles(base, std::string(300, 'a'));
    EXPECT_TRUE(FileExists(base + "\\a.dll"));
    DeleteMatchingFiles(base + "\\", "a.dll");
    EXPECT_FALSE(FileExists(base + "\\a.dll"));
}
