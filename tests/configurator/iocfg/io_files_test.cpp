#include "configurator/iocfg/io_files.h"
#include "configurator/iocfg/io_texts.h"
#include "independent_crc.h"

#include <gtest/gtest.h>

#include <vector>

namespace tirv {
namespace {

using test::FileBytes;

// A .tio laid out word by word from the file's table: model, 3 reserved, inputs, outputs.
std::vector<std::uint32_t> TioWords(std::uint32_t model, const IoImage& img,
                                    FileReservedWords reserved = {})
{
    std::vector<std::uint32_t> w{model, reserved[0], reserved[1], reserved[2]};
    w.insert(w.end(), img.inputs.begin(), img.inputs.end());
    w.insert(w.end(), img.outputs.begin(), img.outputs.end());
    return w;
}

TEST(TioFile, BuildIsByteExact)
{
    IoImage img = DefaultIoImage();
    img.input(15, IoSecondTime) = 0x0102;
    const auto bytes = BuildTioFile(715, {7, 8, 9}, img);
    ASSERT_EQ(bytes.size(), 532u);
    EXPECT_EQ(bytes, FileBytes(TioWords(715, img, {7, 8, 9})));
    // Spot checks at the byte offsets of the layout.
    EXPECT_EQ(bytes[0], 0xCB);  // 715 = 0x02CB
    EXPECT_EQ(bytes[1], 0x02);
    EXPECT_EQ(bytes[4], 7);
    EXPECT_EQ(bytes[16 + 16], 1);      // input 2 function 1
    EXPECT_EQ(bytes[16 + 8 * 16], 8);  // input 9 function 8
    EXPECT_EQ(bytes[268], 0x02);       // input 16 reset delay, low byte
    EXPECT_EQ(bytes[269], 0x01);
    EXPECT_EQ(bytes[272], 1);           // output 1 signal 1
    EXPECT_EQ(bytes[272 + 5 * 16], 5);  // output 6 signal 5
    EXPECT_EQ(bytes[530], 0);           // CRC word upper half
    EXPECT_EQ(bytes[531], 0);
}

TEST(TioFile, RoundTripKeepsEveryField)
{
    IoImage img;
    for (int ch = 0; ch < kIoChannels; ++ch) {
        img.input(ch, IoFunction) = static_cast<std::uint32_t>(ch < 8 ? 44 - ch : 8 + ch);
        img.input(ch, IoLevel) = static_cast<std::uint32_t>(ch % 2);
        img.input(ch, IoFirstTime) = static_cast<std::uint32_t>(ch * 600);
        img.input(ch, IoSecondTime) = static_cast<std::uint32_t>(9999 - ch);
        img.output(ch, IoFunction) = static_cast<std::uint32_t>(94 - ch);
        img.output(ch, IoLevel) = static_cast<std::uint32_t>(ch % 3);
        img.output(ch, IoFirstTime) = static_cast<std::uint32_t>(ch);
        img.output(ch, IoSecondTime) = static_cast<std::uint32_t>(ch * 111);
    }
    const auto bytes = BuildTioFile(705, {1, 2, 3}, img);
    const TioFile f = ParseTioFile(bytes);
    ASSERT_EQ(f.result, IoFileResult::Ok);
    EXPECT_EQ(f.image, img);
    EXPECT_EQ(f.modelCode, 705u);
    EXPECT_EQ(f.reserved, (FileReservedWords{1, 2, 3}));
    EXPECT_EQ(BuildTioFile(f.modelCode, f.reserved, f.image), bytes);
}

TEST(TioFile, Refusals)
{
    const auto good = FileBytes(TioWords(0, DefaultIoImage()));
    auto changed = good;
    changed[100] ^= 0x01;
    auto crcChanged = good;
    crcChanged[529] ^= 0x80;
    auto shorter = good;
    shorter.pop_back();
    auto longer = good;
    longer.push_back(0);
    IoImage fn3 = DefaultIoImage();
    fn3.input(8, IoFunction) = 3;
    IoImage mode3 = DefaultIoImage();
    mode3.output(4, IoLevel) = 3;
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        IoFileResult result;
    } cases[] = {
        {"good", good, IoFileResult::Ok},
        {"one byte changed", changed, IoFileResult::Damaged},
        {"CRC changed", crcChanged, IoFileResult::Damaged},
        {"531 bytes", shorter, IoFileResult::Damaged},
        {"533 bytes", longer, IoFileResult::Damaged},
        {"empty", {}, IoFileResult::Damaged},
        {"input 9 function 3", FileBytes(TioWords(0, fn3)), IoFileResult::Invalid},
        {"output 5 mode 3", FileBytes(TioWords(0, mode3)), IoFileResult::Invalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ParseTioFile(c.bytes).result, c.result);
    }
    const TioFile f = ParseTioFile(FileBytes(TioWords(0, fn3, {4, 5, 6})));
    EXPECT_EQ(f.check.channel, 8);
    EXPECT_EQ(f.reserved, (FileReservedWords{4, 5, 6}));  // kept even from a refused file
    EXPECT_EQ(f.image, IoImage{});                        // nothing to apply
    EXPECT_EQ(TioInvalidMessage().text,
              "Чтение из файла будет прервано: обнаружены недопустимые настройки входов/выходов");
    EXPECT_EQ(TioDamagedMessage().caption, "Ошибка чтения/записи");
}

std::vector<std::uint32_t> TldWords(std::uint32_t model, std::vector<std::uint32_t> leds)
{
    std::vector<std::uint32_t> w{model, 0, 0, 0};
    w.insert(w.end(), leds.begin(), leds.end());
    return w;
}

TEST(TldFile, BuildIsByteExactForBothLayouts)
{
    LedImage img = DefaultLedImage();
    img.at(0, LedMode) = 1;
    img.at(0, LedTime) = 50;
    img.at(7, LedSignal) = 94;  // beyond a 5-LED file
    const auto five = BuildTldFile(705, {0, 0, 0}, img);
    ASSERT_EQ(five.size(), 80u);
    EXPECT_EQ(five, FileBytes(TldWords(705, {1, 1, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})));
    const auto eight = BuildTldFile(716, {9, 0, 0}, img);
    ASSERT_EQ(eight.size(), 116u);
    std::vector<std::uint32_t> w =
        TldWords(716, std::vector<std::uint32_t>(img.words.begin(), img.words.end()));
    w[1] = 9;
    EXPECT_EQ(eight, FileBytes(w));
    EXPECT_EQ(eight[16 + 21 * 4], 94);
}

TEST(TldFile, LayoutsQuestionsAndRefusals)
{
    const std::vector<std::uint32_t> fiveLeds = {5, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 94, 0, 9999};
    std::vector<std::uint32_t> eightLeds = fiveLeds;
    eightLeds.insert(eightLeds.end(), {7, 1, 1, 8, 0, 2, 9, 1, 3});
    auto signal95 = fiveLeds;
    signal95[12] = 95;
    auto mode2 = eightLeds;
    mode2[22] = 2;
    auto changed = FileBytes(TldWords(705, fiveLeds));
    changed[20] ^= 0x10;
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        int model;
        IoFileResult result;
        LedLayoutQuestion question;
    } cases[] = {
        {"5 LEDs on 705", FileBytes(TldWords(705, fiveLeds)), 705, IoFileResult::Ok,
         LedLayoutQuestion::None},
        {"5 LEDs on 715", FileBytes(TldWords(705, fiveLeds)), 715, IoFileResult::Ok,
         LedLayoutQuestion::OlderOnM},
        {"8 LEDs on 716", FileBytes(TldWords(716, eightLeds)), 716, IoFileResult::Ok,
         LedLayoutQuestion::None},
        {"8 LEDs on 306", FileBytes(TldWords(716, eightLeds)), 306, IoFileResult::Ok,
         LedLayoutQuestion::NewerOnNonM},
        {"signal 95", FileBytes(TldWords(705, signal95)), 705, IoFileResult::Invalid,
         LedLayoutQuestion::None},
        {"mode 2 on an M file", FileBytes(TldWords(716, mode2)), 705, IoFileResult::Invalid,
         LedLayoutQuestion::NewerOnNonM},
        {"one byte changed", changed, 705, IoFileResult::Damaged, LedLayoutQuestion::None},
        {"100 bytes", std::vector<std::uint8_t>(100, 0), 705, IoFileResult::Damaged,
         LedLayoutQuestion::None},
        {"116 zero bytes", std::vector<std::uint8_t>(116, 0), 715, IoFileResult::Damaged,
         LedLayoutQuestion::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TldFile f = ParseTldFile(c.bytes, c.model);
        EXPECT_EQ(f.result, c.result);
        EXPECT_EQ(f.question, c.question);
    }

    // An 80-byte file on an M model: the "предыдущей модификации" question, LEDs 6..8 cleared.
    const TldFile older = ParseTldFile(FileBytes(TldWords(705, fiveLeds)), 717);
    ASSERT_EQ(older.result, IoFileResult::Ok);
    EXPECT_EQ(older.fileLeds, 5);
    EXPECT_EQ(older.image.at(4, LedSignal), 94u);
    EXPECT_EQ(older.image.at(4, LedTime), 9999u);
    for (int i = 15; i < kLedImageWords; ++i)
        EXPECT_EQ(older.image.words[i], 0u);
    const Message q = TldLayoutMessage(older.question);
    EXPECT_EQ(q.text,
              "В файле содержатся настройки светодиодов для предыдущей модификации ТИРВ. "
              "Продолжить?");
    EXPECT_EQ(q.buttons, MsgButtons::OkCancel);
    EXPECT_EQ(TldLayoutMessage(LedLayoutQuestion::NewerOnNonM).text, io_texts::kTldNewerLayout);

    const TldFile eight = ParseTldFile(FileBytes(TldWords(716, eightLeds)), 716);
    EXPECT_EQ(eight.image.at(7, LedTime), 3u);
    EXPECT_EQ(BuildTldFile(716, eight.reserved, eight.image), FileBytes(TldWords(716, eightLeds)));
}

}  // namespace
}  // namespace tirv
