#include "configurator/journals/journal_working.h"

#include <gtest/gtest.h>

#include "configurator/journals/journal_test_images.h"
#include "configurator/journals/journal_texts.h"

namespace tirv {
namespace {

using journal_test::EmptyWorkingImage;
using journal_test::PutWorking;
using journal_test::WorkingFields;
namespace tx = journal_texts;

TEST(WorkingJournalDecode, RecordFieldsAndRowTextsComeFromTheWireBytes)
{
    auto image = EmptyWorkingImage();
    PutWorking(image, 0, {24, 2, 29, 10, 11, 12, 345, 1});
    PutWorking(image, 20, {25, 12, 31, 23, 59, 59, 999, 122});
    PutWorking(image, 119, {15, 1, 1, 0, 0, 0, 0, 50});

    WorkingJournal j;
    ASSERT_EQ(AcceptWorkingJournalRead(image, j), WorkingReadVerdict::Accepted);
    EXPECT_TRUE(j.hasData);
    EXPECT_EQ(j.count1, 1);
    EXPECT_EQ(j.count2, 2);
    const WorkingRecord& r = j.records[0];
    EXPECT_EQ(r.words[0], 24u + 256u * 2u);  // year + 256 × month
    EXPECT_EQ(r.words[1], 29u + 256u * 10u);
    EXPECT_EQ(r.words[2], 11u + 256u * 12u);
    EXPECT_EQ(r.words[3], 345u);
    EXPECT_EQ(r.words[4], 1u);

    const auto settings = WorkingListRows(j, WorkingGroup::Settings);
    ASSERT_EQ(settings.size(), 2u);
    EXPECT_EQ(settings[0], (WorkingRow{"29.02.24", "10:11:12.345", "Смена уставок"}));
    EXPECT_EQ(settings[1], WorkingRow{});  // each list ends with one empty row

    const auto events = WorkingListRows(j, WorkingGroup::Events);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0], (WorkingRow{"31.12.25", "23:59:59.999", "Сброс по выводу RESET "}));
    EXPECT_EQ(events[1], (WorkingRow{"01.01.15", "00:00:00.000", "050"}));
}

TEST(WorkingJournalDecode, ModbusTcpBytesGiveTheSameJournal)
{
    auto image = EmptyWorkingImage();
    PutWorking(image, 3, {24, 5, 6, 7, 8, 9, 10, 2});
    PutWorking(image, 40, {23, 1, 2, 3, 4, 5, 600, 123});
    WorkingJournal fromRegisters, fromBytes;
    ASSERT_EQ(AcceptWorkingJournalRead(image, fromRegisters), WorkingReadVerdict::Accepted);
    ASSERT_EQ(AcceptWorkingJournalTransfer(journal_test::TransferBytes(image), fromBytes),
              WorkingReadVerdict::Accepted);
    EXPECT_EQ(fromRegisters.records, fromBytes.records);
    EXPECT_EQ(WorkingListRows(fromBytes, WorkingGroup::Events),
              WorkingListRows(fromRegisters, WorkingGroup::Events));
}

TEST(WorkingJournalDecode, WrongLengthIsRefused)
{
    WorkingJournal j;
    EXPECT_EQ(AcceptWorkingJournalRead(std::vector<std::uint16_t>(599), j),
              WorkingReadVerdict::WrongLength);
    EXPECT_EQ(AcceptWorkingJournalTransfer(std::vector<std::uint8_t>(1199), j),
              WorkingReadVerdict::WrongLength);
    EXPECT_FALSE(j.hasData);
}

struct ValidityCase {
    const char* what;
    WorkingFields fields;
    bool valid;
};

class WorkingRecordValidity : public testing::TestWithParam<ValidityCase> {};

