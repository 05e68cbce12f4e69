// The program settings file: byte-exact round trips, the defaults of a missing and of a damaged
// file, the range check of every loaded value, the path of the file and its safe replacement.
#include "configurator/journals/journal_settings.h"
#include "configurator/journals/measurement_settings.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/shell/program_settings.h"
#include "file_formats_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tirv {
namespace {

using file_test::CrcWordMatches;
using file_test::PutWord;
using file_test::Reseal;
using file_test::SealedFile;
using file_test::WordAt;

// A record that differs from the defaults wherever it can: COM3, 19200 bit/s, address 7 …
ProgramSettings SampleSettings(int modelIndex)
{
    ProgramSettings s = DefaultProgramSettings(SettingsSource::Missing);
    s.modelIndex = modelIndex;
    const ModelProfile p = ProfileForModel(s.modelCode());
    for (std::size_t i = 0; i < s.measurementPage.size(); ++i)
        s.measurementPage[i] = 0x00C0FFEEu + static_cast<std::uint32_t>(i);
    for (std::size_t i = 0; i < s.journalPage.size(); ++i)
        s.journalPage[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 7);
    s.measurementPoll = {true, 1234};
    s.ioStatePoll = {true, 2345};
    s.connection.port = 3;
    s.connection.address = 7;
    s.connection.baudIndex = 4;
    s.connection.parity = Parity::Odd;
    s.connection.stopBits = StopBits::Two;
    s.connection.repeatCount = 1000;
    s.connection.channel = Channel::Rs485;
    s.connection.protocol = Protocol::Tirv;
    s.connection.protocolVariant = 1;
    s.setpoints = DefaultImage(p);
    s.setpoints[1] = 777;  // МТЗ-1 гр.А T 7.77 s
    s.setpoints[static_cast<std::size_t>(p.flagIndex(0))] = 1;
    s.io = file_test::SampleIo();
    s.leds = file_test::SampleLeds(kLedEntries);
    for (std::size_t i = 0; i < s.calibration.size(); ++i)
        s.calibration[i] = 1000000u + static_cast<std::uint32_t>(i);
    s.linkPage = {true,
                  {192, 168, 1, 20},
                  5020,
                  true,
                  {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xFF},
                  true,
                  {192, 168, 1, 1},
                  true,
                  {255, 255, 255, 0},
                  true,
                  false,
                  true};
    for (std::size_t i = 0; i < s.reserved.size(); ++i)
        s.reserved[i] = 0xA5A50000u + static_cast<std::uint32_t>(i);
    return s;
}

TEST(ProgramSettingsFile, RoundTripIsByteExactForBothClasses)
{
    for (int index : {3, 6}) {  // 706 and 716
        const auto first = BuildProgramSettings(SampleSettings(index));
        ASSERT_EQ(first.size(), 2048u);
        EXPECT_TRUE(CrcWordMatches(first)) << index;
        const ProgramSettingsLoad load = ParseProgramSettings(first);
        EXPECT_EQ(load.source, SettingsSource::Loaded);
        EXPECT_EQ(BuildProgramSettings(load.settings), first) << index;
    }
}

TEST(ProgramSettingsFile, WordsLieWhereTheTableSays)
{
    const ProgramSettings s = SampleSettings(3);
    const auto b = BuildProgramSettings(s);
    struct Word {
        std::size_t k;
        std::uint32_t value;
    };
    const Word words[] = {
        {0, 0x00C0FFEE},
        {25, 0x00C0FFEE + 25},
        {26, 1},
        {27, 1234},
        {28, 1},
        {29, 2345},
        {30, 0xFF000000},
        {55, 0xFF000000 | 175},
        {56, 3},
        {57, 7},
        {58, 4},
        {59, 2},
        {60, 1},
        {61, 1000},
        {62, 1 + 2 * 0 + 4 * 0},
        {63, 3},
        {64, 20},
        {65, 777},
        {191, 0},
        {194, 9999},
        {191 + 8 * 4, 28},  // input 9 function
        {195, 1},           // input 2 function
        {196, 1},           // input 2 level
        {255, 94},          // output 1 signal
        {318, 15},          // output 16 return time
        {319, 10},
        {321, 250},
        {340, 17},  // LED 8 signal
        {341, 1},
        {342, 250},
        {343, 1000000},
        {365, 1000022},
        {366, 1},
        {367, 192},
        {370, 20},
        {371, 5020},
        {372, 1},
        {373, 0x00},
        {378, 0xFF},
        {379, 1},
        {380, 192},
        {383, 1},
        {384, 1},
        {385, 255},
        {388, 0},
        {389, 1},
        {390, 0},
        {391, 1},
        {392, 0xA5A50000},
        {510, 0xA5A50000 + 118},
    };
    for (const Word& w : words)
        EXPECT_EQ(WordAt(b, w.k), w.value) << "word " << w.k;
}

// A file made word by word, with every owned value valid, is written back byte for byte: the
// words of pages not built here (and the reserved ones) pass through untouched.
TEST(ProgramSettingsFile, ForeignAndReservedWordsWrittenBackIdentical)
{
    std::vector<std::uint32_t> w(511, 0);
    std::uint32_t x = 0x12345678;
    auto next = [&x] { return x = x * 1103515245u + 12345u; };
    for (std::size_t k = 0; k < 26; ++k)
        w[k] = next();
    for (std::size_t k = 30; k < 56; ++k)
        w[k] = next();
    for (std::size_t k = 343; k < 366; ++k)
        w[k] = next();
    for (std::size_t k = 392; k < 511; ++k)
        w[k] = next();
    const std::uint32_t connection[] = {5, 200, 9, 1, 0, 3, 5 /* new variant, USB */, 6};
    std::copy(std::begin(connection), std::end(connection), w.begin() + 56);
    w[27] = 400;
    w[29] = 9999;
    const SetpointImage img = DefaultImage(716);
    for (std::size_t i = 0; i < 127; ++i)
        w[64 + i] = static_cast<std::uint32_t>(img[i]);
    // Valid I/O and LED words unlike the defaults; foreign ones would be replaced by them.
    const auto io = IoImageWords(file_test::SampleIo());
    std::copy(io.begin(), io.end(), w.begin() + 191);
    const auto leds = file_test::SampleLeds(kLedEntries).words;
    std::copy(leds.begin(), leds.end(), w.begin() + 319);
    w[371] = 502;
    const auto file = SealedFile(w);
    const ProgramSettingsLoad load = ParseProgramSettings(file);
    ASSERT_EQ(load.source, SettingsSource::Loaded);
    EXPECT_EQ(load.settings.connection.channel, Channel::Usb);
    EXPECT_EQ(load.settings.connection.protocolVariant, 1);
    EXPECT_EQ(load.settings.connection.protocol, Protocol::Tirv);
    EXPECT_EQ(load.settings.connection.valuesPerFrame, 34);
    EXPECT_EQ(BuildProgramSettings(load.settings), file);
}

struct DamagedCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
};

