// Files made by an independent tool, Debian's srec_cat (package srecord), from a binary source
// at test time: both loaders must give back exactly the source bytes at the source addresses.
// Skipped only when srec_cat is not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "configurator/firmware/firmware_file.h"
#include "firmware_records.h"
#include "temp_folder.h"

namespace tirv {
namespace {

using namespace test;

bool HaveSrecCat()
{
    return std::system("command -v srec_cat >/dev/null 2>&1") == 0;
}

Bytes Noise(std::size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& v : b)
        v = static_cast<std::uint8_t>(gen());
    return b;
}

// Runs srec_cat on `source` placed at `offset`, writing `output` in `format` (srec_cat options).
bool SrecCat(const std::string& source, std::uint32_t offset, const std::string& output,
             const std::string& format)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", offset);
    const std::string cmd = "srec_cat '" + source + "' -binary -offset " + hex + " -o '" + output +
                            "' " + format + " 2>/dev/null";
    return std::system(cmd.c_str()) == 0;
}

// Source bytes at their addresses, as the relay's flash would hold them after the update.
Bytes FromPages(const PageMap& map, std::uint32_t first, std::size_t n)
{
    Bytes out(n, 0xFF);
    for (const auto& [base, page] : map.pages())
        for (std::size_t i = 0; i < kPageMapPageSize; ++i) {
            const std::uint64_t a = std::uint64_t{base} + i;
            if (page.given.test(i) && a >= first && a < first + n)
                out[a - first] = page.bytes[i];
        }
    return out;
}

TEST(SrecCatFiles, MotorolaFilesLoadToTheirSource)
{
    if (!HaveSrecCat())
        GTEST_SKIP() << "srec_cat (Debian package srecord) is not installed";
    TempFolder dir;
    ASSERT_TRUE(dir.ok());
    struct Case {
        const char* what;
        std::uint32_t offset;
        std::size_t length;
        std::string format;
        std::vector<std::size_t> blocks;
    };
    const std::vector<Case> cases = {
        {"S3, blocks 9 to 7, unaligned start",
         0xFFF800F0,
         0x20010,
         "-motorola -address-length=4",
         {9, 8, 7}},
        {"S3, 250-byte records",
         0xFFFE0000,
         0x18000,
         "-motorola -address-length=4 -obs=250",
         {3, 2, 1}},
        {"S2 in blocks 11 and 10", 0x00060000, 0x2000, "-motorola -address-length=3", {11, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes source = Noise(c.length, c.offset);
        const std::string bin = dir.write("source.bin", source);
        const std::string mot = dir.file("made.mot");
        ASSERT_TRUE(SrecCat(bin, c.offset, mot, c.format));
        const auto r = LoadFirmwareFile(mot, FirmwareFamily::Relay);
        ASSERT_TRUE(r.ok()) << r.error().text;
        const SRecordImage& image = r.value().relay;
        EXPECT_EQ(FromPages(image.pages, c.offset, c.length), source);
        EXPECT_EQ(image.pages.byteCount(), c.length);
        std::array<bool, kFlashBlockCount> used{};
        for (const std::size_t b : c.blocks)
            used[b] = true;
        EXPECT_EQ(image.usedBlocks, used);

        // The page extractor over the file text gives the same pages as the page map.
        std::size_t position = 0, carry = 0, pages = 0;
        bool same = true;
        while (true) {
            std::array<std::uint8_t, kRelayPageSize> page;
            page.fill(0xFF);
            const ExtractedPage e = ExtractPage(r.value().text, position, carry, page);
            if (!e.hasData)
                break;
            const auto it = image.pages.pages().find(e.base);
            same = same && it != image.pages.pages().end() && it->second.bytes == page;
            position = e.position;
            carry = e.carry;
            ++pages;
        }
        EXPECT_TRUE(same);
        EXPECT_EQ(pages, image.pages.pages().size());
    }
}

TEST(SrecCatFiles, IntelHexFilesLoadToTheirSource)
{
    if (!HaveSrecCat())
        GTEST_SKIP() << "srec_cat (Debian package srecord) is not installed";
    TempFolder dir;
    ASSERT_TRUE(dir.ok());
    struct Case {
        const char* what;
        std::uint32_t offset;
        std::size_t length;
        std::string format;
        std::size_t first, last;
    };
    const std::vector<Case> cases = {
        {"256 KiB from the flash start", 0x08000000, 0x40000, "-intel", 0, 5},
        {"sector 0 exactly", 0x08000000, 0x4000, "-intel", 0, 0},
        {"across a 64 KiB segment, 16-byte records", 0x0800FFF0, 0x1000, "-intel -obs=16", 3, 4},
        {"up to the last flash byte", 0x080E0000, 0x20000, "-intel -obs=255", 11, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes source = Noise(c.length, c.offset);
        const std::string bin = dir.write("source.bin", source);
        const std::string hex = dir.file("made.hex");
        ASSERT_TRUE(SrecCat(bin, c.offset, hex, c.format));
        const auto r = LoadFirmwareFile(hex, FirmwareFamily::Stm32);
        ASSERT_TRUE(r.ok()) << r.error().text;
        const HexImage& image = r.value().stm32;
        EXPECT_EQ(image.start, c.offset);
        EXPECT_EQ(image.bytes, source);
        EXPECT_EQ(image.firstSector, c.first);
        EXPECT_EQ(image.lastSector, c.last);
    }
}

}  // namespace
}  // namespace tirv
