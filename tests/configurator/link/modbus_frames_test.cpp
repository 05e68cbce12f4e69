// Modbus RTU requests against frames worked out by hand (CRC low byte first), and every reply
// check failure reached by a crafted reply.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "common/crc16.h"
#include "configurator/link/frames.h"

namespace tirv {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kGuard = 0xEE;

// A 272-byte exchange buffer followed by guard bytes, so a write past the buffer shows.
struct Buffer {
    std::array<std::uint8_t, kFrameBufferSize + 16> bytes;
    Buffer() { bytes.fill(kGuard); }
    std::span<std::uint8_t> out() { return std::span(bytes).first(kFrameBufferSize); }
    Bytes frame(std::size_t n) const { return Bytes(bytes.begin(), bytes.begin() + n); }
    bool guardsIntact() const
    {
        for (std::size_t i = kFrameBufferSize; i < bytes.size(); ++i)
            if (bytes[i] != kGuard)
                return false;
        return true;
    }
};

// Closes a crafted reply with its CRC, low byte first.
Bytes WithCrc(Bytes b)
{
    const std::uint16_t crc = Crc16(b);
    b.push_back(static_cast<std::uint8_t>(crc));
    b.push_back(static_cast<std::uint8_t>(crc >> 8));
    return b;
}

TEST(ModbusBuilders, FramesMatchHandWorkedBytes)
{
    using Build = std::size_t (*)(std::span<std::uint8_t>);
    struct Case {
        const char* name;
        Build build;
        Bytes expected;
    };
    const Case cases[] = {
        {"read 130/5", [](auto o) { return BuildReadRegisters(o, 1, 130, 5); },
         {0x01, 0x03, 0x00, 0x82, 0x00, 0x05, 0x25, 0xE1}},
        {"write raw, low 16 bits of each",
         [](auto o) {
             const std::array<std::int32_t, 3> v{0x1234, -1, 0x18000};
             return BuildWriteRegisters(o, 0x11, 0x73, 3, std::span<const std::int32_t>(v));
         },
         {0x11, 0x10, 0x00, 0x73, 0x00, 0x03, 0x06, 0x12, 0x34, 0xFF, 0xFF, 0x80, 0x00, 0xF9, 0x66}},
        {"register pairs, low half first",
         [](auto o) {
             const std::array<std::uint32_t, 2> v{0x11223344u, 0xAABBCCDDu};
             return BuildWriteRegisterPairs(o, 1, 0x10, 4, v);
         },
         {0x01, 0x10, 0x00, 0x10, 0x00, 0x04, 0x08, 0x33, 0x44, 0x11, 0x22, 0xCC, 0xDD, 0xAA, 0xBB,
          0x5A, 0x7F}},
        {"restore minimal set", [](auto o) { return BuildRestoreMinimalSet(o, 5); },
         {0x05, 0x20, 0x00, 0x78, 0x01}},
        {"archive", [](auto o) { return BuildReadArchive(o, 1, 9, 8); },
         {0x01, 0x41, 0x00, 0x09, 0x00, 0x08, 0xEC, 0x01}},
        {"journal", [](auto o) { return BuildReadJournal(o, 1, 2100, 125); },
         {0x01, 0x51, 0x08, 0x34, 0x00, 0x7D, 0x7F, 0x89}},
        {"service write",
         [](auto o) {
             const std::array<std::uint16_t, 2> v{0xBEEF, 0x0102};
             return BuildWriteService(o, 1, 0x200, 2, v);
         },
         {0x01, 0x52, 0x02, 0x00, 0x00, 0x02, 0x04, 0xBE, 0xEF, 0x01, 0x02, 0xDC, 0x5D}},
        {"boot read", [](auto o) { return BuildBootRead(o, 1, 0, 3); },
         {0x01, 0x64, 0x00, 0x00, 0x00, 0x03, 0x30, 0x03}},
        {"boot command 0", [](auto o) { return BuildBootCommand(o, 1, 0, 0); },
         {0x01, 0x65, 0x00, 0x00, 0x00, 0x03, 0x06, 0xAA, 0xAA, 0xBB, 0xBB, 0xCC, 0xCC, 0xAA, 0x75}},
        {"boot command 1", [](auto o) { return BuildBootCommand(o, 1, 0, 1); },
         {0x01, 0x65, 0x00, 0x00, 0x00, 0x03, 0x06, 0xBB, 0xBB, 0xCC, 0xCC, 0xAA, 0xAA, 0x55, 0x13}},
        {"boot command 2", [](auto o) { return BuildBootCommand(o, 1, 0, 2); },
         {0x01, 0x65, 0x00, 0x00, 0x00, 0x03, 0x06, 0xCC, 0xCC, 0xAA, 0xAA, 0xBB, 0xBB, 0x99, 0x54}},
        {"boot command 3", [](auto o) { return BuildBootCommand(o, 1, 0, 3); },
         {0x01, 0x65, 0x00, 0x00, 0x00, 0x03, 0x06, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0x54, 0xC6}},
        {"boot write, no data: 10 bytes, address low byte first",
         [](auto o) { return BuildBootWrite(o, 1, 0x08004000u, {}); },
         {0x01, 0x67, 0x00, 0x40, 0x00, 0x08, 0x00, 0x00, 0x17, 0x0C}},
        {"boot write, 3 bytes",
         [](auto o) {
             const std::array<std::uint8_t, 3> d{0xDE, 0xAD, 0xBE};
             return BuildBootWrite(o, 1, 0x08004000u, d);
         },
         {0x01, 0x67, 0x00, 0x40, 0x00, 0x08, 0x03, 0x00, 0xDE, 0xAD, 0xBE, 0x6D, 0xDE}},
        {"clock broadcast", [](auto o) { return BuildClockBroadcast(o, 7, 12, 2026, 13, 45, 30); },
         {0x00, 0x42, 0x06, 0x07, 0x0C, 0x1A, 0x0D, 0x2D, 0x1E, 0xF3, 0x2C}},
        {"clock year 1999 wraps", [](auto o) { return BuildClockBroadcast(o, 1, 1, 1999, 0, 0, 0); },
         {0x00, 0x42, 0x06, 0x01, 0x01, 0xFF, 0x00, 0x00, 0x00, 0xE5, 0x1C}},
        {"clock year 2300 modulo 256",
         [](auto o) { return BuildClockBroadcast(o, 1, 1, 2300, 0, 0, 0); },
         {0x00, 0x42, 0x06, 0x01, 0x01, 0x2C, 0x00, 0x00, 0x00, 0xDD, 0x98}},
    };
    for (const Case& c : cases) {
        Buffer b;
        const std::size_t n = c.build(b.out());
        EXPECT_EQ(b.frame(n), c.expected) << c.name;
        EXPECT_TRUE(b.guardsIntact()) << c.name;
    }
}

TEST(ModbusBuilders, WriteValueSourcesAgree)
{
    // Raw 32-bit integers, 16-bit registers and the per-register callback give the same frame.
    const std::array<std::int32_t, 3> raw{0x1234, 0xFFFF, 0x8000};
    const std::array<std::uint16_t, 3> words{0x1234, 0xFFFF, 0x8000};
    Buffer a, b, c;
    const std::size_t na = BuildWriteRegisters(a.out(), 0x11, 0x73, 3, std::span<const std::int32_t>(raw));
    const std::size_t nb = BuildWriteRegisters(b.out(), 0x11, 0x73, 3, std::span<const std::uint16_t>(words));
    const std::size_t nc = BuildWriteRegisters(c.out(), 0x11, 0x73, 3,
                                               RegisterValueFn([&](std::size_t k) { return words[k]; }));
    const Bytes expected{0x11, 0x10, 0x00, 0x73, 0x00, 0x03, 0x06, 0x12, 0x34,
                         0xFF, 0xFF, 0x80, 0x00, 0xF9, 0x66};
    EXPECT_EQ(a.frame(na), expected);
    EXPECT_EQ(b.frame(nb), expected);
    EXPECT_EQ(c.frame(nc), expected);
}

TEST(ModbusBuilders, LargestFramesFitTheExchangeBuffer)
{
    Buffer read;
    EXPECT_EQ(BuildReadRegisters(read.out(), 1, 0, 125), 8u);

    std::vector<std::int32_t> values(123, 0x7FFF);
    Buffer write;
    EXPECT_EQ(BuildWriteRegisters(write.out(), 1, 0, 123, std::span<const std::int32_t>(values)),
              2u * 123 + 9);
    EXPECT_EQ(write.bytes[6], 246);  // byte count
    EXPECT_TRUE(write.guardsIntact());

    std::vector<std::uint8_t> page(256, 0x5A);
    Buffer boot;
    EXPECT_EQ(BuildBootWrite(boot.out(), 1, 0, page), 266u);
    EXPECT_EQ(boot.bytes[6], 0x00);  // length 256, low byte first
    EXPECT_EQ(boot.bytes[7], 0x01);
    EXPECT_TRUE(boot.guardsIntact());
}

TEST(ModbusBuilders, RefuseArgumentsThatCannotFormAFrame)
{
    const std::vector<std::int32_t> many(200, 1);
    const std::vector<std::uint16_t> many16(200, 1);
    const std::vector<std::uint32_t> pairs(100, 1);
    const std::vector<std::uint8_t> bigPage(257, 0);
    Buffer b;
    EXPECT_EQ(BuildReadRegisters(b.out(), 1, 0, 0), 0u) << "read count 0";
    EXPECT_EQ(BuildReadRegisters(b.out(), 1, 0, 126), 0u) << "read count 126";
    EXPECT_EQ(BuildReadArchive(b.out(), 1, 0, 126), 0u);
    EXPECT_EQ(BuildReadJournal(b.out(), 1, 0, 0), 0u);
    EXPECT_EQ(BuildBootRead(b.out(), 1, 0, 126), 0u);
    EXPECT_EQ(BuildWriteRegisters(b.out(), 1, 0, 124, std::span<const std::int32_t>(many)), 0u)
        << "write count 124";
    EXPECT_EQ(BuildWriteRegisters(b.out(), 1, 0, 0, std::span<const std::int32_t>(many)), 0u);
    EXPECT_EQ(BuildWriteRegisters(b.out(), 1, 0, 5, std::span<const std::int32_t>(many).first(4)), 0u)
        << "values missing";
    EXPECT_EQ(BuildWriteRegisters(b.out(), 1, 0, 3, RegisterValueFn{}), 0u) << "no value source";
    EXPECT_EQ(BuildWriteRegisterPairs(b.out(), 1, 0, 3, pairs), 0u) << "odd count";
    EXPECT_EQ(BuildWriteRegisterPairs(b.out(), 1, 0, 124, pairs), 0u);
    EXPECT_EQ(BuildWriteRegisterPairs(b.out(), 1, 0, 4, std::span(pairs).first(1)), 0u);
    EXPECT_EQ(BuildWriteService(b.out(), 1, 0, 124, many16), 0u);
    EXPECT_EQ(BuildBootCommand(b.out(), 1, 0, 4), 0u);
    EXPECT_EQ(BuildBootCommand(b.out(), 1, 0, -1), 0u);
    EXPECT_EQ(BuildBootWrite(b.out(), 1, 0, bigPage), 0u) << "more than a 256-byte page";
    EXPECT_TRUE(b.guardsIntact());
}

TEST(ModbusBuilders, RefuseABufferTooSmallWithoutWritingPastIt)
{
    std::array<std::uint8_t, 16> storage;
    storage.fill(kGuard);
    const auto small = std::span(storage).first(7);
    EXPECT_EQ(BuildReadRegisters(small, 1, 130, 5), 0u);
    EXPECT_EQ(BuildClockBroadcast(small, 1, 1, 2026, 0, 0, 0), 0u);
    const std::array<std::uint16_t, 2> v{1, 2};
    EXPECT_EQ(BuildWriteService(std::span(storage).first(12), 1, 0, 2, v), 0u);
    for (std::size_t i = 7; i < storage.size(); ++i)
        EXPECT_EQ(storage[i], kGuard) << i;
}

// Read replies: every step of the check order, each reached with the earlier steps passing.
TEST(ModbusReadReply, EachFailureIsReported)
{
    const Bytes good = WithCrc({0x01, 0x03, 0x0A, 0, 1, 0, 2, 0, 3, 0, 4, 0xAB, 0xCD});
    Bytes badCrc = good;
    badCrc[14] ^= 0x01;  // high CRC byte
    Bytes extra = good;
    extra.push_back(0);
    struct Case {
        const char* name;
        Bytes reply;
        Function function;
        std::uint16_t count;
        LinkResult expected;
    };
    const Case cases[] = {
        {"good", good, Function::ReadRegisters, 5, LinkResult::Good},
        {"other address", WithCrc({0x02, 0x03, 0x0A, 0, 1, 0, 2, 0, 3, 0, 4, 0xAB, 0xCD}),
         Function::ReadRegisters, 5, LinkResult::AddressMismatch},
        {"address tested before the CRC", {0x02, 0x03, 0x02, 0, 0, 0, 0}, Function::ReadRegisters,
         1, LinkResult::AddressMismatch},
        {"empty", {}, Function::ReadRegisters, 5, LinkResult::LengthMismatch},
        {"one byte short", Bytes(good.begin(), good.end() - 1), Function::ReadRegisters, 5,
         LinkResult::LengthMismatch},
        {"one byte extra", extra, Function::ReadRegisters, 5, LinkResult::LengthMismatch},
        {"exception of 5 bytes, CRC not checked", {0x01, 0x83, 0x02, 0x00, 0x00},
         Function::ReadRegisters, 5, LinkResult::Exception},
        {"exception of 6 bytes", {0x01, 0x83, 0x02, 0x00, 0x00, 0x00}, Function::ReadRegisters, 5,
         LinkResult::LengthMismatch},
        {"another function with the normal length",
         WithCrc({0x01, 0x04, 0x0A, 0, 1, 0, 2, 0, 3, 0, 4, 0xAB, 0xCD}), Function::ReadRegisters,
         5, LinkResult::FunctionMismatch},
        {"CRC", badCrc, Function::ReadRegisters, 5, LinkResult::CrcMismatch},
        {"byte count other than 2 × count",
         WithCrc({0x01, 0x03, 0x08, 0, 1, 0, 2, 0, 3, 0, 4, 0xAB, 0xCD}), Function::ReadRegisters,
         5, LinkResult::ByteCountMismatch},
        {"archive busy: code 5 to 0x41", {0x01, 0xC1, 0x05, 0, 0}, Function::ReadArchive, 8,
         LinkResult::ArchiveBusy},
        {"other code to 0x41", {0x01, 0xC1, 0x04, 0, 0}, Function::ReadArchive, 8,
         LinkResult::Exception},
        {"code 5 to function 3 is plain", {0x01, 0x83, 0x05, 0, 0}, Function::ReadRegisters, 5,
         LinkResult::Exception},
        {"journal exception", {0x01, 0xD1, 0x02, 0, 0}, Function::ReadJournal, 125,
         LinkResult::Exception},
        {"boot read good", WithCrc({0x01, 0x64, 0x02, 0x12, 0x34}), Function::BootRead, 1,
         LinkResult::Good},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckReadReply(c.reply, 1, c.function, c.count), c.expected) << c.name;
}

TEST(ModbusReadReply, LargestReplyAndByteCountLimit)
{
    // 125 registers: 255 bytes with byte count 250, the largest reply that passes.
    Bytes body{0x01, 0x03, 250};
    for (int k = 0; k < 125; ++k) {
        body.push_back(static_cast<std::uint8_t>(k >> 8));
        body.push_back(static_cast<std::uint8_t>(k));
    }
    const Bytes reply = WithCrc(body);
    ASSERT_EQ(reply.size(), 255u);
    EXPECT_EQ(CheckReadReply(reply, 1, Function::ReadRegisters, 125), LinkResult::Good);
    EXPECT_EQ(ReadReplyRegister(reply, 0), 0u);
    EXPECT_EQ(ReadReplyRegister(reply, 124), 124u);

    body[2] = 251;
    EXPECT_EQ(CheckReadReply(WithCrc(body), 1, Function::ReadRegisters, 125),
              LinkResult::ByteCountTooLarge);
}

TEST(ModbusReadReply, RegistersAreHighByteFirstAndBounded)
{
    const Bytes reply = WithCrc({0x01, 0x03, 0x04, 0x12, 0x34, 0xFF, 0x01});
    ASSERT_EQ(CheckReadReply(reply, 1, Function::ReadRegisters, 2), LinkResult::Good);
    EXPECT_EQ(ReadReplyRegister(reply, 0), 0x1234u);
    EXPECT_EQ(ReadReplyRegister(reply, 1), 0xFF01u);
    // Beyond the data (into the CRC) or on a stub reply: 0, never a read past the bytes.
    EXPECT_EQ(ReadReplyRegister(reply, 2), 0u);
    EXPECT_EQ(ReadReplyRegister(Bytes{0x01, 0x03}, 0), 0u);
}

TEST(ModbusWriteReply, EachFailureIsReported)
{
    const Bytes ack = WithCrc({0x01, 0x10, 0x00, 0x73, 0x00, 0x03});
    Bytes badCrc = ack;
    badCrc[6] ^= 0xFF;
    struct Case {
        const char* name;
        Bytes reply;
        Function function;
        LinkResult expected;
    };
    const Case cases[] = {
        {"good", ack, Function::WriteRegisters, LinkResult::Good},
        {"other address", WithCrc({0x07, 0x10, 0x00, 0x73, 0x00, 0x03}), Function::WriteRegisters,
         LinkResult::AddressMismatch},
        {"7 bytes", Bytes(ack.begin(), ack.end() - 1), Function::WriteRegisters,
         LinkResult::LengthMismatch},
        {"refused: code 4 to 16", {0x01, 0x90, 0x04, 0, 0}, Function::WriteRegisters,
         LinkResult::WriteRefused},
        {"other code to 16", {0x01, 0x90, 0x02, 0, 0}, Function::WriteRegisters,
         LinkResult::Exception},
        {"refused: code 4 to 0x65", {0x01, 0xE5, 0x04, 0, 0}, Function::BootCommand,
         LinkResult::WriteRefused},
        {"0x52 exception 3 → 43", {0x01, 0xD2, 0x03, 0, 0}, Function::WriteService,
         ServiceExceptionResult(3)},
        {"0x52 exception 4 → 44", {0x01, 0xD2, 0x04, 0, 0}, Function::WriteService,
         static_cast<LinkResult>(44)},
        {"acknowledgement of another function", WithCrc({0x01, 0x52, 0x00, 0x73, 0x00, 0x03}),
         Function::WriteRegisters, LinkResult::FunctionMismatch},
        {"CRC", badCrc, Function::WriteRegisters, LinkResult::CrcMismatch},
        {"start differs", WithCrc({0x01, 0x10, 0x00, 0x74, 0x00, 0x03}), Function::WriteRegisters,
         LinkResult::StartMismatch},
        {"count differs", WithCrc({0x01, 0x10, 0x00, 0x73, 0x00, 0x02}), Function::WriteRegisters,
         LinkResult::CountMismatch},
        {"start tested before count", WithCrc({0x01, 0x10, 0x01, 0x73, 0x00, 0x02}),
         Function::WriteRegisters, LinkResult::StartMismatch},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckWriteReply(c.reply, 1, c.function, 0x73, 3), c.expected) << c.name;
}

TEST(ModbusBootWriteReply, EchoedAddressIsLowByteFirst)
{
    const Bytes ack = WithCrc({0x01, 0x67, 0x00, 0x40, 0x00, 0x08});
    EXPECT_EQ(CheckBootWriteReply(ack, 1, 0x08004000u), LinkResult::Good);
    // Any byte of the echoed address that differs gives 6.
    for (std::size_t i = 2; i < 6; ++i) {
        Bytes body(ack.begin(), ack.end() - 2);
        body[i] ^= 0x01;
        EXPECT_EQ(CheckBootWriteReply(WithCrc(body), 1, 0x08004000u), LinkResult::StartMismatch)
            << i;
    }
    // The same address high byte first is another address.
    EXPECT_EQ(CheckBootWriteReply(WithCrc({0x01, 0x67, 0x08, 0x00, 0x40, 0x00}), 1, 0x08004000u),
              LinkResult::StartMismatch);
    EXPECT_EQ(CheckBootWriteReply(Bytes{0x01, 0xE7, 0x04, 0, 0}, 1, 0), LinkResult::WriteRefused);
    Bytes badCrc = ack;
    badCrc[7] ^= 0x10;
    EXPECT_EQ(CheckBootWriteReply(badCrc, 1, 0x08004000u), LinkResult::CrcMismatch);
    EXPECT_EQ(CheckBootWriteReply(ack, 2, 0x08004000u), LinkResult::AddressMismatch);
}

TEST(ModbusReplies, ExceptionCodeIsKeptForThePage)
{
    EXPECT_EQ(ReplyExceptionCode(Bytes{0x01, 0x90, 0x04, 0, 0}), 4);
    EXPECT_EQ(ReplyExceptionCode(Bytes{0x01, 0xC1, 0x05, 0, 0}), 5);
    EXPECT_EQ(ReplyExceptionCode(Bytes{0x01, 0x10, 0x04, 0, 0}), 0) << "not an exception form";
    EXPECT_EQ(ReplyExceptionCode(Bytes{0x01, 0x90, 0x04, 0, 0, 0}), 0) << "not 5 bytes";
    EXPECT_EQ(ReplyExceptionCode(Bytes{}), 0);
}

TEST(ModbusReplies, LinkFailureIsOneToEleven)
{
    for (int v : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})
        EXPECT_TRUE(IsLinkFailure(static_cast<LinkResult>(v))) << v;
    for (int v : {0, 12, 24, 25, 40, 44})
        EXPECT_FALSE(IsLinkFailure(static_cast<LinkResult>(v))) << v;
}

TEST(ModbusBlocks, TransferSplitsIntoConsecutiveFrames)
{
    EXPECT_EQ(BlockCount(300, 125), 3u);
    EXPECT_EQ(BlockAt(0, 300, 125).count, 125u);
    EXPECT_EQ(BlockAt(1, 300, 125).offset, 125u);
    EXPECT_EQ(BlockAt(2, 300, 125).offset, 250u);
    EXPECT_EQ(BlockAt(2, 300, 125).count, 50u);
    EXPECT_EQ(BlockAt(3, 300, 125).count, 0u);
    EXPECT_EQ(BlockCount(115, 34), 4u);
    EXPECT_EQ(BlockAt(3, 115, 34).count, 13u);
    EXPECT_EQ(BlockCount(10, 0), 0u);
}

}  // namespace
}  // namespace tirv
