// Input rules of the setpoint edit fields: typing filter, check and normalisation, spin steps.
#include "configurator/setpoints/field_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace tirv {
namespace {

using K = SetpointKind;

std::u16string u(const char* s)
{
    std::u16string r;
    for (; *s; ++s)
        r.push_back(char16_t(static_cast<unsigned char>(*s)));
    return r;
}

std::string narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

struct FilterCase {
    const char* what;
    const char* typed;
    K kind;
    const char* shown;
    int caret;
};

TEST(FieldFilter, KeepsOnlyWhatTheKindAllows)
{
    const FilterCase cases[] = {
        {"comma becomes point", "1,5", K::Tenths, "1.5", -1},
        {"second separator removed", "1.5.", K::Hundredths, "1.5", 3},
        {"comma after point is a second separator", "1.5,2", K::Hundredths, "1.52", 3},
        {"letter removed where it was", "1a2", K::Tenths, "12", 1},
        {"integer field accepts a point while typing", "12.5", K::Integer, "12.5", -1},
        {"minus refused outside angles", "-5", K::Tenths, "5", 0},
        {"angle keeps a leading minus", "-37", K::Angle, "-37", -1},
        {"angle refuses a point", "-37.", K::Angle, "-37", 3},
        {"angle refuses a comma", "4,5", K::Angle, "45", 1},
        {"angle refuses an inner minus", "3-7", K::Angle, "37", 1},
        {"every bad character goes, caret at the first", "a1b2", K::Thousandths, "12", 0},
        {"empty stays empty", "", K::Tenths, "", -1},
    };
    for (const auto& c : cases) {
        const FilterResult r = filterTyping(u(c.typed), c.kind);
        EXPECT_EQ(narrow(r.text), c.shown) << c.what;
        EXPECT_EQ(r.caret, c.caret) << c.what;
        EXPECT_EQ(r.changed, std::string(c.typed) != c.shown) << c.what;
    }
}

TEST(FieldFilter, NonLatinCharacterIsRemoved)
{
    const FilterResult r = filterTyping(u"1\u04302", K::Tenths);  // Cyrillic а
    EXPECT_EQ(r.text, u"12");
    EXPECT_EQ(r.caret, 1);
}

struct CheckCase {
    const char* what;
    const char* text;
    K kind;
    FieldBounds bounds;
    FieldError error;
    int raw;
    const char* shown;
};

TEST(FieldCheck, NormalisesFromTheDecimalText)
{
    const FieldBounds tenths{2, 200, 20, 2000};
    const FieldBounds hundredths{0.05, 20, 5, 2000};
    const FieldBounds small{0.04, 0.1, 4, 10};
    const FieldBounds thousandths{0.005, 5, 5, 5000};
    const FieldBounds angle{-180, 180, -180, 180};
    const FieldBounds minutes{1, 99, 1, 99};
    const CheckCase cases[] = {
        {"tenths typed with a comma", "1,5", K::Tenths, {1, 200, 10, 2000}, FieldError::None, 15, "1.5"},
        {"tenths half up at the next digit", "2.25", K::Tenths, tenths, FieldError::None, 23, "2.3"},
        {"tenths below half stays", "2.249", K::Tenths, tenths, FieldError::None, 22, "2.2"},
        {"0.055 shows 0.06 and stores 6", "0.055", K::Hundredths, hundredths, FieldError::None, 6, "0.06"},
        {"0.29 is 29 hundredths exactly", "0.29", K::Hundredths, hundredths, FieldError::None, 29, "0.29"},
        {"1.15 is 115 exactly", "1.15", K::Hundredths, hundredths, FieldError::None, 115, "1.15"},
        {"0.07 is 7 exactly", "0.07", K::Hundredths, small, FieldError::None, 7, "0.07"},
        {"integer text gets decimals", "12", K::Hundredths, hundredths, FieldError::None, 1200, "12.00"},
        {"leading point", ".5", K::Hundredths, hundredths, FieldError::None, 50, "0.50"},
        {"trailing point", "3.", K::Tenths, tenths, FieldError::None, 30, "3.0"},
        {"thousandths half up", "0.0055", K::Thousandths, thousandths, FieldError::None, 6, "0.006"},
        {"at the maximum", "20", K::Hundredths, hundredths, FieldError::None, 2000, "20.00"},
        {"at the minimum", "0.05", K::Hundredths, hundredths, FieldError::None, 5, "0.05"},
        {"empty", "", K::Hundredths, hundredths, FieldError::Empty, 0, ""},
        {"just a point", ".", K::Hundredths, hundredths, FieldError::NotNumber, 0, ""},
        {"two points", "1.2.3", K::Hundredths, hundredths, FieldError::NotNumber, 0, ""},
        {"letters", "1a", K::Tenths, tenths, FieldError::NotNumber, 0, ""},
        {"just below the minimum", "0.049", K::Hundredths, hundredths, FieldError::BelowMin, 0, ""},
        {"just above the maximum", "20.001", K::Hundredths, hundredths, FieldError::AboveMax, 0, ""},
        {"0.1 is not above 0.1", "0.1", K::Hundredths, small, FieldError::None, 10, "0.10"},
        {"angle -37 to -30", "-37", K::Angle, angle, FieldError::None, -30, "-30"},
        {"angle -38 to -45", "-38", K::Angle, angle, FieldError::None, -45, "-45"},
        {"angle 52 to 45", "52", K::Angle, angle, FieldError::None, 45, "45"},
        {"angle 53 to 60", "53", K::Angle, angle, FieldError::None, 60, "60"},
        {"angle half way goes away from zero", "7.5", K::Angle, angle, FieldError::None, 15, "15"},
        {"angle negative half way", "-7.5", K::Angle, angle, FieldError::None, -15, "-15"},
        {"angle just below half", "7.499", K::Angle, angle, FieldError::None, 0, "0"},
        {"angle 179 to 180", "179", K::Angle, angle, FieldError::None, 180, "180"},
        {"angle beyond -180", "-181", K::Angle, angle, FieldError::BelowMin, 0, ""},
        {"integer", "12", K::Integer, minutes, FieldError::None, 12, "12"},
        {"integer ignores what follows the number", "12.9", K::Integer, minutes, FieldError::None, 12, "12"},
        {"integer of a lone point is 0, below the minimum", ".", K::Integer, minutes, FieldError::BelowMin, 0, ""},
        {"integer above the raw maximum", "100", K::Integer, minutes, FieldError::AboveMax, 0, ""},
        {"only seven characters count", "12.3456789", K::Hundredths, hundredths, FieldError::None, 1235, "12.35"},
    };
    for (const auto& c : cases) {
        const FieldValue v = checkField(u(c.text), c.kind, c.bounds);
        EXPECT_EQ(v.error, c.error) << c.what;
        if (c.error != FieldError::None)
            continue;
        EXPECT_EQ(v.raw, c.raw) << c.what;
        EXPECT_EQ(narrow(v.text), c.shown) << c.what;
    }
}

TEST(FieldCheck, ShownTextReadsBackAsTheStoredValue)
{
    // Whatever is accepted must survive a second check unchanged: the image and the field agree.
    const FieldBounds b{0.05, 99.99, 5, 9999};
    for (int raw = 5; raw <= 9999; raw += 7) {
        const std::u16string text = formatRaw(raw, K::Hundredths);
        const FieldValue v = checkField(text, K::Hundredths, b);
        ASSERT_EQ(v.error, FieldError::None) << raw;
        EXPECT_EQ(v.raw, raw);
        EXPECT_EQ(v.text, text);
    }
}

TEST(FieldFormat, PrintsRawValuesExactly)
{
    const struct {
        int raw;
        K kind;
        const char* text;
    } cases[] = {
        {15, K::Tenths, "1.5"},       {5, K::Hundredths, "0.05"},  {1200, K::Hundredths, "12.00"},
        {5, K::Thousandths, "0.005"}, {-180, K::Angle, "-180"},    {0, K::Hundredths, "0.00"},
        {-5, K::Tenths, "-0.5"},      {2000, K::Integer, "2000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatRawUtf8(c.raw, c.kind), c.text) << c.raw;
}

struct SpinCase {
    const char* what;
    const char* text;
    K kind;
    FieldBounds bounds;
    bool up;
    const char* result;  // nullptr: nothing happens
};

TEST(FieldSpin, StepsWithinTheBounds)
{
    const FieldBounds hundredths{0.05, 20, 5, 2000};
    const FieldBounds tenths{2, 200, 20, 2000};
    const FieldBounds angle{-180, 180, -180, 180};
    const FieldBounds minutes{1, 99, 1, 99};
    const SpinCase cases[] = {
        {"hundredths up", "1.00", K::Hundredths, hundredths, true, "1.01"},
        {"hundredths down", "1.00", K::Hundredths, hundredths, false, "0.99"},
        {"at the maximum nothing", "20.00", K::Hundredths, hundredths, true, nullptr},
        {"at the minimum nothing", "0.05", K::Hundredths, hundredths, false, nullptr},
        {"at the maximum down is fine", "20", K::Hundredths, hundredths, false, "19.99"},
        {"above the maximum nothing", "25", K::Hundredths, hundredths, false, nullptr},
        {"below the minimum nothing", "0.01", K::Hundredths, hundredths, true, nullptr},
        {"empty nothing", "", K::Hundredths, hundredths, true, nullptr},
        {"unparsable nothing", "1.2.", K::Hundredths, hundredths, true, nullptr},
        {"tenths up", "2.0", K::Tenths, tenths, true, "2.1"},
        {"typed between steps, up", "19.995", K::Hundredths, hundredths, true, "20.00"},
        {"typed between steps, down", "0.055", K::Hundredths, hundredths, false, "0.05"},
        {"angle up", "-30", K::Angle, angle, true, "-15"},
        {"angle down", "-30", K::Angle, angle, false, "-45"},
        {"angle at the maximum", "180", K::Angle, angle, true, nullptr},
        {"angle would leave the range", "170", K::Angle, angle, true, nullptr},
        {"angle at the minimum", "-180", K::Angle, angle, false, nullptr},
        {"integer up", "5", K::Integer, minutes, true, "6"},
        {"integer at the maximum", "99", K::Integer, minutes, true, nullptr},
        {"integer at the minimum", "1", K::Integer, minutes, false, nullptr},
        {"integer beyond the maximum", "150", K::Integer, minutes, false, nullptr},
    };
    for (const auto& c : cases) {
        const auto r = spinStep(u(c.text), c.kind, c.bounds, c.up);
        if (!c.result) {
            EXPECT_FALSE(r.has_value()) << c.what << " gave " << narrow(r.value_or(u"")).c_str();
            continue;
        }
        ASSERT_TRUE(r.has_value()) << c.what;
        EXPECT_EQ(narrow(*r), c.result) << c.what;
    }
}

TEST(FieldParse, ComparesWithBoundsExactly)
{
    // 0.95 and 99.99 are not representable in binary; the comparison must not be off by one ulp.
    const auto d = parseDecimal(u"0.95", 4);
    ASSERT_TRUE(d);
    EXPECT_EQ(compareDecimal(*d, 4, 0.95), 0);
    const auto e = parseDecimal(u"99.99", 3);
    ASSERT_TRUE(e);
    EXPECT_EQ(compareDecimal(*e, 3, 99.99), 0);
    const auto f = parseDecimal(u"99.9901", 3);
    ASSERT_TRUE(f);
    EXPECT_EQ(compareDecimal(*f, 3, 99.99), 1);
    EXPECT_FALSE(parseDecimal(u"1234567890123456789012", 2));
}

}  // namespace
}  // namespace tirv
