// The stored fault record as the viewer shows it: the display values of the shared loader read
// with the viewer's marker rules (instantaneous and one-period RMS, divided by 10 or 100 by the
// range factor) give the feeder the same relay measures, and a fault above its МТЗ-2 setting.
#include <gtest/gtest.h>
#include <bit>
#include <cmath>
#include <numbers>

#include "common/oscillogram_image.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_conversion.h"
#include "sim/control_commands.h"
#include "sim/setpoint_registers.h"
#include "tests/sim/relay_master.h"

namespace tirv::sim {
namespace {

const std::int64_t kNow = ToEpochMs({2026, 3, 14, 10, 20, 30, 400});

// The viewer's divisor of a channel's display values.
double Divisor(const OscillogramImage& image, OscChannel c)
{
    if (c == OscChannel::I0)
        return 1000.0;
    if (IsCurrentChannel(c))
        return image.rangeFactor() == 1 ? 10.0 : 100.0;
    return 10.0;
}

// The viewer's RMS marker at sample s: the fundamental over the period before it.
double RmsAt(const OscillogramImage& image, OscChannel c, int s)
{
    const ChannelTrace* t = image.trace(c);
    if (t == nullptr)
        return -1.0;
    double cs = 0, sn = 0;
    for (int k = 1; k <= 16; ++k) {
        const double v = t->integers[static_cast<std::size_t>(s - 17 + k)];
        cs += v * std::cos(k * std::numbers::pi / 8);
        sn += v * std::sin(k * std::numbers::pi / 8);
    }
    return std::sqrt(cs * cs + sn * sn) / 8 / Divisor(image, c);
}

// What the configurator reads and the viewer loads.
OscillogramImage Record(RelayMaster& master, int model)
{
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t at = 0; at < kOscillogramRegisters; at += 125) {
        const auto n = static_cast<std::uint16_t>(std::min(125, kOscillogramRegisters - at));
        for (std::uint16_t w : master.read(1, at, n, kNow, Function::ReadArchive)) {
            bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(w >> 8));
        }
    }
    OscillogramImage image;
    if (bytes.size() != kOscImageBytes)
        return image;
    PrepareOscillogramForWriting(bytes, model);
    CollectingSink sink;
    image.parse(bytes, sink);
    return image;
}

// Phase A current and voltage as the measurements page reads them.
struct Measured {
    double ia, ua;
};
Measured Measure(RelayMaster& master, const RelayModel& m)
{
    if (!m.m) {
        const auto r = master.read(1, 300, 5, kNow);
        return {static_cast<std::int16_t>(r.at(1)) * 0.01,
                static_cast<std::int16_t>(r.at(4)) * 0.1};
    }
    const auto r = master.read(1, 800, 10, kNow);
    auto f = [&](int k) {
        return static_cast<double>(
            std::bit_cast<float>(static_cast<std::uint32_t>(r.at(2 * k) | r.at(2 * k + 1) << 16)));
    };
    return {f(1), f(4)};
}

double Mtz2Setting(const Relay& r)
{
    const ModelProfile p = ProfileForModel(r.model().code);
    SetpointImage image{};
    RegistersToImage(p, std::span(r.holding()).first(static_cast<std::size_t>(p.imageWords)),
                     image);
    const int i = p.find("МТЗ-2 гр.А I");
    return image[static_cast<std::size_t>(i)] /
           ResolutionFactor(p.numeric[static_cast<std::size_t>(i)].kind);
}

