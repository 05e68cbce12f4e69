// Line speeds and the paced waiting times, against values worked out by hand from the formulas
// (a byte is 13 bit times, results truncated to whole milliseconds).
#include <gtest/gtest.h>

#include "configurator/link/frames.h"
#include "configurator/link/registers.h"

namespace tirv {
namespace {

TEST(BaudTable, RatesAndPerBaudWaits)
{
    struct Row {
        int index;
        std::uint32_t rate;
        int textWait;
        int charGap;
        int linkCheckWait;
    };
    const Row rows[] = {
        {0, 1200, 700, 20, 280},    {1, 2400, 400, 10, 140},   {2, 4800, 200, 5, 70},
        {3, 9600, 100, 3, 35},      {4, 19200, 100, 2, 20},    {5, 38400, 80, 1, 20},
        {6, 57600, 60, 1, 20},      {7, 115200, 30, 1, 20},    {8, 230400, 20, 1, 20},
        {9, 460800, 10, 1, 20},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(BaudRate(r.index), r.rate) << r.index;
        EXPECT_EQ(TextReplyWaitMs(r.index), r.textWait) << r.index;
        EXPECT_EQ(ModbusCharGapMs(r.index), r.charGap) << r.index;
        EXPECT_EQ(LinkCheckWaitMs(r.index), r.linkCheckWait) << r.index;
    }
    EXPECT_EQ(BaudRate(kDefaultBaudIndex), 57600u);
}

TEST(BaudTable, IndexOutsideTheTableWaitsAsTheSlowestSpeed)
{
    for (int index : {-1, 10, 1000}) {
        EXPECT_FALSE(IsValidBaudIndex(index));
        EXPECT_EQ(BaudRate(index), 1200u) << index;
        EXPECT_EQ(TextReplyWaitMs(index), 700) << index;
        EXPECT_EQ(ReadWaitMs(8, 125, index), ReadWaitMs(8, 125, 0)) << index;
    }
}

TEST(BaudTable, OfferedIndexesByModelAndChannel)
{
    EXPECT_EQ(OfferedBaudIndexes(false, false).first, 0);
    EXPECT_EQ(OfferedBaudIndexes(false, false).end, 7);
    EXPECT_EQ(OfferedBaudIndexes(true, false).end, 10);
    // USB: item 0 is 57600 (index 6), through 460800.
    EXPECT_EQ(OfferedBaudIndexes(true, true).first, 6);
    EXPECT_EQ(OfferedBaudIndexes(true, true).end, 10);
    EXPECT_EQ(BaudRate(OfferedBaudIndexes(true, true).first), 57600u);
}

TEST(PacedWaits, FormulasWorkedOutByHand)
{
    struct Case {
        const char* name;
        int actual;
        int expected;
    };
    const Case cases[] = {
        // (26·125 + 13·8 + 81) = 3435 bit times.
        {"read 125 at 460800", ReadWaitMs(8, 125, 9), 3435000 / 460800 + 20},  // 27
        {"read 125 at 1200", ReadWaitMs(8, 125, 0), 2862 + 20},
        // (26·5 + 13·8 + 81) = 315 → 315000 / 57600 = 5.47.
        {"link-check size read at 57600", ReadWaitMs(8, 5, 6), 5 + 20},
        // (26·15 + 120) = 510 → 510000 / 57600 = 8.85.
        {"write of 3 registers at 57600", WriteWaitMs(15, 6), 8 + 20},
        // (26·255 + 120) = 6750 → 6750000 / 9600 = 703.1.
        {"write of 123 registers at 9600", WriteWaitMs(255, 3), 703 + 20},
        // (13·5 + 16) = 81 → 81000 / 1200 = 67.5, then half a second for the relay.
        {"restore minimal set at 1200", RestoreMinimalSetWaitMs(5, 0), 67 + 500},
        // (13·8 + 237) = 341 → 341000 / 57600 = 5.9.
        {"device type read at 57600", DeviceTypeReadWaitMs(8, 6), 5 + 20},
        // General: 13·(8 + 15) + 16 = 315, as a read of 5 registers.
        {"request 8, reply 15 at 57600", ReplyWaitMs(8, 15, 6), 5 + 20},
        // 13·8 = 104 → 104000 / 9600 = 10.8.
        {"thread write of 8 bytes at 9600", ThreadWriteWaitMs(8, 3), 10 + 20},
        // 13·255 = 3315 → 3315000 / 57600 = 57.6.
        {"thread reply of 255 bytes at 57600", ThreadReplyWaitMs(255, 6), 57 + 20},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(PacedWaits, ReadWaitFollowsTheReplyLength)
{
    // One more register is two more bytes: 26 bit times more, at every speed.
    for (int baud = 0; baud < 10; ++baud) {
        const std::uint64_t rate = BaudRate(baud);
        for (std::size_t n : {1u, 5u, 64u, 125u}) {
            const std::uint64_t bits = 26 * n + 13 * 8 + 81;
            EXPECT_EQ(ReadWaitMs(8, n, baud), static_cast<int>(bits * 1000 / rate) + 20)
                << baud << " " << n;
            EXPECT_EQ(ReadWaitMs(8, n, baud), ReplyWaitMs(8, ReadReplyLength(static_cast<std::uint16_t>(n)), baud));
        }
    }
}

TEST(RegisterMap, BlocksEndWhereTheNextBegins)
{
    EXPECT_EQ(regs::kSetpoints.end(), regs::kCommSettings.start);  // 115
    EXPECT_EQ(regs::kCommSettings.end(), 118);
    EXPECT_EQ(regs::kCommSettingsM.end(), 384);  // 365–383
    EXPECT_EQ(regs::kIdentity.end(), regs::kBreakerCommand);
    EXPECT_EQ(regs::kDeviceType.start, regs::kModelCode);
    EXPECT_EQ(regs::kDeviceType.end(), regs::kIdentity.end());
    EXPECT_EQ(regs::kIo.end(), 300);               // 170–299
    EXPECT_EQ(regs::kIoSettings.end(), regs::kInputStates);
    EXPECT_EQ(regs::kClockRead.end(), regs::kClockSet.start);  // 350–356, 357–362
    EXPECT_EQ(regs::kClockSet.end(), 363);
    EXPECT_EQ(regs::kEmergencyJournal.end(), 740);  // 400–739, 10 records
    EXPECT_EQ(regs::kEmergencyJournal.count, 10 * regs::kEmergencyRecordRegisters);
    EXPECT_EQ(regs::kWorkingJournal.end(), 2700);   // 2100–2699, 120 records
    EXPECT_EQ(regs::kWorkingJournal.count, 120 * regs::kWorkingRecordRegisters);
    EXPECT_EQ(regs::kOscillographSettings.end(), 17);  // 9–16
    EXPECT_EQ(regs::kOscillogram.end(), 11150);        // 0–11,149
    // Every block a page reads whole in one Modbus frame fits one.
    for (RegisterBlock b : {regs::kIdentity, regs::kDeviceType, regs::kLeds, regs::kLedsM,
                            regs::kMeasurements, regs::kMeasurementsM, regs::kClockRead})
        EXPECT_LE(b.count, kMaxReadCount) << b.start;
}

}  // namespace
}  // namespace tirv
