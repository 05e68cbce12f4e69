// The non-M relay's loader driven with the configurator's own frame builders and reply checkers:
// entry by the three patterns, the probe, block erases, page writes, the exit, the refusals and
// the state bytes.
#include <gtest/gtest.h>

#include <array>

#include "configurator/link/frames.h"
#include "sim/bootloaders/nonm_loader.h"

namespace tirv::sim::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t kDeviceAddress = 7;
constexpr std::uint32_t kWorkingBaud = 19200;
const PeerLine kWorking{kWorkingBaud, 1};
const PeerLine kLoaderLine{kLoaderBaud, 1};

Bytes BootCommand(std::uint8_t address, int kind)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const std::size_t n = BuildBootCommand(buf, address, 0, kind);
    return {buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n)};
}

Bytes BootRead(std::uint16_t count)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const std::size_t n = BuildBootRead(buf, kLoaderAddress, 0, count);
    return {buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n)};
}

Bytes BootWrite(std::uint32_t address, const Bytes& data)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const std::size_t n = BuildBootWrite(buf, kLoaderAddress, address, data);
    return {buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n)};
}

Bytes Page(std::uint8_t seed)
{
    Bytes b(kLoaderPageSize);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(seed ^ (i * 13));
    return b;
}

// A host on the line: sends one frame and waits for the reply like the paced exchange does.
struct Host {
    Host() { loader.setWorkingLine(kDeviceAddress, kWorkingBaud); }

    struct Reply {
        Bytes bytes;
        std::uint32_t baud = 0;
        std::int64_t afterMs = 0;
    };
    Reply Send(const Bytes& frame, PeerLine peer)
    {
        loader.Receive(frame, nowMs, peer);
        Reply r;
        const std::int64_t sent = nowMs;
        if (const auto wake = loader.NextWakeMs()) {
            nowMs = std::max(nowMs, *wake);
            for (Burst& b : loader.TakeOutput(nowMs)) {
                r.bytes.insert(r.bytes.end(), b.bytes.begin(), b.bytes.end());
                r.baud = b.baud;
            }
        }
        r.afterMs = nowMs - sent;
        nowMs += 5;  // the host's own pause before the next request
        return r;
    }
    void Enter()
    {
        for (int kind = 0; kind < 3; ++kind)
            ASSERT_EQ(CheckWriteReply(Send(BootCommand(kDeviceAddress, kind), kWorking).bytes,
                                      kDeviceAddress, Function::BootCommand, 0, 3),
                      LinkResult::Good);
        ASSERT_EQ(loader.mode(), LoaderMode::Loader);
    }

    NonMLoader loader;
    std::int64_t nowMs = 5000;
};

TEST(NonMLoader, EnterProbeEraseWriteExit)
{
    Host h;
    EXPECT_TRUE(h.Send(BootRead(3), kLoaderLine).bytes.empty()) << "no loader yet";
    const Host::Reply first = h.Send(BootCommand(kDeviceAddress, 0), kWorking);
    EXPECT_EQ(first.baud, kWorkingBaud);
    EXPECT_EQ(h.loader.entryStep(), 1);
    h.Send(BootCommand(kDeviceAddress, 1), kWorking);
    const Host::Reply third = h.Send(BootCommand(kDeviceAddress, 2), kWorking);
    EXPECT_EQ(third.baud, kWorkingBaud) << "the last acknowledgement still at the working speed";
    EXPECT_EQ(CheckWriteReply(third.bytes, kDeviceAddress, Function::BootCommand, 0, 3),
              LinkResult::Good);
    ASSERT_EQ(h.loader.mode(), LoaderMode::Loader);

    EXPECT_TRUE(h.Send(BootRead(3), kWorking).bytes.empty()) << "the working speed is left";
    const Host::Reply probe = h.Send(BootRead(3), kLoaderLine);
    EXPECT_EQ(probe.baud, kLoaderBaud);
    EXPECT_EQ(CheckReadReply(probe.bytes, kLoaderAddress, Function::BootRead, 3), LinkResult::Good);

    // Blocks 4 and 10, as a file using only those would erase them.
    ASSERT_TRUE(h.loader.Load(kLoaderBlocks[4].start, Bytes(64, 0x00)));
    for (std::size_t k : {4u, 10u}) {
        const Host::Reply erase = h.Send(BootWrite(kLoaderBlocks[k].start, {}), kLoaderLine);
        EXPECT_EQ(CheckBootWriteReply(erase.bytes, kLoaderAddress, kLoaderBlocks[k].start),
                  LinkResult::Good);
        EXPECT_EQ(erase.afterMs, h.loader.timing().eraseBlockMs + kTurnaroundMs);
    }
    Bytes erased(64);
    ASSERT_TRUE(h.loader.Read(kLoaderBlocks[4].start, erased));
    EXPECT_EQ(erased, Bytes(64, 0xFF));

    const std::uint32_t pages[] = {kLoaderBlocks[4].start, kLoaderBlocks[4].start + 0x100,
                                   kLoaderBlocks[10].start + 0xF00};
    for (std::uint32_t at : pages) {
        const Host::Reply w =
            h.Send(BootWrite(at, Page(static_cast<std::uint8_t>(at >> 8))), kLoaderLine);
        EXPECT_EQ(CheckBootWriteReply(w.bytes, kLoaderAddress, at), LinkResult::Good);
        EXPECT_EQ(w.afterMs, h.loader.timing().pageWriteMs + kTurnaroundMs);
    }

    const Host::Reply exit = h.Send(BootCommand(kLoaderAddress, 3), kLoaderLine);
    EXPECT_EQ(CheckWriteReply(exit.bytes, kLoaderAddress, Function::BootCommand, 0, 3),
              LinkResult::Good);
    EXPECT_EQ(h.loader.mode(), LoaderMode::Application);
    EXPECT_EQ(h.loader.exits(), 1);
    for (std::uint32_t at : pages) {
        Bytes kept(kLoaderPageSize);
        ASSERT_TRUE(h.loader.Read(at, kept));
        EXPECT_EQ(kept, Page(static_cast<std::uint8_t>(at >> 8))) << std::hex << at;
    }
    EXPECT_TRUE(h.Send(BootRead(3), kLoaderLine).bytes.empty()) << "the program runs again";
}

