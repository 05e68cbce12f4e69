// The oscillograph memory of the simulated relay: the recording of the newest trip in the
// emergency journal, laid out as the relay keeps it (ring buffers, digital records in ring order).
#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "common/oscillogram_image.h"
#include "sim/journal_content.h"
#include "sim/measurements.h"
#include "sim/setpoint_registers.h"

namespace tirv::sim {
namespace {

constexpr int kHeaderWords = kOscHeaderWords;
constexpr int kDigitalStartWord = static_cast<int>(kOscDigitalOffset / 2);
constexpr int kChannels = kOscillographFlags;  // Ia, Ib, Ic, Ua, Ub, Uc
constexpr int kSampleRate = kOscSampleRateHz;
constexpr int kPreTriggerHundredths = kConfiguredPreFaultHundredths;
constexpr int kFaultSample = kPreTriggerHundredths * kSampleRate / 100;
constexpr int kStopIndex = 437;  // where the ring happened to stop: the oldest sample
constexpr int kMtz2DelaySamples = 400;  // МТЗ-2 T = 0.5 s

// The viewer shows a sample's display value v (coefficient × raw, rounded) as v × 1.4142 / D
// amperes or volts, D = 10 for voltages and for currents of the high current range, 100 for
// currents of the low range. The relay records v = instantaneous value × D / 1.4142, so the
// viewer's instantaneous and RMS readings are the feeder's own.
constexpr double kDisplayRootTwo = 1.4142;
constexpr double kVoltageDivisor = 10.0;
constexpr double kCurrentDivisor[2] = {10.0, 100.0};  // by range factor 1, 2
// Raw samples per display unit: voltages up to about 320 V, currents up to about 32 A (RMS)
// stay within the 16-bit samples.
constexpr float kVoltageCoefficient = 0.1f;

double DisplayDivisor(const RelayModel& model, bool current)
{
    return current ? kCurrentDivisor[RangeFactor(model.code) == 1 ? 0 : 1] : kVoltageDivisor;
}

float Coefficient(const RelayModel& model, bool current)
{
    return current ? static_cast<float>(DisplayDivisor(model, true) / 1000.0) : kVoltageCoefficient;
}

// Header words of the current layout.
enum : int {
    kStop = 0, kDate = 1, kCause = 8, kFlags = 9, kPreTrigger = 17, kScales = 18,
    kRecordCount = 40, kLayout = 49,
};

// Input and output bits of the digital records (0-based channel numbers).
constexpr std::uint16_t kInputOpen = 1u << 2;    // input 3 "РПО"
constexpr std::uint16_t kInputClosed = 1u << 3;  // input 4 "РПВ"
constexpr std::uint16_t kOutReady = 1u << 0;     // output 1 "Готов"
constexpr std::uint16_t kOutTrip = 1u << 2;      // output 3 "Отключение"
constexpr std::uint16_t kOutEmergency = (1u << 4) | (1u << 5);  // outputs 5, 6 "Авар.откл."
constexpr std::uint16_t kOutMtz2 = 1u << 8;      // output 9 "Сраб.МТЗ-2"

struct PhaseState {
    double magnitude;
    double degrees;
};

double Instant(const PhaseState& p, int sample)
{
    const double t = static_cast<double>(sample) / kSampleRate;
    return std::sqrt(2.0) * p.magnitude *
           std::sin(2.0 * std::numbers::pi * 50.0 * t + p.degrees * std::numbers::pi / 180.0);
}

void PutFloat(std::vector<std::uint16_t>& w, int at, float v)
{
    const auto bits = std::bit_cast<std::uint32_t>(v);
    w[static_cast<std::size_t>(at)] = static_cast<std::uint16_t>(bits & 0xFFFF);
    w[static_cast<std::size_t>(at + 1)] = static_cast<std::uint16_t>(bits >> 16);
}

}  // namespace

std::vector<std::uint16_t> BuildOscillogram(const RelayModel& model, const HoldingMemory& h,
                                            const OscillographFlags& flags)
{
    std::vector<std::uint16_t> w(static_cast<std::size_t>(kOscillogramRegisters), 0);
    const int newest = NewestEmergencyRecord(h);
    if (newest < 0)
        return w;
    const auto rec = static_cast<std::size_t>(kEmergencyJournalStart + newest * kEmergencyRecordWords);
    const double phaseCoef = EmergencyCurrentCoefficient(model);

    for (int k = 0; k < 7; ++k)  // day … fraction, the same words as the journal record
        w[static_cast<std::size_t>(kDate + k)] = h[rec + static_cast<std::size_t>(k)];
    // The oscillograph counts hundredths; an M relay's journal keeps milliseconds.
    if (model.m)
        w[static_cast<std::size_t>(kDate + 6)] = static_cast<std::uint16_t>(h[rec + 6] / 10);
    w[kCause] = static_cast<std::uint16_t>(h[rec + kEmEvent] & 0x7FFF);
    int recorded = 0;
    for (int c = 0; c < kChannels; ++c) {
        w[static_cast<std::size_t>(kFlags + c)] = flags[static_cast<std::size_t>(c)];
        recorded += flags[static_cast<std::size_t>(c)] == 1 ? 1 : 0;
    }
    w[kPreTrigger] = kPreTriggerHundredths;
    for (int c = 0; c < kOscCoefficients; ++c)
        PutFloat(w, kScales + 2 * c, Coefficient(model, IsCurrentChannel(static_cast<OscChannel>(c))));
    const int samples = kOscSampleWords / std::max(recorded, 1);
    const int stop = kStopIndex % samples;
    w[kStop] = static_cast<std::uint16_t>(stop);
    w[kLayout] = kOscCurrentLayoutMark;

    // Fault phasors from the journal record; the breaker opens its recorded time after the trip.
    PhaseState fault[kChannels];
    for (int c = 0; c < kChannels; ++c) {
        const double coef = c < 3 ? phaseCoef : 0.1;
        fault[c] = {h[rec + kEmMagnitudes + static_cast<std::size_t>(c)] * coef,
                    h[rec + kEmAngles + static_cast<std::size_t>(c)] / 10.0};
    }
    const int tripSample = kFaultSample + kMtz2DelaySamples;
    const int openSample = tripSample + (h[rec + kEmBreakerTime] & 0x7FFF) * kSampleRate / 100;
    const int resetSample = openSample + 32;
    int block = 0;
    for (int c = 0; c < kChannels; ++c) {
        if (flags[static_cast<std::size_t>(c)] != 1)
            continue;
        const bool current = c < 3;
        const PhaseState normal = current ? PhaseState{kLoadCurrent, kLoadAngle - 120.0 * c}
                                          : PhaseState{kPhaseVoltage, -120.0 * c};
        const double perUnit = DisplayDivisor(model, current) / kDisplayRootTwo /
                               static_cast<double>(Coefficient(model, current));
        for (int s = 0; s < samples; ++s) {
            double v = 0.0;
            if (s < kFaultSample)
                v = Instant(normal, s);
            else if (s < openSample)
                v = Instant(fault[c], s);
            else
                v = current ? 0.0 : Instant(normal, s);
            const int ring = (stop + s) % samples;
            const long raw = std::clamp<long>(std::lround(v * perUnit), -32768, 32767);
            w[static_cast<std::size_t>(kHeaderWords + block * samples + ring)] =
                static_cast<std::uint16_t>(static_cast<std::int16_t>(raw));
        }
        ++block;
    }

    struct Change {
        int sample;
        std::uint16_t inputs, outputs;
    };
    const Change changes[] = {
        {0, kInputClosed, kOutReady},
        {tripSample, kInputClosed, kOutReady | kOutTrip | kOutEmergency | kOutMtz2},
        {openSample, kInputOpen, kOutReady | kOutTrip | kOutEmergency | kOutMtz2},
        {resetSample, kInputOpen, kOutReady | kOutEmergency},
    };
    int slot = 0;
    for (const Change& c : changes) {
        const auto at = static_cast<std::size_t>(kDigitalStartWord + 3 * slot++);
        w[at] = static_cast<std::uint16_t>((stop + c.sample) % samples);
        w[at + 1] = c.inputs;
        w[at + 2] = c.outputs;
    }
    w[kRecordCount] = static_cast<std::uint16_t>(slot);
    return w;
}

}  // namespace tirv::sim
