// What the simulated relay holds: a setpoint set that passes the configurator's check, feeder
// measurements with sensible phasors, valid journals, and an oscillogram that loads and matches
// the newest trip.
#include <bit>
#include <cmath>
#include <gtest/gtest.h>

#include "common/oscillogram_image.h"
#include "configurator/link/registers.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_conversion.h"
#include "sim/journal_content.h"
#include "sim/relay.h"
#include "sim/setpoint_registers.h"

namespace tirv::sim {
namespace {

const std::int64_t kNow = ToEpochMs({2026, 3, 14, 10, 20, 30, 400});
constexpr int kModels[] = {306, 705, 706, 707, 715, 716, 717};

SetpointImage ImageOf(const Relay& r)
{
    const ModelProfile p = ProfileForModel(r.model().code);
    SetpointImage image{};
    RegistersToImage(p, std::span(r.holding()).first(static_cast<std::size_t>(p.imageWords)), image);
    return image;
}

TEST(RelaySetpoints, ConfiguredSetPassesTheCheckAndDiffersFromTheMinimalOne)
{
    for (int code : kModels) {
        Relay r(*FindRelayModel(code), {}, kNow);
        const ModelProfile p = ProfileForModel(code);
        std::vector<CheckFinding> messages;
        EXPECT_TRUE(CheckImage(p, ImageOf(r), &messages)) << code << ": " << messages.size();
        const SetpointImage image = ImageOf(r);
        // МТЗ-2 trips the stored fault: 10 A after 0.5 s; МТЗ-1 is above the fault current.
        const int mtz2I = p.find("МТЗ-2 гр.А I"), mtz2T = p.find("МТЗ-2 гр.А T");
        const int mtz1I = p.find("МТЗ-1 гр.А I");
        const double factorI = ResolutionFactor(p.numeric[static_cast<std::size_t>(mtz2I)].kind);
        EXPECT_DOUBLE_EQ(image[static_cast<std::size_t>(mtz2I)] / factorI, 10.0) << code;
        EXPECT_EQ(image[static_cast<std::size_t>(mtz2T)], 50) << code;
        EXPECT_GT(image[static_cast<std::size_t>(mtz1I)] / factorI, 12.5) << code;
        EXPECT_EQ(image[static_cast<std::size_t>(p.find("МТЗ-2 Вкл."))], 1) << code;
        EXPECT_NE(std::vector<std::uint16_t>(r.holding().begin(), r.holding().begin() + p.imageWords),
                  MinimalSetpointRegisters(r.model()));
    }
}

TEST(RelaySetpoints, TextFormOfAngleAndChoiceRegisters)
{
    const RelayModel& m = *FindRelayModel(705);
    const ModelProfile p = ProfileForModel(705);
    // Register of `МТЗ-общие Угол макс.чувств.` (−30°) and of a choice (offset + bias).
    int angleReg = -1, choiceReg = -1;
    for (int reg = 0; reg < p.imageWords; ++reg) {
        const int idx = ImageIndexOfRegister(p, reg);
        if (idx == p.find("МТЗ-общие Угол макс.чувств."))
            angleReg = reg;
        if (idx == p.find("МТЗ-общие Угол сектора"))
            choiceReg = reg;
    }
    ASSERT_GE(angleReg, 0);
    ASSERT_GE(choiceReg, 0);
    Relay r(m, {}, kNow);
    const std::uint16_t angleWord = r.holding()[static_cast<std::size_t>(angleReg)];
    EXPECT_EQ(SetpointRegisterToText(m, angleReg, angleWord), (-30 + 180) / 15 + 32);
    EXPECT_EQ(SetpointTextToRegister(m, angleReg, (-30 + 180) / 15 + 32), angleWord);
    const std::uint16_t choiceWord = r.holding()[static_cast<std::size_t>(choiceReg)];
    EXPECT_EQ(SetpointRegisterToText(m, choiceReg, choiceWord), choiceWord - regs::kSettingsBias);
}

// The page rules of the I/O and LED blocks, applied to what every model holds, configured and
// after the minimal set.
TEST(RelayIoAndLeds, BlocksPassThePageRules)
{
    for (int code : kModels) {
        Relay r(*FindRelayModel(code), {}, kNow);
        for (bool minimal : {false, true}) {
            if (minimal)
                r.RestoreMinimalSet();
            const auto& h = r.holding();
            for (int n = 0; n < kIoChannels; ++n) {
                const auto in = static_cast<std::size_t>(regs::kIoSettings.start + 4 * n);
                const int function = h[in] - kInputFunctionOffset;
                EXPECT_GE(function, n < 8 ? 0 : 8) << code << " input " << n;
                EXPECT_LE(function, 44);
                EXPECT_LE(h[in + 1] - kInputLevelOffset, 1);
                EXPECT_LE(h[in + 2], 9999);
                const auto out = static_cast<std::size_t>(kOutputFirstRegister + 4 * n);
                EXPECT_LE(h[out] - kOutputSignalOffset, 94) << code << " output " << n;
                EXPECT_LE(h[out + 1] - kOutputModeOffset, 2);
                EXPECT_LE(h[out + 3], 9999);
            }
            const RegisterBlock leds = r.model().m ? regs::kLedsM : regs::kLeds;
            EXPECT_EQ(leds.count, 3 * r.model().ledCount);
            for (int led = 0; led < r.model().ledCount; ++led) {
                const auto at = static_cast<std::size_t>(leds.start + 3 * led);
                EXPECT_LE(h[at] - kLedSignalOffset, 94) << code << " LED " << led;
                EXPECT_LE(h[at + 1] - kLedModeOffset, 1);
                EXPECT_LE(h[at + 2], 9999);
            }
            EXPECT_EQ(h[leds.start], kLedSignalOffset + 1);  // LED 1 "Готов" in both
        }
    }
}

struct Reading {
    double ia, ib, ic, ua, i0, u0, angleIa, angleUa;
};

Reading Measure(Relay& r, std::int64_t now)
{
    r.RefreshLive(now);
    const auto& h = r.holding();
    if (!r.model().m) {
        auto v = [&](int k) { return static_cast<std::int16_t>(h[static_cast<std::size_t>(300 + k)]); };
        return {v(1) * 0.01, v(2) * 0.01, v(3) * 0.01, v(4) * 0.1, v(10) * 0.001, v(11) * 0.1,
                v(14) * 0.1, v(17) * 0.1};
    }
    auto f = [&](int k) {
        const auto at = static_cast<std::size_t>(800 + 2 * k);
        return static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(h[at] | h[at + 1] << 16)));
    };
    return {f(1), f(2), f(3), f(4), f(10), f(11), f(14), f(17)};
}

