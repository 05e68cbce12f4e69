// The I/O and LED request frames and reply handling, byte for byte.
#include "configurator/iocfg/io_operation_frames.h"

#include "common/crc16.h"
#include "configurator/iocfg/io_registers.h"
#include "configurator/link/frames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tirv {
namespace {

SetpointLink Modbus(int baudIndex = 6)
{
    SetpointLink l;
    l.address = 1;
    l.baudIndex = baudIndex;
    return l;
}

std::uint16_t WordAt(const std::vector<std::uint8_t>& frame, std::size_t at)
{
    return static_cast<std::uint16_t>(frame[at] << 8 | frame[at + 1]);
}

// The relay's own reply allowances of the I/O block at the slowest and the default speed.
TEST(IoOperationFrames, ModbusWaitsOfTheIoBlock)
{
    struct Row {
        int baudIndex;
        int registers;
        int readMs;
    };
    // 8-byte read request: (8·13 + 3331)·1000/baud + 20; remainder of 5: (130 + 104 + 81)·1000/baud
    // + 20.
    const Row rows[] = {{0, 125, 2882}, {0, 5, 282}, {6, 125, 79}, {6, 5, 25}};
    for (const Row& r : rows) {
        const BlockFrame f = BuildBlockRead(Modbus(r.baudIndex), BlockKind::Io, 170, r.registers);
        ASSERT_EQ(f.bytes.size(), 8u);
        EXPECT_EQ(f.waitMs, r.readMs) << r.baudIndex << " " << r.registers;
        EXPECT_EQ(f.reply.expectedLength, 2 * r.registers + 5);
    }
    // First write of 123 registers (255 bytes): (255·26 + 120)·1000/57600 + 70; later ones + 20.
    EXPECT_EQ(IoWriteWaitMs(255, true, 6), 187);
    EXPECT_EQ(IoWriteWaitMs(255, false, 6), 137);
    EXPECT_EQ(IoWriteWaitMs(19, false, 0), 531);
}

TEST(IoOperationFrames, LedWriteCarriesTheModbusMarkOnSignalAndMode)
{
    LedImage leds{};
    leds.at(0, LedSignal) = 1;
    leds.at(0, LedMode) = 1;
    leds.at(0, LedTime) = 50;
    const std::vector<std::uint16_t> regs = LedRegisters(leds, kLedCountM, RegisterCoding::Modbus);
    ASSERT_EQ(regs.size(), 24u);
    const BlockFrame f =
        BuildBlockWrite(Modbus(), BlockKind::Led, LedFirstRegister(true), regs, false);
    ASSERT_EQ(f.bytes.size(), 9u + 48u);
    EXPECT_EQ(f.bytes[1], 16);
    EXPECT_EQ(WordAt(f.bytes, 2), 146);
    EXPECT_EQ(WordAt(f.bytes, 4), 24);
    EXPECT_EQ(WordAt(f.bytes, 7), 32869);
    EXPECT_EQ(WordAt(f.bytes, 9), 32849);
    EXPECT_EQ(WordAt(f.bytes, 11), 50);
    // Over the ТИРВ protocol the same LED goes without the mark.
    const auto text = LedRegisters(leds, kLedCountM, RegisterCoding::TextProtocol);
    EXPECT_EQ(text[0], 101);
    EXPECT_EQ(text[1], 81);
}

// A reply is taken only when it answers its request; a bad one leaves the block as it was.
TEST(IoOperationFrames, ReadRepliesFillTheirPlaceInTheBlockOnlyWhenGood)
{
    const SetpointLink link = Modbus();
    const BlockFrame request = BuildBlockRead(link, BlockKind::Io, 295, 5);
    std::vector<std::uint8_t> reply{1, 3, 10, 0x80, 0x64, 0, 0, 0, 0, 0, 7, 0x12, 0x34};
    const std::uint16_t c = Crc16(reply);
    reply.push_back(static_cast<std::uint8_t>(c & 0xFF));
    reply.push_back(static_cast<std::uint8_t>(c >> 8));

    std::vector<std::uint16_t> block(kIoBlockRegisters, 0xAAAA);
    EXPECT_EQ(AcceptBlockRead(link, request.bytes, reply, 125, 5, block), LinkResult::Good);
    EXPECT_EQ(block[125], 0x8064);
    EXPECT_EQ(block[128], 7);
    EXPECT_EQ(block[129], 0x1234);
    EXPECT_EQ(block[124], 0xAAAA);

    std::vector<std::uint16_t> untouched(kIoBlockRegisters, 0xAAAA);
    std::vector<std::uint8_t> damaged = reply;
    damaged[5] ^= 1;
    EXPECT_NE(AcceptBlockRead(link, request.bytes, damaged, 125, 5, untouched), LinkResult::Good);
    EXPECT_NE(AcceptBlockRead(link, request.bytes, reply, 0, 4, untouched), LinkResult::Good)
        << "a reply of 5 registers does not answer a read of 4";
    EXPECT_NE(AcceptBlockRead(link, request.bytes, reply, 126, 5, untouched), LinkResult::Good)
        << "beyond the block";
    EXPECT_EQ(untouched, std::vector<std::uint16_t>(kIoBlockRegisters, 0xAAAA));
}

}  // namespace
}  // namespace tirv
