// Frames of both bootloaders, byte for byte: the non-M relay loader's 0x64/0x65/0x67 frames, and
// the STM32 USART bootloader parts as AN3155 defines them (command and complement, addresses high
// byte first with XOR checksum, N − 1 lengths), with the checks of their replies.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "common/crc16.h"
#include "configurator/firmware/relay_loader_frames.h"
#include "configurator/firmware/stm32_boot_frames.h"

namespace tirv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes WithCrc(Bytes b)
{
    const std::uint16_t crc = Crc16(b);
    b.push_back(static_cast<std::uint8_t>(crc));
    b.push_back(static_cast<std::uint8_t>(crc >> 8));
    return b;
}

template <typename Build>
Bytes Built(Build build, std::size_t room = 300)
{
    std::vector<std::uint8_t> out(room, 0xEE);
    const std::size_t n = build(std::span<std::uint8_t>(out));
    out.resize(n);
    return out;
}

std::array<std::uint8_t, kRelayPageSize> PageRamp()
{
    std::array<std::uint8_t, kRelayPageSize> p;
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<std::uint8_t>(i);
    return p;
}

TEST(RelayLoaderFrames, Requests)
{
    const auto page = PageRamp();
    Bytes pageFrame{0x01, 0x67, 0x00, 0x01, 0xF8, 0xFF, 0x00, 0x01};
    pageFrame.insert(pageFrame.end(), page.begin(), page.end());
    struct Case {
        const char* what;
        Bytes built;
        Bytes expected;
    };
    const Case cases[] = {
        {"enter, pattern 0 at the device address",
         Built([](auto o) { return BuildEnterLoader(o, 5, 0); }),
         WithCrc({0x05, 0x65, 0, 0, 0, 3, 6, 0xAA, 0xAA, 0xBB, 0xBB, 0xCC, 0xCC})},
        {"enter, pattern 1", Built([](auto o) { return BuildEnterLoader(o, 5, 1); }),
         WithCrc({0x05, 0x65, 0, 0, 0, 3, 6, 0xBB, 0xBB, 0xCC, 0xCC, 0xAA, 0xAA})},
        {"enter, pattern 2", Built([](auto o) { return BuildEnterLoader(o, 5, 2); }),
         WithCrc({0x05, 0x65, 0, 0, 0, 3, 6, 0xCC, 0xCC, 0xAA, 0xAA, 0xBB, 0xBB})},
        {"enter, no fourth step", Built([](auto o) { return BuildEnterLoader(o, 5, 3); }), {}},
        {"probe at address 1", Built([](auto o) { return BuildLoaderProbe(o); }),
         WithCrc({0x01, 0x64, 0, 0, 0, 3})},
        {"erase block 4, address low byte first",
         Built([](auto o) { return BuildEraseBlock(o, 4); }),
         WithCrc({0x01, 0x67, 0x00, 0x00, 0xFD, 0xFF, 0x00, 0x00})},
        {"erase block 10", Built([](auto o) { return BuildEraseBlock(o, 10); }),
         WithCrc({0x01, 0x67, 0x00, 0x10, 0x06, 0x00, 0x00, 0x00})},
        {"no block 12", Built([](auto o) { return BuildEraseBlock(o, 12); }), {}},
        {"page write of 266 bytes",
         Built([&](auto o) { return BuildPageWrite(o, 0xFFF80100, page); }), WithCrc(pageFrame)},
        {"page base not aligned",
         Built([&](auto o) { return BuildPageWrite(o, 0xFFF80180, page); }),
         {}},
        {"exit pattern", Built([](auto o) { return BuildExitLoader(o); }),
         WithCrc({0x01, 0x65, 0, 0, 0, 3, 6, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.built, c.expected);
    }
    EXPECT_EQ(WithCrc(pageFrame).size(), kPageWriteFrameLength);
}

TEST(RelayLoaderFrames, ReplyChecks)
{
    struct Case {
        const char* what;
        LinkResult result;
        LinkResult expected;
    };
    const Bytes enterAck = WithCrc({0x05, 0x65, 0, 0, 0, 3});
    const Case cases[] = {
        {"enter acknowledged", CheckEnterLoaderReply(enterAck, 5), LinkResult::Good},
        {"enter ack from another address", CheckEnterLoaderReply(enterAck, 6),
         LinkResult::AddressMismatch},
        {"enter ack with another count",
         CheckEnterLoaderReply(WithCrc({0x05, 0x65, 0, 0, 0, 2}), 5), LinkResult::CountMismatch},
        {"enter refused (code 4)", CheckEnterLoaderReply(WithCrc({0x05, 0xE5, 4}), 5),
         LinkResult::WriteRefused},
        {"probe answered", CheckLoaderProbeReply(WithCrc({0x01, 0x64, 6, 1, 2, 3, 4, 5, 6})),
         LinkResult::Good},
        {"probe answered short", CheckLoaderProbeReply(WithCrc({0x01, 0x64, 4, 1, 2, 3, 4})),
         LinkResult::LengthMismatch},
        {"erase of block 4 acknowledged",
         CheckEraseBlockReply(WithCrc({0x01, 0x67, 0x00, 0x00, 0xFD, 0xFF}), 4), LinkResult::Good},
        {"erase ack echoing block 5",
         CheckEraseBlockReply(WithCrc({0x01, 0x67, 0x00, 0x00, 0xFC, 0xFF}), 4),
         LinkResult::StartMismatch},
        {"erase ack with a bad CRC",
         CheckEraseBlockReply(Bytes{0x01, 0x67, 0x00, 0x00, 0xFD, 0xFF, 0, 0}, 4),
         LinkResult::CrcMismatch},
        {"page acknowledged",
         CheckPageWriteReply(WithCrc({0x01, 0x67, 0x00, 0x01, 0xF8, 0xFF}), 0xFFF80100),
         LinkResult::Good},
        {"page ack of another page",
         CheckPageWriteReply(WithCrc({0x01, 0x67, 0x00, 0x02, 0xF8, 0xFF}), 0xFFF80100),
         LinkResult::StartMismatch},
        {"exit acknowledged", CheckExitLoaderReply(WithCrc({0x01, 0x65, 0, 0, 0, 3})),
         LinkResult::Good},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.result, c.expected);
    }
}

TEST(RelayLoaderFrames, ProbeWait)
{
    // 8-byte probe at 115200 bit/s: (13 × 8 + 237) × 1000 / 115200 = 2 ms, + 20 + 1000.
    EXPECT_EQ(LoaderProbeWaitMs(8, 115200, 1000), 1022);
    EXPECT_EQ(LoaderProbeWaitMs(8, 9600, 2000), 35 + 20 + 2000);
}

TEST(Stm32Frames, RequestPartsMatchTheApplicationNote)
{
    const Bytes four{0x01, 0x02, 0x03, 0x04};
    struct Case {
        const char* what;
        Bytes built;
        Bytes expected;
    };
    const auto cmd = [](StmCommand c) {
        return Built([c](auto o) { return BuildStmCommand(o, c); });
    };
    const std::array<std::uint16_t, 3> sectors{0, 1, 2};
    Bytes write256{0xFF};
    for (int i = 0; i < 256; ++i)
        write256.push_back(static_cast<std::uint8_t>(i));
    write256.push_back(0xFF);  // 0xFF ^ (0 ^ 1 ^ … ^ 255 = 0)
    const Case cases[] = {
        {"sync", Built([](auto o) { return BuildStmSync(o); }), {0x7F}},
        {"GET", cmd(StmCommand::Get), {0x00, 0xFF}},
        {"GET VERSION", cmd(StmCommand::GetVersion), {0x01, 0xFE}},
        {"GET ID", cmd(StmCommand::GetId), {0x02, 0xFD}},
        {"READ MEMORY", cmd(StmCommand::ReadMemory), {0x11, 0xEE}},
        {"GO", cmd(StmCommand::Go), {0x21, 0xDE}},
        {"WRITE MEMORY", cmd(StmCommand::WriteMemory), {0x31, 0xCE}},
        {"EXTENDED ERASE", cmd(StmCommand::ExtendedErase), {0x44, 0xBB}},
        {"WRITE UNPROTECT", cmd(StmCommand::WriteUnprotect), {0x73, 0x8C}},
        {"READOUT UNPROTECT", cmd(StmCommand::ReadoutUnprotect), {0x92, 0x6D}},
        {"flash address",
         Built([](auto o) { return BuildStmAddress(o, 0x08000000); }),
         {0x08, 0x00, 0x00, 0x00, 0x08}},
        {"option bytes address",
         Built([](auto o) { return BuildStmAddress(o, 0x1FFFC000); }),
         {0x1F, 0xFF, 0xC0, 0x00, 0x20}},
        {"read 1 byte", Built([](auto o) { return BuildStmReadLength(o, 1); }), {0x00, 0xFF}},
        {"read 16 bytes", Built([](auto o) { return BuildStmReadLength(o, 16); }), {0x0F, 0xF0}},
        {"read 256 bytes", Built([](auto o) { return BuildStmReadLength(o, 256); }), {0xFF, 0x00}},
        {"read 0 bytes refused", Built([](auto o) { return BuildStmReadLength(o, 0); }), {}},
        {"read 257 bytes refused", Built([](auto o) { return BuildStmReadLength(o, 257); }), {}},
        {"write 4 bytes",
         Built([&](auto o) { return BuildStmWriteData(o, four); }),
         {0x03, 0x01, 0x02, 0x03, 0x04, 0x07}},
        {"write 256 bytes",
         Built([&](auto o) { return BuildStmWriteData(o, std::span(write256).subspan(1, 256)); }),
         write256},
        {"write 3 bytes refused (not whole words)",
         Built([&](auto o) { return BuildStmWriteData(o, std::span(four).first(3)); }),
         {}},
        {"write 260 bytes refused",
         Built([](auto o) { return BuildStmWriteData(o, Bytes(260, 0)); }),
         {}},
        {"erase sectors 0, 1, 2",
         Built([&](auto o) { return BuildStmEraseSectors(o, sectors); }),
         {0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x01}},
        {"erase sector range 0-2",
         Built([](auto o) { return BuildStmEraseSectorRange(o, 0, 2); }),
         {0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x01}},
        {"erase sector 5 only",
         Built([](auto o) { return BuildStmEraseSectorRange(o, 5, 5); }),
         {0x00, 0x00, 0x00, 0x05, 0x05}},
        {"erase range backwards refused",
         Built([](auto o) { return BuildStmEraseSectorRange(o, 3, 2); }),
         {}},
        {"empty sector list refused",
         Built([](auto o) { return BuildStmEraseSectors(o, {}); }),
         {}},
        {"mass erase", Built([](auto o) { return BuildStmMassErase(o); }), {0xFF, 0xFF, 0x00}},
        {"address into too small a buffer",
         Built([](auto o) { return BuildStmAddress(o, 0x08000000); }, 4),
         {}},
        {"write data into too small a buffer",
         Built([&](auto o) { return BuildStmWriteData(o, four); }, 5),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.built, c.expected);
    }
}

TEST(Stm32Frames, AcknowledgementChecks)
{
    struct Case {
        Bytes reply;
        StmReply single, twice;
    };
    const Case cases[] = {
        {{}, StmReply::NoAnswer, StmReply::NoAnswer},
        {{0x79}, StmReply::Good, StmReply::Short},
        {{0x1F}, StmReply::Nack, StmReply::Nack},
        {{0x00}, StmReply::Malformed, StmReply::Malformed},
        {{0x79, 0x79}, StmReply::Malformed, StmReply::Good},
        {{0x79, 0x1F}, StmReply::Malformed, StmReply::Nack},
        {{0x79, 0x00}, StmReply::Malformed, StmReply::Malformed},
        {{0x79, 0x79, 0x79}, StmReply::Malformed, StmReply::Malformed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.reply));
        EXPECT_EQ(CheckStmAck(c.reply), c.single);
        EXPECT_EQ(CheckStmDoubleAck(c.reply), c.twice);
    }
}

