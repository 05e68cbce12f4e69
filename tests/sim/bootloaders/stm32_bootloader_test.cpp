// The simulated STM32 system bootloader driven by a host written from AN3155: synchronisation,
// the information commands, erase, write, read-back, go, both unprotects with their restart, the
// refusals of a malformed or forbidden step, every settable fault, and the state bytes.
#include <gtest/gtest.h>

#include <numeric>

#include "an3155_master.h"
#include "sim/bootloaders/stm32_bootloader.h"

namespace tirv::sim::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t n, std::uint8_t seed)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

struct Synced {
    Synced()
    {
        device.EnterBootloader(0);
        EXPECT_EQ(host.Sync(), Answer::Ack);
    }
    Stm32Bootloader device;
    An3155Master host{device};
};

std::uint32_t SectorAddress(std::size_t k)
{
    return kStm32FlashBase + kStm32Sectors[k].offset;
}

TEST(Stm32Bootloader, SynchronisesOnlyInSystemMemoryAndOnlyOn0x7F)
{
    Stm32Bootloader device;
    An3155Master host(device);
    EXPECT_EQ(host.Sync(), Answer::Silent) << "the relay's program does not speak AN3155";
    device.EnterBootloader(host.nowMs());
    EXPECT_EQ(host.Command(0x02), Answer::Silent) << "nothing is heard before 0x7F";
    EXPECT_EQ(host.Sync(), Answer::Ack);
    EXPECT_TRUE(device.synchronised());
    EXPECT_EQ(device.baud(), 115200u);
}

TEST(Stm32Bootloader, ASecond0x7FIsTakenAsACommandByteAndRefused)
{
    // stm32flash's test for a bootloader left synchronised: the first 0x7F waits for its
    // complement, the second one is the wrong complement.
    Synced s;
    EXPECT_EQ(s.host.Sync(), Answer::Silent);
    EXPECT_EQ(s.host.Sync(), Answer::Nack);
    EXPECT_EQ(s.host.GetId(), kStm32Pid) << "the device is still usable";
}

TEST(Stm32Bootloader, CharactersAtAnotherSpeedThanTheSyncAreGarbage)
{
    Synced s;
    s.host.setBaud(57600);
    EXPECT_EQ(s.host.GetId(), std::nullopt);
    s.host.setBaud(115200);
    EXPECT_EQ(s.host.GetId(), kStm32Pid);
}

TEST(Stm32Bootloader, InformationCommands)
{
    Synced s;
    const auto get = s.host.Get();
    ASSERT_TRUE(get);
    const Bytes expected{0x31, 0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x44, 0x63, 0x73, 0x82, 0x92};
    EXPECT_EQ(*get, expected);
    EXPECT_EQ(s.host.GetVersion(), 0x31);
    EXPECT_EQ(s.host.GetId(), 0x0413);
}

