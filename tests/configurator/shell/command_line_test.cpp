#include "configurator/shell/command_line.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace tirv {
namespace {

struct Case {
    const char* label;  // the case's name in the test list
    const char* raw;
    FileKind kind;
    const char* path;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

class CommandLineKinds : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineKinds, QuotedPathGivesKindAndPath)
{
    const Case& c = GetParam();
    const CommandLineFile f = ParseCommandLine(c.raw);
    EXPECT_EQ(f.kind, c.kind) << c.raw;
    EXPECT_EQ(f.path, c.path) << c.raw;
}

INSTANTIATE_TEST_SUITE_P(
    All, CommandLineKinds,
    ::testing::Values(
        Case{"project", "\"/home/u/п.tirv\"", FileKind::Project, "/home/u/п.tirv"},
        Case{"setpoints", "\"/home/u/a.tpr\"", FileKind::Setpoints, "/home/u/a.tpr"},
        Case{"ioSettings", "\"/home/u/a.tio\"", FileKind::IoSettings, "/home/u/a.tio"},
        Case{"ledSettings", "\"/home/u/a.tld\"", FileKind::LedSettings, "/home/u/a.tld"},
        Case{"workJournal", "\"/home/u/a.twj\"", FileKind::WorkJournal, "/home/u/a.twj"},
        Case{"emergencyJournal", "\"/home/u/a.taj\"", FileKind::EmergencyJournal, "/home/u/a.taj"},
        // Only the letters count, not the dot.
        Case{"setpointsWithoutDot", "\"/home/u/atpr\"", FileKind::Setpoints, "/home/u/atpr"},
        // A path without its closing quote is still a quoted path.
        Case{"setpointsUnclosedQuote", "\"/home/u/a.tpr", FileKind::Setpoints, "/home/u/a.tpr"},
        // What a shell or a file manager passes: the path without quotes, blanks and all.
        Case{"unquoted", "/home/u/a.tpr", FileKind::Setpoints, "/home/u/a.tpr"},
        Case{"unquotedWithBlanks", "/home/u/мои уставки.tirv", FileKind::Project,
             "/home/u/мои уставки.tirv"},
        // Another extension: a path, but of no kind.
        Case{"otherExtension", "\"/home/u/a.txt\"", FileKind::None, "/home/u/a.txt"}));

TEST(CommandLine, UpperCaseShortAndEmptyAreIgnored)
{
    for (const char* raw : {"/home/u/A.TPR", "\"/home/u/A.TPR\"", "\"a.t\"", "a.t", "", "\"\""}) {
        const CommandLineFile f = ParseCommandLine(raw);
        EXPECT_EQ(f.kind, FileKind::None) << raw;
    }
    EXPECT_TRUE(ParseCommandLine("\"a.t\"").path.empty());
}

TEST(CommandLine, LongPathsAreUsedWholeOrNotAtAll)
{
    // 600 characters is a usable path: kept whole, never cut at some earlier length.
    const std::string longPath = "/" + std::string(595, 'x') + ".tpr";
    const CommandLineFile kept = ParseCommandLine("\"" + longPath + "\"");
    EXPECT_EQ(kept.kind, FileKind::Setpoints);
    EXPECT_EQ(kept.path, longPath);
    // Beyond the longest path a file can be opened with, nothing is named (a cut path would
    // name another file).
    const std::string tooLong = "/" + std::string(5000, 'x') + ".tpr";
    EXPECT_EQ(ParseCommandLine(tooLong).kind, FileKind::None);
    EXPECT_TRUE(ParseCommandLine(tooLong).path.empty());
}

}  // namespace
}  // namespace tirv
