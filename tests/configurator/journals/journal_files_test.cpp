#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "common/crc16.h"
#include "common/word_file.h"
#include "configurator/journals/journal_emergency_file.h"
#include "configurator/journals/journal_test_images.h"
#include "configurator/journals/journal_working_file.h"

namespace tirv {
namespace {

using journal_test::PutEmergency;
using journal_test::PutWorking;

// A file of arbitrary header and record words with a correct CRC.
std::vector<std::uint8_t> FileOfWords(std::vector<std::uint32_t> words)
{
    words.push_back(0);
    AppendWordsCrc(words);
    return WordsToBytes(words);
}

WorkingJournal SampleWorkingJournal()
{
    auto image = journal_test::EmptyWorkingImage();
    PutWorking(image, 4, {24, 2, 29, 9, 41, 5, 17, 1});
    PutWorking(image, 11, {24, 3, 1, 10, 3, 47, 880, 2});
    PutWorking(image, 20, {24, 3, 1, 10, 0, 0, 300, 123});
    PutWorking(image, 77, {24, 3, 1, 10, 0, 0, 600, 125});
    PutWorking(image, 90, {23, 12, 31, 23, 59, 59, 999, 122});
    WorkingJournal j;
    EXPECT_EQ(AcceptWorkingJournalRead(image, j), WorkingReadVerdict::Accepted);
    return j;
}

TEST(WorkingJournalFile, SaveThenOpenShowsTheSameLists)
{
    const WorkingJournal read = SampleWorkingJournal();
    const auto bytes = BuildWorkingJournalFile(read, 715, 4321);
    ASSERT_EQ(bytes.size(), 20u + 20u * 5u);
    std::vector<std::uint32_t> words;
    ASSERT_TRUE(BytesToWords(bytes, words));
    EXPECT_EQ(words[0], 715u);
    EXPECT_EQ(words[1], 4321u);
    EXPECT_EQ(words[2], 1u);
    EXPECT_EQ(words[3], 2u);  // group-1 records
    // Oldest first within each group: the 29 February record opens the file.
    EXPECT_EQ(words[4], 24u + 256u * 2u);
    EXPECT_EQ(words[8], 1u);

    WorkingJournal opened;
    ASSERT_EQ(ParseWorkingJournalFile(bytes, opened), JournalFileResult::Ok);
    EXPECT_EQ(opened.source, JournalSource::File);
    for (auto g : {WorkingGroup::Settings, WorkingGroup::Events})
        EXPECT_EQ(WorkingListRows(opened, g), WorkingListRows(read, g));
    // Saving the opened journal again gives the same bytes.
    EXPECT_EQ(BuildWorkingJournalFile(opened, 715, 4321), bytes);
}

TEST(WorkingJournalFile, CodesAbove127OpenedFromAFileShowTheirNumber)
{
    const auto bytes = FileOfWords({705, 1, 1, 0, 24 + 256 * 5, 6 + 256 * 7, 8 + 256 * 9, 10, 200});
    WorkingJournal j;
    ASSERT_EQ(ParseWorkingJournalFile(bytes, j), JournalFileResult::Ok);
    EXPECT_EQ(j.count1, 0);
    EXPECT_EQ(j.count2, 1);
    EXPECT_EQ(WorkingListRows(j, WorkingGroup::Events)[0],
              (WorkingRow{"06.05.24", "07:08:09.010", "200"}));
}

TEST(WorkingJournalFile, AnEmptyJournalIsTwentyBytes)
{
    WorkingJournal empty;
    ASSERT_EQ(AcceptWorkingJournalRead(journal_test::EmptyWorkingImage(), empty),
              WorkingReadVerdict::Accepted);
    const auto bytes = BuildWorkingJournalFile(empty, 306, 0);
    EXPECT_EQ(bytes.size(), 20u);
    WorkingJournal opened = SampleWorkingJournal();
    ASSERT_EQ(ParseWorkingJournalFile(bytes, opened), JournalFileResult::Ok);
    EXPECT_EQ(WorkingListRows(opened, WorkingGroup::Events), std::vector<WorkingRow>{WorkingRow{}});
}

std::vector<std::uint32_t> WorkingWords(std::uint32_t group1, std::size_t records)
{
    std::vector<std::uint32_t> w{705, 1, 1, group1};
    for (std::size_t k = 0; k < records; ++k)
        w.insert(w.end(), {24 + 256 * 1, 1, 0, 0, 5});
    return w;
}

struct RefusedFile {
    const char* what;
    std::vector<std::uint8_t> bytes;
};

TEST(WorkingJournalFile, RefusedFilesLeaveTheJournalAlone)
{
    auto badCrc = FileOfWords(WorkingWords(1, 2));
    badCrc[8] ^= 1;
    const RefusedFile cases[] = {
        {"19 bytes", std::vector<std::uint8_t>(19)},
        {"41 bytes", std::vector<std::uint8_t>(41)},
        {"empty", {}},
        {"size not 20 + 20n",
         [] {
             auto b = FileOfWords(WorkingWords(0, 1));
             b.resize(b.size() + 4);
             return b;
         }()},
        {"bad CRC", badCrc},
        {"121 records", FileOfWords(WorkingWords(20, 121))},
        {"group-1 count 21", FileOfWords(WorkingWords(21, 30))},
        {"group-1 count above the records", FileOfWords(WorkingWords(3, 2))},
        {"101 records for group 2", FileOfWords(WorkingWords(0, 101))},
        {"a huge group-1 count", FileOfWords(WorkingWords(0xFFFFFFFFu, 2))},
    };
    for (const auto& c : cases) {
        WorkingJournal j = SampleWorkingJournal();
        const WorkingJournal before = j;
        EXPECT_EQ(ParseWorkingJournalFile(c.bytes, j), JournalFileResult::BadFormat) << c.what;
        EXPECT_EQ(j.records, before.records) << c.what;
        EXPECT_EQ(j.source, JournalSource::Relay) << c.what;
    }
    WorkingJournal full;
    EXPECT_EQ(ParseWorkingJournalFile(FileOfWords(WorkingWords(20, 120)), full),
              JournalFileResult::Ok);
    EXPECT_EQ(full.count1, 20);
    EXPECT_EQ(full.count2, 100);
}

class JournalFilePaths : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir =
            std::filesystem::temp_directory_path() /
            ("journal_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string path(const char* name) const { return (m_dir / name).string(); }
    std::filesystem::path m_dir;
};

TEST_F(JournalFilePaths, WorkingJournalSavedAndLoaded)
{
    const WorkingJournal read = SampleWorkingJournal();
    ASSERT_EQ(SaveWorkingJournalFile(path("Журнал.twj"), read, 706, 12).result,
              JournalFileResult::Ok);
    EXPECT_FALSE(std::filesystem::exists(path("Журнал.twj.tmp")));
    WorkingJournal loaded;
    ASSERT_EQ(LoadWorkingJournalFile(path("Журнал.twj"), loaded).result, JournalFileResult::Ok);
    EXPECT_EQ(WorkingListRows(loaded, WorkingGroup::Events),
              WorkingListRows(read, WorkingGroup::Events));

    const auto missing = LoadWorkingJournalFile(path("нет.twj"), loaded);
    EXPECT_EQ(missing.result, JournalFileResult::CannotOpen);
    EXPECT_EQ(missing.systemError, ENOENT);
    EXPECT_EQ(CannotOpenJournalFileMessage(missing.systemError).text,
              "Невозможно открыть файл. Код ошибки 2");
    const auto unwritable = SaveWorkingJournalFile(path("нет/папки.twj"), read, 706, 12);
    EXPECT_EQ(unwritable.result, JournalFileResult::CannotOpen);
    EXPECT_NE(unwritable.systemError, 0);
}

TEST(JournalFileNames, ExtensionIsTheLastThreeCharacters)
{
    EXPECT_TRUE(HasJournalExtension("a/b.twj", "twj"));
    EXPECT_TRUE(HasJournalExtension("B.TWJ", "twj"));
    EXPECT_TRUE(HasJournalExtension("btwj", "twj"));
    EXPECT_FALSE(HasJournalExtension("b.taj", "twj"));
    EXPECT_FALSE(HasJournalExtension("wj", "twj"));
    EXPECT_EQ(WorkingJournalWrongExtensionMessage().text,
              "Расширение выбранного файла не соответствует файлу записей рабочего журнала.");
}

EmergencyJournal SampleEmergencyJournal(bool mClass)
{
    auto image = journal_test::EmptyEmergencyImage();
    PutEmergency(image, 2, {5, 3, 2024, 14, 37, 12, 450, 1u << 14, 3, 0x8002}, {1234, 2, 3});
    PutEmergency(image, 6, {2, 11, 2023, 3, 12, 44, 17, 4, 4, 6});
    PutEmergency(image, 8, {9, 9, 2025, 1, 2, 3, 4, 0x8001, 1, 120});
    EmergencyJournal j;
    EXPECT_EQ(AcceptEmergencyJournalRead(image, mClass, 2026, j), EmergencyReadVerdict::Accepted);
    return j;
}

std::vector<EmergencyRowPair> RowsOf(const EmergencyJournal& j)
{
    std::vector<EmergencyRowPair> rows;
    for (int index : j.events())
        rows.push_back(EmergencyRows(j.records[static_cast<std::size_t>(index)], j.mClass));
    return rows;
}

bool SameRows(const std::vector<EmergencyRowPair>& a, const std::vector<EmergencyRowPair>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (a[k].first != b[k].first || a[k].outcome != b[k].outcome)
            return false;
    return true;
}

TEST(EmergencyJournalFile, SaveThenOpenKeepsRecordsOrderAndClass)
{
    for (bool mClass : {false, true}) {
        const EmergencyJournal read = SampleEmergencyJournal(mClass);
        const auto bytes = BuildEmergencyJournalFile(read, mClass ? 716 : 705, 77);
        ASSERT_EQ(bytes.size(), 20u + 136u * 3u);
        std::vector<std::uint32_t> words;
        ASSERT_TRUE(BytesToWords(bytes, words));
        EXPECT_EQ(words[3], mClass ? 187u : 170u);
        EXPECT_EQ(words[4 + kEwYear], 2023u);  // oldest first

        EmergencyJournal opened;
        ASSERT_EQ(ParseEmergencyJournalFile(bytes, opened), JournalFileResult::Ok);
        EXPECT_EQ(opened.mClass, mClass);
        EXPECT_EQ(opened.source, JournalSource::File);
        EXPECT_TRUE(SameRows(RowsOf(opened), RowsOf(read)));
        EXPECT_EQ(opened.records[static_cast<std::size_t>(opened.oscillogramEvent())],
                  read.records[static_cast<std::size_t>(read.oscillogramEvent())]);
        EXPECT_EQ(BuildEmergencyJournalFile(opened, mClass ? 716 : 705, 77), bytes);
    }
}

TEST(EmergencyJournalFile, TheFileClassDecidesTextsAndFractionWhateverTheModel)
{
    const auto bytes = BuildEmergencyJournalFile(SampleEmergencyJournal(true), 705, 1);
    EmergencyJournal opened;
    ASSERT_EQ(ParseEmergencyJournalFile(bytes, opened), JournalFileResult::Ok);
    const auto rows = RowsOf(opened);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].first[1], "14:37:12.450");
    EXPECT_EQ(rows[1].first[2], " ОЗЗ-ВГ:");

