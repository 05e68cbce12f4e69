// Words 0–27 of the program settings file: a hand-made word image read and written back, the
// defaults without a file, and stored words the page must not lose or misread.
#include <gtest/gtest.h>

#include "configurator/journals/measurement_settings.h"

namespace tirv {
namespace {

MeasurementSettingsWords HandMadeWords()
{
    MeasurementSettingsWords w{};
    w[0] = 0x000000FF;  // Ia red
    w[1] = 0x0000FF00;  // Ib green
    w[2] = 0x00FF0000;  // Ic blue
    w[3] = 0x00804020;  // Ua (0x20, 0x40, 0x80)
    w[13] = 1;          // Ia selected
    w[16] = 1;          // Ua selected
    w[24] = 7;          // I2: hidden, its word is kept as it was
    w[26] = 1;          // polling on
    w[27] = 500;
    return w;
}

TEST(MeasurementSettings, UnpackAndPackBackWordForWord)
{
    const MeasurementSettingsWords words = HandMadeWords();
    const MeasurementSettings s = UnpackMeasurementSettings(words);
    EXPECT_EQ(s.colours[0], (Rgb{255, 0, 0}));
    EXPECT_EQ(s.colours[1], (Rgb{0, 255, 0}));
    EXPECT_EQ(s.colours[2], (Rgb{0, 0, 255}));
    EXPECT_EQ(s.colours[3], (Rgb{0x20, 0x40, 0x80}));
    EXPECT_EQ(s.colours[4], (Rgb{0, 0, 0}));
    for (std::size_t k = 0; k < kPhasorCount; ++k)
        EXPECT_EQ(s.selected(k), k == 0 || k == 3 || k == 11) << k;
    EXPECT_TRUE(s.polling);
    EXPECT_EQ(s.periodMs, 500);
    EXPECT_EQ(PackMeasurementSettings(s), words);
}

TEST(MeasurementSettings, StoredWordsOutsideTheirRange)
{
    MeasurementSettingsWords w = HandMadeWords();
    w[0] = 0xFF0000FF;  // a stray high byte is not part of the colour
    w[26] = 5;          // any non-zero word means on
    struct Case {
        std::uint32_t word;
        int period;
    };
    for (const Case c : {Case{0xFFFFFFFF, 0}, Case{100000, 9999}, Case{9999, 9999}, Case{0, 0}}) {
        w[27] = c.word;
        const MeasurementSettings s = UnpackMeasurementSettings(w);
        EXPECT_EQ(s.periodMs, c.period) << c.word;
        EXPECT_EQ(s.colours[0], (Rgb{255, 0, 0}));
        EXPECT_TRUE(s.polling);
        EXPECT_EQ(PackMeasurementSettings(s)[0], 0x000000FFu);
        EXPECT_EQ(PackMeasurementSettings(s)[26], 1u);
    }
}

TEST(MeasurementSettings, DefaultsWithoutAFile)
{
    struct Case {
        int baudIndex;
        SettingsAbsence why;
        int period;
    };
    const Case cases[] = {
        {6, SettingsAbsence::Missing, 135},  {6, SettingsAbsence::Unusable, 250},
        {0, SettingsAbsence::Missing, 750},  {0, SettingsAbsence::Unusable, 950},
        {9, SettingsAbsence::Missing, 115},  {9, SettingsAbsence::Unusable, 175},
        {42, SettingsAbsence::Missing, 750},
    };
    for (const Case& c : cases) {
        const MeasurementSettings s = DefaultMeasurementSettings(c.baudIndex, c.why);
        EXPECT_EQ(s.periodMs, c.period) << c.baudIndex;
        EXPECT_FALSE(s.polling);
        for (std::size_t k = 0; k < kPhasorCount; ++k)
            EXPECT_FALSE(s.selected(k)) << k;
    }
    // The emergency journal's palette, so that no phasor is black on the black field.
    const MeasurementSettings s = DefaultMeasurementSettings(6, SettingsAbsence::Missing);
    EXPECT_EQ(s.colours[0], (Rgb{255, 0, 0}));
    EXPECT_EQ(s.colours[4], (Rgb{0, 128, 0}));
    EXPECT_EQ(s.colours[10], (Rgb{255, 128, 0}));
    for (const Rgb& c : s.colours)
        EXPECT_NE(c, kDiagramBackground);
}

}  // namespace
}  // namespace tirv
