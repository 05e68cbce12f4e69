#include "sim/measurements.h"

#include <bit>
#include <cmath>
#include <complex>
#include <numbers>

namespace tirv::sim {
namespace {

using Phasor = std::complex<double>;

constexpr int kIntegerValues = 25;
constexpr int kFloatValues = 44;

Phasor Polar(double magnitude, double degrees)
{
    return std::polar(magnitude, degrees * std::numbers::pi / 180.0);
}

double Degrees(Phasor p)
{
    return std::abs(p) < 1e-9 ? 0.0 : std::arg(p) * 180.0 / std::numbers::pi;
}

// Values 0-24 of both layouts in engineering units (angles in degrees).
std::vector<double> PrimaryValues(const FeederState& feeder, std::mt19937& rng)
{
    std::normal_distribution<double> noise(0.0, 1.0);
    auto jitter = [&](double relative) { return 1.0 + relative * noise(rng); };
    const Phasor ua = Polar(kPhaseVoltage * jitter(0.003), 0.0);
    const Phasor ub = Polar(kPhaseVoltage * jitter(0.003), -120.0 + 0.2 * noise(rng));
    const Phasor uc = Polar(kPhaseVoltage * jitter(0.003), 120.0 + 0.2 * noise(rng));
    const double load = feeder.breakerClosed ? kLoadCurrent * jitter(0.01) : 0.0;
    const double lag = kLoadAngle + 0.5 * noise(rng);
    // A slightly unbalanced load gives a small 3Io, as on a real feeder.
    const Phasor ia = Polar(load * 1.01, lag);
    const Phasor ib = Polar(load * 0.99, lag - 120.0);
    const Phasor ic = Polar(load * 1.00, lag + 120.0 + 0.4);
    const Phasor a = Polar(1.0, 120.0);
    const Phasor i0 = ia + ib + ic;
    const Phasor u0 = ua + ub + uc;
    const Phasor i1 = (ia + a * ib + a * a * ic) / 3.0;
    const Phasor i2 = (ia + a * a * ib + a * ic) / 3.0;
    const Phasor uab = ua - ub, ubc = ub - uc, uca = uc - ua;
    std::vector<double> v = {31.0 + 0.3 * noise(rng),
                             std::abs(ia), std::abs(ib), std::abs(ic),
                             std::abs(ua), std::abs(ub), std::abs(uc),
                             std::abs(uab), std::abs(ubc), std::abs(uca),
                             std::abs(i0), std::abs(u0), std::abs(i1), std::abs(i2)};
    for (Phasor p : {ia, ib, ic, ua, ub, uc, uab, ubc, uca, i0, u0})
        v.push_back(Degrees(p));
    return v;
}

// Scale of the integer layout (raw × coefficient = value).
constexpr double kIntegerCoefficient[kIntegerValues] = {
    1.0, 0.01, 0.01, 0.01, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.001, 0.1, 0.01, 0.01,
    0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1};

}  // namespace

std::vector<std::uint16_t> MeasurementRegisters(const RelayModel& model, const FeederState& feeder,
                                                std::mt19937& rng)
{
    std::vector<double> v = PrimaryValues(feeder, rng);
    std::vector<std::uint16_t> regs;
    if (!model.m) {
        for (int i = 0; i < kIntegerValues; ++i) {
            const long raw = std::lround(v[static_cast<std::size_t>(i)] / kIntegerCoefficient[i]);
            regs.push_back(static_cast<std::uint16_t>(static_cast<std::int16_t>(raw)));
        }
        return regs;
    }
    std::uniform_real_distribution<double> small(0.0, 1.0);
    const double i0 = v[10];
    // Harmonics of 3Io: a few milliamperes, falling with the order.
    const double harmonics[6] = {0.004, 0.003, 0.002, 0.0015, 0.001, 0.0008};
    double sum = 0.0;
    for (double h : harmonics) {
        const double x = feeder.breakerClosed ? h * (0.9 + 0.2 * small(rng)) : 0.0;
        v.push_back(x);
        sum += x * x;
    }
    v.push_back(std::sqrt(sum));
    for (int p = 0; p < 3; ++p)  // RMS currents: fundamental plus a trace of harmonics
        v.push_back(v[static_cast<std::size_t>(1 + p)] * 1.002);
    for (int p = 0; p < 3; ++p)  // averaged over the interval
        v.push_back(feeder.breakerClosed ? kLoadCurrent * (1.0 + 0.01 * (p - 1)) : 0.0);
    const double breaking[3] = {1523.4, 1498.2, 1510.7};
    for (double b : breaking)
        v.push_back(b);
    v.push_back(feeder.breakerOperations);
    v.push_back(3.02);
    v.push_back(50.0 + 0.02 * (small(rng) - 0.5));
    (void)i0;
    for (int i = 0; i < kFloatValues; ++i) {
        const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(v[static_cast<std::size_t>(i)]));
        regs.push_back(static_cast<std::uint16_t>(bits & 0xFFFF));
        regs.push_back(static_cast<std::uint16_t>(bits >> 16));
    }
    return regs;
}

}  // namespace tirv::sim
