#include "configurator/journals/journal_emergency.h"

#include <gtest/gtest.h>

#include "configurator/journals/journal_emergency_values.h"
#include "configurator/journals/journal_test_images.h"

namespace tirv {
namespace {

using journal_test::EmergencyFields;
using journal_test::EmptyEmergencyImage;
using journal_test::PutEmergency;

constexpr int kComputerYear = 2026;
constexpr std::uint16_t kMtz1 = 1, kMtz2 = 2, kMtz3 = 4, kBit14 = 1u << 14, kFailure = 0x8000;

// Ia, Ib, Ic, Ua, Ub, Uc, Uab, Ubc, Uca, 3Io, 3Uo, I1, I2, then 11 angles in tenths of a degree.
constexpr std::array<std::uint16_t, 24> kValues{
    1234, 330, 1241, 575,  362,  358, 1000,
    672,  935, 1500, 40,   612,  598, static_cast<std::uint16_t>(-300),
    1890, 880, 0,    2130, 1470, 300, 1800,
    3300, 0,   1200};

std::vector<std::uint16_t> TwoTripImage()
{
    auto image = EmptyEmergencyImage();
    PutEmergency(image, 0, {2, 11, 2025, 3, 12, 44, 17, kMtz3, kMtz3, 6});
    PutEmergency(image, 1, {5, 3, 2024, 14, 37, 12, 45, kMtz2, kMtz2 | kMtz3, 250}, kValues);
    return image;
}

TEST(EmergencyJournalDecode, NonMModelRowsAndValues)
{
    EmergencyJournal j;
    ASSERT_EQ(AcceptEmergencyJournalRead(TwoTripImage(), false, kComputerYear, j),
              EmergencyReadVerdict::Accepted);
    EXPECT_EQ(j.events(), (std::vector<int>{0, 1}));
    const auto row = EmergencyRows(j.records[1], j.mClass);
    EXPECT_EQ(row.first,
              (std::array<std::string, 4>{"05.03.2024", "14:37:12.45", " МТЗ-2:", "МТЗ-2 МТЗ-3 "}));
    EXPECT_EQ(row.outcome, "успешно сработала");
    EXPECT_EQ(EmergencySummaryText(j.records[1], false), " МТЗ-2:  05.03.2024  14:37:12.45");

    const auto v = EmergencyValuesOf(j.records[1], false);
    EXPECT_EQ(v.magnitudeTexts[0], "123.4");  // Ia × 0.1 on models below 715
    EXPECT_EQ(v.magnitudeTexts[3], "57.5");
    EXPECT_EQ(v.magnitudeTexts[6], "100.0");  // Uab
    EXPECT_EQ(v.magnitudeTexts[9], "1.500");  // 3Io × 0.001
    EXPECT_EQ(v.magnitudeTexts[11], "61.2");  // I1 × 0.1
    EXPECT_DOUBLE_EQ(v.magnitudes[0], 123.4);
    EXPECT_EQ(v.angleTexts[0], "-30.0");  // a negative angle travels as two's complement
    EXPECT_EQ(v.angleTexts[6], "30.0");
    EXPECT_DOUBLE_EQ(v.angles[1], 189.0);
    EXPECT_EQ(v.opening.text, "2.50 сек.");
}

TEST(EmergencyJournalDecode, MModelRowsValuesAndTransferBytes)
{
    auto image = TwoTripImage();
    image[kEmergencyRecordWords + kEwFraction] = 45;  // milliseconds on the M modification
    EmergencyJournal j, fromBytes;
    ASSERT_EQ(AcceptEmergencyJournalRead(image, true, kComputerYear, j),
              EmergencyReadVerdict::Accepted);
    ASSERT_EQ(AcceptEmergencyJournalTransfer(journal_test::TransferBytes(image), true,
                                             kComputerYear, fromBytes),
              EmergencyReadVerdict::Accepted);
    EXPECT_EQ(fromBytes.records, j.records);
    EXPECT_EQ(EmergencyTimeText(j.records[1], true), "14:37:12.045");
    const auto v = EmergencyValuesOf(j.records[1], true);
    EXPECT_EQ(v.magnitudeTexts[0], "12.34");  // Ia × 0.01 on the M modification
    EXPECT_EQ(v.magnitudeTexts[2], "12.41");
    EXPECT_EQ(v.magnitudeTexts[3], "57.5");  // voltages alike on both classes
    EXPECT_EQ(v.magnitudeTexts[9], "1.500");
}

TEST(EmergencyJournalDecode, WrongLengthIsRefused)
{
    EmergencyJournal j;
    EXPECT_EQ(AcceptEmergencyJournalRead(std::vector<std::uint16_t>(339), false, kComputerYear, j),
              EmergencyReadVerdict::WrongLength);
    EXPECT_EQ(
        AcceptEmergencyJournalTransfer(std::vector<std::uint8_t>(681), false, kComputerYear, j),
        EmergencyReadVerdict::WrongLength);
    EXPECT_FALSE(j.hasData);
}

struct EmergencyValidityCase {
    const char* what;
    EmergencyFields fields;
    bool valid;
};

class EmergencyRecordValidity : public testing::TestWithParam<EmergencyValidityCase> {};

TEST_P(EmergencyRecordValidity, RecordTableRanges)
{
    const auto& c = GetParam();
    auto image = TwoTripImage();
    PutEmergency(image, 7, c.fields);
    EmergencyJournal j;
    const auto verdict = AcceptEmergencyJournalRead(image, false, kComputerYear, j);
    EXPECT_EQ(verdict == EmergencyReadVerdict::Accepted, c.valid) << c.what;
    if (!c.valid) {
        EXPECT_FALSE(j.hasData) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EmergencyRecordValidity,
    testing::Values(
        EmergencyValidityCase{"two event bits", {1, 1, 2024, 0, 0, 0, 0, kMtz1 | kMtz2, 0}, false},
        EmergencyValidityCase{
            "one bit and breaker failure", {1, 1, 2024, 0, 0, 0, 0, kMtz1 | kFailure, 0}, true},
        EmergencyValidityCase{"breaker failure alone", {1, 1, 2024, 0, 0, 0, 0, kFailure, 0}, true},
        EmergencyValidityCase{"29 February 2024", {29, 2, 2024, 0, 0, 0, 0, kMtz1, 0}, true},
        EmergencyValidityCase{"29 February 2023", {29, 2, 2023, 0, 0, 0, 0, kMtz1, 0}, false},
        EmergencyValidityCase{"31 June", {31, 6, 2024, 0, 0, 0, 0, kMtz1, 0}, false},
        EmergencyValidityCase{"the computer's year", {31, 12, 2026, 0, 0, 0, 0, kMtz1, 0}, true},
        EmergencyValidityCase{"the next year", {1, 1, 2027, 0, 0, 0, 0, kMtz1, 0}, false},
        EmergencyValidityCase{"day 0", {0, 1, 2024, 0, 0, 0, 0, kMtz1, 0}, false},
        EmergencyValidityCase{"month 13", {1, 13, 2024, 0, 0, 0, 0, kMtz1, 0}, false},
        EmergencyValidityCase{"hour 24", {1, 1, 2024, 24, 0, 0, 0, kMtz1, 0}, false},
        EmergencyValidityCase{"minute 60", {1, 1, 2024, 0, 60, 0, 0, kMtz1, 0}, false},
        EmergencyValidityCase{"second 60", {1, 1, 2024, 0, 0, 60, 0, kMtz1, 0}, false},
        EmergencyValidityCase{
            "an empty record is not checked", {0, 77, 9999, 99, 99, 99, 0, 0, 3}, true}));

TEST(EmergencyJournalDecode, AnInvalidReadLeavesTheJournalAsItWas)
{
    EmergencyJournal j;
    ASSERT_EQ(AcceptEmergencyJournalRead(TwoTripImage(), false, kComputerYear, j),
              EmergencyReadVerdict::Accepted);
    const EmergencyJournal before = j;
    auto bad = TwoTripImage();
    PutEmergency(bad, 4, {3, 3, 2024, 1, 1, 1, 1, kMtz1 | kMtz3, 0});
    EXPECT_EQ(AcceptEmergencyJournalRead(bad, true, kComputerYear, j),
              EmergencyReadVerdict::InvalidRecord);
    EXPECT_EQ(j.records, before.records);
    EXPECT_EQ(j.mClass, before.mClass);
}

TEST(EmergencyJournalOrder, NewestFirstWithEqualRecordsInRelayOrder)
{
    auto image = EmptyEmergencyImage();
    PutEmergency(image, 0, {5, 3, 2024, 14, 37, 12, 45, kMtz1, 0});
    PutEmergency(image, 1, {5, 3, 2024, 14, 37, 12, 46, kMtz2, 0});  // a hundredth later
    PutEmergency(image, 3, {5, 3, 2024, 14, 37, 12, 45, kMtz3, 0});  // equal to slot 0
    PutEmergency(image, 5, {1, 1, 2025, 0, 0, 0, 0, kFailure, 0});   // newest, names nothing
    PutEmergency(image, 6, {31, 12, 2023, 23, 59, 59, 99, kMtz1, 0});
    EmergencyJournal j;
    ASSERT_EQ(AcceptEmergencyJournalRead(image, false, kComputerYear, j),
              EmergencyReadVerdict::Accepted);
    EXPECT_EQ(j.events(), (std::vector<int>{5, 1, 0, 3, 6}));
    // The newest event naming a protection is the one whose oscillogram can be read.
    EXPECT_EQ(j.oscillogramEvent(), 1);
    EXPECT_EQ(EmergencyRows(j.records[5], false).first[2], "");
    EXPECT_EQ(EmergencyRows(j.records[5], false).outcome, "отказ выключателя");
}

TEST(EmergencyJournalOrder, NoEventNamingAProtectionMeansNoOscillogram)
{
    auto image = EmptyEmergencyImage();
    PutEmergency(image, 2, {1, 1, 2024, 0, 0, 0, 0, kFailure, kMtz1});
    EmergencyJournal j;
    ASSERT_EQ(AcceptEmergencyJournalRead(image, false, kComputerYear, j),
              EmergencyReadVerdict::Accepted);
    EXPECT_EQ(j.events(), std::vector<int>{2});
    EXPECT_EQ(j.oscillogramEvent(), -1);
}

TEST(EmergencyTexts, EventBitsAndStartedProtectionsByClass)
{
    EXPECT_EQ(EmergencyEventText(kMtz1, false), " МТЗ-1:");
    EXPECT_EQ(EmergencyEventText(1u << 7, true), "АВР выход:");
    EXPECT_EQ(EmergencyEventText(1u << 10, false), "УРОВ вход:");
    EXPECT_EQ(EmergencyEventText(1u << 13, true), " ОЗЗ-1Г:");
    EXPECT_EQ(EmergencyEventText(kBit14, true), " ОЗЗ-ВГ:");
    EXPECT_EQ(EmergencyEventText(kBit14, false), " АПВ:");
    EXPECT_EQ(EmergencyEventText(kFailure, false), "");
    EXPECT_EQ(EmergencyEventText(kMtz3 | kFailure, false), " МТЗ-3:");

    EXPECT_EQ(StartedProtectionsText(0, false), "");
    EXPECT_EQ(StartedProtectionsText(0x7FFF, true),
              "МТЗ-1 МТЗ-2 МТЗ-3 МТЗ-4 ЗОФ ЗПН ЗМН АВР-выход ДЗ-1 ДЗ-2 УРОВ-вход ГЗ ТЗ ОЗЗ-1Г "
              "ОЗЗ-ВГ ");
    EXPECT_EQ(StartedProtectionsText(kBit14 | kMtz2 | kFailure, false), "МТЗ-2 АПВ ");
}

TEST(EmergencyTexts, SummaryKeepsAtMostElevenCharactersOfTheEvent)
{
    EmergencyRecord r;
    r.words = {9, 1, 2024, 8, 5, 3, 7, 1u << 10};
    EXPECT_EQ(EmergencySummaryText(r, false), "УРОВ вход:  09.01.2024  08:05:03.07");
    EXPECT_EQ(EmergencySummaryText(r, true), "УРОВ вход:  09.01.2024  08:05:03.007");
}

struct OpeningCase {
    std::uint32_t word;
    bool shown;
    const char* text;
};

TEST(EmergencyOpeningTime, MinutesSecondsOrHidden)
{
    const OpeningCase cases[] = {
        {0x8005, true, "5 мин."},      {85, false, ""},
        {250, true, "2.50 сек."},      {99, false, ""},
        {100, true, "1.00 сек."},      {0x8000, true, "0 мин."},
        {0x7FFF, true, "327.67 сек."}, {0, false, ""},
    };
    for (const auto& c : cases) {
        const auto t = OpeningTimeOf(c.word);
        EXPECT_EQ(t.shown, c.shown) << c.word;
        EXPECT_EQ(t.text, c.text) << c.word;
    }
}

}  // namespace
}  // namespace tirv