TEST_P(WorkingRecordValidity, RecordTableRanges)
{
    const auto& c = GetParam();
    auto image = EmptyWorkingImage();
    PutWorking(image, 25, c.fields);
    WorkingJournal j;
    const auto verdict = AcceptWorkingJournalRead(image, j);
    EXPECT_EQ(verdict == WorkingReadVerdict::Accepted, c.valid) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkingRecordValidity,
    testing::Values(
        ValidityCase{"29 February in year 24", {24, 2, 29, 0, 0, 0, 0, 5}, true},
        ValidityCase{"29 February in year 23", {23, 2, 29, 0, 0, 0, 0, 5}, false},
        ValidityCase{"28 February in year 23", {23, 2, 28, 0, 0, 0, 0, 5}, true},
        ValidityCase{"31 April", {24, 4, 31, 0, 0, 0, 0, 5}, false},
        ValidityCase{"30 April", {24, 4, 30, 0, 0, 0, 0, 5}, true},
        ValidityCase{"31 December", {24, 12, 31, 0, 0, 0, 0, 5}, true},
        ValidityCase{"day 0", {24, 1, 0, 0, 0, 0, 0, 5}, false},
        ValidityCase{"month 0", {24, 0, 1, 0, 0, 0, 0, 5}, false},
        ValidityCase{"month 13", {24, 13, 1, 0, 0, 0, 0, 5}, false},
        ValidityCase{"year 14", {14, 1, 1, 0, 0, 0, 0, 5}, false},
        ValidityCase{"hour 24", {24, 1, 1, 24, 0, 0, 0, 5}, false},
        ValidityCase{"minute 60", {24, 1, 1, 0, 60, 0, 0, 5}, false},
        ValidityCase{"second 60", {24, 1, 1, 0, 0, 60, 0, 5}, false},
        ValidityCase{"999 ms", {24, 1, 1, 23, 59, 59, 999, 5}, true},
        ValidityCase{"1000 ms", {24, 1, 1, 0, 0, 0, 1000, 5}, false},
        ValidityCase{"an empty record is not checked", {99, 77, 66, 55, 44, 33, 2000, 0}, true},
        ValidityCase{"a negative code is an empty record", {0, 0, 0, 99, 0, 0, 0, 0x8001}, true}));

TEST(WorkingJournalDecode, AnInvalidReadLeavesTheJournalAsItWas)
{
    auto good = EmptyWorkingImage();
    PutWorking(good, 0, {24, 3, 1, 1, 1, 1, 1, 3});
    WorkingJournal j;
    ASSERT_EQ(AcceptWorkingJournalRead(good, j), WorkingReadVerdict::Accepted);
    const WorkingJournal before = j;

    auto bad = good;
    PutWorking(bad, 30, {23, 2, 29, 0, 0, 0, 0, 124});
    EXPECT_EQ(AcceptWorkingJournalRead(bad, j), WorkingReadVerdict::InvalidRecords);
    EXPECT_EQ(j.records, before.records);
    EXPECT_EQ(WorkingListRows(j, WorkingGroup::Settings),
              WorkingListRows(before, WorkingGroup::Settings));
}

TEST(WorkingJournalDecode, AllEmptyGivesOneEmptyRowPerList)
{
    WorkingJournal j;
    ASSERT_EQ(AcceptWorkingJournalRead(EmptyWorkingImage(), j), WorkingReadVerdict::Accepted);
    EXPECT_EQ(WorkingListRows(j, WorkingGroup::Settings), std::vector<WorkingRow>{WorkingRow{}});
    EXPECT_EQ(WorkingListRows(j, WorkingGroup::Events), std::vector<WorkingRow>{WorkingRow{}});
}

std::vector<std::string> EventColumn(const WorkingJournal& j, WorkingGroup g)
{
    std::vector<std::string> out;
    for (const auto& row : WorkingListRows(j, g))
        out.push_back(row.time + " " + row.event);
    return out;
}

