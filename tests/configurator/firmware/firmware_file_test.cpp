// Choosing and loading a firmware file: the dialog data and extension rule of each family, and
// the refusals of LoadFirmwareFile before and after reading.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "configurator/firmware/firmware_file.h"
#include "configurator/firmware/texts.h"
#include "firmware_records.h"
#include "temp_folder.h"

namespace tirv {
namespace {

using namespace test;
namespace tx = firmware_texts;

TEST(FirmwareFile, DialogPerFamily)
{
    const FirmwareDialog& relay = FirmwareDialogFor(FirmwareFamilyOf(false));
    EXPECT_EQ(relay.title, tx::kOpenDialogTitle);
    EXPECT_EQ(relay.filter, "Файлы прошивки ПО ТИРВ(*.mot)");
    EXPECT_EQ(relay.extension, "mot");
    const FirmwareDialog& stm = FirmwareDialogFor(FirmwareFamilyOf(true));
    EXPECT_EQ(stm.title, "Открыть файл прошивки ПО ТИРВ");
    EXPECT_EQ(stm.filter, "Файлы прошивки ПО ТИРВ(*.hex)");
    EXPECT_EQ(stm.extension, "hex");
}

TEST(FirmwareFile, ExtensionRule)
{
    struct Case {
        const char* name;
        FirmwareFamily family;
        bool accepted;
    };
    const Case cases[] = {
        {"/x/ПО 1.mot", FirmwareFamily::Relay, true}, {"fw.MOT", FirmwareFamily::Relay, false},
        {"fw.hex", FirmwareFamily::Relay, false},     {"ot", FirmwareFamily::Relay, false},
        {"fwmot", FirmwareFamily::Relay, true},       {"fw.hex", FirmwareFamily::Stm32, true},
        {"fw.Hex", FirmwareFamily::Stm32, false},     {"fw.mot", FirmwareFamily::Stm32, false},
        {"fw.hex.bak", FirmwareFamily::Stm32, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HasFirmwareExtension(c.name, c.family), c.accepted);
    }
}

TEST(FirmwareFile, RefusalsBeforeTheCheck)
{
    TempFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string big = dir.file("big.mot");
    std::filesystem::resize_file(dir.write("big.mot", {}), kMaxFirmwareFileBytes + 1);
    const std::string limit = dir.file("limit.hex");
    std::filesystem::resize_file(dir.write("limit.hex", {}), kMaxFirmwareFileBytes);
    std::filesystem::create_directory(dir.file("folder.mot"));
    struct Case {
        const char* what;
        std::string path;
        FirmwareFamily family;
        std::string caption, text;
    };
    const Case cases[] = {
        {"upper-case extension", dir.write("a.MOT", ToBytes(S3(0xFFF80000, {1}))),
         FirmwareFamily::Relay, tx::kCaptionReadWrite, tx::kWrongExtension},
        {"hex file for a non-M relay", dir.file("a.hex"), FirmwareFamily::Relay,
         tx::kCaptionReadWrite, tx::kWrongExtension},
        {"missing file", dir.file("none.hex"), FirmwareFamily::Stm32, tx::kCaptionReadWrite,
         "Невозможно открыть файл. Код ошибки " + std::to_string(ENOENT)},
        {"a folder", dir.file("folder.mot"), FirmwareFamily::Relay, tx::kCaptionReadWrite,
         "Невозможно открыть файл. Код ошибки " + std::to_string(EISDIR)},
        {"above 16 MiB", big, FirmwareFamily::Relay, tx::kCaptionLoadFile, tx::kCannotAllocateFile},
        // Exactly 16 MiB is read and checked: NUL bytes only, so no data.
        {"16 MiB of NUL", limit, FirmwareFamily::Stm32, tx::kCaptionReadWrite, tx::kHexNoEndRecord},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = LoadFirmwareFile(c.path, c.family);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().caption, c.caption);
        EXPECT_EQ(r.error().text, c.text);
        EXPECT_EQ(r.error().icon, MsgIcon::Error);
    }
}

TEST(FirmwareFile, LoadsEachFamily)
{
    TempFolder dir;
    ASSERT_TRUE(dir.ok());
    const Bytes mot = ToBytes(S3(0xFFFA0000, Ramp(8)));
    const auto relay = LoadFirmwareFile(dir.write("a.mot", mot), FirmwareFamily::Relay);
    ASSERT_TRUE(relay.ok()) << relay.error().text;
    EXPECT_EQ(relay.value().family, FirmwareFamily::Relay);
    EXPECT_EQ(relay.value().path, dir.file("a.mot"));
    EXPECT_EQ(relay.value().text, mot);
    EXPECT_TRUE(relay.value().relay.usedBlocks[7]);
    EXPECT_EQ(relay.value().relay.usedBlockCount(), 1u);

    const Bytes hex = ToBytes(HexBase(0x0800) + HexData(0, Ramp(8)) + kHexEnd);
    const auto stm = LoadFirmwareFile(dir.write("a.hex", hex), FirmwareFamily::Stm32);
    ASSERT_TRUE(stm.ok()) << stm.error().text;
    EXPECT_EQ(stm.value().stm32.bytes, Ramp(8));
    EXPECT_EQ(stm.value().stm32.start, 0x08000000u);

    // The same S-record file is refused by the M check: it is not Intel HEX.
    const auto wrong = ParseFirmwareFile(mot, FirmwareFamily::Stm32);
    ASSERT_FALSE(wrong.ok());
    EXPECT_EQ(wrong.error().text, tx::kFormatError);
}

}  // namespace
}  // namespace tirv
