// The simulated relay on its line, driven with Modbus RTU frames from the configurator's codec:
// what it answers, what it ignores, what it stores, and the faults it injects.
#include <array>
#include <gtest/gtest.h>

#include "common/crc16.h"
#include "configurator/link/frames.h"
#include "configurator/link/registers.h"
#include "sim/journal_content.h"
#include "sim/relay_line.h"
#include "sim/setpoint_registers.h"

namespace tirv::sim {
namespace {

// 2026-03-14 10:20:30.400 as the relay's local time.
const std::int64_t kNow = ToEpochMs({2026, 3, 14, 10, 20, 30, 400});
const PeerLine kPeer{57600, 1};

using Bytes = std::vector<std::uint8_t>;

std::uint16_t Crc16Of(const Bytes& b)
{
    return Crc16(b);
}

Bytes Frame(std::size_t n, const std::array<std::uint8_t, kFrameBufferSize>& buf)
{
    return {buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n)};
}

Bytes Read(std::uint8_t address, std::uint16_t start, std::uint16_t count)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    return Frame(BuildReadRegisters(buf, address, start, count), buf);
}

Bytes Write(std::uint8_t address, std::uint16_t start, std::vector<std::uint16_t> values)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    return Frame(BuildWriteRegisters(buf, address, start, static_cast<std::uint16_t>(values.size()),
                                     std::span<const std::uint16_t>(values)),
                 buf);
}

struct Fixture {
    explicit Fixture(int model = 715, LineSettings line = {})
    {
        relay = &bus.AddRelay(std::make_unique<Relay>(*FindRelayModel(model), line, kNow));
    }
    Bytes exchange(const Bytes& request, std::int64_t now = kNow, PeerLine peer = kPeer)
    {
        auto t = bus.Receive(request, now, peer);
        if (!t)
            t = bus.Silence(now + 5, peer);
        if (!t)
            return {};
        if (t->applyAfter && t->relay)
            t->relay->setLine(*t->applyAfter);
        return t->bytes;
    }
    std::vector<std::uint16_t> read(std::uint16_t start, std::uint16_t count, std::int64_t now = kNow)
    {
        const Bytes reply = exchange(Read(relay->line().address, start, count), now);
        std::vector<std::uint16_t> regs;
        if (CheckReadReply(reply, static_cast<std::uint8_t>(relay->line().address),
                           Function::ReadRegisters, count) != LinkResult::Good)
            return regs;
        for (std::size_t k = 0; k < count; ++k)
            regs.push_back(ReadReplyRegister(reply, k));
        return regs;
    }
    LinkResult write(std::uint16_t start, std::vector<std::uint16_t> values, std::int64_t now = kNow)
    {
        const auto count = static_cast<std::uint16_t>(values.size());
        const auto address = static_cast<std::uint8_t>(relay->line().address);
        return CheckWriteReply(exchange(Write(address, start, std::move(values)), now), address,
                               Function::WriteRegisters, start, count);
    }
    RelayLine bus;
    Relay* relay = nullptr;
};

std::uint8_t ExceptionOf(const Bytes& reply)
{
    return ReplyExceptionCode(reply);
}

TEST(RelayIdentity, EveryModelAnswersItsSignatureCodeAndVersion)
{
    struct Case {
        int model;
        std::uint16_t signature;
    } cases[] = {{306, regs::kSignatureNonM}, {705, regs::kSignatureNonM}, {706, regs::kSignatureNonM},
                 {707, regs::kSignatureNonM}, {715, regs::kSignatureM},    {716, regs::kSignatureM},
                 {717, regs::kSignatureM}};
    for (const Case& c : cases) {
        Fixture f(c.model);
        const auto id = f.read(regs::kIdentity.start, regs::kIdentity.count);
        ASSERT_EQ(id.size(), 5u) << c.model;
        EXPECT_EQ(id[0], c.signature) << c.model;
        EXPECT_EQ(id[1], c.model);
        EXPECT_EQ(id[2], FindRelayModel(c.model)->firmwareVersion);
    }
}