TEST(Stm32Bootloader, IdentityFaults)
{
    struct Case {
        const char* what;
        std::uint16_t pid;
        std::uint8_t version;
    };
    const Case cases[] = {{"another PID", 0x0419, 0x31}, {"version 3.0", 0x0413, 0x30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Synced s;
        s.device.faults().pid = c.pid;
        s.device.faults().version = c.version;
        EXPECT_EQ(s.host.GetId(), c.pid);
        EXPECT_EQ(s.host.GetVersion(), c.version);
        const auto get = s.host.Get();
        ASSERT_TRUE(get);
        EXPECT_EQ((*get)[0], c.version);
    }
}

TEST(Stm32Bootloader, WriteThenReadBackAcrossSectors)
{
    Synced s;
    const Bytes block = Pattern(256, 3);
    for (std::size_t k : {0u, 4u, 11u}) {
        const std::uint32_t at = SectorAddress(k) + kStm32Sectors[k].size - 256;
        ASSERT_EQ(s.host.WriteMemory(at, block), Answer::Ack) << k;
        EXPECT_EQ(s.host.ReadMemory(at, 256), block) << k;
        EXPECT_TRUE(std::equal(block.begin(), block.end(),
                               s.device.memory().flash().begin() + (at - kStm32FlashBase)));
    }
    EXPECT_EQ(s.host.ReadMemory(kStm32FlashBase + 0x100, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(Stm32Bootloader, ProgrammingOnlyClearsBits)
{
    Synced s;
    ASSERT_EQ(s.host.WriteMemory(kStm32FlashBase, Bytes{0xF0, 0x0F, 0xFF, 0x00}), Answer::Ack);
    ASSERT_EQ(s.host.WriteMemory(kStm32FlashBase, Bytes{0x3C, 0x3C, 0x00, 0xFF}), Answer::Ack);
    EXPECT_EQ(s.host.ReadMemory(kStm32FlashBase, 4), (Bytes{0x30, 0x0C, 0x00, 0x00}));
}

TEST(Stm32Bootloader, SectorListEraseClearsExactlyTheListedSectors)
{
    Synced s;
    const Bytes block = Pattern(16, 9);
    for (std::size_t k = 0; k < kStm32Sectors.size(); ++k)
        ASSERT_EQ(s.host.WriteMemory(SectorAddress(k), block), Answer::Ack);
    const std::uint16_t list[] = {1, 5, 11};
    ASSERT_EQ(s.host.EraseSectors(list), Answer::Ack);
    EXPECT_EQ(s.host.lastAnswerMs(), 3 * s.device.timing().eraseSectorMs);
    for (std::size_t k = 0; k < kStm32Sectors.size(); ++k) {
        const bool erased = k == 1 || k == 5 || k == 11;
        EXPECT_EQ(s.host.ReadMemory(SectorAddress(k), 16), erased ? Bytes(16, 0xFF) : block) << k;
    }
}

TEST(Stm32Bootloader, MassEraseClearsTheWholeFlash)
{
    Synced s;
    ASSERT_EQ(s.host.WriteMemory(SectorAddress(3), Pattern(64, 1)), Answer::Ack);
    ASSERT_EQ(s.host.WriteMemory(SectorAddress(10), Pattern(64, 2)), Answer::Ack);
    ASSERT_EQ(s.host.EraseSpecial(kStm32MassErase), Answer::Ack);
    EXPECT_EQ(s.host.lastAnswerMs(), s.device.timing().massEraseMs);
    const auto flash = s.device.memory().flash();
    EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST(Stm32Bootloader, ASlowEraseTakesTheSetTimeAndHearsNothingMeanwhile)
{
    Synced s;
    s.device.faults().eraseExtraMs = 6000;
    ASSERT_EQ(s.host.Command(0x44), Answer::Ack);
    const Bytes params{0x00, 0x00, 0x00, 0x00, 0x00};  // one sector: sector 0
    s.device.Receive(params, s.host.nowMs(), PeerLine{115200, 1});
    s.host.Wait(100);
    // A host that gives up and sends again is not heard while the flash is busy.
    EXPECT_EQ(s.host.AnswerOf(Bytes{0x02, 0xFD}, 1), Answer::Ack) << "the erase ACK, late";
    EXPECT_EQ(s.host.nowMs(), 1000 + s.device.timing().eraseSectorMs + 6000);
    EXPECT_EQ(s.host.AnswerOf({}, 1), Answer::Silent) << "the early GET ID was lost";
    EXPECT_EQ(s.host.GetId(), kStm32Pid) << "heard again after the erase";
}

TEST(Stm32Bootloader, GoStartsTheProgram)
{
    Synced s;
    EXPECT_EQ(s.host.Go(kStm32FlashBase), Answer::Ack);
    EXPECT_EQ(s.device.mode(), Stm32Mode::Application);
    EXPECT_EQ(s.device.lastGo(), kStm32FlashBase);
    EXPECT_EQ(s.host.Sync(), Answer::Silent);
}

// Every step a host can get wrong, or a device refuses, is NACKed and leaves the device ready
// for the next command.
TEST(Stm32Bootloader, MalformedOrForbiddenStepsAreRefused)
{
    struct Case {
        const char* what;
        Answer (*run)(An3155Master&);
    };
    const Case cases[] = {
        {"wrong complement", [](An3155Master& h) { return h.Command(0x02, false); }},
        {"unknown command", [](An3155Master& h) { return h.Command(0x43); }},
        {"address checksum",
         [](An3155Master& h) {
             if (h.Command(0x11) != Answer::Ack)
                 return Answer::Garbage;
             return h.AnswerOf(Bytes{0x08, 0x00, 0x00, 0x00, 0x00}, 1);
         }},
        {"read count complement",
         [](An3155Master& h) {
             if (h.Command(0x11) != Answer::Ack ||
                 h.AnswerOf(Bytes{0x08, 0x00, 0x00, 0x00, 0x08}, 1) != Answer::Ack)
                 return Answer::Garbage;
             return h.AnswerOf(Bytes{0x0F, 0x0F}, 1);
         }},
        {"read outside memory",
         [](An3155Master& h) { return h.ReadMemory(0x20000000, 4) ? Answer::Ack : Answer::Nack; }},
        {"read past the flash end",
         [](An3155Master& h) {
             return h.ReadMemory(kStm32FlashBase + kStm32FlashSize - 2, 4) ? Answer::Ack
                                                                           : Answer::Nack;
         }},
        {"write unaligned",
         [](An3155Master& h) { return h.WriteMemory(kStm32FlashBase + 2, Bytes(4, 0)); }},
        {"write not whole words",
         [](An3155Master& h) { return h.WriteMemory(kStm32FlashBase, Bytes(3, 0)); }},
        {"write data checksum",
         [](An3155Master& h) {
             if (h.Command(0x31) != Answer::Ack ||
                 h.AnswerOf(Bytes{0x08, 0x00, 0x00, 0x00, 0x08}, 1) != Answer::Ack)
                 return Answer::Garbage;
             return h.AnswerOf(Bytes{0x03, 1, 2, 3, 4, 0x00}, 1);
         }},
        {"erase sector 12",
         [](An3155Master& h) {
             const std::uint16_t list[] = {2, 12};
             return h.EraseSectors(list);
         }},
        {"erase list checksum",
         [](An3155Master& h) {
             if (h.Command(0x44) != Answer::Ack)
                 return Answer::Garbage;
             return h.AnswerOf(Bytes{0x00, 0x00, 0x00, 0x01, 0x00}, 1);
         }},
        {"bank erase", [](An3155Master& h) { return h.EraseSpecial(0xFFFE); }},
        {"go outside flash", [](An3155Master& h) { return h.Go(kStm32OptionBase); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Synced s;
        s.device.memory().setWriteProtected(0);
        const Bytes before(s.device.memory().flash().begin(), s.device.memory().flash().end());
        EXPECT_EQ(c.run(s.host), Answer::Nack);
        EXPECT_EQ(s.host.GetId(), kStm32Pid);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), s.device.memory().flash().begin()));
        EXPECT_EQ(s.device.mode(), Stm32Mode::Bootloader);
    }
}

TEST(Stm32Bootloader, OptionBytesShowTheProtections)
{
    Synced s;
    const auto factory = s.host.ReadMemory(kStm32OptionBase, 16);
    ASSERT_TRUE(factory);
    EXPECT_EQ((*factory)[1], 0xAA);
    EXPECT_EQ((*factory)[8], 0xFF);
    EXPECT_EQ((*factory)[9], 0xFF);
    s.device.memory().setWriteProtected(0b1000'0000'0101);  // sectors 0, 2 and 11
    const auto wrp = s.host.ReadMemory(kStm32OptionBase, 16);
    ASSERT_TRUE(wrp);
    EXPECT_EQ((*wrp)[8], 0xFA);
    EXPECT_EQ((*wrp)[9], 0xF7) << "reserved upper bits keep their value";
}

TEST(Stm32Bootloader, ReadProtectionRefusesEveryMemoryCommand)
{
    Synced s;
    s.device.memory().setReadProtection(kRdpLevel1);
    EXPECT_EQ(s.host.GetId(), kStm32Pid);
    EXPECT_EQ(s.host.GetVersion(), kStm32Version);
    for (std::uint8_t code : {0x11, 0x31, 0x44, 0x21, 0x63, 0x73})
        EXPECT_EQ(s.host.Command(code), Answer::Nack) << int{code};
}

TEST(Stm32Bootloader, ReadoutUnprotectErasesTheFlashAndRestarts)
{
    Synced s;
    ASSERT_EQ(s.host.WriteMemory(kStm32FlashBase, Pattern(256, 5)), Answer::Ack);
    s.device.memory().setReadProtection(kRdpLevel1);
    ASSERT_EQ(s.host.TwoAckCommand(0x92), Answer::Ack);
    EXPECT_FALSE(s.device.memory().readProtected());
    EXPECT_FALSE(s.device.synchronised()) << "the option change resets the controller";
    EXPECT_EQ(s.host.Sync(), Answer::Silent) << "still restarting";
    s.host.Wait(s.device.timing().resetMs);
    EXPECT_EQ(s.host.Sync(), Answer::Ack);
    EXPECT_EQ(s.host.ReadMemory(kStm32FlashBase, 256), Bytes(256, 0xFF));
}

TEST(Stm32Bootloader, WriteProtectionAndItsRemoval)
{
    Synced s;
    s.device.memory().setWriteProtected(1u << 1);
    const std::uint16_t list[] = {0, 1};
    EXPECT_EQ(s.host.WriteMemory(SectorAddress(1), Bytes(8, 0)), Answer::Nack);
    EXPECT_EQ(s.host.EraseSectors(list), Answer::Nack);
    EXPECT_EQ(s.host.EraseSpecial(kStm32MassErase), Answer::Nack);
    EXPECT_EQ(s.host.WriteMemory(SectorAddress(0), Bytes(8, 0)), Answer::Ack)
        << "other sectors stay writable";

    ASSERT_EQ(s.host.TwoAckCommand(0x73), Answer::Ack);
    EXPECT_EQ(s.device.memory().writeProtected(), 0);
    s.host.Wait(s.device.timing().resetMs);
    ASSERT_EQ(s.host.Sync(), Answer::Ack);
    EXPECT_EQ(s.host.WriteMemory(SectorAddress(1), Bytes(8, 0)), Answer::Ack);

    const std::uint8_t protect[] = {3, 7};
    ASSERT_EQ(s.host.WriteProtect(protect), Answer::Ack);
    EXPECT_EQ(s.device.memory().writeProtected(), (1u << 3) | (1u << 7));
}

TEST(Stm32Bootloader, ReadoutProtectAndOptionBytesWrittenWhole)
{
    Synced s;
    ASSERT_EQ(s.host.TwoAckCommand(0x82), Answer::Ack);
    EXPECT_TRUE(s.device.memory().readProtected());
    s.device.memory().setReadProtection(kRdpLevel0);
    s.host.Wait(s.device.timing().resetMs);
    ASSERT_EQ(s.host.Sync(), Answer::Ack);
    OptionBytes options = kFactoryOptions;
    SetWriteProtectedSectors(options, 1u << 4);
    EXPECT_EQ(s.host.WriteMemory(kStm32OptionBase, Bytes(options.begin(), options.begin() + 8)),
              Answer::Nack)
        << "half the option bytes";
    ASSERT_EQ(s.host.WriteMemory(kStm32OptionBase, options), Answer::Ack);
    EXPECT_EQ(s.host.AnswerOf({}, 1), Answer::Ack) << "second ACK once the options are set";
    EXPECT_EQ(s.device.memory().writeProtected(), 1u << 4);
    EXPECT_FALSE(s.device.synchronised());
}

TEST(Stm32Bootloader, NackTheNextCommands)
{
    Synced s;
    s.device.faults().nackNext = 2;
    EXPECT_EQ(s.host.GetId(), std::nullopt);
    EXPECT_EQ(s.host.GetId(), std::nullopt);
    EXPECT_EQ(s.host.GetId(), kStm32Pid);
}

TEST(Stm32Bootloader, FlippedByteOnReadBackOnlyInFlash)
{
    Synced s;
    const Bytes block = Pattern(32, 0x40);
    ASSERT_EQ(s.host.WriteMemory(kStm32FlashBase, block), Answer::Ack);
    s.device.faults().flipReadBack = true;
    Bytes flipped = block;
    flipped[0] ^= 0x01;
    EXPECT_EQ(s.host.ReadMemory(kStm32FlashBase, 32), flipped);
    EXPECT_EQ(s.host.ReadMemory(kStm32OptionBase, 16),
              Bytes(kFactoryOptions.begin(), kFactoryOptions.end()));
    EXPECT_EQ(s.device.memory().flash()[0], block[0]) << "the flash itself is right";
}

TEST(Stm32Bootloader, SilenceAnswersNothing)
{
    Stm32Bootloader device;
    An3155Master host(device);
    device.EnterBootloader(0);
    device.faults().silent = true;
    EXPECT_EQ(host.Sync(), Answer::Silent);
    device.faults().silent = false;
    EXPECT_EQ(host.Sync(), Answer::Ack);
    device.memory().setReadProtection(kRdpLevel2);
    EXPECT_EQ(host.Command(0x02), Answer::Silent) << "level 2 switches the bootloader off";
}

TEST(Stm32Bootloader, StateRoundTripAndDamagedStates)
{
    Synced s;
    ASSERT_EQ(s.host.WriteMemory(SectorAddress(6) + 0x1000, Pattern(256, 11)), Answer::Ack);
    s.device.memory().setWriteProtected(1u << 9);
    s.device.memory().setReadProtection(kRdpLevel1);
    const Bytes saved = s.device.SaveState();
    EXPECT_LT(saved.size(), 1000u) << "an almost erased flash stays small";

    Stm32Bootloader restored;
    ASSERT_EQ(restored.LoadState(saved), StateLoad::Ok);
    EXPECT_TRUE(std::equal(restored.memory().flash().begin(), restored.memory().flash().end(),
                           s.device.memory().flash().begin()));
    EXPECT_EQ(restored.memory().options(), s.device.memory().options());
    EXPECT_EQ(restored.mode(), Stm32Mode::Bootloader);
    EXPECT_FALSE(restored.synchronised());

    struct Case {
        const char* what;
        Bytes bytes;
        StateLoad expected;
    };
    Bytes flipped = saved;
    flipped[40] ^= 0x10;
    Bytes otherMagic = saved;
    otherMagic[0] = 'N';
    Bytes badMode = Bytes(saved.begin(), saved.end() - 2);
    badMode[4] = 7;
    AppendStateCrc(badMode);
    Bytes longer = Bytes(saved.begin(), saved.end() - 2);
    longer.push_back(0);
    AppendStateCrc(longer);
    Bytes shorter = Bytes(saved.begin(), saved.end() - 3);
    AppendStateCrc(shorter);
    const Case cases[] = {
        {"empty", {}, StateLoad::Truncated},
        {"damaged", flipped, StateLoad::CrcMismatch},
        {"other device", otherMagic, StateLoad::NotThisDevice},
        {"bad mode", badMode, StateLoad::BadValue},
        {"extra bytes", longer, StateLoad::BadValue},
        {"cut short", shorter, StateLoad::Truncated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Stm32Bootloader fresh;
        EXPECT_EQ(fresh.LoadState(c.bytes), c.expected);
        EXPECT_EQ(fresh.memory().options(), kFactoryOptions) << "unchanged on failure";
        EXPECT_EQ(fresh.mode(), Stm32Mode::Application);
    }
}

}  // namespace
}  // namespace tirv::sim::test