TEST(RelayFaultRecord, TheViewerShowsTheFeederTheRelayMeasures)
{
    for (int code : {306, 705, 707, 715, 716}) {
        RelayLine line;
        Relay& r =
            line.AddRelay(std::make_unique<Relay>(*FindRelayModel(code), LineSettings{}, kNow));
        RelayMaster master(line);
        const Measured measured = Measure(master, r.model());
        const OscillogramImage image = Record(master, code);
        ASSERT_TRUE(image.loaded()) << code;
        const int fault = kConfiguredPreFaultHundredths * 8;  // 800 samples a second
        const int before = fault - 8, during = fault + 200;
        // Before the fault: the load the measurements page shows.
        EXPECT_NEAR(RmsAt(image, OscChannel::Ua, before), measured.ua, 0.02 * measured.ua) << code;
        EXPECT_NEAR(RmsAt(image, OscChannel::Ia, before), measured.ia, 0.05 * measured.ia) << code;
        EXPECT_NEAR(RmsAt(image, OscChannel::Ua, before), 57.7, 1.0) << code;
        EXPECT_NEAR(RmsAt(image, OscChannel::Ib, before), 3.2, 0.2) << code;
        // During the B-C fault: phase B above the МТЗ-2 setting, the voltages of B and C dipping.
        const double mtz2 = Mtz2Setting(r);
        EXPECT_GT(RmsAt(image, OscChannel::Ib, during), mtz2) << code;
        EXPECT_NEAR(RmsAt(image, OscChannel::Ib, during), 12.4, 0.3) << code;
        EXPECT_LT(RmsAt(image, OscChannel::Ub, during), 0.7 * RmsAt(image, OscChannel::Ub, before));
        EXPECT_LT(RmsAt(image, OscChannel::Uc, during), 0.7 * RmsAt(image, OscChannel::Uc, before));
        EXPECT_NEAR(RmsAt(image, OscChannel::Ua, during), RmsAt(image, OscChannel::Ua, before),
                    1.0);
        // Instantaneous markers peak at the RMS × √2.
        const ChannelTrace* ua = image.trace(OscChannel::Ua);
        ASSERT_NE(ua, nullptr);
        int peak = 0;
        for (int s = 0; s < fault; ++s)
            peak = std::max(peak, std::abs(ua->integers[static_cast<std::size_t>(s)]));
        EXPECT_NEAR(peak * 1.4142 / 10.0, 57.7 * std::sqrt(2.0), 1.5) << code;
    }
}

TEST(RelayFaultRecord, TheOscillographFlagsDecideWhichChannelsAreRecorded)
{
    struct Case {
        const char* flags;
        LoadStatus status;
        int channels;
    } cases[] = {{"osc-flags 1 1 1 1 1 1", LoadStatus::Loaded, 6},
                 {"osc-flags 0 1 0 1 0 0", LoadStatus::Loaded, 2},
                 {"osc-flags 0 0 0 0 0 1", LoadStatus::Loaded, 1},
                 {"osc-flags 0 0 0 0 0 0", LoadStatus::NoChannels, 0}};
    for (const Case& c : cases) {
        RelayLine line;
        line.AddRelay(std::make_unique<Relay>(*FindRelayModel(715), LineSettings{}, kNow));
        RelayMaster master(line);
        ASSERT_EQ(RunControlCommand(c.flags, line, kNow).error, "");
        std::vector<std::uint8_t> bytes;
        for (std::uint16_t at = 0; at < kOscillogramRegisters; at += 125) {
            const auto n = static_cast<std::uint16_t>(std::min(125, kOscillogramRegisters - at));
            for (std::uint16_t w : master.read(1, at, n, kNow, Function::ReadArchive)) {
                bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
                bytes.push_back(static_cast<std::uint8_t>(w >> 8));
            }
        }
        ASSERT_EQ(bytes.size(), kOscImageBytes);
        OscillogramImage image;
        CollectingSink sink;
        EXPECT_EQ(image.parse(bytes, sink), c.status) << c.flags;
        EXPECT_EQ(image.channelCount(), c.channels) << c.flags;
        if (c.channels > 0) {
            EXPECT_TRUE(image.digitalValid()) << c.flags;
            EXPECT_TRUE(sink.messages.empty()) << c.flags;
        }
        if (c.channels == 2) {  // Ib and Ua, each over the whole area and still the feeder's
            EXPECT_EQ(image.samplesPerChannel(), 4800);
            EXPECT_NEAR(RmsAt(image, OscChannel::Ua, 200), 57.7, 1.0);
            EXPECT_NEAR(RmsAt(image, OscChannel::Ib, 440), 12.4, 0.3);
        }
    }
}

}  // namespace
}  // namespace tirv::sim