TEST(RelayRequests, RefusesBadReadsWithTheRightExceptionCode)
{
    Fixture f;
    struct Case {
        std::uint16_t start, count;
        std::uint8_t code;
    } cases[] = {{0, 126, kIllegalValue}, {2650, 51, kIllegalAddress}, {2699, 1, 0}, {0, 125, 0}};
    for (const Case& c : cases) {
        // The codec refuses to build count 126, so the request is laid out by hand.
        Bytes req{1, 3, static_cast<std::uint8_t>(c.start >> 8), static_cast<std::uint8_t>(c.start),
                  static_cast<std::uint8_t>(c.count >> 8), static_cast<std::uint8_t>(c.count)};
        const std::uint16_t crc = Crc16Of(req);
        req.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        req.push_back(static_cast<std::uint8_t>(crc >> 8));
        const Bytes reply = f.exchange(req);
        if (c.code == 0)
            EXPECT_EQ(CheckReadReply(reply, 1, Function::ReadRegisters, c.count), LinkResult::Good);
        else
            EXPECT_EQ(ExceptionOf(reply), c.code) << c.start << "+" << c.count;
    }
}

TEST(RelayRequests, IgnoresWhatARealRelayIgnores)
{
    Fixture f;
    Bytes badCrc = Read(1, 130, 5);
    badCrc.back() ^= 1;
    Bytes other = Read(2, 130, 5);
    const Bytes garbage{0x13, 0x77, 0x00, 0xFF, 0x42};
    for (const Bytes& req : {badCrc, other, garbage, Bytes{1, 3, 0}})
        EXPECT_TRUE(f.exchange(req).empty());
    // The line recovers after noise: the next clean request is answered.
    EXPECT_EQ(f.read(130, 5).size(), 5u);
    // A request split over several arrivals is one request.
    const Bytes req = Read(1, 130, 5);
    EXPECT_FALSE(f.bus.Receive(std::span(req).first(3), kNow, kPeer).has_value());
    const auto t = f.bus.Receive(std::span(req).subspan(3), kNow, kPeer);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(CheckReadReply(t->bytes, 1, Function::ReadRegisters, 5), LinkResult::Good);
}

TEST(RelayRequests, UnknownFunctionsAndTcpWritesAreRefused)
{
    Fixture f;
    Bytes req{1, 0x2B, 0x0E, 0x01};
    const std::uint16_t crc = Crc16Of(req);
    req.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    req.push_back(static_cast<std::uint8_t>(crc >> 8));
    EXPECT_EQ(ExceptionOf(f.exchange(req)), kIllegalFunction);
    const Bytes write = Write(1, regs::kSerialNumber, {5});
    const PduReply tcp = f.relay->HandlePdu(std::span(write).subspan(1, write.size() - 3), kNow, Channel::Tcp);
    ASSERT_TRUE(tcp.answer);
    EXPECT_EQ(tcp.pdu[1], kIllegalFunction);
}

TEST(RelayWrites, StoreSettingsAndLogOneJournalEventPerChange)
{
    Fixture f(705);
    HoldingMemory& h = f.relay->holding();
    auto events = [&](int code) {
        int n = 0;
        for (int k = 0; k < kWorkingRecords; ++k)
            n += ReadWorkingRecord(h, k).code == code;
        return n;
    };
    const int before = events(1);
    // A setpoint write in two frames, as the configurator sends it, is one change.
    std::vector<std::uint16_t> block(h.begin(), h.begin() + 115);
    block[1] = 25;  // МТЗ-1 гр.А T 0.25 s
    EXPECT_EQ(f.write(0, {block.begin(), block.begin() + 100}), LinkResult::Good);
    EXPECT_EQ(f.write(100, {block.begin() + 100, block.end()}, kNow + 300), LinkResult::Good);
    EXPECT_EQ(h[1], 25);
    EXPECT_EQ(events(1), before + 1);
    // I/O settings and LED settings have events of their own; LEDs keep no bias.
    EXPECT_EQ(f.write(regs::kIoSettings.start, {kInputFunctionOffset + 16}), LinkResult::Good);
    EXPECT_GE(events(2), 1);
    EXPECT_EQ(f.write(regs::kLeds.start, {0x8000 + 100 + 1, 0x8000 + 80 + 1, 50}), LinkResult::Good);
    EXPECT_EQ(f.read(regs::kLeds.start, 3), (std::vector<std::uint16_t>{101, 81, 50}));
    // Writes outside the writable blocks are refused.
    EXPECT_EQ(ExceptionOf(f.exchange(Write(1, regs::kMeasurements.start, {1}))), kIllegalAddress);
}

