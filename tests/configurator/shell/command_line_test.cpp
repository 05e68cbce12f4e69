#include "configurator/shell/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace tirv {
namespace {

struct Case {
    const char* raw;
    FileKind kind;
    const char* path;
};

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
        Case{"\"/home/u/п.tirv\"", FileKind::Project, "/home/u/п.tirv"},
        Case{"\"/home/u/a.tpr\"", FileKind::Setpoints, "/home/u/a.tpr"},
        Case{"\"/home/u/a.tio\"", FileKind::IoSettings, "/home/u/a.tio"},
        Case{"\"/home/u/a.tld\"", FileKind::LedSettings, "/home/u/a.tld"},
        Case{"\"/home/u/a.twj\"", FileKind::WorkJournal, "/home/u/a.twj"},
        Case{"\"/home/u/a.taj\"", FileKind::EmergencyJournal, "/home/u/a.taj"},
        // Only the letters count, not the dot.
        Case{"\"/home/u/atpr\"", FileKind::Setpoints, "/home/u/atpr"},
        // A path without its closing quote is still a quoted path.
        Case{"\"/home/u/a.tpr", FileKind::Setpoints, "/home/u/a.tpr"},
        // Another extension: a path, but of no kind.
        Case{"\"/home/u/a.txt\"", FileKind::None, "/home/u/a.txt"}));

TEST(CommandLine, UnquotedUpperCaseShortAndEmptyAreIgnored)
{
    for (const char* raw : {"/home/u/a.tpr", "\"/home/u/A.TPR\"", "\"a.t\"", "", "\"\""}) {
        const CommandLineFile f = ParseCommandLine(raw);
        EXPECT_EQ(f.kind, FileKind::None) << raw;
    }
    EXPECT_TRUE(ParseCommandLine("/home/u/a.tpr").path.empty());
    EXPECT_TRUE(ParseCommandLine("\"a.t\"").path.empty());
}

TEST(CommandLine, OnlyTheFirst512CharactersAreKept)
{
    // 600 characters: the closing quote and the extension fall beyond the kept part.
    std::string raw = "\"/" + std::string(590, 'x') + ".tpr\"";
    const CommandLineFile f = ParseCommandLine(raw);
    EXPECT_EQ(f.kind, FileKind::None);
    EXPECT_EQ(f.path.size(), 511u);
}

TEST(CommandLine, EveryKindShowsItsPage)
{
    const std::pair<FileKind, int> expected[] = {
        {FileKind::None, 0},          {FileKind::Project, 179},    {FileKind::Setpoints, 179},
        {FileKind::IoSettings, 180},  {FileKind::LedSettings, 181}, {FileKind::WorkJournal, 188},
        {FileKind::EmergencyJournal, 189}};
    for (auto [kind, cmd] : expected)
        EXPECT_EQ(ShowCommandForKind(kind), cmd) << int(kind);
}

}  // namespace
}  // namespace tirv
