// Polling times of the measurement page against values worked out by hand: the per-speed
// minimum, the period field's checks, the reply wait and the pause between polls.
#include <gtest/gtest.h>

#include "configurator/journals/measurement_polling.h"
#include "configurator/journals/measurement_texts.h"

namespace tirv {
namespace {

namespace tx = measurement_texts;

TEST(MeasurementPeriod, MinimumByLineSpeed)
{
    const int expected[10] = {850, 440, 350, 300, 250, 200, 150, 125, 100, 75};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(MinMeasurementPeriodMs(i), expected[i]) << i;
    EXPECT_EQ(MinMeasurementPeriodMs(-1), 850);
    EXPECT_EQ(MinMeasurementPeriodMs(10), 850);
}

TEST(MeasurementPeriod, TooltipOnlyUpTo57600)
{
    EXPECT_STREQ(MeasurementPeriodTooltip(0), "Для Vобмена=1200: Tmin=750мсек.; Tmax=9999мсек.");
    EXPECT_STREQ(MeasurementPeriodTooltip(6), "Для Vобмена=57600: Tmin=135мсек.; Tmax=9999мсек.");
    for (int i : {7, 8, 9, -1})
        EXPECT_EQ(MeasurementPeriodTooltip(i), nullptr) << i;
}

TEST(MeasurementPeriod, FieldCheckOnLossOfFocus)
{
    struct Case {
        const char* text;
        int baudIndex;
        PeriodEntry entry;
        int period;
        const char* message;  // nullptr: none
    };
    const Case cases[] = {
        {"100", 0, PeriodEntry::Raised, 850, tx::kPeriodTooSmall},
        {"849", 0, PeriodEntry::Raised, 850, tx::kPeriodTooSmall},
        {"850", 0, PeriodEntry::Accepted, 850, nullptr},
        {"9999", 0, PeriodEntry::Accepted, 9999, nullptr},
        {"74", 9, PeriodEntry::Raised, 75, tx::kPeriodTooSmall},
        {"0", 6, PeriodEntry::Raised, 150, tx::kPeriodTooSmall},
        {"", 6, PeriodEntry::NotAnInteger, 0, tx::kPeriodNotInteger},
        {"12a", 6, PeriodEntry::NotAnInteger, 0, tx::kPeriodNotInteger},
        {"-5", 6, PeriodEntry::NotAnInteger, 0, tx::kPeriodNotInteger},
        {"123456789012", 6, PeriodEntry::Accepted, 9999, nullptr},
    };
    for (const Case& c : cases) {
        const PeriodCheck check = CheckPeriodField(c.text, c.baudIndex);
        EXPECT_EQ(check.entry, c.entry) << c.text;
        if (c.entry != PeriodEntry::NotAnInteger) {
            EXPECT_EQ(check.periodMs, c.period) << c.text;
        }
        ASSERT_EQ(check.message.has_value(), c.message != nullptr) << c.text;
        if (c.message) {
            EXPECT_EQ(check.message->text, c.message) << c.text;
        }
    }
    const PeriodCheck small = CheckPeriodField("100", 0);
    EXPECT_EQ(small.message->caption, "Предупреждение");
    EXPECT_EQ(small.message->icon, MsgIcon::Warning);
    const PeriodCheck empty = CheckPeriodField("", 0);
    EXPECT_EQ(empty.message->caption, "Ошибка ввода интервала циклического чтения");
    EXPECT_EQ(empty.message->icon, MsgIcon::Error);
}

TEST(MeasurementPeriod, StartingThePollRaisesSilentlyAndRefusesAnEmptyField)
{
    const PeriodCheck raised = StartPeriod("100", 0);
    EXPECT_EQ(raised.entry, PeriodEntry::Raised);
    EXPECT_EQ(raised.periodMs, 850);
    EXPECT_FALSE(raised.message.has_value());
    const PeriodCheck empty = StartPeriod("", 0);
    EXPECT_EQ(empty.entry, PeriodEntry::NotAnInteger);
    ASSERT_TRUE(empty.message.has_value());
    EXPECT_EQ(empty.message->caption, "Ошибка ввода");
    EXPECT_EQ(empty.message->text, "Введите интервал чтения текущих значений U,I из устройства!");
}

TEST(MeasurementPolling, ReplyWaitAndPause)
{
    struct Case {
        const char* what;
        MeasurementProtocol protocol;
        MeasurementLayout layout;
        int baudIndex;
        int wait;
    };
    // Modbus: (N·k + 8·13 + 81) · 1000 / baud + 20 with an 8-byte request.
    const Case cases[] = {
        {"integer 57600", MeasurementProtocol::Modbus, MeasurementLayout::Integer, 6, 34},  // 835
        {"integer 1200", MeasurementProtocol::Modbus, MeasurementLayout::Integer, 0, 715},
        {"float 1200", MeasurementProtocol::Modbus, MeasurementLayout::Float, 0, 2080},  // 2473
        {"float 460800", MeasurementProtocol::Modbus, MeasurementLayout::Float, 9, 25},
        {"text 1200", MeasurementProtocol::Tirv, MeasurementLayout::Float, 0, 700},
        {"text 57600", MeasurementProtocol::Tirv, MeasurementLayout::Integer, 6, 60},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MeasurementReplyWaitMs(c.protocol, c.layout, 8, c.baudIndex), c.wait) << c.what;

    EXPECT_EQ(PollPauseMs(1000, 34), 966);
    EXPECT_EQ(PollPauseMs(150, 150), 0);
    // An M reading at 1200 bit/s outlasts the shortest period: no negative timer.
    EXPECT_EQ(PollPauseMs(850, 2080), 0);
}

TEST(MeasurementPolling, IoStateBase)
{
    EXPECT_EQ(IoStatePollBaseMs(0), 3325);  // 3125 + 200
    EXPECT_EQ(IoStatePollBaseMs(6), 265);   // 65.1 → 65
    EXPECT_EQ(IoStatePollBaseMs(9), 208);   // 8.1 → 8
}

}  // namespace
}  // namespace tirv
