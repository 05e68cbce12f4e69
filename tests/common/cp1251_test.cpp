#include "common/cp1251.h"

#include <gtest/gtest.h>

namespace tirv {
namespace {

TEST(Cp1251, RoundTripsRussianText)
{
    const std::string utf8 = "Вход_ 1 ЁёЖж №";
    const std::string cp = Utf8ToCp1251(utf8);
    EXPECT_EQ(cp.size(), 14u);
    EXPECT_EQ(static_cast<unsigned char>(cp[0]), 0xC2);  // В
    EXPECT_EQ(static_cast<unsigned char>(cp[8]), 0xA8);  // Ё
    EXPECT_EQ(static_cast<unsigned char>(cp[13]), 0xB9); // №
    EXPECT_EQ(Cp1251ToUtf8(cp), utf8);
}

TEST(Cp1251, UnmappableAndMalformedInputBecomesQuestionMark)
{
    EXPECT_EQ(Utf8ToCp1251("a€b"), std::string("a\x88" "b"));
    EXPECT_EQ(Utf8ToCp1251("漢"), "?");
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");          // truncated sequence at the end
    EXPECT_EQ(Utf8ToCp1251("\xFF" "A"), "?A");     // invalid lead byte
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "?");           // the one unassigned byte
}

}  // namespace
}  // namespace tirv