    std::vector<std::uint32_t> words;
    ASSERT_TRUE(BytesToWords(bytes, words));
    words.pop_back();
    words[3] = 0x12;  // anything but 187 is the other models' set
    EmergencyJournal other;
    ASSERT_EQ(ParseEmergencyJournalFile(FileOfWords(words), other), JournalFileResult::Ok);
    EXPECT_FALSE(other.mClass);
    EXPECT_EQ(RowsOf(other)[1].first[2], " АПВ:");
}

TEST(EmergencyJournalFile, RefusedFilesLeaveTheJournalAlone)
{
    auto recordsOf = [](std::size_t n) {
        std::vector<std::uint32_t> w{705, 1, 1, 170};
        for (std::size_t k = 0; k < n; ++k) {
            std::vector<std::uint32_t> r(kEmergencyRecordWords, 0);
            r[kEwDay] = 1, r[kEwMonth] = 1, r[kEwYear] = 2024, r[kEwEvent] = 1;
            w.insert(w.end(), r.begin(), r.end());
        }
        return w;
    };
    auto badCrc = FileOfWords(recordsOf(1));
    badCrc.back() ^= 0x10;
    const RefusedFile cases[] = {
        {"11 records", FileOfWords(recordsOf(11))},
        {"19 bytes", std::vector<std::uint8_t>(19)},
        {"size not 20 + 136n", std::vector<std::uint8_t>(20 + 135)},
        {"bad CRC", badCrc},
    };
    for (const auto& c : cases) {
        EmergencyJournal j = SampleEmergencyJournal(false);
        const EmergencyJournal before = j;
        EXPECT_EQ(ParseEmergencyJournalFile(c.bytes, j), JournalFileResult::BadFormat) << c.what;
        EXPECT_EQ(j.records, before.records) << c.what;
        EXPECT_EQ(j.source, JournalSource::Relay) << c.what;
    }
    EmergencyJournal ten;
    EXPECT_EQ(ParseEmergencyJournalFile(FileOfWords(recordsOf(10)), ten), JournalFileResult::Ok);
    EXPECT_EQ(ten.events().size(), 10u);
}

TEST_F(JournalFilePaths, EmergencyJournalSavedAndLoaded)
{
    const EmergencyJournal read = SampleEmergencyJournal(true);
    ASSERT_EQ(SaveEmergencyJournalFile(path("a.taj"), read, 715, 9).result, JournalFileResult::Ok);
    EmergencyJournal loaded;
    ASSERT_EQ(LoadEmergencyJournalFile(path("a.taj"), loaded).result, JournalFileResult::Ok);
    EXPECT_TRUE(SameRows(RowsOf(loaded), RowsOf(read)));
    EXPECT_EQ(LoadEmergencyJournalFile(path("b.taj"), loaded).systemError, ENOENT);
}

}  // namespace
}  // namespace tirv
