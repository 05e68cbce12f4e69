#include "configurator/journals/journal_oscillograph.h"

#include <gtest/gtest.h>

#include "common/oscillogram_image.h"
#include "configurator/journals/journal_test_images.h"

namespace tirv {
namespace {

using journal_test::PutEmergency;

struct SettingsCase {
    const char* what;
    std::vector<std::uint16_t> values;
    OscillographSettingsVerdict verdict;
};

TEST(OscillographSettings, SixFlagsDecide)
{
    using V = OscillographSettingsVerdict;
    const SettingsCase cases[] = {
        {"one flag", {0, 0, 1, 0, 0, 0, 7, 9}, V::Recording},
        {"all flags", {1, 1, 1, 1, 1, 1, 0, 0}, V::Recording},
        {"all six 0", {0, 0, 0, 0, 0, 0, 1, 1}, V::NoneSet},
        {"a flag of 2", {1, 0, 0, 0, 0, 2, 0, 0}, V::Invalid},
        {"a flag of 0xFFFF", {0xFFFF, 1, 0, 0, 0, 0, 0, 0}, V::Invalid},
        {"words 7 and 8 are not flags", {0, 1, 0, 0, 0, 0, 500, 0xFFFF}, V::Recording},
        {"too few values", {1, 1, 1}, V::Invalid},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckOscillographSettings(c.values), c.verdict) << c.what;
    const Message m = NoOscillogramSetMessage();
    EXPECT_EQ(m.caption, "Чтение уставок аварийного осциллографа");
    EXPECT_EQ(m.text, "Не задана запись ни одной осциллограммы");
}

void PutWord(std::vector<std::uint8_t>& image, int word, int value)
{
    image[static_cast<std::size_t>(2 * word)] = static_cast<std::uint8_t>(value);
    image[static_cast<std::size_t>(2 * word + 1)] = static_cast<std::uint8_t>(value >> 8);
}

// An image with the event time and trip cause in the current layout (words 1–8) or the legacy
// one (words 25–32).
std::vector<std::uint8_t> Image(bool current, std::array<int, 7> time, int cause)
{
    std::vector<std::uint8_t> image(kOscImageBytes, 0);
    const int first = current ? 1 : 25;
    for (int k = 0; k < 7; ++k)
        PutWord(image, first + k, time[static_cast<std::size_t>(k)]);
    PutWord(image, current ? 8 : 32, cause);
    if (current)
        PutWord(image, 49, kOscCurrentLayoutMark);
    return image;
}

EmergencyJournal JournalWithNewest(bool mClass, int fraction, std::uint16_t event)
{
    auto regs = journal_test::EmptyEmergencyImage();
    PutEmergency(regs, 0, {1, 1, 2024, 0, 0, 0, 0, 1, 0});
    PutEmergency(regs, 4, {5, 3, 2024, 14, 37, 12, fraction, event, 0});
    EmergencyJournal j;
    EXPECT_EQ(AcceptEmergencyJournalRead(regs, mClass, 2026, j), EmergencyReadVerdict::Accepted);
    return j;
}

struct NewerCase {
    const char* what;
    bool mClass;
    int fraction;
    std::uint16_t event;
    bool currentLayout;
    std::array<int, 7> time;
    int cause;
    bool newer;
};

TEST(OscillogramNewerThanJournal, ComparesTheNewestEventAsTheRelayKeepsIt)
{
    const NewerCase cases[] = {
        {"M: milliseconds against hundredths, four- against two-digit year",
         true,
         456,
         2,
         true,
         {5, 3, 24, 14, 37, 12, 45},
         2,
         false},
        {"non-M: hundredths on both sides",
         false,
         45,
         2,
         true,
         {5, 3, 24, 14, 37, 12, 45},
         2,
         false},
        {"legacy layout", false, 45, 2, false, {5, 3, 24, 14, 37, 12, 45}, 2, false},
        {"a four-digit year in the image",
         false,
         45,
         2,
         true,
         {5, 3, 2024, 14, 37, 12, 45},
         2,
         false},
        {"breaker failure is not part of the cause",
         true,
         450,
         0x8002,
         true,
         {5, 3, 24, 14, 37, 12, 45},
         2,
         false},
        {"another second", false, 45, 2, true, {5, 3, 24, 14, 37, 13, 45}, 2, true},
        {"another hundredth", true, 456, 2, true, {5, 3, 24, 14, 37, 12, 46}, 2, true},
        {"another day", false, 45, 2, false, {6, 3, 24, 14, 37, 12, 45}, 2, true},
        {"another cause", false, 45, 2, true, {5, 3, 24, 14, 37, 12, 45}, 4, true},
        {"another year", false, 45, 2, true, {5, 3, 25, 14, 37, 12, 45}, 2, true},
    };
    for (const auto& c : cases) {
        const EmergencyJournal j = JournalWithNewest(c.mClass, c.fraction, c.event);
        EXPECT_EQ(OscillogramNewerThanJournal(Image(c.currentLayout, c.time, c.cause), j), c.newer)
            << c.what;
    }
}

TEST(OscillogramNewerThanJournal, AJournalWithoutEventsMakesEveryOscillogramNewer)
{
    EmergencyJournal empty;
    ASSERT_EQ(AcceptEmergencyJournalRead(journal_test::EmptyEmergencyImage(), false, 2026, empty),
              EmergencyReadVerdict::Accepted);
    EXPECT_TRUE(OscillogramNewerThanJournal(Image(true, {0, 0, 0, 0, 0, 0, 0}, 0), empty));
}

TEST(OscillogramMessages, TextsCarryTheirArguments)
{
    EXPECT_EQ(ViewerMissingMessage("Осциллограф").text,
              "Файл 'Осциллограф' в рабочей папке не обнаружен");
    EXPECT_EQ(ViewerMissingMessage("Осциллограф").caption, "Ошибка");
    EXPECT_EQ(OscillogramSaveFailedMessage(13).text,
              "Невозможно сохранить в файле данные аварийных осциллограмм. Код ошибки 13");
    EXPECT_EQ(NewerOscillogramQuestion().buttons, MsgButtons::OkCancel);
    EXPECT_EQ(NewerOscillogramQuestion().caption, "Информация");
}

}  // namespace
}  // namespace tirv