TEST(WorkingJournalOrder, NewestFirstByDateTimeAndMilliseconds)
{
    auto image = EmptyWorkingImage();
    PutWorking(image, 20, {24, 1, 1, 12, 0, 0, 300, 10});
    PutWorking(image, 21, {24, 1, 1, 12, 0, 0, 600, 11});  // same second, later milliseconds
    PutWorking(image, 22, {23, 12, 31, 23, 59, 59, 999, 12});
    PutWorking(image, 23, {24, 1, 2, 0, 0, 0, 0, 13});
    PutWorking(image, 24, {24, 1, 1, 11, 59, 59, 999, 14});
    WorkingJournal j;
    ASSERT_EQ(AcceptWorkingJournalRead(image, j), WorkingReadVerdict::Accepted);
    EXPECT_EQ(EventColumn(j, WorkingGroup::Events),
              (std::vector<std::string>{"00:00:00.000 013", "12:00:00.600 011", "12:00:00.300 010",
                                        "11:59:59.999 014", "23:59:59.999 012", " "}));
}

TEST(WorkingJournalOrder, EqualKeysKeepTheImageOrderAndEmptySlotsFallToTheEnd)
{
    auto image = EmptyWorkingImage();
    // An empty slot holding a newer date than every record must not push one out of the list.
    PutWorking(image, 0, {99, 12, 31, 23, 59, 59, 999, 0});
    PutWorking(image, 5, {24, 6, 1, 8, 0, 0, 0, 2});
    PutWorking(image, 9, {24, 6, 1, 8, 0, 0, 0, 3});
    PutWorking(image, 12, {24, 6, 1, 8, 0, 0, 0, 1});
    WorkingJournal j;
    ASSERT_EQ(AcceptWorkingJournalRead(image, j), WorkingReadVerdict::Accepted);
    EXPECT_EQ(j.count1, 3);
    EXPECT_EQ(j.order1[0], 5);
    EXPECT_EQ(j.order1[1], 9);
    EXPECT_EQ(j.order1[2], 12);
    const auto rows = WorkingListRows(j, WorkingGroup::Settings);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].event, "Смена настроек входов/выходов");
    EXPECT_EQ(rows[1].event, "Смена настроек светодиодов");
    EXPECT_EQ(rows[2].event, "Смена уставок");
}

struct EventTextCase {
    std::int32_t code;
    JournalSource source;
    const char* text;
};

TEST(WorkingEventTexts, TableNumbersAndCodesAbove127)
{
    const EventTextCase cases[] = {
        {1, JournalSource::Relay, "Смена уставок"},
        {2, JournalSource::Relay, "Смена настроек входов/выходов"},
        {3, JournalSource::File, "Смена настроек светодиодов"},
        {122, JournalSource::Relay, "Сброс по выводу RESET "},
        {123, JournalSource::Relay, "Сброс по питанию"},
        {124, JournalSource::Relay, "Программный сброс"},
        {125, JournalSource::Relay, "Сброс от сторожевого таймера (IWDG)"},
        {0, JournalSource::Relay, "000"},
        {4, JournalSource::Relay, "004"},
        {50, JournalSource::Relay, "050"},
        {121, JournalSource::Relay, "121"},
        {126, JournalSource::Relay, "126"},
        {127, JournalSource::File, "127"},
        {128, JournalSource::Relay, " "},
        {128, JournalSource::File, "128"},
        {40000, JournalSource::File, "40000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WorkingEventText(c.code, c.source), c.text) << c.code;
}

TEST(WorkingEventTexts, ACodeAbove127FromTheRelayShowsOneBlank)
{
    auto image = EmptyWorkingImage();
    PutWorking(image, 20, {24, 1, 1, 0, 0, 0, 0, 300});
    WorkingJournal j;
    ASSERT_EQ(AcceptWorkingJournalRead(image, j), WorkingReadVerdict::Accepted);
    EXPECT_EQ(j.records[20].code(), 300);
    EXPECT_EQ(WorkingListRows(j, WorkingGroup::Events)[0].event, tx::kWorkingCodeAboveTableRelay);
}

}  // namespace
}  // namespace tirv