std::vector<DamagedCase> DamagedCases()
{
    const auto good = BuildProgramSettings(SampleSettings(3));
    auto shortFile = good;
    shortFile.pop_back();
    auto longFile = good;
    longFile.push_back(0);
    auto changed = good;
    changed[57 * 4] ^= 0x04;  // the address, without resealing
    auto crcOnly = good;
    crcOnly[511 * 4] ^= 0x01;
    return {{"bytes2047", shortFile},
            {"bytes2049", longFile},
            {"oneByteChanged", changed},
            {"crcChanged", crcOnly},
            {"empty", {}}};
}

class DamagedSettings : public testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedSettings, GiveTheDamagedDefaults)
{
    const ProgramSettingsLoad load = ParseProgramSettings(GetParam().bytes);
    EXPECT_EQ(load.source, SettingsSource::Damaged);
    EXPECT_EQ(BuildProgramSettings(load.settings),
              BuildProgramSettings(DefaultProgramSettings(SettingsSource::Damaged)));
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSettings, testing::ValuesIn(DamagedCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ProgramSettingsDefaults, MissingAndDamagedDifferInTheMeasurementPeriod)
{
    const ProgramSettings missing = DefaultProgramSettings(SettingsSource::Missing);
    const ProgramSettings damaged = DefaultProgramSettings(SettingsSource::Damaged);
    EXPECT_EQ(missing.measurementPoll.periodMs, 135);  // 35 + 100 at 57600 bit/s
    EXPECT_EQ(damaged.measurementPoll.periodMs, 250);  // 150 + 100
    for (const ProgramSettings* s : {&missing, &damaged}) {
        EXPECT_FALSE(s->measurementPoll.on);
        EXPECT_FALSE(s->ioStatePoll.on);
        EXPECT_EQ(s->ioStatePoll.periodMs, 265);  // 3 750 000 / 57600 + 200
        EXPECT_EQ(s->connection.address, 1);
        EXPECT_EQ(s->connection.baudIndex, 6);
        EXPECT_EQ(TransportWord(s->connection), 6u);  // Modbus over USB
        EXPECT_EQ(s->modelIndex, 5);
        EXPECT_EQ(s->modelCode(), 715);
        EXPECT_EQ(s->setpoints, DefaultImage(715));
        for (std::size_t i = 0; i < 23; ++i)
            EXPECT_EQ(s->calibration[i], i >= 18 ? 1u : 0u) << "calibration word " << i;
        for (std::uint32_t r : s->reserved)
            EXPECT_EQ(r, 0u);
        // The pages' own defaults: their colours, all journal phasors and sectors shown.
        EXPECT_EQ(s->measurementPage[0], PackMeasurementSettings(DefaultMeasurementSettings(
                                             6, SettingsAbsence::Missing))[0]);
        EXPECT_NE(s->measurementPage[0], 0u);
        EXPECT_EQ(s->journalPage, PackJournalSettings(EmergencyJournalSettings{}));
    }
}

// A written record never holds a period below the minimum of its speed.
TEST(ProgramSettingsDefaults, WrittenPeriodsRaisedToTheMinimum)
{
    const auto b = BuildProgramSettings(DefaultProgramSettings(SettingsSource::Missing));
    EXPECT_EQ(WordAt(b, 27), 150u);
    EXPECT_EQ(WordAt(b, 29), 400u);
    const ProgramSettingsLoad load = ParseProgramSettings(b);
    EXPECT_EQ(load.source, SettingsSource::Loaded);
    EXPECT_EQ(BuildProgramSettings(load.settings), b);
}

}  // namespace
}  // namespace tirv
