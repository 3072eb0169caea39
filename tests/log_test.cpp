#include <gtest/gtest.h>

#include "framework/handles.h"
#include "install/uninstall_log.h"
#include "support/testkit.h"

#include <vector>

using namespace testkit;

namespace {

std::vector<std::string> ReadAll(const std::string& path) {
    std::vector<std::string> lines;
    StdioFile f(path.c_str(), "rt");
    std::string line;
    while (f && ReadLogLine(f.get(), line))
        lines.push_back(line);
    return lines;
}

// The argument of `tag` on the first line, or "<none>" when the line matches nothing.
std::string FirstArgument(const std::string& content, const char* tag) {
    std::string path = ScratchDir("log-read") + "\\m.log";
    WriteFile(path, content);
    std::vector<std::string> lines = ReadAll(path);
    std::string argument;
    if (lines.empty() || !MatchLogTag(lines[0], tag, argument))
        return "<none>";
    return argument;
}

} // namespace

TEST(LogRead, ReadingRuleTable) {
    struct Case {
        const char* content;
        const char* tag;
        const char* argument;
    } cases[] = {
        {"File Copy: a.dll\r\n", kTagFileCopy, "a.dll"},
        {"File Copy: a.dll\n", kTagFileCopy, "a.dll"},
        {"File Copy: a.dll \t \r\n", kTagFileCopy, "a.dll"},
        {"File Copy: a.dll", kTagFileCopy, "a.dll"},
        {"File Copy:   lead.dll\n", kTagFileCopy, "  lead.dll"},
        {"File Copy: \n", kTagFileCopy, "<none>"},
        {"File Copy:    \t\n", kTagFileCopy, "<none>"},
        {"file copy: a.dll\n", kTagFileCopy, "<none>"},
        {" File Copy: a.dll\n", kTagFileCopy, "<none>"},
        {"File Overwrite: o.txt\n", kTagFileOverwrite, "o.txt"},
        {"Shell Link: C:\\x\\A.lnk\r\n", kTagShellLink, "C:\\x\\A.lnk"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirstArgument(c.content, c.tag), c.argument) << c.content;
}

TEST(LogRead, LongLinesBlankLinesAndMissingLineEnd) {
    std::string path = ScratchDir("log-long") + "\\m.log";
    std::string longLine = "File Del: " + std::string(590, 'x');
    WriteFile(path, longLine + "\n   \nMake Dir: last");
    std::vector<std::string> lines = ReadAll(path);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], longLine.substr(0, 511));
    EXPECT_EQ(lines[1], longLine.substr(511));
    EXPECT_EQ(lines[2], " ");
    EXPECT_EQ(lines[3], "Make Dir: last");
}

TEST(LogRead, LineOfExactly511BytesLeavesItsLineEndAsAPiece) {
    std::string path = ScratchDir("log-511") + "\\m.log";
    std::string line = "File Del: " + std::string(501, 'y');
    WriteFile(path, line + "\nFile Del: z\n");
    std::vector<std::string> lines = ReadAll(path);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], line);
    EXPECT_EQ(lines[1], "\n");
    EXPECT_EQ(lines[2], "File Del: z");
}

TEST(LogWrite, AppendsLinesWithCrLfAndCreatesTheFile) {
    std::string dir = ScratchDir("log-write");
    std::string path = dir + "\\QmkUnInst.log";
    WriteFile(path, "File Copy: a.dll");
    AppendLogLine(path, "");
    AppendLogLine(path, "Made Dir: C:\\G");
    // The empty line ends the author's last line, so the record stands on its own.
    EXPECT_EQ(ReadFile(path), "File Copy: a.dll\r\nMade Dir: C:\\G\r\n");
    AppendLogLine(dir + "\\new.log", "x");
    EXPECT_EQ(ReadFile(dir + "\\new.log"), "x\r\n");
    // A log that cannot be opened loses the line silently.
    AppendLogLine(dir + "\\no-such-folder\\a.log", "x");
    EXPECT_FALSE(FileExists(dir + "\\no-such-folder\\a.log"));
}
