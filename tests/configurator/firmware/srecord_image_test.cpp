// The S-record check: every message reached by a crafted file, the used-block flags, placement
// by address; and the page extractor with its carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "configurator/firmware/srecord_image.h"
#include "configurator/firmware/texts.h"
#include "firmware_records.h"

namespace tirv {
namespace {

using namespace test;
namespace tx = firmware_texts;

using Blocks = std::initializer_list<std::size_t>;

struct CheckCase {
    const char* what;
    std::string file;
    const char* message;  // nullptr: accepted
    Blocks used;
};

TEST(SRecordCheck, EveryMessageAndUsedBlocks)
{
    const std::string head = SRecord('0', 0, 2, ToBytes("tirv"));
    const std::string tail = SRecord('7', 0xFFF80000, 4, {});
    const std::string good = S3(0xFFF80000, Ramp(16));
    const CheckCase cases[] = {
        {"S3 in block 9, header and end records", head + good + tail, nullptr, {9}},
        {"S2 in block 11, 24-bit address", S2(0x060000, Ramp(8)), nullptr, {11}},
        {"lower-case s, LF and NUL between records",
         "s" + S2(0x061000, Ramp(4)).substr(1, std::string::npos) + std::string(1, '\0') + "\n",
         nullptr,
         {10}},
        {"S5 and S8 are skipped",
         SRecord('5', 1, 2, {}) + good + SRecord('8', 0, 3, {}),
         nullptr,
         {9}},
        {"only blocks 4 and 10", S3(0xFFFD0100, Ramp(4)) + S2(0x061800, Ramp(4)), nullptr, {4, 10}},
        {"record crossing blocks 9 and 8", S3(0xFFF8FFF0, Ramp(32)), nullptr, {9, 8}},
        {"last byte before the bootloader", S3(0xFFFF7FF0, Ramp(16)), nullptr, {1}},
        {"S1: 16-bit addressing", SRecord('1', 0x1000, 2, Ramp(4)), tx::kSrecAddressing, {}},
        {"S9: 16-bit addressing", good + SRecord('9', 0, 2, {}), tx::kSrecAddressing, {}},
        {"S4 is no type", SRecord('4', 0, 2, {}), tx::kFormatError, {}},
        {"S6 is no type", good + SRecord('6', 0, 3, {}), tx::kFormatError, {}},
        {"a blank between records", good + " " + good, tx::kFormatError, {}},
        {"a lone S at the end", good + "S", tx::kFormatError, {}},
        {"count not hexadecimal", "S3G5FFF80000\r\n", tx::kFormatError, {}},
        {"count longer than the file", good.substr(0, good.size() - 6), tx::kFormatError, {}},
        {"a data digit not hexadecimal",
         "S3" + good.substr(2, 10) + "Z" + good.substr(13),
         tx::kFormatError,
         {}},
        {"checksum off by one", SRecord('3', 0xFFF80000, 4, Ramp(4), 1), tx::kFormatError, {}},
        {"text right after a record",
         good.substr(0, good.size() - 2) + "x\r\n",
         tx::kFormatError,
         {}},
        {"S3 too short for its address", "S303FFF8FD\r\n", tx::kFormatError, {}},
        {"the same byte given twice", good + S3(0xFFF8000F, Ramp(2)), tx::kFormatError, {}},
        {"S3 at the bootloader", S3(0xFFFF8000, Ramp(4)), tx::kSrecBootloaderArea, {}},
        {"S3 at the top of memory", S3(0xFFFFFFF0, Ramp(4)), tx::kSrecBootloaderArea, {}},
        {"runs into the bootloader", S3(0xFFFF7FF0, Ramp(32)), tx::kSrecOutOfRange, {}},
        {"below the relay's flash", S3(0xFFF7FFFC, Ramp(8)), tx::kSrecOutOfRange, {}},
        {"between the two ranges", S3(0x00070000, Ramp(8)), tx::kSrecOutOfRange, {}},
        {"runs past block 10", S2(0x061FF8, Ramp(16)), tx::kSrecOutOfRange, {}},
        {"before block 11", S2(0x05FFFF, Ramp(2)), tx::kSrecOutOfRange, {}},
        {"only header and end", head + tail, tx::kNoData, {}},
        {"empty file", "", tx::kNoData, {}},
        {"data records without data", S3(0xFFF80000, {}), tx::kNoData, {}},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = ParseSRecordFile(ToBytes(c.file));
        if (!c.message) {
            ASSERT_TRUE(r.ok()) << r.error().text;
            std::array<bool, kFlashBlockCount> expected{};
            for (const std::size_t b : c.used)
                expected[b] = true;
            EXPECT_EQ(r.value().usedBlocks, expected);
            continue;
        }
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().text, c.message);
        EXPECT_EQ(r.error().caption, tx::kCaptionReadWrite);
        EXPECT_EQ(r.error().icon, MsgIcon::Error);
    }
}

TEST(SRecordCheck, DataPlacedByAddressWithErasedGaps)
{
    // Records out of order: the later page comes first in the file.
    const auto r =
        ParseSRecordFile(ToBytes(S3(0xFFF80104, Ramp(4, 0x40)) + S3(0xFFF80002, {7, 8})));
    ASSERT_TRUE(r.ok());
    const auto& pages = r.value().pages.pages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages.begin()->first, 0xFFF80000u);
    const auto& first = pages.begin()->second.bytes;
    EXPECT_EQ(first[0], 0xFF);
    EXPECT_EQ(first[2], 7);
    EXPECT_EQ(first[3], 8);
    EXPECT_EQ(first[4], 0xFF);
    const auto& second = pages.rbegin()->second.bytes;
    EXPECT_EQ(pages.rbegin()->first, 0xFFF80100u);
    EXPECT_EQ(second[4], 0x40);
    EXPECT_EQ(second[7], 0x43);
    EXPECT_EQ(r.value().pages.byteCount(), 6u);
}

