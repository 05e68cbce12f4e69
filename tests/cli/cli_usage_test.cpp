// Wrong command lines end with exit status 2 before anything is sent; --help answers for the
// program and for every command.
#include "cli_run.h"

#include <gtest/gtest.h>

namespace tirv::test {
namespace {

TEST(CliUsage, WrongCommandLinesAreRefused)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"bogus"},
        {"link"},
        {"link", "sideways"},
        {"setpoints", "read"},
        {"setpoints", "show", "a.tpr", "b.tpr"},
        {"identify", "extra"},
        {"identify", "--bogus"},
        {"identify", "--baud", "1234"},
        {"identify", "--baud"},
        {"identify", "--json=yes"},
        {"identify", "--port", "0"},
        {"identify", "--address", "256"},
        {"identify", "--parity", "mark"},
        {"identify", "--model", "999"},
        {"identify", "--tcp", "300.1.1.1"},
        {"identify", "--tcp", "127.0.0.1", "--port", "2"},
        {"identify", "--yes", "--no"},
        {"identify", "--set-baud", "9600"},
        {"setpoints", "read", "x.tpr", "--set-address", "3"},
        {"link", "write", "--port", "250"},  // nothing to write
        {"link", "write", "--set-mac", "00:11:22:33:44"},
    };
    for (const auto& args : cases) {
        const CliResult r = RunCli(args);
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        EXPECT_EQ(r.exitCode, 2) << shown << r.err.toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << shown;
        EXPECT_TRUE(r.out.isEmpty()) << shown;
    }
}

TEST(CliUsage, HelpForTheProgramAndEachCommand)
{
    const CliResult program = RunCli({"--help"});
    ASSERT_EQ(program.exitCode, 0);
    const std::vector<std::vector<std::string>> commands = {
        {"identify"},          {"link", "auto"},       {"link", "max-speed"},
        {"link", "write"},     {"setpoints", "read"},  {"setpoints", "write"},
        {"setpoints", "show"}, {"setpoints", "check"},
    };
    for (const auto& c : commands) {
        std::string name = c[0] + (c.size() > 1 ? " " + c[1] : "");
        EXPECT_TRUE(program.out.contains(QString::fromStdString(name))) << name;
        std::vector<std::string> args = c;
        args.push_back("--help");
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 0) << name;
        EXPECT_TRUE(r.out.startsWith(QString::fromStdString("usage: tirv-cli " + name))) << name;
        // Only link write takes the relay's new settings.
        EXPECT_EQ(r.out.contains("--set-address"), name == "link write") << name;
    }
}

}  // namespace
}  // namespace tirv::test
