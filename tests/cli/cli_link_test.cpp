// tirv-cli's link commands against tirv-sim: identify, link auto, link max-speed, link write,
// the settings file and Modbus TCP, with the faults a line has (lost replies, a silent relay,
// the wrong speed, exception replies, a missing port) and their exit statuses and texts.
#include "cli_run.h"

#include "common/word_file.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/texts.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/shell/program_settings.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

namespace tirv::test {
namespace {

namespace lt = link_texts;
namespace pt = panel_texts;

TEST(CliLink, IdentifyPrintsWhatTheRelayIs)
{
    struct Case {
        std::vector<std::string> sim;
        std::vector<std::string> cli;
        int model;  // 0: the ТИРВ protocol's check carries no identity
        int serial;
    };
    const Case cases[] = {
        {{"--model", "705", "--serial", "1101"}, {}, 705, 1101},
        {{"--model", "306", "--serial", "1102"}, {}, 306, 1102},
        {{"--model", "717", "--serial", "1103", "--baud", "115200"},
         {"--baud", "115200"},
         717,
         1103},
        {{"--model", "705", "--protocol", "tirv"}, {"--protocol", "tirv"}, 0, 0},
    };
    for (const Case& c : cases) {
        SimProcess sim(c.sim);
        ASSERT_TRUE(sim.ready()) << sim.error();
        std::vector<std::string> args = c.cli;
        args.insert(args.begin(), "identify");
        const CliResult text = RunCli(On(sim, args));
        ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
        EXPECT_TRUE(text.err.contains(T(lt::kLinkEstablished))) << text.err.toStdString();
        if (c.model == 0) {
            EXPECT_EQ(text.out.trimmed(), T(lt::kLinkEstablished));
            continue;
        }
        EXPECT_TRUE(text.out.contains(T(pt::kSerialNumber) + ": " + QString::number(c.serial)))
            << text.out.toStdString();
        args.push_back("--json");
        const CliResult json = RunCli(On(sim, args));
        ASSERT_EQ(json.exitCode, 0);
        ASSERT_TRUE(json.jsonValid()) << json.out.toStdString();
        EXPECT_EQ(json.json()["model"].toInt(), c.model);
        EXPECT_EQ(json.json()["serial"].toInt(), c.serial);
        EXPECT_EQ(json.json()["mModel"].toBool(), c.model >= 715);
        EXPECT_TRUE(json.json()["ok"].toBool());
    }
}

// The faults of a line, each with the exit status and the words a script sees.
TEST(CliLink, FaultsEndWithTheirStatusAndTexts)
{
    struct Case {
        const char* what;
        std::vector<std::string> sim;
        const char* control;  // sent to the simulator before the command, nullptr: none
        std::vector<std::string> cli;
        int exit;
        const char* text;  // on standard error
    };
    const Case cases[] = {
        {"lost replies are repeated",
         {"--model", "705"},
         "drop 2",
         {"identify"},
         0,
         "Проверка связи: 1"},
        {"silent relay",
         {"--model", "705"},
         "silent on",
         {"identify", "--repeats", "1"},
         1,
         lt::kLinkCheckFailed},
        {"wrong speed",
         {"--model", "705", "--baud", "9600"},
         nullptr,
         {"identify", "--repeats", "1"},
         1,
         lt::kNoLink},
        {"refused settings write",
         {"--model", "705"},
         "exception 2",
         {"link", "write", "--model", "705", "--set-address", "5"},
         4,
         lt::kDeviceCannotExecute},
        {"lost settings write",
         {"--model", "705"},
         "silent on",
         {"link", "write", "--model", "705", "--set-address", "5"},
         1,
         lt::kCannotConnect},
    };
    for (const Case& c : cases) {
        SimProcess sim(c.sim);
        ASSERT_TRUE(sim.ready()) << sim.error();
        if (c.control) {
            ASSERT_TRUE(sim.control(c.control)) << c.what;
        }
        std::vector<std::string> args = c.cli;
        args.push_back("--json");
        const CliResult r = RunCli(On(sim, args));
        EXPECT_EQ(r.exitCode, c.exit) << c.what << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(T(c.text))) << c.what << "\n" << r.err.toStdString();
        ASSERT_TRUE(r.jsonValid()) << c.what << r.out.toStdString();
        EXPECT_EQ(r.json()["ok"].toBool(), c.exit == 0) << c.what;
    }
}

TEST(CliLink, MissingPortIsNoLink)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const CliResult r = RunCli({"identify", "--ports-dir", sim.portsDir(), "--port", "9"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(T(lt::kPortUnavailableStatus))) << r.err.toStdString();
}

TEST(CliLink, AutoFindsTheRelaysSpeed)
{
    struct Case {
        std::vector<std::string> sim;
        std::vector<std::string> cli;
        int baud;
    };
    const Case cases[] = {
        // The speeds searched are those of the model in use: a non-M relay is named.
        {{"--model", "705", "--baud", "9600"}, {"--model", "705"}, 9600},
        {{"--model", "715", "--baud", "19200", "--channel", "rs485"},
         {"--channel", "rs485"},
         19200},
        {{"--model", "716", "--baud", "230400"}, {"--channel", "usb"}, 230400},
    };
    for (const Case& c : cases) {
        SimProcess sim(c.sim);
        ASSERT_TRUE(sim.ready()) << sim.error();
        std::vector<std::string> args{"link", "auto", "--json"};
        args.insert(args.end(), c.cli.begin(), c.cli.end());
        const CliResult r = RunCli(On(sim, args));
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        ASSERT_TRUE(r.jsonValid());
        EXPECT_EQ(r.json()["baud"].toInt(), c.baud);
        EXPECT_TRUE(r.err.contains(T(pt::kAutoConnecting)));
        // The speed found is the relay's: a check at it succeeds.
        const CliResult check =
            RunCli(On(sim, {"identify", "--baud", std::to_string(c.baud), c.cli[0], c.cli[1]}));
        EXPECT_EQ(check.exitCode, 0) << check.err.toStdString();
    }
}

TEST(CliLink, AutoWithoutRelayFails)
{
    SimProcess sim({"--model", "705"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    ASSERT_TRUE(sim.control("silent on"));
    const CliResult r = RunCli(On(sim, {"link", "auto", "--model", "705"}), 60000);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(T(lt::kOperationFailed))) << r.err.toStdString();
}

TEST(CliLink, MaxSpeedMovesTheRelayToTheTopSpeed)
{
    SimProcess sim({"--model", "705", "--baud", "9600"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    const CliResult r = RunCli(On(sim, {"link", "max-speed", "--baud", "9600", "--json"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_TRUE(r.jsonValid());
    EXPECT_EQ(r.json()["maxBaud"].toInt(), 57600);  // the top of a non-M relay
    EXPECT_EQ(RunCli(On(sim, {"identify", "--baud", "57600"})).exitCode, 0);
    EXPECT_EQ(RunCli(On(sim, {"identify", "--baud", "9600", "--repeats", "0"})).exitCode, 1);
}

TEST(CliLink, WriteMovesTheRelayToItsNewSettings)
{
    struct Case {
        std::vector<std::string> sim;
        std::vector<std::string> cli;    // the write
        std::vector<std::string> after;  // a check at the new settings
    };
    const Case cases[] = {
        {{"--model", "705", "--serial", "31"},
         {"--set-address", "7", "--set-baud", "19200"},
         {"--address", "7", "--baud", "19200"}},
        // M relay on its RS-485 channel: the whole block is written over what the relay holds.
        {{"--model", "715", "--serial", "31", "--channel", "rs485"},
         {"--channel", "rs485", "--set-address", "9", "--set-baud", "115200"},
         {"--channel", "rs485", "--address", "9", "--baud", "115200"}},
        // M relay on USB: the USB speed of the block moves the line.
        {{"--model", "716", "--serial", "31"}, {"--set-usb-baud", "230400"}, {"--baud", "230400"}},
    };
    for (const Case& c : cases) {
        SimProcess sim(c.sim);
        ASSERT_TRUE(sim.ready()) << sim.error();
        std::vector<std::string> args{"link", "write"};
        args.insert(args.end(), c.cli.begin(), c.cli.end());
        const CliResult r = RunCli(On(sim, args));
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(T(pt::kNewSettingsWritten)));
        std::vector<std::string> check{"identify", "--json"};
        check.insert(check.end(), c.after.begin(), c.after.end());
        const CliResult after = RunCli(On(sim, check));
        ASSERT_EQ(after.exitCode, 0) << after.err.toStdString();
        EXPECT_EQ(after.json()["serial"].toInt(), 31);
        EXPECT_EQ(RunCli(On(sim, {"identify", "--repeats", "0"})).exitCode, 1)
            << "the old settings still answer";
    }
}

TEST(CliLink, SettingsFileGivesTheDefaults)
{
    SimProcess sim({"--model", "705", "--baud", "9600", "--address", "2", "--serial", "55"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    ProgramSettings s = DefaultProgramSettings(SettingsSource::Missing);
    s.connection.port = sim.com();
    s.connection.baudIndex = 3;  // 9600
    s.connection.address = 2;
    s.connection.channel = Channel::Rs485;  // 9600 is no USB speed
    s.modelIndex = ModelIndexForCode(705);
    const std::string cfg = sim.workDir() + "/ТИРВ.cfg";
    ASSERT_TRUE(SaveProgramSettings(cfg, s));
    const CliResult r =
        RunCli({"identify", "--json", "--settings", cfg, "--ports-dir", sim.portsDir()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.json()["serial"].toInt(), 55);

    // An option still wins over the file.
    EXPECT_EQ(RunCli({"identify", "--settings", cfg, "--ports-dir", sim.portsDir(), "--address",
                      "1", "--repeats", "0"})
                  .exitCode,
              1);
    EXPECT_EQ(RunCli({"identify", "--settings", sim.workDir() + "/none.cfg"}).exitCode, 3);
    const std::string bad = sim.workDir() + "/bad.cfg";
    const std::vector<std::uint8_t> junk(kSettingsBytes, 0x5A);
    ASSERT_TRUE(WriteWholeFile(bad, junk));
    EXPECT_EQ(RunCli({"identify", "--settings", bad}).exitCode, 5);
}

TEST(CliLink, IdentifyOverModbusTcp)
{
    SimProcess sim({"--model", "716", "--serial", "808", "--tcp", "0"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    ASSERT_GT(sim.tcpPort(), 0);
    const std::string target = "127.0.0.1:" + std::to_string(sim.tcpPort());
    const CliResult r = RunCli({"identify", "--json", "--tcp", target});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.json()["serial"].toInt(), 808);
    EXPECT_EQ(r.json()["model"].toInt(), 716);
    EXPECT_TRUE(r.err.contains(T(lt::kTcpConnected)));
    EXPECT_EQ(RunCli({"link", "auto", "--tcp", target}).exitCode, 2);
}

}  // namespace
}  // namespace tirv::test