TEST(RelayWrites, TypeAndSerialNumberChangeTheIdentity)
{
    Fixture f(705);
    EXPECT_EQ(f.write(regs::kSerialNumber, {4711}), LinkResult::Good);
    EXPECT_EQ(f.write(regs::kModelCode, {707}), LinkResult::Good);
    const auto id = f.read(130, 5);
    ASSERT_EQ(id.size(), 5u);
    EXPECT_EQ(id[0], regs::kSignatureNonM);
    EXPECT_EQ(id[1], 707);
    EXPECT_EQ(id[4], 4711);
    // Unknown codes, and codes of the other family (a register cannot change the hardware).
    for (const std::uint16_t code : {708, 715, 716}) {
        EXPECT_EQ(ExceptionOf(f.exchange(Write(1, regs::kModelCode, {code}))), kIllegalValue) << code;
        EXPECT_EQ(f.relay->model().code, 707) << code;
    }
    Fixture m(716);
    EXPECT_EQ(m.write(regs::kModelCode, {715}), LinkResult::Good);
    EXPECT_EQ(ExceptionOf(m.exchange(Write(1, regs::kModelCode, {705}))), kIllegalValue);
    EXPECT_EQ(m.read(130, 2), (std::vector<std::uint16_t>{regs::kSignatureM, 715}));
}

TEST(RelayBreaker, CommandsChangeStateAndABlockedRelayRefusesWithCode4)
{
    Fixture f;
    struct Step {
        std::uint16_t reg, value;
        std::uint8_t exception;
        bool closedAfter;
    } steps[] = {
        {regs::kBreakerCommand, regs::kBreakerOpen, 0, false},
        {regs::kBreakerCommand, regs::kBreakerClose, 0, true},
        {regs::kBreakerCommand, 7, kIllegalValue, true},
    };
    for (const Step& s : steps) {
        const Bytes reply = f.exchange(Write(1, s.reg, {s.value}));
        EXPECT_EQ(ExceptionOf(reply), s.exception);
        EXPECT_EQ(f.relay->breakerClosed(), s.closedAfter);
    }
    f.relay->setBlocked(true);
    const Bytes refused = f.exchange(Write(1, regs::kBreakerCommand, {regs::kBreakerOpen}));
    EXPECT_EQ(CheckWriteReply(refused, 1, Function::WriteRegisters, regs::kBreakerCommand, 1),
              LinkResult::WriteRefused);
    EXPECT_TRUE(f.relay->breakerClosed());
    EXPECT_EQ(f.write(regs::kBreakerUnblock, {regs::kBreakerUnblockValue}), LinkResult::Good);
    EXPECT_EQ(f.write(regs::kBreakerCommand, {regs::kBreakerOpen}), LinkResult::Good);
    EXPECT_FALSE(f.relay->breakerClosed());
}

