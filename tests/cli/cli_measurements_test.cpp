// tirv-cli measurements against tirv-sim: the values of both layouts as the page formats them,
// as text and as JSON (a NaN as text with no number), cyclic readings with --watch, a rejected
// reading (exit 5) and a silent relay (exit 1).
#include "cli_run.h"

#include "configurator/journals/measurement_texts.h"

#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tirv::test {
namespace {

namespace tx = measurement_texts;

TEST(CliMeasurements, IntegerLayoutPrintsEveryValueInItsFormat)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    ASSERT_TRUE(sim.control("measure 301 1234"));
    ASSERT_TRUE(sim.control("measure 317 -900"));
    const CliResult r = RunCli(On(sim, {"measurements", "--channel", "rs485"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 25) << r.out.toStdString();
    EXPECT_TRUE(lines[1].startsWith("Ia ")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" 12.34")) << lines[1].toStdString();
    EXPECT_TRUE(lines[17].endsWith(" -90.0")) << lines[17].toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(tx::kStatusRead))) << r.err.toStdString();
}

TEST(CliMeasurements, FloatLayoutAsJsonKeepsNanAsText)
{
    SimProcess sim({"--model", "715"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    ASSERT_TRUE(sim.control("measure-float 4 nan"));
    ASSERT_TRUE(sim.control("measure-float 43 50.01"));
    const CliResult r = RunCli(On(sim, {"measurements", "--json"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(doc["layout"].toString(), "float");
    const QJsonArray values = doc["values"].toArray();
    ASSERT_EQ(values.size(), 44);
    EXPECT_EQ(values[4].toObject()["text"].toString(), "NaN");
    EXPECT_TRUE(values[4].toObject()["value"].isNull());
    EXPECT_EQ(values[43].toObject()["text"].toString(), "50.01");
    EXPECT_NEAR(values[43].toObject()["value"].toDouble(), 50.01, 1e-4);
}

TEST(CliMeasurements, WatchReadsCyclicallyAndStopsAfterTheReadingsAskedFor)
{
    SimProcess sim({"--model", "715"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const CliResult r =
        RunCli(On(sim, {"measurements", "--watch", "150", "--readings", "3", "--json"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // One document per reading.
    EXPECT_EQ(r.out.count("\"layout\""), 3) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(tx::kStatusReadingAgain)));
    EXPECT_EQ(RunCli(On(sim, {"measurements", "--readings", "2"})).exitCode, 2);
}

TEST(CliMeasurements, RejectedReadingAndSilentRelayHaveTheirExitCodes)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    ASSERT_TRUE(sim.control("measure 314 3600"));
    const CliResult rejected = RunCli(On(sim, {"measurements", "--channel", "rs485", "--yes"}));
    EXPECT_EQ(rejected.exitCode, 5);
    EXPECT_TRUE(rejected.err.contains(QString::fromUtf8("Недопустимое значение фазы[1]=3600")))
        << rejected.err.toStdString();
    EXPECT_TRUE(rejected.out.isEmpty());
    ASSERT_TRUE(sim.control("silent on"));
    EXPECT_EQ(RunCli(On(sim, {"measurements", "--channel", "rs485", "--repeats", "1"})).exitCode,
              1);
}

}  // namespace
}  // namespace tirv::test