TEST(RelayMeasurements, LoadedFeederWithLaggingCurrentsAndSmallZeroSequence)
{
    for (int code : {705, 715}) {
        Relay r(*FindRelayModel(code), {}, kNow);
        const Reading a = Measure(r, kNow);
        const auto block = [&] {
            const int start = r.model().measurementStart;
            return std::vector<std::uint16_t>(r.holding().begin() + start,
                                              r.holding().begin() + start + r.model().measurementRegisters);
        };
        const auto first = block();
        Measure(r, kNow + 1000);
        for (double i : {a.ia, a.ib, a.ic})
            EXPECT_NEAR(i, 3.2, 0.2) << code;
        EXPECT_NEAR(a.ua, 57.7, 1.0) << code;
        const double lag = a.angleIa - a.angleUa;
        EXPECT_LT(lag, -10.0) << code;
        EXPECT_GT(lag, -45.0) << code;
        EXPECT_LT(a.i0, 0.3) << code;
        EXPECT_LT(a.u0, 2.0) << code;
        EXPECT_NE(block(), first) << code;  // live values move between reads
        r.setBreakerClosed(false);
        EXPECT_LT(Measure(r, kNow).ia, 0.05) << code;
    }
}

TEST(RelayJournals, EveryRecordIsValidAndTheNewestIsNotInTheFuture)
{
    for (int code : kModels) {
        Relay r(*FindRelayModel(code), {}, kNow);
        const auto& h = r.holding();
        int emergency = 0;
        for (int k = 0; k < kEmergencyRecords; ++k) {
            const auto at = static_cast<std::size_t>(kEmergencyJournalStart + k * kEmergencyRecordWords);
            if (h[at + kEmEvent] == 0)
                continue;
            ++emergency;
            const WallTime t{h[at + kEmYear], h[at + kEmMonth], h[at + kEmDay], h[at + kEmHour],
                             h[at + kEmMinute], h[at + kEmSecond], 0};
            EXPECT_TRUE(IsValidWallTime(t)) << code << " record " << k;
            EXPECT_LT(ToEpochMs(t), kNow);
            EXPECT_EQ(std::popcount(static_cast<unsigned>(h[at + kEmEvent] & 0x7FFF)), 1);
            EXPECT_LE(h[at + kEmFraction], r.model().m ? 999 : 99);
        }
        EXPECT_GE(emergency, 3) << code;
        int working = 0;
        for (int k = 0; k < kWorkingRecords; ++k) {
            const WorkingRecord w = ReadWorkingRecord(h, k);
            if (w.code <= 0)
                continue;
            ++working;
            EXPECT_TRUE(IsValidWallTime(w.time)) << code << " record " << k;
            EXPECT_LE(w.time.millisecond, 999);
            EXPECT_EQ(k < kWorkingGroup1Records, w.code >= 1 && w.code <= 3) << k;
        }
        EXPECT_GE(working, 5) << code;
    }
}

