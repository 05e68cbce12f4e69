// tirv-cli breaker close|open|unblock against tirv-sim: the breaker moves, a blocked relay is a
// refusal (exit 4), a silent relay is no link (exit 1).
#include "cli_run.h"

#include "configurator/service/breaker_texts.h"

#include <gtest/gtest.h>

namespace tirv::test {
namespace {

TEST(CliBreaker, CommandsMoveTheBreakerAndABlockedRelayRefuses)
{
    SimProcess sim({"--model", "715"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const CliResult open = RunCli(On(sim, {"breaker", "open"}));
    ASSERT_EQ(open.exitCode, 0) << open.err.toStdString();
    EXPECT_TRUE(open.err.contains(QString::fromUtf8(breaker_texts::kDone))) << open.err.toStdString();
    ASSERT_TRUE(sim.control("status"));
    EXPECT_NE(sim.lastStatus().find("breaker open"), std::string::npos) << sim.lastStatus();

    ASSERT_TRUE(sim.control("blocked on"));
    const CliResult blocked = RunCli(On(sim, {"breaker", "close", "--json"}));
    EXPECT_EQ(blocked.exitCode, 4);
    EXPECT_TRUE(blocked.err.contains(QString::fromUtf8(breaker_texts::kBlocked)));
    EXPECT_TRUE(blocked.jsonValid());
    EXPECT_EQ(RunCli(On(sim, {"breaker", "unblock"})).exitCode, 0);
    EXPECT_EQ(RunCli(On(sim, {"breaker", "close"})).exitCode, 0);
    ASSERT_TRUE(sim.control("status"));
    EXPECT_NE(sim.lastStatus().find("breaker closed"), std::string::npos) << sim.lastStatus();

    ASSERT_TRUE(sim.control("silent on"));
    const CliResult silent = RunCli(On(sim, {"breaker", "open", "--repeats", "1"}));
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_TRUE(silent.err.contains(QString::fromUtf8(breaker_texts::kLinkFailed)))
        << silent.err.toStdString();
}

}  // namespace
}  // namespace tirv::test
