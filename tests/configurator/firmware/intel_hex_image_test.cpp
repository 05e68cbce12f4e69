// The Intel HEX check: every step-named message reached by a crafted file; the image, its start,
// length and first/last sector; placement by address across 64 KiB segments.
#include <gtest/gtest.h>

#include <string>

#include "configurator/firmware/intel_hex_image.h"
#include "configurator/firmware/texts.h"
#include "firmware_records.h"

namespace tirv {
namespace {

using namespace test;
namespace tx = firmware_texts;

TEST(IntelHexCheck, EveryStepMessage)
{
    const std::string base = HexBase(0x0800);
    const std::string data = HexData(0x0000, Ramp(16));
    struct Case {
        const char* what;
        std::string file;
        const char* message;
    };
    const Case cases[] = {
        {"a letter between records", base + "x" + data + kHexEnd, tx::kFormatError},
        {"data before the first 04 record", data + base + kHexEnd, tx::kFormatError},
        {"a record after the end record", base + data + kHexEnd + data, tx::kFormatError},
        {"start address not word aligned", base + HexData(0x0002, Ramp(4)) + kHexEnd,
         tx::kFormatError},
        {"count not hexadecimal", base + ":G0000000" + kHexEnd, tx::kHexByteCount},
        {"count at the very end", base + data + ":1", tx::kHexByteCount},
        {"line shorter than its count", base + data.substr(0, data.size() - 4), tx::kHexLineLength},
        {"count larger than the line", base + ":FF00000000\r\n" + kHexEnd, tx::kHexLineLength},
        {"a data character not hexadecimal",
         base + data.substr(0, 12) + "g" + data.substr(13) + kHexEnd, tx::kHexCharacters},
        {"type 02 (segment address)", HexRecord(0x02, 0, {0x10, 0x00}) + kHexEnd,
         tx::kHexRecordType},
        {"type 03 (segment start)", base + HexRecord(0x03, 0, Ramp(4)) + kHexEnd,
         tx::kHexRecordType},
        {"checksum off by one", base + HexRecord(0x00, 0, Ramp(4), 1) + kHexEnd, tx::kHexChecksum},
        {"04 below the flash", HexBase(0x0000) + data + kHexEnd, tx::kHexExtendedAddress},
        {"04 above the flash", HexBase(0x0810) + data + kHexEnd, tx::kHexExtendedAddress},
        {"04 with four data bytes", HexRecord(0x04, 0, {0x08, 0, 0, 0}) + data + kHexEnd,
         tx::kHexExtendedAddress},
        {"01 with data", base + data + HexRecord(0x01, 0, {0}), tx::kHexEndRecord},
        {"01 with an address", base + data + HexRecord(0x01, 1, {}), tx::kHexEndRecord},
        {"data past the end of flash", HexBase(0x080F) + HexData(0xFFF0, Ramp(32)) + kHexEnd,
         tx::kHexOffset},
        {"overlapping data", base + data + HexData(0x000C, Ramp(8)) + kHexEnd, tx::kHexOffset},
        {"no end record", base + data, tx::kHexNoEndRecord},
        {"empty file", "", tx::kHexNoEndRecord},
        {"no data records", base + HexRecord(0x05, 0, {8, 0, 1, 0x89}) + kHexEnd, tx::kNoData},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = ParseIntelHexFile(ToBytes(c.file));
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().text, c.message);
        EXPECT_EQ(r.error().caption, tx::kCaptionReadWrite);
        EXPECT_EQ(r.error().icon, MsgIcon::Error);
    }
}

TEST(IntelHexCheck, StartLengthAndSectors)
{
    std::string sector0;
    for (std::uint32_t a = 0; a < 0x4000; a += 32)
        sector0 += HexData(static_cast<std::uint16_t>(a), Ramp(32, static_cast<std::uint8_t>(a)));
    struct Case {
        const char* what;
        std::string file;
        std::uint32_t start;
        std::size_t length, first, last;
    };
    const Case cases[] = {
        {"16 bytes at the flash start", HexBase(0x0800) + HexData(0, Ramp(16)) + kHexEnd,
         0x08000000, 16, 0, 0},
        {"0x08000000-0x08003FFF: sector 0 only", HexBase(0x0800) + sector0 + kHexEnd, 0x08000000,
         0x4000, 0, 0},
        {"one word past sector 0", HexBase(0x0800) + HexData(0x3FFC, Ramp(8)) + kHexEnd, 0x08003FFC,
         8, 0, 1},
        {"start record 05 ignored",
         HexBase(0x0802) + HexRecord(0x05, 0, {8, 2, 0, 0}) + HexData(0x0100, Ramp(4)) + kHexEnd,
         0x08020100, 4, 5, 5},
        {"last sector of the flash", HexBase(0x080F) + HexData(0xFFFC, Ramp(4)) + kHexEnd,
         0x080FFFFC, 4, 11, 11},
        {"sectors 4 to 11",
         HexBase(0x0801) + HexData(0, Ramp(4)) + HexBase(0x080F) + HexData(0xFFF0, Ramp(16)) +
             kHexEnd,
         0x08010000, 0xF0000, 4, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = ParseIntelHexFile(ToBytes(c.file));
        ASSERT_TRUE(r.ok()) << r.error().text;
        EXPECT_EQ(r.value().start, c.start);
        EXPECT_EQ(r.value().length(), c.length);
        EXPECT_EQ(r.value().firstSector, c.first);
        EXPECT_EQ(r.value().lastSector, c.last);
    }
}

TEST(IntelHexCheck, RecordsPlacedByAddressAcrossSegments)
{
    // Out of order, in two segments, one record running over the 64 KiB boundary, a gap.
    const std::string file = HexBase(0x0801) + HexData(0x0010, {0xA0, 0xA1}) + HexBase(0x0800) +
                             HexData(0xFFF8, Ramp(16, 0x30)) + HexData(0xFFF0, Ramp(4, 0x20)) +
                             kHexEnd;
    const auto r = ParseIntelHexFile(ToBytes(file));
    ASSERT_TRUE(r.ok()) << r.error().text;
    const HexImage& image = r.value();
    EXPECT_EQ(image.start, 0x0800FFF0u);
    ASSERT_EQ(image.length(), 0x22u);
    Bytes expected(0x22, 0xFF);
    for (int i = 0; i < 4; ++i)
        expected[i] = static_cast<std::uint8_t>(0x20 + i);
    for (int i = 0; i < 16; ++i)
        expected[8 + i] = static_cast<std::uint8_t>(0x30 + i);
    expected[0x20] = 0xA0;
    expected[0x21] = 0xA1;
    EXPECT_EQ(image.bytes, expected);
    EXPECT_EQ(image.firstSector, 3u);
    EXPECT_EQ(image.lastSector, 4u);
}

}  // namespace
}  // namespace tirv
