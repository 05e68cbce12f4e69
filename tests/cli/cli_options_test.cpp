// The option table of tirv-cli: values taken in both spellings, ranges and words checked.
#include "cli/options.h"

#include <gtest/gtest.h>

namespace tirv::cli {
namespace {

ParseResult Parse(std::vector<std::string> args)
{
    return ParseOptions(args);
}

TEST(CliOptions, ValuesAreTakenInBothSpellings)
{
    const ParseResult a = Parse({"--baud", "9600", "identify", "--address=17", "--parity", "odd"});
    ASSERT_TRUE(a.error.empty()) << a.error;
    EXPECT_EQ(a.options.baudIndex, 3);
    EXPECT_EQ(a.options.address, 17);
    EXPECT_EQ(a.options.parity, 2);
    EXPECT_EQ(a.options.words, std::vector<std::string>{"identify"});

    const ParseResult t = Parse({"--tcp=10.0.0.5:1502", "--protocol", "tirv", "--stop-bits", "2"});
    ASSERT_TRUE(t.error.empty()) << t.error;
    ASSERT_TRUE(t.options.tcp);
    EXPECT_EQ(t.options.tcp->address, (std::array<std::uint8_t, 4>{10, 0, 0, 5}));
    EXPECT_EQ(t.options.tcp->port, 1502);
    EXPECT_EQ(t.options.protocol, 0);
    EXPECT_EQ(t.options.stopBits, 1);
    EXPECT_EQ(ParseTcpTarget("localhost")->port, 502);
}

TEST(CliOptions, DeviceSettingsEdits)
{
    const ParseResult r =
        Parse({"link", "write", "--set-mac", "00:1A:2b:3C:4D:FF", "--set-ip", "192.168.1.20",
               "--set-usb-baud", "460800", "--set-mode", "master", "--set-time-sync", "on"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    const DeviceSettingsEdits& d = r.options.device;
    EXPECT_EQ(d.mac, (std::array<std::uint8_t, 6>{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xFF}));
    EXPECT_EQ(d.ip, (std::array<std::uint8_t, 4>{192, 168, 1, 20}));
    EXPECT_EQ(d.usbBaudIndex, 9);
    EXPECT_EQ(d.mode, 1);
    EXPECT_EQ(d.timeSync, true);
    EXPECT_FALSE(d.rsAddress);
    EXPECT_TRUE(d.any());
    EXPECT_FALSE(Parse({"link", "write"}).options.device.any());
}

TEST(CliOptions, OutOfRangeValuesAreErrors)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--repeats", "1001"},
        {"--repeats", "-1"},
        {"--values-per-frame", "7"},
        {"--variant", "2"},
        {"--baud", "57601"},
        {"--tcp", "1.2.3"},
        {"--tcp", "1.2.3.4:0"},
        {"--tcp", "1.2.3.4:65536"},
        {"--tcp", "1.2.3.4.5"},
        {"--set-mac", "0:1:2:3:4:5"},
        {"--set-mac", "00-11-22-33-44-55"},
        {"--set-tcp-port", "0"},
        {"--address", "12a"},
        {"--model", "708"},
        {"--channel", "ethernet"},
        {"--ports-dir="},
    };
    for (const auto& args : bad)
        EXPECT_FALSE(Parse(args).error.empty()) << args[0] << " " << args.back();
}

TEST(CliOptions, HelpListsEachGroupOnly)
{
    const std::string connection = OptionHelp(OptionGroup::Connection);
    EXPECT_NE(connection.find("--port N"), std::string::npos);
    EXPECT_EQ(connection.find("--set-"), std::string::npos);
    EXPECT_NE(OptionHelp(OptionGroup::DeviceSettings).find("--set-baud B"), std::string::npos);
}

}  // namespace
}  // namespace tirv::cli
