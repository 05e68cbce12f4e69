#include "configurator/setpoints/setpoint_frames.h"

#include "common/crc16.h"
#include "configurator/link/frames.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_conversion.h"

#include <gtest/gtest.h>

#include <vector>

namespace tirv {
namespace {

constexpr int kAllCodes[] = {0, 306, 705, 706, 707, 715, 716, 717};

SetpointLink ModbusLink(int baudIndex = 6)
{
    ConnectionSettings s;
    s.protocol = Protocol::Modbus;
    s.address = 1;
    s.baudIndex = baudIndex;
    return SetpointLinkFor(s);
}

std::uint16_t Word(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

void AppendCrc(std::vector<std::uint8_t>& frame)
{
    const std::uint16_t crc = Crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

// The relay's reply to a function-3 read of `regs`.
std::vector<std::uint8_t> ReadReply(std::uint8_t address, std::span<const std::uint16_t> regs)
{
    std::vector<std::uint8_t> f{address, 3, static_cast<std::uint8_t>(2 * regs.size())};
    for (std::uint16_t r : regs) {
        f.push_back(static_cast<std::uint8_t>(r >> 8));
        f.push_back(static_cast<std::uint8_t>(r & 0xFF));
    }
    AppendCrc(f);
    return f;
}

std::vector<std::uint8_t> WriteAck(std::uint8_t address, std::uint16_t start, std::uint16_t count)
{
    std::vector<std::uint8_t> f{address, 16, static_cast<std::uint8_t>(start >> 8),
                                static_cast<std::uint8_t>(start & 0xFF),
                                static_cast<std::uint8_t>(count >> 8),
                                static_cast<std::uint8_t>(count & 0xFF)};
    AppendCrc(f);
    return f;
}

// The blocks a transfer of the whole setpoint block is cut into.
std::vector<Block> Blocks(int total, int perBlock)
{
    std::vector<Block> out;
    const auto n = BlockCount(static_cast<std::size_t>(total), static_cast<std::size_t>(perBlock));
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(BlockAt(i, static_cast<std::size_t>(total), static_cast<std::size_t>(perBlock)));
    return out;
}

TEST(SetpointFrames, ModbusBlocksPerModelClass)
{
    struct Case {
        int code;
        bool write;
        std::vector<std::size_t> counts;
    };
    const Case cases[] = {
        {705, false, {115}},   {306, false, {115}},   {715, false, {125, 2}},
        {705, true, {115}},    {717, true, {123, 4}},
    };
    const SetpointLink link = ModbusLink();
    for (const auto& c : cases) {
        const ModelProfile p = ProfileForModel(c.code);
        const int per = c.write ? SetpointWriteBlockSize(link) : SetpointReadBlockSize(link);
        const auto blocks = Blocks(p.imageWords, per);
        ASSERT_EQ(blocks.size(), c.counts.size()) << c.code;
        std::size_t offset = 0;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            EXPECT_EQ(blocks[i].offset, offset) << c.code;
            EXPECT_EQ(blocks[i].count, c.counts[i]) << c.code;
            offset += blocks[i].count;
        }
    }
}

TEST(SetpointFrames, ModbusReadRequestAndWait)
{
    // 127 registers of an M relay at 57600 bit/s: the first block of 125, then 2 from 125.
    const SetpointLink link = ModbusLink(6);
    const SetpointFrame first = BuildSetpointRead(link, 0, 125);
    std::vector<std::uint8_t> expect{1, 3, 0, 0, 0, 125};
    AppendCrc(expect);
    EXPECT_EQ(first.bytes, expect);
    EXPECT_EQ(first.waitMs, (13 * 8 + 3331) * 1000 / 57600 + 20);
    EXPECT_EQ(first.reply.shape, ReplyShape::Modbus);
    EXPECT_EQ(first.reply.expectedLength, 255);

    const SetpointFrame second = BuildSetpointRead(link, 125, 2);
    ASSERT_EQ(second.bytes.size(), 8u);
    EXPECT_EQ(Word(second.bytes, 2), 125);
    EXPECT_EQ(Word(second.bytes, 4), 2);
    EXPECT_EQ(second.waitMs, (26 * 2 + 13 * 8 + 81) * 1000 / 57600 + 20);

    EXPECT_TRUE(BuildSetpointRead(link, 0, 0).bytes.empty());
    EXPECT_TRUE(BuildSetpointRead(link, 0, 126).bytes.empty());
}

TEST(SetpointFrames, ModbusWriteCarriesRegisterOrderAndCoding)
{
    struct Case {
        int code;
        int start;
        int count;
    };
    const Case cases[] = {{705, 0, 115}, {715, 0, 123}, {715, 123, 4}, {306, 0, 115}};
    for (const auto& c : cases) {
        const ModelProfile p = ProfileForModel(c.code);
        SetpointImage image = DefaultImage(p);
        image[static_cast<std::size_t>(p.find("МТЗ-общие Угол макс.чувств."))] = -30;
        image[static_cast<std::size_t>(p.find("МТЗ-1 Вкл."))] = 1;
        const SetpointFrame f = BuildSetpointWrite(ModbusLink(), p, image, c.start, c.count);
        ASSERT_EQ(f.bytes.size(), static_cast<std::size_t>(2 * c.count + 9)) << c.code;
        EXPECT_EQ(f.bytes[1], 16);
        EXPECT_EQ(Word(f.bytes, 2), c.start);
        EXPECT_EQ(Word(f.bytes, 4), c.count);
        EXPECT_EQ(f.bytes[6], 2 * c.count);
        const auto regs = ImageToRegisters(p, image);
        for (int k = 0; k < c.count; ++k)
            EXPECT_EQ(Word(f.bytes, 7 + 2 * static_cast<std::size_t>(k)),
                      regs[static_cast<std::size_t>(c.start + k)])
                << c.code << " register " << c.start + k;
        EXPECT_EQ(f.waitMs, (26 * static_cast<int>(f.bytes.size()) + 120) * 1000 / 57600 + 20);
        EXPECT_EQ(f.reply.expectedLength, 8);
    }
    // The angle register of the first block, −30 degrees.
    const ModelProfile nonM = ProfileForModel(705);
    SetpointImage image = DefaultImage(nonM);
    image[static_cast<std::size_t>(nonM.find("МТЗ-общие Угол макс.чувств."))] = -30;
    EXPECT_EQ(Word(BuildSetpointWrite(ModbusLink(), nonM, image, 0, 115).bytes, 7 + 2 * 41), 32810);
    const ModelProfile m = ProfileForModel(715);
    SetpointImage mImage = DefaultImage(m);
    mImage[static_cast<std::size_t>(m.find("МТЗ-общие Угол макс.чувств."))] = -30;
    EXPECT_EQ(Word(BuildSetpointWrite(ModbusLink(), m, mImage, 0, 123).bytes, 7 + 2 * 41), 32813);
    // A block beyond the setpoint block cannot be framed.
    EXPECT_TRUE(BuildSetpointWrite(ModbusLink(), m, mImage, 123, 5).bytes.empty());
}

TEST(SetpointFrames, MinimalSetRequestIsModbusOnly)
{
    const SetpointFrame f = BuildMinimalSetRequest(ModbusLink(6));
    std::vector<std::uint8_t> expect{1, 0x20, 0};
    AppendCrc(expect);
    EXPECT_EQ(f.bytes, expect);
    EXPECT_EQ(f.waitMs, (13 * 5 + 16) * 1000 / 57600 + 500);
    EXPECT_EQ(f.reply.shape, ReplyShape::None);

    SetpointLink text = ModbusLink();
    text.text = true;
    EXPECT_TRUE(BuildMinimalSetRequest(text).bytes.empty());
}

TEST(SetpointFrames, ModbusReadRoundTripForEveryModel)
{
    const SetpointLink link = ModbusLink();
    for (int code : kAllCodes) {
        const ModelProfile p = ProfileForModel(code);
        SetpointImage relay = DefaultImage(p);
        relay[static_cast<std::size_t>(p.find("МТЗ-общие Угол макс.чувств."))] = 45;
        relay[static_cast<std::size_t>(p.choiceIndex(0))] = 1;
        const auto regs = ImageToRegisters(p, relay);
        SetpointImage check{};
        bool nonZero = false;
        for (const Block& b : Blocks(p.imageWords, SetpointReadBlockSize(link))) {
            const int start = static_cast<int>(b.offset);
            const int count = static_cast<int>(b.count);
            const SetpointFrame req = BuildSetpointRead(link, start, count);
            const auto reply = ReadReply(1, std::span(regs).subspan(b.offset, b.count));
            EXPECT_EQ(AcceptSetpointRead(link, p, req.bytes, reply, start, count, check, nonZero),
                      LinkResult::Good)
                << code;
        }
        EXPECT_TRUE(nonZero);
        EXPECT_EQ(check, relay) << code;
        EXPECT_EQ(JudgeSetpointRead(p, check, false, nonZero), ReadVerdict::Accepted) << code;
    }
}

TEST(SetpointFrames, DamagedReadRepliesLeaveTheCheckImageAlone)
{
    const SetpointLink link = ModbusLink();
    const ModelProfile p = ProfileForModel(705);
    const auto regs = ImageToRegisters(p, DefaultImage(p));
    const auto good = ReadReply(1, regs);
    const SetpointFrame req = BuildSetpointRead(link, 0, 115);

    struct Case {
        const char* what;
        std::vector<std::uint8_t> reply;
        LinkResult result;
    };
    std::vector<Case> cases;
    auto badCrc = good;
    badCrc.back() ^= 0x55;
    cases.push_back({"CRC", badCrc, LinkResult::CrcMismatch});
    auto otherAddress = ReadReply(2, regs);
    cases.push_back({"address", otherAddress, LinkResult::AddressMismatch});
    auto shortReply = good;
    shortReply.resize(100);
    cases.push_back({"short", shortReply, LinkResult::LengthMismatch});
    std::vector<std::uint8_t> exception{1, 0x83, 2};
    AppendCrc(exception);
    cases.push_back({"exception", exception, LinkResult::Exception});

    for (const auto& c : cases) {
        SetpointImage check{};
        check.fill(-7);
        const SetpointImage before = check;
        bool nonZero = false;
        EXPECT_EQ(AcceptSetpointRead(link, p, req.bytes, c.reply, 0, 115, check, nonZero), c.result)
            << c.what;
        EXPECT_EQ(check, before) << c.what;
        EXPECT_FALSE(nonZero) << c.what;
    }
}

TEST(SetpointFrames, ReadVerdicts)
{
    const SetpointLink link = ModbusLink();
    for (int code : {705, 715}) {
        const ModelProfile p = ProfileForModel(code);
        // All-zero registers: the relay holds no setpoints.
        const std::vector<std::uint16_t> zeros(static_cast<std::size_t>(p.imageWords), 0);
        SetpointImage check{};
        bool nonZero = false;
        for (const Block& b : Blocks(p.imageWords, SetpointReadBlockSize(link))) {
            const auto reply = ReadReply(1, std::span(zeros).subspan(b.offset, b.count));
            const int start = static_cast<int>(b.offset);
            const int count = static_cast<int>(b.count);
            ASSERT_EQ(AcceptSetpointRead(link, p, BuildSetpointRead(link, start, count).bytes,
                                         reply, start, count, check, nonZero),
                      LinkResult::Good);
        }
        EXPECT_FALSE(nonZero);
        EXPECT_EQ(JudgeSetpointRead(p, check, false, nonZero), ReadVerdict::Empty) << code;
        // Over the ТИРВ protocol zeros are no sign of an empty relay: they simply fail the check.
        EXPECT_EQ(JudgeSetpointRead(p, check, true, false), ReadVerdict::Rejected) << code;

        // A flag register of 0x8002 decodes to 2 and rejects the read.
        auto regs = ImageToRegisters(p, DefaultImage(p));
        regs[0] = 0x8002;  // register 0 is `МТЗ-1 Вкл.`
        SetpointImage flagged{};
        ASSERT_TRUE(TcpRegistersToImage(p, [&] {
            std::vector<std::uint8_t> b;
            for (auto r : regs) {
                b.push_back(static_cast<std::uint8_t>(r & 0xFF));
                b.push_back(static_cast<std::uint8_t>(r >> 8));
            }
            return b;
        }(), flagged));
        EXPECT_EQ(flagged[static_cast<std::size_t>(p.find("МТЗ-1 Вкл."))], 2);
        EXPECT_EQ(JudgeSetpointRead(p, flagged, false, true), ReadVerdict::Rejected) << code;
    }
    // Choice 4 of `МТЗ-2 Врем.х-ка` exists on M models only.
    for (int code : {705, 715}) {
        const ModelProfile p = ProfileForModel(code);
        SetpointImage image = DefaultImage(p);
        image[static_cast<std::size_t>(p.find("МТЗ-2 Врем.х-ка"))] = 4;
        EXPECT_EQ(JudgeSetpointRead(p, image, false, true),
                  code == 705 ? ReadVerdict::Rejected : ReadVerdict::Accepted);
    }
}

TEST(SetpointFrames, TcpRegistersAreLowByteFirst)
{
    const ModelProfile p = ProfileForModel(716);
    const SetpointImage relay = DefaultImage(p);
    const auto regs = ImageToRegisters(p, relay);
    std::vector<std::uint8_t> bytes;
    for (auto r : regs) {
        bytes.push_back(static_cast<std::uint8_t>(r & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(r >> 8));
    }
    SetpointImage check{};
    EXPECT_TRUE(TcpRegistersToImage(p, bytes, check));
    EXPECT_EQ(check, relay);

    // Fewer registers than the block holds: nothing is taken.
    bytes.resize(bytes.size() - 2);
    SetpointImage untouched{};
    EXPECT_FALSE(TcpRegistersToImage(p, bytes, untouched));
    EXPECT_EQ(untouched, SetpointImage{});
}

TEST(SetpointFrames, WriteAcknowledgements)
{
    const SetpointLink link = ModbusLink();
    const ModelProfile p = ProfileForModel(715);
    const SetpointImage image = DefaultImage(p);
    const auto req = BuildSetpointWrite(link, p, image, 123, 4);
    EXPECT_EQ(AcceptSetpointWriteAck(link, req.bytes, WriteAck(1, 123, 4), 123, 4),
              LinkResult::Good);
    EXPECT_EQ(AcceptSetpointWriteAck(link, req.bytes, WriteAck(1, 0, 4), 123, 4),
              LinkResult::StartMismatch);
    EXPECT_EQ(AcceptSetpointWriteAck(link, req.bytes, WriteAck(1, 123, 3), 123, 4),
              LinkResult::CountMismatch);
    EXPECT_NE(AcceptSetpointWriteAck(link, req.bytes, {}, 123, 4), LinkResult::Good);
}

}  // namespace
}  // namespace tirv
