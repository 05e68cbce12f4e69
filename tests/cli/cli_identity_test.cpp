// tirv-cli identity get|set against tirv-sim: type and serial number read, a type of the same
// family written, one across the family refused by the relay (exit 4), input errors before any
// exchange (exit 2), the serial number written and read back.
#include "cli_run.h"

#include "configurator/service/device_identity_texts.h"

#include <gtest/gtest.h>
#include <QJsonDocument>
#include <QJsonObject>

namespace tirv::test {
namespace {

QJsonObject Json(const CliResult& r)
{
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

TEST(CliIdentity, ReadsAndWritesTypeAndSerialNumber)
{
    SimProcess sim({"--model", "716", "--serial", "777"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const CliResult get = RunCli(On(sim, {"identity", "get"}));
    ASSERT_EQ(get.exitCode, 0) << get.err.toStdString();
    EXPECT_TRUE(get.out.contains(QStringLiteral("ТИРВ/ОЛК-706M (716)"))) << get.out.toStdString();
    EXPECT_TRUE(get.out.contains(QStringLiteral("777")));

    const CliResult same =
        RunCli(On(sim, {"identity", "set", "--set-type", "717", "--set-serial", "40000"}));
    ASSERT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_TRUE(same.err.contains(QString::fromUtf8(identity_texts::kBothWritten)));
    const CliResult read = RunCli(On(sim, {"identity", "get", "--json"}));
    ASSERT_EQ(read.exitCode, 0);
    EXPECT_EQ(Json(read)["type"].toInt(), 717);
    EXPECT_EQ(Json(read)["serial"].toInt(), 40000);

    const CliResult across = RunCli(On(sim, {"identity", "set", "--set-type", "707"}));
    EXPECT_EQ(across.exitCode, 4);
    EXPECT_TRUE(across.err.contains(QString::fromUtf8(identity_texts::kTypeWriteFailed)))
        << across.err.toStdString();
    EXPECT_EQ(Json(RunCli(On(sim, {"identity", "get", "--json"})))["type"].toInt(), 717);
}

TEST(CliIdentity, InputErrorsAndSilenceEndWithoutAWrite)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const CliResult noType = RunCli(On(sim, {"identity", "set"}));
    EXPECT_EQ(noType.exitCode, 2);
    EXPECT_TRUE(noType.err.contains(QString::fromUtf8(identity_texts::kChooseType)));
    EXPECT_EQ(RunCli(On(sim, {"identity", "set", "--set-type", "708"})).exitCode, 2);
    EXPECT_EQ(
        RunCli(On(sim, {"identity", "set", "--set-type", "705", "--set-serial", "65536"})).exitCode,
        2);
    ASSERT_TRUE(sim.control("silent on"));
    EXPECT_EQ(RunCli(On(sim, {"identity", "get", "--repeats", "1"})).exitCode, 1);
}

}  // namespace
}  // namespace tirv::test