TEST(Stm32Frames, IdentityReplies)
{
    struct Case {
        const char* what;
        Bytes reply;
        StmReply expected;
        std::uint16_t pid;
    };
    const Case ids[] = {
        {"PID 0x413", {0x79, 0x01, 0x04, 0x13, 0x79}, StmReply::Good, 0x0413},
        {"PID 0x419", {0x79, 0x01, 0x04, 0x19, 0x79}, StmReply::Good, 0x0419},
        {"cut short", {0x79, 0x01, 0x04, 0x13}, StmReply::Short, 0},
        {"N other than 1", {0x79, 0x02, 0x04, 0x13, 0x79}, StmReply::Malformed, 0},
        {"closed by NACK", {0x79, 0x01, 0x04, 0x13, 0x1F}, StmReply::Malformed, 0},
        {"refused", {0x1F}, StmReply::Nack, 0},
        {"silence", {}, StmReply::NoAnswer, 0},
    };
    for (const Case& c : ids) {
        SCOPED_TRACE(c.what);
        std::uint16_t pid = 0;
        EXPECT_EQ(ParseStmGetId(c.reply, pid), c.expected);
        EXPECT_EQ(pid, c.pid);
    }
    std::uint8_t version = 0;
    EXPECT_EQ(ParseStmGetVersion(Bytes{0x79, 0x31, 0x00, 0x00, 0x79}, version), StmReply::Good);
    EXPECT_EQ(version, 0x31);
    EXPECT_EQ(ParseStmGetVersion(Bytes{0x79, 0x30, 0x00, 0x00, 0x79, 0x79}, version),
              StmReply::Malformed);

    const Bytes get{0x79, 0x0B, 0x31, 0x00, 0x01, 0x02, 0x11, 0x21,
                    0x31, 0x44, 0x63, 0x73, 0x82, 0x92, 0x79};
    StmGetInfo info;
    ASSERT_EQ(ParseStmGet(get, info), StmReply::Good);
    EXPECT_EQ(info.version, 0x31);
    ASSERT_EQ(info.commandCount, 11);
    EXPECT_EQ(info.commands[0], 0x00);
    EXPECT_EQ(info.commands[6], 0x44);
    EXPECT_EQ(info.commands[10], 0x92);
    EXPECT_EQ(ParseStmGet(Bytes(get.begin(), get.end() - 1), info), StmReply::Short);
}

