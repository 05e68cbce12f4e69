#include "configurator/iocfg/io_registers.h"
#include "configurator/iocfg/io_texts.h"

#include <gtest/gtest.h>

#include <vector>

namespace tirv {
namespace {

// A block as the relay returns it: the settings registers, then both state registers.
std::vector<std::uint16_t> Block(const IoImage& image, RegisterCoding coding,
                                 std::uint16_t inputs = 0, std::uint16_t outputs = 0)
{
    const auto regs = IoSettingsRegisters(image, coding);
    std::vector<std::uint16_t> block(regs.begin(), regs.end());
    block.push_back(inputs);
    block.push_back(outputs);
    return block;
}

TEST(LedRegisters, ModbusMarkOnWriteOnlyOffsetsOnRead)
{
    LedImage img;
    img.at(0, LedSignal) = 1;
    img.at(0, LedMode) = 1;
    img.at(0, LedTime) = 50;
    const auto modbus = LedRegisters(img, 5, RegisterCoding::Modbus);
    ASSERT_EQ(modbus.size(), 15u);
    EXPECT_EQ(modbus[0], 32869);
    EXPECT_EQ(modbus[1], 32849);
    EXPECT_EQ(modbus[2], 50);
    EXPECT_EQ(modbus[3], 0x8000 + 100);  // an unassigned LED still carries the offsets
    EXPECT_EQ(modbus[5], 0);

    const auto text = LedRegisters(img, 8, RegisterCoding::TextProtocol);
    ASSERT_EQ(text.size(), 24u);
    EXPECT_EQ(text[0], 101);
    EXPECT_EQ(text[1], 81);
    EXPECT_EQ(text[2], 50);

    // What the relay hands back: 101, 81, 50 → signal 1, mode 1, time 50.
    std::vector<std::uint16_t> read(text.begin(), text.end());
    const LedBlockDecode d = DecodeLedBlock(read, 8);
    ASSERT_EQ(d.result, BlockResult::Ok);
    EXPECT_EQ(d.image, img);
}

TEST(LedRegisters, BlockResults)
{
    struct Case {
        const char* what;
        std::vector<std::uint16_t> block;
        int leds;
        BlockResult result;
    };
    std::vector<std::uint16_t> zeros15(15, 0);
    std::vector<std::uint16_t> good15 = {101, 80,  0,  100, 81,  9999, 100, 80,
                                         0,   194, 80, 0,   100, 80,   0};
    auto signal95 = good15;
    signal95[3] = 195;
    auto mode2 = good15;
    mode2[4] = 82;
    auto time10000 = good15;
    time10000[14] = 10000;
    auto belowOffset = good15;
    belowOffset[6] = 99;
    auto markedRead = good15;
    markedRead[0] = 32869;  // a relay echoing the write mark is not taken as signal 32769
    const Case cases[] = {
        {"all zero", zeros15, 5, BlockResult::Empty},
        {"valid", good15, 5, BlockResult::Ok},
        {"signal 95", signal95, 5, BlockResult::Invalid},
        {"mode 2", mode2, 5, BlockResult::Invalid},
        {"time 10000", time10000, 5, BlockResult::Invalid},
        {"register below its offset", belowOffset, 5, BlockResult::Invalid},
        {"marked register on read", markedRead, 5, BlockResult::Invalid},
        {"15 registers for 8 LEDs", good15, 8, BlockResult::WrongLength},
        {"LED count 9", good15, 9, BlockResult::WrongLength},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DecodeLedBlock(c.block, c.leds).result, c.result);
    }
    const LedBlockDecode ok = DecodeLedBlock(good15, 5);
    EXPECT_EQ(ok.image.at(1, LedTime), 9999u);
    EXPECT_EQ(ok.image.at(3, LedSignal), 94u);
    EXPECT_EQ(DecodeLedBlock(signal95, 5).check.led, 1);
    EXPECT_STREQ(LedBlockStatusText(BlockResult::Invalid),
                 "Ошибка чтения настроек светодиодов: недопустимые значения");
    EXPECT_EQ(LedFirstRegister(false), 155);
    EXPECT_EQ(LedFirstRegister(true), 146);
}

TEST(IoRegisters, OffsetsOfBothLinks)
{
    IoImage img = DefaultIoImage();
    img.input(0, IoLevel) = 1;
    img.input(0, IoFirstTime) = 250;
    img.input(15, IoSecondTime) = 9999;
    img.output(2, IoLevel) = 2;
    img.output(2, IoFirstTime) = 7;
    const auto m = IoSettingsRegisters(img, RegisterCoding::Modbus);
    EXPECT_EQ(m[0], 0x80C8);       // input 1 function 0
    EXPECT_EQ(m[1], 0x8055 + 1);   // level
    EXPECT_EQ(m[2], 250);          // delays carry no offset
    EXPECT_EQ(m[4], 0x80C8 + 1);   // input 2 function 1
    EXPECT_EQ(m[63], 9999);        // register 233: input 16 reset delay
    EXPECT_EQ(m[64], 0x8064 + 1);  // register 234: output 1 signal 1
    EXPECT_EQ(m[64 + 8 + 1], 0x805A + 2);
    EXPECT_EQ(m[64 + 8 + 2], 7);
    EXPECT_EQ(m[127], 0);  // register 297: output 16 return time

    const auto t = IoSettingsRegisters(img, RegisterCoding::TextProtocol);
    EXPECT_EQ(t[0], 200);
    EXPECT_EQ(t[1], 86);
    EXPECT_EQ(t[64], 101);
    EXPECT_EQ(t[64 + 8 + 1], 92);
    EXPECT_EQ(t[2], 250);
}

TEST(IoRegisters, DecodeRoundTripAndStates)
{
    IoImage img = DefaultIoImage();
    img.input(9, IoFunction) = 44;
    img.output(12, IoFunction) = 94;
    img.output(12, IoSecondTime) = 9999;
    for (RegisterCoding coding : {RegisterCoding::Modbus, RegisterCoding::TextProtocol}) {
        const IoBlockDecode d = DecodeIoBlock(Block(img, coding, 0x8001, 0x0104), coding);
        ASSERT_EQ(d.result, BlockResult::Ok);
        EXPECT_EQ(d.block.image, img);
        EXPECT_EQ(d.block.inputStates, 0x8001);
        EXPECT_EQ(d.block.outputStates, 0x0104);
    }
    const struct {
        std::uint16_t reg;
        int channel;
        bool on;
    } bits[] = {{0x8001, 0, true}, {0x8001, 15, true},  {0x8001, 1, false}, {0x0104, 2, true},
                {0x0104, 8, true}, {0xFFFF, 16, false}, {0xFFFF, -1, false}};
    for (const auto& b : bits)
        EXPECT_EQ(IoStateBit(b.reg, b.channel), b.on) << b.reg << " bit " << b.channel;
}

TEST(IoRegisters, BlockRefusals)
{
    const RegisterCoding M = RegisterCoding::Modbus;
    std::vector<std::uint16_t> zeros(kIoBlockRegisters, 0);
    auto zerosActive = zeros;  // no settings but input 3 and output 1 active
    zerosActive[kIoInputStateIndex] = 0x0004;
    zerosActive[kIoOutputStateIndex] = 0x0001;
    auto oneSetting = zeros;
    oneSetting[297 - 170] = 1;  // the last settings register alone makes the block non-empty
    auto signal95 = Block(DefaultIoImage(), M);
    signal95[64 + 5 * 4] = 0x8064 + 95;
    auto input9fn3 = Block(DefaultIoImage(), M);
    input9fn3[8 * 4] = 0x80C8 + 3;
    auto textOnModbus = Block(DefaultIoImage(), RegisterCoding::TextProtocol);
    auto shortBlock = Block(DefaultIoImage(), M);
    shortBlock.pop_back();
    const struct {
        const char* what;
        std::vector<std::uint16_t> block;
        BlockResult result;
    } cases[] = {
        {"all zero", zeros, BlockResult::Empty},
        {"all zero settings, live states set", zerosActive, BlockResult::Empty},
        {"one settings register", oneSetting, BlockResult::Invalid},
        {"output 6 signal 95", signal95, BlockResult::Invalid},
        {"input 9 function 3", input9fn3, BlockResult::Invalid},
        {"registers without the mark read as Modbus", textOnModbus, BlockResult::Invalid},
        {"129 registers", shortBlock, BlockResult::WrongLength},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DecodeIoBlock(c.block, M).result, c.result);
    }
    const IoBlockDecode bad = DecodeIoBlock(signal95, M);
    EXPECT_EQ(bad.check.fault, IoFault::OutputSignal);
    EXPECT_EQ(bad.check.channel, 5);
    EXPECT_STREQ(IoBlockStatusText(bad.result),
                 "Ошибка: из устройства прочитана недопустимая уставка входов/выходов  ");
    EXPECT_STREQ(IoBlockStatusText(BlockResult::Empty), io_texts::kIoReadEmptyStatus);
    EXPECT_STREQ(IoBlockStatusText(BlockResult::Ok), "");
    EXPECT_TRUE(IoSettingsAllZero(zerosActive));
    EXPECT_FALSE(IoSettingsAllZero(oneSetting));
}

}  // namespace
}  // namespace tirv