TEST(NonMLoader, EntryNeedsThePatternsInOrderAtTheDeviceAddressAndSpeed)
{
    struct Case {
        const char* what;
        std::vector<std::pair<Bytes, PeerLine>> frames;
        int step;
    };
    const Case cases[] = {
        {"other address", {{BootCommand(3, 0), kWorking}}, 0},
        {"other speed", {{BootCommand(kDeviceAddress, 0), kLoaderLine}}, 0},
        {"second pattern first", {{BootCommand(kDeviceAddress, 1), kWorking}}, 0},
        {"restart by a first pattern",
         {{BootCommand(kDeviceAddress, 0), kWorking},
          {BootCommand(kDeviceAddress, 1), kWorking},
          {BootCommand(kDeviceAddress, 0), kWorking}},
         1},
        {"out of order",
         {{BootCommand(kDeviceAddress, 0), kWorking}, {BootCommand(kDeviceAddress, 2), kWorking}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Host h;
        for (const auto& [frame, peer] : c.frames)
            h.Send(frame, peer);
        EXPECT_EQ(h.loader.entryStep(), c.step);
        EXPECT_EQ(h.loader.mode(), LoaderMode::Application);
    }
}

TEST(NonMLoader, OtherRequestsOnTheWorkingLineAreSteppedOver)
{
    Host h;
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const std::uint16_t values[] = {1, 2, 3};
    Bytes stream(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(BuildWriteRegisters(
                                                buf, kDeviceAddress, 357, 3, std::span(values))));
    const Bytes pattern = BootCommand(kDeviceAddress, 0);
    stream.insert(stream.end(), pattern.begin(), pattern.end());
    const Host::Reply r = h.Send(stream, kWorking);
    EXPECT_EQ(CheckWriteReply(r.bytes, kDeviceAddress, Function::BootCommand, 0, 3),
              LinkResult::Good)
        << "only the pattern is the loader's to answer";
    EXPECT_EQ(h.loader.entryStep(), 1);
}

TEST(NonMLoader, RefusedRequests)
{
    struct Case {
        const char* what;
        Bytes frame;
        LinkResult expected;  // Good: no reply at all
    };
    Bytes badCrc = BootWrite(kLoaderBlocks[5].start, {});
    badCrc.back() ^= 0xFF;
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const Bytes readRegisters(
        buf.begin(),
        buf.begin() + static_cast<std::ptrdiff_t>(BuildReadRegisters(buf, kLoaderAddress, 130, 5)));
    const Case cases[] = {
        {"erase inside a block", BootWrite(kLoaderBlocks[5].start + 0x100, {}),
         LinkResult::Exception},
        {"erase the loader's block", BootWrite(kLoaderBlocks[0].start, {}),
         LinkResult::WriteRefused},
        {"write the loader's block", BootWrite(kLoaderBlocks[0].start, Page(1)),
         LinkResult::WriteRefused},
        {"write across a block end", BootWrite(kLoaderBlocks[5].start - 0x80, Page(1)),
         LinkResult::Exception},
        {"write outside the map", BootWrite(0x00070000, Page(1)), LinkResult::Exception},
        {"damaged CRC", badCrc, LinkResult::Good},
        {"a function the loader lacks", readRegisters, LinkResult::Good},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Host h;
        h.loader.EnterLoader();
        const Bytes before = h.loader.FlashDump();
        const Host::Reply r = h.Send(c.frame, kLoaderLine);
        if (c.expected == LinkResult::Good)
            EXPECT_TRUE(r.bytes.empty());
        else
            EXPECT_EQ(CheckBootWriteReply(r.bytes, kLoaderAddress, 0), c.expected);
        EXPECT_EQ(h.loader.FlashDump(), before);
        EXPECT_EQ(CheckReadReply(h.Send(BootRead(1), kLoaderLine).bytes, kLoaderAddress,
                                 Function::BootRead, 1),
                  LinkResult::Good)
            << "still listening";
    }
}

TEST(NonMLoader, PageWritesClearBitsOnlyAndTheBusyFlashHearsNothing)
{
    Host h;
    h.loader.EnterLoader();
    h.loader.timing().eraseBlockMs = 400;
    const std::uint32_t at = kLoaderBlocks[11].start;
    ASSERT_TRUE(h.loader.Load(at, Bytes(kLoaderPageSize, 0x0F)));
    h.Send(BootWrite(at, Bytes(kLoaderPageSize, 0x3C)), kLoaderLine);
    Bytes mixed(4);
    ASSERT_TRUE(h.loader.Read(at, mixed));
    EXPECT_EQ(mixed, Bytes(4, 0x0C));

    h.loader.Receive(BootWrite(at, {}), h.nowMs, kLoaderLine);
    h.loader.Receive(BootRead(1), h.nowMs + 100, kLoaderLine);  // sent too early: lost
    ASSERT_TRUE(h.loader.NextWakeMs());
    EXPECT_EQ(*h.loader.NextWakeMs(), h.nowMs + 400 + kTurnaroundMs);
    h.nowMs = *h.loader.NextWakeMs() + 10;
    const auto out = h.loader.TakeOutput(h.nowMs);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(CheckBootWriteReply(out[0].bytes, kLoaderAddress, at), LinkResult::Good);
}

TEST(NonMLoader, FrameLengthsOfTheFamily)
{
    struct Case {
        Bytes start;
        std::size_t length;
    };
    const Case cases[] = {
        {{1, 0x03}, 8},
        {{1, 0x10, 0, 0, 0, 3, 6}, 15},
        {{1, 0x20}, 5},
        {{1, 0x42}, 11},
        {{1, 0x65}, 15},
        {{1, 0x67, 0, 0, 0, 0, 0, 1}, 266},
        {{1, 0x67, 0, 0, 0, 0, 1, 1}, 0},  // 257 bytes: more than a page, noise
        {{1, 0x67, 0, 0}, 0},
        {{1, 0x99}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RelayRequestLength(c.start), c.length);
}

TEST(NonMLoader, StateKeepsTheImageAndTheMode)
{
    Host h;
    h.Enter();
    h.Send(BootWrite(kLoaderBlocks[9].start, {}), kLoaderLine);
    h.Send(BootWrite(kLoaderBlocks[9].start + 0x200, Page(9)), kLoaderLine);
    const Bytes saved = h.loader.SaveState();

    NonMLoader restored;
    ASSERT_EQ(restored.LoadState(saved), StateLoad::Ok);
    EXPECT_EQ(restored.mode(), LoaderMode::Loader) << "a relay left in its loader stays there";
    EXPECT_EQ(restored.FlashDump(), h.loader.FlashDump());

    Bytes damaged = saved;
    damaged[5] ^= 1;
    NonMLoader fresh;
    EXPECT_EQ(fresh.LoadState(damaged), StateLoad::CrcMismatch);
    EXPECT_EQ(fresh.LoadState(Bytes(saved.begin(), saved.begin() + 3)), StateLoad::Truncated);
    EXPECT_EQ(fresh.mode(), LoaderMode::Application);
}

TEST(NonMLoader, DumpRunsInAscendingAddresses)
{
    NonMLoader loader;
    ASSERT_TRUE(loader.Load(0x00060000, Bytes{0x11}));
    ASSERT_TRUE(loader.Load(0x00061FFF, Bytes{0x22}));
    ASSERT_TRUE(loader.Load(0xFFF80000, Bytes{0x33}));
    ASSERT_TRUE(loader.Load(0xFFFFFFFF, Bytes{0x44}));
    const Bytes dump = loader.FlashDump();
    ASSERT_EQ(dump.size(), 0x2000u + 0x80000u);
    EXPECT_EQ(dump[0], 0x11);
    EXPECT_EQ(dump[0x1FFF], 0x22);
    EXPECT_EQ(dump[0x2000], 0x33);
    EXPECT_EQ(dump.back(), 0x44);
    EXPECT_FALSE(loader.Load(0x00062000, Bytes{0}));
}

}  // namespace
}  // namespace tirv::sim::test
