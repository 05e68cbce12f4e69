#include "configurator/iocfg/io_image.h"
#include "configurator/iocfg/io_labels.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/iocfg/led_image.h"

#include <gtest/gtest.h>

#include <string>

namespace tirv {
namespace {

TEST(IoImageDefaults, MinimalSet)
{
    const IoImage d = DefaultIoImage();
    const int functions[kIoChannels] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 8, 8, 8, 8, 8};
    const int signals[kIoChannels] = {1, 2, 3, 4, 5, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int ch = 0; ch < kIoChannels; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(d.input(ch, IoFunction), static_cast<std::uint32_t>(functions[ch]));
        EXPECT_EQ(d.output(ch, IoFunction), static_cast<std::uint32_t>(signals[ch]));
        for (int w = IoLevel; w < kIoEntryWords; ++w) {
            EXPECT_EQ(d.input(ch, w), 0u);
            EXPECT_EQ(d.output(ch, w), 0u);
        }
    }
    EXPECT_TRUE(ValidateIoImage(d).ok());
}

TEST(IoImageWords, InputsThenOutputs)
{
    IoImage img = DefaultIoImage();
    img.input(3, IoSecondTime) = 1234;
    img.output(15, IoSecondTime) = 4321;
    const auto words = IoImageWords(img);
    EXPECT_EQ(words[3 * 4 + 3], 1234u);
    EXPECT_EQ(words[64 + 15 * 4 + 3], 4321u);
    EXPECT_EQ(words[64], 1u);  // output 1 signal
    EXPECT_EQ(IoImageFromWords(words), img);
}

struct IoRuleCase {
    const char* what;
    bool input;
    int channel;
    int word;
    std::uint32_t value;
    IoFault fault;
};

TEST(IoImageValidation, EveryRuleAndItsBoundary)
{
    const IoRuleCase cases[] = {
        {"function 44 on input 1", true, 0, IoFunction, 44, IoFault::None},
        {"function 45 on input 1", true, 0, IoFunction, 45, IoFault::InputFunction},
        {"function 3 on input 9", true, 8, IoFunction, 3, IoFault::InputFunction},
        {"function 7 on input 16", true, 15, IoFunction, 7, IoFault::InputFunction},
        {"function 8 on input 9", true, 8, IoFunction, 8, IoFault::None},
        {"function 44 on input 16 whatever the model", true, 15, IoFunction, 44, IoFault::None},
        {"function 0 on input 8", true, 7, IoFunction, 0, IoFault::None},
        {"level 1", true, 2, IoLevel, 1, IoFault::None},
        {"level 2", true, 2, IoLevel, 2, IoFault::InputLevel},
        {"pick-up 9999", true, 4, IoFirstTime, 9999, IoFault::None},
        {"pick-up 10000", true, 4, IoFirstTime, 10000, IoFault::InputTime},
        {"reset 10000", true, 5, IoSecondTime, 10000, IoFault::InputTime},
        {"negative reset as stored", true, 5, IoSecondTime, 0xFFFFFFFFu, IoFault::InputTime},
        {"signal 94", false, 0, IoFunction, 94, IoFault::None},
        {"signal 95", false, 9, IoFunction, 95, IoFault::OutputSignal},
        {"mode 2", false, 1, IoLevel, 2, IoFault::None},
        {"mode 3", false, 1, IoLevel, 3, IoFault::OutputMode},
        {"operate 10000", false, 6, IoFirstTime, 10000, IoFault::OutputTime},
        {"return 9999", false, 6, IoSecondTime, 9999, IoFault::None},
        {"return 10000", false, 14, IoSecondTime, 10000, IoFault::OutputTime},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IoImage img = DefaultIoImage();
        (c.input ? img.input(c.channel, c.word) : img.output(c.channel, c.word)) = c.value;
        const IoCheck check = ValidateIoImage(img);
        EXPECT_EQ(check.fault, c.fault);
        if (c.fault != IoFault::None) {
            EXPECT_EQ(check.channel, c.channel);
            EXPECT_EQ(check.word, c.word);
        }
    }
}

TEST(IoImageValidation, InputsAreReportedBeforeOutputsInChannelOrder)
{
    IoImage img = DefaultIoImage();
    img.output(0, IoFunction) = 200;
    img.input(12, IoLevel) = 5;
    img.input(10, IoFirstTime) = 20000;
    const IoCheck check = ValidateIoImage(img);
    EXPECT_EQ(check.fault, IoFault::InputTime);
    EXPECT_EQ(check.channel, 10);
}

struct LedRuleCase {
    const char* what;
    int leds;
    int led;
    int word;
    std::uint32_t value;
    LedFault fault;
};

TEST(LedImageValidation, RulesAndLedCount)
{
    const LedRuleCase cases[] = {
        {"signal 94", 5, 0, LedSignal, 94, LedFault::None},
        {"signal 95", 5, 4, LedSignal, 95, LedFault::Signal},
        {"mode 1", 8, 7, LedMode, 1, LedFault::None},
        {"mode 2 (no impulse mode on LEDs)", 8, 7, LedMode, 2, LedFault::Mode},
        {"time 9999", 8, 2, LedTime, 9999, LedFault::None},
        {"time 10000", 8, 2, LedTime, 10000, LedFault::Time},
        {"LED 6 not checked on a 5-LED panel", 5, 5, LedSignal, 500, LedFault::None},
        {"LED 6 checked on an 8-LED panel", 8, 5, LedSignal, 500, LedFault::Signal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LedImage img = DefaultLedImage();
        img.at(c.led, c.word) = c.value;
        const LedCheck check = ValidateLedImage(img, c.leds);
        EXPECT_EQ(check.fault, c.fault);
        if (c.fault != LedFault::None) {
            EXPECT_EQ(check.led, c.led);
        }
    }
}

TEST(LedImage, DefaultsCountsAndWords)
{
    const LedImage d = DefaultLedImage();
    EXPECT_EQ(d.at(0, LedSignal), 1u);
    for (int i = 1; i < kLedImageWords; ++i)
        EXPECT_EQ(d.words[i], 0u) << i;
    EXPECT_EQ(EmptyLedImage(), LedImage{});

    const std::pair<int, int> counts[] = {{0, 5},   {306, 5}, {705, 5}, {707, 5},
                                          {714, 5}, {715, 8}, {716, 8}, {717, 8}};
    for (const auto& [code, leds] : counts)
        EXPECT_EQ(LedCountForModel(code), leds) << code;

    const std::uint32_t five[15] = {1, 1, 50, 2, 0, 0, 3, 0, 0, 4, 0, 0, 94, 1, 9999};
    const LedImage img = LedImageFromWords(five);
    EXPECT_EQ(img.at(4, LedTime), 9999u);
    for (int i = 15; i < kLedImageWords; ++i)
        EXPECT_EQ(img.words[i], 0u) << "LEDs 6..8 cleared";
}

TEST(IoTexts, ListsAndLabels)
{
    EXPECT_STREQ(InputFunctionText(0), "Включение");
    EXPECT_STREQ(InputFunctionText(8), "Свободен");
    EXPECT_STREQ(InputFunctionText(38), InputFunctionText(4));
    EXPECT_STREQ(InputFunctionText(44), "Гот.прив.");
    EXPECT_STREQ(InputFunctionText(45), "");
    EXPECT_STREQ(InputFunctionText(-1), "");

    EXPECT_STREQ(OutputSignalText(45), "Сраб.АПВ");
    for (int n = 1; n <= 16; ++n) {
        const std::string expected =
            std::string("Сост.вх.") + (n < 10 ? "0" : "") + std::to_string(n);
        EXPECT_EQ(OutputSignalText(45 + n), expected);
    }
    EXPECT_STREQ(OutputSignalText(62), "ОНМ МТЗ-1");
    EXPECT_STREQ(OutputSignalText(94), "Пуск ОЗЗ-ВГ");
    EXPECT_STREQ(OutputSignalText(95), "");

    EXPECT_EQ(LedLabel(94, false), "F94");
    EXPECT_EQ(LedLabel(94, true), "F94: Пуск ОЗЗ-ВГ");
    EXPECT_EQ(LedLabel(0, true), "F0: Свободен");
    EXPECT_EQ(LedLabel(1, true), "F1: Готов");
    EXPECT_EQ(LedLabel(0, false), "F0");
}

}  // namespace
}  // namespace tirv
