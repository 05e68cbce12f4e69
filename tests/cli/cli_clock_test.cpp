// tirv-cli clock get|set|broadcast against tirv-sim: the reading as the page shows it, an invalid
// reading is a rejected read (exit 5), a silent relay is no link (exit 1), the set leaves the
// relay on the computer's time, the broadcast reaches two relays of one line, and over Ethernet
// the broadcast is a usage error.
#include "cli_run.h"

#include "configurator/service/clock_texts.h"

#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>

namespace tirv::test {
namespace {

QJsonObject Json(const CliResult& r)
{
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

TEST(CliClock, GetShowsTheRelaysRegistersAndJudgesThem)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    ASSERT_TRUE(sim.control("clock 29 2 24 10 20 30 50"));
    const CliResult good = RunCli(On(sim, {"clock", "get"}));
    ASSERT_EQ(good.exitCode, 0) << good.err.toStdString();
    EXPECT_TRUE(good.out.contains(QStringLiteral("Устройство: 29.02.24    10:20:30.500")))
        << good.out.toStdString();

    ASSERT_TRUE(sim.control("clock 1 1 26 0 0 0 150"));  // valid only on an M relay
    const CliResult bad = RunCli(On(sim, {"clock", "get", "--json"}));
    EXPECT_EQ(bad.exitCode, 5);
    ASSERT_TRUE(bad.jsonValid()) << bad.out.toStdString();
    EXPECT_FALSE(Json(bad)["valid"].toBool());
    EXPECT_EQ(Json(bad)["registers"].toArray().at(6).toInt(), 150);

    ASSERT_TRUE(sim.control("silent on"));
    EXPECT_EQ(RunCli(On(sim, {"clock", "get", "--model", "705", "--repeats", "1"})).exitCode, 1);
}

TEST(CliClock, SetAndBroadcastPutTheRelaysOnTheComputersTime)
{
    SimProcess sim({"--device", "model=715,address=1", "--device", "model=715,address=2"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    ASSERT_TRUE(sim.control("clock offset 5000000"));
    // relay − computer of a reading; it can only come out late, never early.
    const auto offsetOf = [](const CliResult& r) {
        const QJsonObject o = Json(r);
        const auto ms = [](const QString& s) {
            return QTime::fromString(s.mid(12), QStringLiteral("hh:mm:ss.zzz"))
                .msecsSinceStartOfDay();
        };
        return ms(o["relay"].toString()) - ms(o["computer"].toString());
    };
    const CliResult set = RunCli(On(sim, {"clock", "set", "--json"}));
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    int offset = offsetOf(set);
    for (int k = 0; k < 3; ++k)  // the smallest difference is the relay's own offset
        offset = std::min(offset, offsetOf(RunCli(On(sim, {"clock", "get", "--json"}))));
    EXPECT_LE(std::abs(offset), 50) << set.out.toStdString();
    // The second relay was not addressed: still an hour and more away.
    const CliResult other = RunCli(On(sim, {"clock", "get", "--address", "2", "--json"}));
    ASSERT_EQ(other.exitCode, 0) << other.err.toStdString();
    EXPECT_GT(std::abs(offsetOf(other)), 60000);

    const CliResult broadcast = RunCli(On(sim, {"clock", "broadcast", "--json"}));
    ASSERT_EQ(broadcast.exitCode, 0) << broadcast.err.toStdString();
    const CliResult after = RunCli(On(sim, {"clock", "get", "--address", "2", "--json"}));
    ASSERT_EQ(after.exitCode, 0);
    EXPECT_LE(std::abs(offsetOf(after)), 1000) << after.out.toStdString();  // whole seconds
}

// The ТИРВ protocol's variant 1 carries the clock and identity requests; variant 0, whose read
// has no start address, cannot, so the read fails with the page's text.
TEST(CliClock, TirvProtocolCarriesTheRequestsOfVariantOne)
{
    SimProcess sim({"--model", "715", "--protocol", "tirv", "--variant", "1"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const std::vector<std::string> tirv = {"--protocol", "tirv", "--model", "715"};
    const auto with = [&](std::vector<std::string> words, const char* variant) {
        words.insert(words.end(), tirv.begin(), tirv.end());
        words.insert(words.end(), {"--variant", variant, "--repeats", "1"});
        return RunCli(On(sim, words));
    };
    ASSERT_TRUE(sim.control("clock 5 3 26 10 20 30 7"));
    const CliResult get = with({"clock", "get"}, "1");
    ASSERT_EQ(get.exitCode, 0) << get.err.toStdString();
    EXPECT_TRUE(get.out.contains(QStringLiteral("05.03.26    10:20:30.007")))
        << get.out.toStdString();
    EXPECT_EQ(with({"clock", "set"}, "1").exitCode, 0);
    const CliResult identity = with({"identity", "set", "--set-type", "717"}, "1");
    EXPECT_EQ(identity.exitCode, 0) << identity.err.toStdString();
    EXPECT_TRUE(with({"identity", "get"}, "1").out.contains(QStringLiteral("(717)")));

    const CliResult old = with({"clock", "get"}, "0");
    EXPECT_EQ(old.exitCode, 1);
    EXPECT_TRUE(old.err.contains(QString::fromUtf8(clock_texts::kReadFailedSerial)))
        << old.err.toStdString();
}

TEST(CliClock, BroadcastIsForTheSerialLineOnly)
{
    const CliResult r = RunCli({"clock", "broadcast", "--tcp", "127.0.0.1:1"});
    EXPECT_EQ(r.exitCode, 2);
}

}  // namespace
}  // namespace tirv::test
