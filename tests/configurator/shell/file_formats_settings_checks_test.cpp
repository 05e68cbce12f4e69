// The program settings file: each loaded value outside its range takes its default, the rest is
// kept; the file's path; saving through a temporary file.
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/shell/program_settings.h"
#include "file_formats_support.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace tirv {
namespace {

using file_test::PutWord;
using file_test::Reseal;
using file_test::WordAt;

// A loaded record with non-default values in every checked field.
ProgramSettings Sample(int modelIndex, Channel channel, int baudIndex)
{
    ProgramSettings s = DefaultProgramSettings(SettingsSource::Missing);
    s.modelIndex = modelIndex;
    s.connection = {};
    s.connection.channel = channel;
    s.connection.port = 3;
    s.connection.address = 7;
    s.connection.baudIndex = baudIndex;
    s.connection.parity = Parity::Even;
    s.connection.stopBits = StopBits::Two;
    s.connection.repeatCount = 3;
    s.measurementPoll = {true, 900};
    s.ioStatePoll = {true, 3500};
    s.setpoints = DefaultImage(s.modelCode());
    s.setpoints[1] = 555;
    s.linkPage.ipValid = true;
    s.linkPage.ip = {10, 0, 0, 9};
    s.linkPage.tcpPort = 1502;
    s.linkPage.ethernetOn = true;
    s.io.input(8, IoFunction) = 30;
    s.io.output(0, IoLevel) = 2;
    s.leds.at(0, LedSignal) = 40;
    s.leds.at(7, LedMode) = 1;
    return s;
}

struct RangeCase {
    const char* name;
    ProgramSettings base;
    std::vector<std::pair<std::size_t, std::uint32_t>> words;  // written into the base's file
    std::function<void(ProgramSettings&)> expect;              // the base as it must load
};

std::vector<RangeCase> RangeCases()
{
    const ProgramSettings m = Sample(6, Channel::Rs485, 9);  // 716
    const ProgramSettings u = Sample(6, Channel::Usb, 8);    // 716 on USB
    const ProgramSettings n = Sample(3, Channel::Rs485, 4);  // 706
    const ProgramSettings nSlow = Sample(3, Channel::Rs485, 0);
    auto keep = [](ProgramSettings&) {};
    return {
        {"baud50AndAddress0",
         n,
         {{58, 50}, {57, 0}},
         [](ProgramSettings& s) {
             s.connection.baudIndex = 6;
             s.connection.address = 1;
         }},
        {"address255Kept", n, {{57, 255}}, [](ProgramSettings& s) { s.connection.address = 255; }},
        {"address256", n, {{57, 256}}, [](ProgramSettings& s) { s.connection.address = 1; }},
        {"addressNegative",
         n,
         {{57, 0xFFFFFFFF}},
         [](ProgramSettings& s) { s.connection.address = 1; }},
        {"portZero", n, {{56, 0}}, [](ProgramSettings& s) { s.connection.port = 1; }},
        {"baud7OnNonM", n, {{58, 7}}, [](ProgramSettings& s) { s.connection.baudIndex = 6; }},
        {"baud9OnM", m, {{58, 9}}, keep},
        {"baud10OnM", m, {{58, 10}}, [](ProgramSettings& s) { s.connection.baudIndex = 6; }},
        {"baud5OnUsb", u, {{58, 5}}, [](ProgramSettings& s) { s.connection.baudIndex = 6; }},
        {"parity3", n, {{59, 3}}, [](ProgramSettings& s) { s.connection.parity = Parity::None; }},
        {"stopBits2",
         n,
         {{60, 2}},
         [](ProgramSettings& s) { s.connection.stopBits = StopBits::One; }},
        {"repeat1000Kept",
         n,
         {{61, 1000}},
         [](ProgramSettings& s) { s.connection.repeatCount = 1000; }},
        {"repeat1001", n, {{61, 1001}}, [](ProgramSettings& s) { s.connection.repeatCount = 10; }},
        {"transport12",
         n,
         {{62, 12}},
         [](ProgramSettings& s) {
             s.connection.channel = Channel::Usb;
             s.connection.protocol = Protocol::Modbus;
             s.connection.protocolVariant = 0;
         }},
        {"modelIndex8",
         n,
         {{63, 8}},
         [](ProgramSettings& s) {
             s.modelIndex = 5;  // 715: the 706 image is no valid M image
             s.setpoints = DefaultImage(715);
         }},
        {"pollFlag2",
         n,
         {{26, 2}, {28, 7}},
         [](ProgramSettings& s) {
             s.measurementPoll.on = false;
             s.ioStatePoll.on = false;
         }},
        // At 19200 bit/s: minimum 250 and 500 ms; the damaged defaults are 350 and 395 → 500.
        {"periodsBelowMinimum",
         n,
         {{27, 249}, {29, 499}},
         [](ProgramSettings& s) {
             s.measurementPoll.periodMs = 350;
             s.ioStatePoll.periodMs = 500;
         }},
        {"periodsAtMinimumKept",
         n,
         {{27, 250}, {29, 500}},
         [](ProgramSettings& s) {
             s.measurementPoll.periodMs = 250;
             s.ioStatePoll.periodMs = 500;
         }},
        {"periodsAboveFourDigits",
         nSlow,
         {{27, 10000}, {29, 10000}},
         [](ProgramSettings& s) {
             s.measurementPoll.periodMs = 950;
             s.ioStatePoll.periodMs = 3450;
         }},
        {"setpointFlag2",
         n,
         {{64 + 52, 2}},
         [](ProgramSettings& s) { s.setpoints = DefaultImage(706); }},
        {"setpointBelowRaw",
         m,
         {{64 + 0, 19}},
         [](ProgramSettings& s) { s.setpoints = DefaultImage(716); }},
        {"input9Function7",
         n,
         {{191 + 8 * 4, 7}},
         [](ProgramSettings& s) { s.io = DefaultIoImage(); }},
        {"outputMode3", m, {{255 + 1, 3}}, [](ProgramSettings& s) { s.io = DefaultIoImage(); }},
        {"led1Signal95", m, {{319, 95}}, [](ProgramSettings& s) { s.leds = DefaultLedImage(); }},
        // All eight LEDs are checked, also under a model that shows five.
        {"led8Mode2OnNonM",
         n,
         {{319 + 22, 2}},
         [](ProgramSettings& s) { s.leds = DefaultLedImage(); }},
        {"ipByte256", n, {{367, 256}}, [](ProgramSettings& s) { s.linkPage.ip[0] = 0; }},
        {"tcpPortAbove65535",
         n,
         {{371, 65536}},
         [](ProgramSettings& s) { s.linkPage.tcpPort = 502; }},
        {"linkFlag5", n, {{390, 5}}, [](ProgramSettings& s) { s.linkPage.ethernetOn = false; }},
    };
}

class SettingsRange : public testing::TestWithParam<RangeCase> {};

TEST_P(SettingsRange, OutOfRangeTakesItsDefaultAndTheRestIsKept)
{
    const RangeCase& c = GetParam();
    auto file = BuildProgramSettings(c.base);
    for (const auto& [k, v] : c.words)
        PutWord(file, k, v);
    Reseal(file);
    const ProgramSettingsLoad load = ParseProgramSettings(file);
    ASSERT_EQ(load.source, SettingsSource::Loaded);
    ProgramSettings expected = c.base;
    c.expect(expected);
    EXPECT_EQ(BuildProgramSettings(load.settings), BuildProgramSettings(expected));
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsRange, testing::ValuesIn(RangeCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ProgramSettingsConnection, TcpAddressAndPortComeFromTheLinkWords)
{
    ProgramSettings s = Sample(6, Channel::Ethernet, 6);
    ConnectionSettings c = EffectiveConnection(s);
    EXPECT_EQ(c.tcpAddress, (std::array<std::uint8_t, 4>{10, 0, 0, 9}));
    EXPECT_EQ(c.tcpPort, 1502);
    s.linkPage.ipValid = false;
    s.linkPage.tcpPort = 0;
    c = EffectiveConnection(s);
    EXPECT_EQ(c.tcpAddress, (std::array<std::uint8_t, 4>{}));
    EXPECT_EQ(c.tcpPort, 502);
}

TEST(SettingsPath, ProgramFolderWhenWritableElseUserFolder)
{
    const std::string longFolder(kMaxPathBytes, 'a');
    struct Case {
        const char* name;
        std::string program;
        bool writable;
        std::string user;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"writable", "/opt/t", true, "/home/u/.config/tirv", "/opt/t/ТИРВ.cfg"},
        {"trailingSlash", "/opt/t/", true, "", "/opt/t/ТИРВ.cfg"},
        {"readOnly", "/usr/bin", false, "/home/u/.config/tirv", "/home/u/.config/tirv/ТИРВ.cfg"},
        {"readOnlyNoUserFolder", "/usr/bin", false, "", std::nullopt},
        {"programPathTooLong", longFolder, true, "/home/u", "/home/u/ТИРВ.cfg"},
        {"bothTooLong", longFolder, true, longFolder, std::nullopt},
        {"noFolders", "", true, "", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseSettingsPath(c.program, c.writable, c.user), c.path) << c.name;
    // The longest path that fits is taken whole.
    const std::string name = "ТИРВ.cfg";
    const std::string fits(kMaxPathBytes - name.size() - 1, 'b');
    const auto p = PathInFolder(fits, name);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->size(), kMaxPathBytes);
    EXPECT_FALSE(PathInFolder(fits + "b", name));
}

class SettingsOnDisk : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("tirv_settings_" + std::to_string(::getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        m_path = (m_dir / "ТИРВ.cfg").string();
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::filesystem::path m_dir;
    std::string m_path;
};

TEST_F(SettingsOnDisk, MissingFileGivesTheFreshDefaultsThenSavedFileLoads)
{
    const ProgramSettingsLoad missing = LoadProgramSettings(m_path);
    EXPECT_EQ(missing.source, SettingsSource::Missing);
    EXPECT_EQ(missing.settings.measurementPoll.periodMs, 135);
    const ProgramSettings s = Sample(3, Channel::Rs485, 4);
    ASSERT_TRUE(SaveProgramSettings(m_path, s));
    EXPECT_EQ(std::filesystem::file_size(m_path), 2048u);
    const ProgramSettingsLoad loaded = LoadProgramSettings(m_path);
    EXPECT_EQ(loaded.source, SettingsSource::Loaded);
    EXPECT_EQ(BuildProgramSettings(loaded.settings), BuildProgramSettings(s));
}

TEST_F(SettingsOnDisk, ShortFileIgnoredAndAValidFileWrittenOver)
{
    auto bytes = BuildProgramSettings(Sample(3, Channel::Rs485, 4));
    bytes.pop_back();
    std::ofstream(m_path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const ProgramSettingsLoad load = LoadProgramSettings(m_path);
    EXPECT_EQ(load.source, SettingsSource::Damaged);
    EXPECT_EQ(load.settings.measurementPoll.periodMs, 250);
    ASSERT_TRUE(SaveProgramSettings(m_path, load.settings));
    EXPECT_EQ(LoadProgramSettings(m_path).source, SettingsSource::Loaded);
}

// The temporary file cannot be made (a folder is in its way): the write fails and the previous
// file still loads with its values.
TEST_F(SettingsOnDisk, FailedWriteKeepsThePreviousFile)
{
    const ProgramSettings before = Sample(3, Channel::Rs485, 4);
    ASSERT_TRUE(SaveProgramSettings(m_path, before));
    std::filesystem::create_directory(m_path + ".tmp");
    ProgramSettings after = before;
    after.connection.address = 99;
    EXPECT_FALSE(SaveProgramSettings(m_path, after));
    const ProgramSettingsLoad load = LoadProgramSettings(m_path);
    EXPECT_EQ(load.source, SettingsSource::Loaded);
    EXPECT_EQ(load.settings.connection.address, 7);
}

}  // namespace
}  // namespace tirv