TEST(Stm32Frames, OptionBytes)
{
    // 0x1FFFC000: USER, RDP, complements; 0x1FFFC008: nWRP (12 sector bits), complements.
    const Bytes erased{0xEC, 0xAA, 0x13, 0x55, 0xFF, 0xFF, 0xFF, 0xFF,
                       0xFF, 0x0F, 0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF};
    struct Case {
        const char* what;
        std::size_t index;
        std::uint8_t value;
        bool readable;
        bool protected0to2, protected0to3, protected4to11;
    };
    const Case cases[] = {
        {"as delivered", 0, 0xEC, true, false, false, false},
        {"read protection level 1", 1, 0xBB, false, false, false, false},
        {"sector 3 write protected", 8, 0xF7, true, false, true, false},
        {"sector 11 write protected", 9, 0x07, true, false, false, true},
        {"reserved nWRP bits clear, sectors free", 9, 0x8F, true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes b = erased;
        b[c.index] = c.value;
        const auto o = DecodeStmOptionBytes(b);
        ASSERT_TRUE(o.has_value());
        EXPECT_EQ(o->readable(), c.readable);
        EXPECT_EQ(o->writeProtected(0, 2), c.protected0to2);
        EXPECT_EQ(o->writeProtected(0, 3), c.protected0to3);
        EXPECT_EQ(o->writeProtected(4, 11), c.protected4to11);
    }
    EXPECT_FALSE(DecodeStmOptionBytes(std::span(erased).first(15)).has_value());
}

}  // namespace
}  // namespace tirv
