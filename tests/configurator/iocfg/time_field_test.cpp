#include "configurator/iocfg/time_field.h"
#include "configurator/iocfg/io_texts.h"

#include <gtest/gtest.h>

namespace tirv {
namespace {

TEST(TimeField, ParsesExactly)
{
    const struct {
        const char* text;
        TimeFieldResult result;
        std::uint32_t hundredths;
    } cases[] = {
        {"0.29", TimeFieldResult::Ok, 29},  // binary floating point would give 28
        {"0,29", TimeFieldResult::Ok, 29},
        {"0.57", TimeFieldResult::Ok, 57},
        {"1.13", TimeFieldResult::Ok, 113},
        {"99,99", TimeFieldResult::Ok, 9999},
        {"99.99", TimeFieldResult::Ok, 9999},
        {"99.990", TimeFieldResult::Ok, 9999},
        {"0", TimeFieldResult::Ok, 0},
        {"0.00", TimeFieldResult::Ok, 0},
        {"5", TimeFieldResult::Ok, 500},
        {"5.", TimeFieldResult::Ok, 500},
        {".5", TimeFieldResult::Ok, 50},
        {"007.5", TimeFieldResult::Ok, 750},
        {"1.239", TimeFieldResult::Ok, 123},  // further decimals are cut, not rounded
        {"-0", TimeFieldResult::Ok, 0},
        {"", TimeFieldResult::Empty, 0},
        {".", TimeFieldResult::NotANumber, 0},
        {"-", TimeFieldResult::NotANumber, 0},
        {"1.2.3", TimeFieldResult::NotANumber, 0},
        {"1a", TimeFieldResult::NotANumber, 0},
        {" 1", TimeFieldResult::NotANumber, 0},
        {"1e2", TimeFieldResult::NotANumber, 0},
        {"-0.01", TimeFieldResult::BelowMinimum, 0},
        {"-5", TimeFieldResult::BelowMinimum, 0},
        {"-0.001", TimeFieldResult::BelowMinimum, 0},
        {"100", TimeFieldResult::AboveMaximum, 0},
        {"99.991", TimeFieldResult::AboveMaximum, 0},
        {"99.999", TimeFieldResult::AboveMaximum, 0},
        {"99999999999999999999", TimeFieldResult::AboveMaximum, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const TimeField f = ParseTimeField(c.text);
        EXPECT_EQ(f.result, c.result);
        EXPECT_EQ(f.hundredths, c.hundredths);
    }
}

TEST(TimeField, FormatAndStep)
{
    const std::pair<std::uint32_t, const char*> formats[] = {
        {0, "0.00"}, {5, "0.05"}, {29, "0.29"}, {100, "1.00"}, {1234, "12.34"}, {9999, "99.99"}};
    for (const auto& [v, text] : formats) {
        EXPECT_EQ(FormatHundredths(v), text);
        EXPECT_EQ(ParseTimeField(text).hundredths, v) << text;
    }
    EXPECT_EQ(StepHundredths(0, -1), 0u);
    EXPECT_EQ(StepHundredths(9999, 1), 9999u);
    EXPECT_EQ(StepHundredths(28, 1), 29u);
    EXPECT_EQ(StepHundredths(29, -1), 28u);
}

TEST(TimeField, MessagesOfEachPlace)
{
    const struct {
        TimeFieldResult result;
        TimeFieldPlace place;
        const char* caption;
        const char* text;
    } cases[] = {
        {TimeFieldResult::Empty, TimeFieldPlace::IoPage, "Ошибка ввода уставки",
         "Введите значение!"},
        {TimeFieldResult::NotANumber, TimeFieldPlace::IoPage, "Ошибка ввода уставки",
         io_texts::kTimeNotANumber},
        {TimeFieldResult::NotANumber, TimeFieldPlace::LedPopup, "Ошибка ввода",
         "Время должно быть представлена либо целым числом, либо в виде десятичной дроби"},
        {TimeFieldResult::NotANumber, TimeFieldPlace::LedPanelClick, "Ошибка ввода",
         "Время должно быть представлено либо целым числом, либо в виде десятичной дроби"},
        {TimeFieldResult::BelowMinimum, TimeFieldPlace::LedPopup, "Ошибка ввода",
         io_texts::kTimeBelowMinimum},
        {TimeFieldResult::AboveMaximum, TimeFieldPlace::IoPage, "Ошибка ввода уставки",
         "Время не может быть больше максимально допустимого значения"},
    };
    for (const auto& c : cases) {
        const Message m = TimeFieldMessage(c.result, c.place);
        EXPECT_EQ(m.caption, c.caption);
        EXPECT_EQ(m.text, c.text);
        EXPECT_EQ(m.icon, MsgIcon::Error);
    }
}

}  // namespace
}  // namespace tirv