// Calls ExtractPage as the update does, each page preset to 0xFF.
struct Extraction {
    ExtractedPage info;
    std::array<std::uint8_t, kRelayPageSize> bytes;
};
std::vector<Extraction> ExtractAll(const Bytes& text)
{
    std::vector<Extraction> pages;
    std::size_t position = 0, carry = 0;
    for (int guard = 0; guard < 10000; ++guard) {
        Extraction e;
        e.bytes.fill(0xFF);
        e.info = ExtractPage(text, position, carry, e.bytes);
        if (!e.info.hasData)
            break;
        position = e.info.position;
        carry = e.info.carry;
        pages.push_back(e);
    }
    return pages;
}

TEST(ExtractPage, RecordRunningOverThePageEndCarries)
{
    const Bytes data = Ramp(32, 0x10);
    const Bytes text =
        ToBytes(SRecord('0', 0, 2, {}) + S3(0xFFF800F0, data) + SRecord('7', 0, 4, {}));
    Extraction first;
    first.bytes.fill(0xFF);
    first.info = ExtractPage(text, 0, 0, first.bytes);
    ASSERT_TRUE(first.info.hasData);
    EXPECT_EQ(first.info.base, 0xFFF80000u);
    EXPECT_EQ(first.info.carry, 16u);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 16, first.bytes.begin() + 0xF0));
    EXPECT_TRUE(std::all_of(first.bytes.begin(), first.bytes.begin() + 0xF0,
                            [](std::uint8_t b) { return b == 0xFF; }));

    const auto all = ExtractAll(text);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].info.base, 0xFFF80100u);
    EXPECT_EQ(all[1].info.carry, 0u);
    EXPECT_TRUE(std::equal(data.begin() + 16, data.end(), all[1].bytes.begin()));
    EXPECT_EQ(all[1].bytes[16], 0xFF);
}

TEST(ExtractPage, PageEndsAtAFullPageOrARecordBeyondIt)
{
    std::string file;
    for (std::uint32_t a = 0; a < 256; a += 32)
        file += S3(0xFFF90000 + a, Ramp(32, static_cast<std::uint8_t>(a)));
    const std::string beyond = S3(0xFFF90300, {0xAB});
    const Bytes text = ToBytes(file + beyond + S2(0x060000, {0xCD}));
    const auto all = ExtractAll(text);
    ASSERT_EQ(all.size(), 3u);
    // A full page ends the call right after its last record (before its line end).
    EXPECT_EQ(all[0].info.base, 0xFFF90000u);
    EXPECT_EQ(all[0].info.position, file.size() - 2);
    std::array<std::uint8_t, 256> counting;
    for (std::size_t i = 0; i < counting.size(); ++i)
        counting[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(all[0].bytes, counting);
    // A record of another page ends the page and starts the next call.
    EXPECT_EQ(all[1].info.base, 0xFFF90300u);
    EXPECT_EQ(all[1].bytes[0], 0xAB);
    EXPECT_EQ(all[1].info.position, file.size() + beyond.size());
    EXPECT_EQ(all[2].info.base, 0x00060000u);
    EXPECT_EQ(all[2].bytes[0], 0xCD);
}

TEST(ExtractPage, BytesPastTheAddressSpaceAreDropped)
{
    // Found by fuzzing: the carried rest of a record at the top of memory has no page, and must
    // not make the extractor return the same page forever.
    const Bytes data = Ramp(16, 0x50);
    const auto all = ExtractAll(ToBytes(S3(0xFFFFFFF8, data) + S2(0x060000, {1})));
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].info.base, 0xFFFFFF00u);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 8, all[0].bytes.begin() + 0xF8));
    EXPECT_EQ(all[0].info.carry, 8u);
    EXPECT_EQ(all[1].info.base, 0x00060000u);
    EXPECT_EQ(all[1].bytes[0], 1);
}

TEST(ExtractPage, MalformedTextEndsTheScan)
{
    struct Case {
        const char* what;
        std::string text;
        std::size_t position;
    };
    const Case cases[] = {
        {"no record", "\r\n\r\n", 0},
        {"position past the end", S3(0xFFF80000, {1}), 1000},
        {"cut record", S3(0xFFF80000, Ramp(8)).substr(0, 12), 0},
        {"count beyond the text", "S3FF", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::array<std::uint8_t, kRelayPageSize> page;
        page.fill(0xFF);
        const Bytes text = ToBytes(c.text);
        const ExtractedPage e = ExtractPage(text, c.position, 0, page);
        EXPECT_FALSE(e.hasData);
        EXPECT_EQ(e.position, text.size());
        EXPECT_TRUE(
            std::all_of(page.begin(), page.end(), [](std::uint8_t b) { return b == 0xFF; }));
    }
}

}  // namespace
}  // namespace tirv