TEST(RelayClock, RunsSetsAndTakesTheBroadcast)
{
    Fixture f(705);
    auto clock = [&](std::int64_t now) { return f.read(regs::kClockRead.start, 7, now); };
    EXPECT_EQ(clock(kNow), (std::vector<std::uint16_t>{14, 3, 26, 10, 20, 30, 40}));
    EXPECT_EQ(clock(kNow + 61'000)[4], 21);

    EXPECT_EQ(f.write(regs::kClockSet.start, {29, 2, 24, 23, 59, 58}), LinkResult::Good);
    EXPECT_EQ(clock(kNow + 3000), (std::vector<std::uint16_t>{1, 3, 24, 0, 0, 1, 0}));
    EXPECT_EQ(ExceptionOf(f.exchange(Write(1, regs::kClockSet.start, {29, 2, 23, 0, 0, 0}))),
              kIllegalValue);

    // Broadcast to every relay on the line, no reply.
    Relay& second = f.bus.AddRelay(std::make_unique<Relay>(*FindRelayModel(715), LineSettings{2}, kNow));
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const Bytes bc = Frame(BuildClockBroadcast(buf, 5, 6, 2027, 7, 8, 9), buf);
    EXPECT_TRUE(f.exchange(bc).empty());
    EXPECT_EQ(clock(kNow), (std::vector<std::uint16_t>{5, 6, 27, 7, 8, 9, 0}));
    EXPECT_EQ(second.clock(kNow), (WallTime{2027, 6, 5, 7, 8, 9, 0}));
}

TEST(RelayMemory, MinimalSetAndEmptyMemory)
{
    Fixture f(306);
    f.relay->ZeroMemory();
    for (const RegisterBlock b : {RegisterBlock{0, 115}, regs::kIoSettings, regs::kLeds}) {
        for (std::uint16_t start = b.start; start < b.end(); start += 125) {
            const auto count = static_cast<std::uint16_t>(std::min<int>(125, b.end() - start));
            const auto regsRead = f.read(start, count);
            ASSERT_EQ(regsRead.size(), count);
            EXPECT_TRUE(std::all_of(regsRead.begin(), regsRead.end(), [](auto v) { return v == 0; }));
        }
    }
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    EXPECT_TRUE(f.exchange(Frame(BuildRestoreMinimalSet(buf, 1), buf)).empty());
    EXPECT_EQ(f.read(0, 115), MinimalSetpointRegisters(*FindRelayModel(306)));
    // Inputs 1–8 functions 0–7, outputs 1 "Готов"; LED 1 "Готов".
    EXPECT_EQ(f.read(regs::kIoSettings.start + 4, 1)[0], kInputFunctionOffset + 1);
    EXPECT_EQ(f.read(kOutputFirstRegister, 1)[0], kOutputSignalOffset + 1);
    EXPECT_EQ(f.read(regs::kLeds.start, 1)[0], kLedSignalOffset + 1);
}

TEST(RelayLink, CommunicationSettingsApplyAfterTheReply)
{
    const std::uint16_t bias = regs::kSettingsBias;
    struct Case {
        int model;
        bool usb;
        std::uint16_t start;
        std::vector<std::uint16_t> values;
        LineSettings expected;
    };
    std::vector<std::uint16_t> mBlock(19, 0);
    mBlock[0] = bias + 65 + 0;  // ТИРВ protocol
    mBlock[1] = 12;
    mBlock[2] = bias + 25 + 8;  // 230400
    mBlock[3] = bias + 18 + 1;  // even
    mBlock[4] = bias + 21 + 1;  // two stop bits
    mBlock[7] = bias + 25 + 7;
    // Over USB only the block's USB speed moves the line; the RS-485 part is stored.
    const Case cases[] = {
        {705, false, 115, {7, bias + 25 + 4, bias + 65 + 1}, {7, 4, 0, 1, Protocol::Modbus}},
        {715, false, 365, mBlock, {12, 8, 1, 2, Protocol::Tirv}},
        {715, true, 365, mBlock, {1, 7, 0, 1, Protocol::Modbus, 0, 34, true}},
        {715, false, regs::kBaudRs485M, {bias + 25 + 9}, {1, 9, 0, 1, Protocol::Modbus}},
        {716, true, regs::kBaudUsbM, {bias + 25 + 8}, {1, 8, 0, 1, Protocol::Modbus, 0, 34, true}},
    };
    for (const Case& c : cases) {
        LineSettings line;
        line.usb = c.usb;
        Fixture f(c.model, line);
        auto t = f.bus.Receive(Write(1, c.start, c.values), kNow, kPeer);
        ASSERT_TRUE(t.has_value()) << c.model << " " << c.start;
        EXPECT_EQ(f.relay->line().baudIndex, kDefaultBaudIndex);  // not before the reply is out
        ASSERT_TRUE(t->applyAfter.has_value());
        EXPECT_EQ(CheckWriteReply(t->bytes, 1, Function::WriteRegisters, c.start,
                                  static_cast<std::uint16_t>(c.values.size())),
                  LinkResult::Good);
        EXPECT_EQ(*t->applyAfter, c.expected) << c.model << " " << c.start;
        if (c.usb && c.start == regs::kCommSettingsM.start) {  // stored for the RS-485 channel
            EXPECT_EQ(f.relay->holding()[regs::kCommSettingsM.start + 1], 12);
        }
    }
    Fixture bad(705);
    EXPECT_EQ(ExceptionOf(bad.exchange(Write(1, 115, {7, bias + 25 + 7, bias + 65 + 1}))), kIllegalValue);
}

TEST(RelayLine, SeveralRelaysShareTheLineByAddressAndSpeed)
{
    Fixture f(705, LineSettings{1});
    f.bus.AddRelay(std::make_unique<Relay>(*FindRelayModel(715), LineSettings{2}, kNow));
    LineSettings slow{3};
    slow.baudIndex = 3;
    f.bus.AddRelay(std::make_unique<Relay>(*FindRelayModel(306), slow, kNow));
    struct Case {
        std::uint8_t address;
        std::uint32_t baud;
        int model;  // 0: silence
    } cases[] = {{1, 57600, 705}, {2, 57600, 715}, {3, 57600, 0}, {3, 9600, 306}, {1, 9600, 0}};
    for (const Case& c : cases) {
        const Bytes reply = f.exchange(Read(c.address, 130, 5), kNow, PeerLine{c.baud, 1});
        if (c.model == 0) {
            EXPECT_TRUE(reply.empty()) << int(c.address) << "@" << c.baud;
            continue;
        }
        ASSERT_EQ(CheckReadReply(reply, c.address, Function::ReadRegisters, 5), LinkResult::Good);
        EXPECT_EQ(ReadReplyRegister(reply, 1), c.model);
    }
}

TEST(RelayLine, PacingFollowsTheRelaysLineSettings)
{
    LineSettings line;
    line.baudIndex = 3;  // 9600
    line.stopBits = 2;
    line.parity = 1;
    Fixture f(715, line);
    const auto t = f.bus.Receive(Read(1, 0, 125), kNow, PeerLine{9600, 2});
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->bitsPerByte, 12);
    EXPECT_EQ(t->baud, 9600u);
    EXPECT_EQ(LineTimeMs(t->bytes.size(), t->baud, t->bitsPerByte), 319);
    EXPECT_EQ(t->delayMs, kTurnaroundMs);
}

TEST(RelayFaults, LostDamagedLateAndRefusedReplies)
{
    Fixture f;
    const Bytes req = Read(1, 130, 5);
    auto check = [&] { return CheckReadReply(f.exchange(req), 1, Function::ReadRegisters, 5); };
    f.bus.faults().dropNext = 2;
    EXPECT_TRUE(f.exchange(req).empty());
    EXPECT_TRUE(f.exchange(req).empty());
    EXPECT_EQ(check(), LinkResult::Good);
    f.bus.faults().badCrcNext = 1;
    EXPECT_EQ(check(), LinkResult::CrcMismatch);
    EXPECT_EQ(check(), LinkResult::Good);
    f.bus.faults().exceptionCode = 6;
    EXPECT_EQ(ExceptionOf(f.exchange(req)), 6);
    f.bus.faults().exceptionCode = 0;
    f.bus.faults().lateMs = 250;
    EXPECT_EQ(f.bus.Receive(req, kNow, kPeer)->delayMs, kTurnaroundMs + 250);
    f.bus.faults() = {};
    f.bus.faults().dropShare = 0.5;
    int lost = 0;
    for (int i = 0; i < 200; ++i)
        lost += f.exchange(req).empty();
    EXPECT_GT(lost, 60);
    EXPECT_LT(lost, 140);
    f.bus.faults() = {};
    f.relay->setArchiveBusy(true);
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const Bytes archive = Frame(BuildReadArchive(buf, 1, 0, 125), buf);
    EXPECT_EQ(CheckReadReply(f.exchange(archive), 1, Function::ReadArchive, 125), LinkResult::ArchiveBusy);
}

TEST(RelayLine, ALostAcknowledgementStillMovesTheRelay)
{
    Fixture f(705);
    f.bus.faults().dropNext = 1;
    const std::uint16_t bias = regs::kSettingsBias;
    EXPECT_TRUE(f.exchange(Write(1, 115, {4, bias + 25 + 5, bias + 65 + 1})).empty());
    EXPECT_EQ(f.relay->line().address, 4);
    EXPECT_EQ(f.relay->line().baudIndex, 5);
}

TEST(RelayBootloader, OnlyTheProbeAnswersAtAddressOne)
{
    Fixture f(705, LineSettings{9});
    f.relay->setMode(RelayMode::Bootloader);
    EXPECT_TRUE(f.exchange(Read(9, 130, 5)).empty());
    EXPECT_TRUE(f.exchange(Read(1, 130, 5)).empty());
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const Bytes probe = Frame(BuildBootRead(buf, regs::kBootAddress, 0, 5), buf);
    EXPECT_EQ(CheckReadReply(f.exchange(probe), 1, Function::BootRead, 5), LinkResult::Good);
}

}  // namespace
}  // namespace tirv::sim