TEST(RelayJournals, AFullGroupLosesItsOldestRecord)
{
    HoldingMemory h{};
    for (int k = 0; k < kWorkingGroup1Records; ++k)
        AppendWorkingEvent(h, 1, {2026, 1, 1 + k, 8, 0, 0, 0});
    AppendWorkingEvent(h, 3, {2026, 2, 1, 8, 0, 0, 0});
    EXPECT_EQ(ReadWorkingRecord(h, 0).code, 3);  // took the place of 1 January
    EXPECT_EQ(ReadWorkingRecord(h, 1).time.day, 2);
    EXPECT_EQ(ReadWorkingRecord(h, kWorkingGroup1Records).code, 0);  // group 2 untouched
}

TEST(RelayOscillogram, LoadsAndMatchesTheNewestTripAndItsSettings)
{
    for (int code : {705, 306, 716}) {
        Relay r(*FindRelayModel(code), {}, kNow);
        std::vector<std::uint8_t> bytes;
        for (std::uint16_t w : r.oscillogram()) {
            bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(w >> 8));
        }
        ASSERT_EQ(bytes.size(), kOscImageBytes);
        PrepareOscillogramForWriting(bytes, code);
        OscillogramImage image;
        CollectingSink sink;
        ASSERT_EQ(image.parse(bytes, sink), LoadStatus::Loaded) << code << " " << sink.messages.size();
        EXPECT_TRUE(sink.messages.empty());
        EXPECT_EQ(image.channelCount(), 6);
        EXPECT_TRUE(image.digitalValid());
        EXPECT_EQ(image.preTrigger(), kConfiguredPreFaultHundredths);

        const int newest = NewestEmergencyRecord(r.holding());
        ASSERT_GE(newest, 0);
        const auto at = static_cast<std::size_t>(kEmergencyJournalStart + newest * kEmergencyRecordWords);
        const auto& h = r.holding();
        const OscEventStamp stamp = ReadEventStamp(bytes);
        // The oscillograph counts hundredths; an M journal keeps milliseconds.
        const int hundredths = r.model().m ? h[at + 6] / 10 : h[at + 6];
        EXPECT_EQ(stamp.time, (OscDateTime{h[at], h[at + 1], h[at + 2], h[at + 3], h[at + 4],
                                           h[at + 5], hundredths}));
        EXPECT_EQ(stamp.tripCause, h[at + kEmEvent]);

        // Load before the fault, a fault step on phase B, nothing after the breaker opened, as
        // the viewer shows instantaneous values (display value × 1.4142 / 10 or 100).
        const ChannelTrace* ib = image.trace(OscChannel::Ib);
        ASSERT_NE(ib, nullptr);
        const double divisor = image.rangeFactor() == 1 ? 10.0 : 100.0;
        auto peak = [&](int from, int to) {
            double m = 0;
            for (int s = from; s < to; ++s)
                m = std::max(m, std::fabs(ib->integers[static_cast<std::size_t>(s)] * 1.4142 / divisor));
            return m;
        };
        const int fault = kConfiguredPreFaultHundredths * 8;
        EXPECT_NEAR(peak(0, fault), 3.2 * std::sqrt(2.0), 0.3);
        EXPECT_NEAR(peak(fault + 16, fault + 300), 12.4 * std::sqrt(2.0), 0.5);
        EXPECT_LT(peak(image.samplesPerChannel() - 100, image.samplesPerChannel()), 0.05);
        // The trip output switches on exactly once, at the МТЗ-2 time after the fault.
        const auto records = image.digitalRecords();
        ASSERT_GE(records.size(), 3u);
        EXPECT_EQ(records[1].position, fault + 400);
        EXPECT_NE(records[1].outputs & (1u << 2), 0u);
        EXPECT_NE(records[2].inputs & (1u << 2), 0u);  // РПО: the breaker is open
    }
}

