#include "common/crc16.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>

namespace tirv {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(Crc16, KnownVectors)
{
    EXPECT_EQ(Crc16(Bytes("123456789")), 0x4B37);
    EXPECT_EQ(Crc16(Bytes("")), 0xFFFF);
    // Read of registers 130..134 at address 1: the CRC travels low byte first (0x25 0xE1 on the wire).
    const std::array<std::uint8_t, 6> req{0x01, 0x03, 0x00, 0x82, 0x00, 0x05};
    EXPECT_EQ(Crc16(req), 0xE125);
}

TEST(Crc16, ContinuesAcrossSplitInput)
{
    const auto whole = Crc16(Bytes("123456789"));
    EXPECT_EQ(Crc16(Bytes("6789"), Crc16(Bytes("12345"))), whole);
}

TEST(WordsCrc, AppendAndCheck)
{
    std::array<std::uint32_t, 4> words{715, 0x12345678, 0xFFFFFFFF, 0};
    AppendWordsCrc(words);
    EXPECT_EQ(words[3] >> 16, 0u);
    EXPECT_TRUE(CheckWordsCrc(words));
    // The CRC runs over the bytes as they lie on disk: little-endian words.
    const std::array<std::uint8_t, 12> bytes{0xCB, 0x02, 0, 0, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(words[3], Crc16(bytes));

    for (std::size_t i = 0; i < words.size(); ++i) {
        auto broken = words;
        broken[i] ^= 0x100;
        EXPECT_FALSE(CheckWordsCrc(broken)) << "word " << i;
    }
    EXPECT_FALSE(CheckWordsCrc(std::span<const std::uint32_t>()));
}

}  // namespace
}  // namespace tirv
