// tirv-cli scan against a simulated line of several relays: the rows found, as text and JSON,
// the options that belong to the scan only, and a missing port.
#include "cli_run.h"

#include <QJsonArray>
#include <gtest/gtest.h>

namespace tirv::test {
namespace {

TEST(CliScan, ListsEveryRelayOnceAtItsHighestSpeed)
{
    SimProcess sim({"--device", "model=705,address=2", "--device",
                    "model=716,address=5,baud=19200,channel=rs485", "--device",
                    "model=306,address=9,baud=9600"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const CliResult text = RunCli(On(sim, {"scan", "--from", "8", "--to", "1", "--from-baud",
                                           "19200", "--to-baud", "57600", "--repeats", "0"}));
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_EQ(text.out, QString::fromUtf8("COM1\t2\t ТИРВ - 705\t57600\tnone\t1\n"
                                          "COM1\t5\t ТИРВ - 706М\t19200\tnone\t1\n"));
    EXPECT_TRUE(text.err.contains(QString::fromUtf8("  Сканирование сети"))) << text.err.toStdString();

    const CliResult json = RunCli(On(sim, {"scan", "--from", "1", "--to", "10", "--from-baud",
                                           "9600", "--to-baud", "9600", "--repeats", "0",
                                           "--json"}));
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    ASSERT_TRUE(json.jsonValid()) << json.out.toStdString();
    const QJsonArray found = json.json()["found"].toArray();
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].toObject()["address"].toInt(), 9);
    EXPECT_EQ(found[0].toObject()["modelCode"].toInt(), 306);
    EXPECT_EQ(found[0].toObject()["baud"].toInt(), 9600);
}

TEST(CliScan, ScanOptionsBelongToTheScanAndAMissingPortFails)
{
    SimProcess sim(std::vector<std::string>{});
    ASSERT_TRUE(sim.ready()) << sim.error();
    EXPECT_EQ(RunCli(On(sim, {"identify", "--from", "3"})).exitCode, 2);
    EXPECT_EQ(RunCli(On(sim, {"scan", "--to-baud", "1234"})).exitCode, 2);
    const CliResult missing =
        RunCli({"scan", "--ports-dir", sim.portsDir(), "--port", "7", "--repeats", "0"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QString::fromUtf8("Порт недоступен"))) << missing.err.toStdString();
}

}  // namespace
}  // namespace tirv::test