TEST(RelayOscillogram, ATripWritesANewRecordAndTheArchiveIsBusyMeanwhile)
{
    Relay r(*FindRelayModel(715), {}, kNow);
    const std::int64_t when = kNow + 60'000;
    r.Trip(when);
    EXPECT_FALSE(r.breakerClosed());
    EXPECT_TRUE(r.archiveBusy(when + 1000));
    EXPECT_FALSE(r.archiveBusy(when + 5000));
    const int newest = NewestEmergencyRecord(r.holding());
    ASSERT_GE(newest, 0);
    const auto at = static_cast<std::size_t>(kEmergencyJournalStart + newest * kEmergencyRecordWords);
    const WallTime t = r.clock(when);
    EXPECT_EQ(r.holding()[at + kEmMinute], t.minute);
    EXPECT_EQ(r.holding()[at + kEmFraction], t.millisecond / 10);
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t w : r.oscillogram()) {
        bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    const OscEventStamp stamp = ReadEventStamp(bytes);
    EXPECT_EQ(stamp.time.minute, t.minute);
    EXPECT_EQ(stamp.tripCause, kTripMtz2);
}

TEST(RelayClockMath, CalendarConversionsRoundTripAcrossLeapYears)
{
    const WallTime cases[] = {{2024, 2, 29, 23, 59, 59, 999}, {2000, 1, 1, 0, 0, 0, 0},
                              {2100, 3, 1, 12, 0, 0, 5},      {2026, 12, 31, 23, 59, 59, 0}};
    for (const WallTime& t : cases)
        EXPECT_EQ(ToWallTime(ToEpochMs(t)), t);
    EXPECT_EQ(ToWallTime(ToEpochMs({2024, 2, 29, 23, 59, 59, 999}) + 1), (WallTime{2024, 3, 1, 0, 0, 0, 0}));
    EXPECT_EQ(MonthLength(2, 2024), 29);
    EXPECT_EQ(MonthLength(2, 2023), 28);
    EXPECT_FALSE(IsValidWallTime({2026, 4, 31, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace tirv::sim
