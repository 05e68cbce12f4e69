#include "configurator/journals/journal_emergency_values.h"

#include "configurator/journals/journal_format.h"
#include "configurator/journals/journal_texts.h"

namespace tirv {
namespace {

namespace tx = journal_texts;
using JS = JournalScale;

struct MagnitudeScale {
    JournalScale m;
    JournalScale other;
};
// Ia, Ib, Ic, Ua, Ub, Uc, Uab, Ubc, Uca, 3Io, 3Uo, I1, I2.
constexpr std::array<MagnitudeScale, kEmergencyMagnitudes> kMagnitudeScales{{
    {JS::Hundredth, JS::Tenth},
    {JS::Hundredth, JS::Tenth},
    {JS::Hundredth, JS::Tenth},
    {JS::Tenth, JS::Tenth},
    {JS::Tenth, JS::Tenth},
    {JS::Tenth, JS::Tenth},
    {JS::Tenth, JS::Tenth},
    {JS::Tenth, JS::Tenth},
    {JS::Tenth, JS::Tenth},
    {JS::Thousandth, JS::Thousandth},
    {JS::Tenth, JS::Tenth},
    {JS::Tenth, JS::Tenth},
    {JS::Tenth, JS::Tenth},
}};
constexpr JournalScale kAngleScale = JS::Tenth;
constexpr std::uint32_t kHundredthsPerSecond = 100;

std::string Formatted(double value, JournalScale s)
{
    return FormatJournalText("%.*f", JournalScaleDecimals(s), value);
}

}  // namespace

double JournalScaleFactor(JournalScale s)
{
    constexpr std::array<double, 3> kFactors{0.1, 0.01, 0.001};
    return kFactors[static_cast<std::size_t>(s)];
}

int JournalScaleDecimals(JournalScale s)
{
    constexpr std::array<int, 3> kDecimals{1, 2, 3};
    return kDecimals[static_cast<std::size_t>(s)];
}

JournalScale EmergencyMagnitudeScale(int magnitude, bool mClass)
{
    const auto& s = kMagnitudeScales.at(static_cast<std::size_t>(magnitude));
    return mClass ? s.m : s.other;
}

OpeningTime OpeningTimeOf(std::uint32_t word)
{
    const std::uint32_t value = word & 0xFFFF;
    if (value & kOpeningMinutesBit)
        return {true, FormatJournalText(tx::kEjOpeningMinutes,
                                        static_cast<int>(value & ~kOpeningMinutesBit))};
    if (value < kHundredthsPerSecond)
        return {};
    return {true, FormatJournalText(tx::kEjOpeningSeconds, value / 100.0)};
}

EmergencyValues EmergencyValuesOf(const EmergencyRecord& r, bool mClass)
{
    EmergencyValues v;
    for (int k = 0; k < kEmergencyMagnitudes; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const JournalScale s = EmergencyMagnitudeScale(k, mClass);
        const auto raw =
            static_cast<std::uint16_t>(r.words[static_cast<std::size_t>(kEwMagnitudes + k)]);
        v.magnitudes[i] = raw * JournalScaleFactor(s);
        v.magnitudeTexts[i] = Formatted(v.magnitudes[i], s);
    }
    for (int k = 0; k < kEmergencyAngles; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const auto raw =
            static_cast<std::int16_t>(r.words[static_cast<std::size_t>(kEwAngles + k)]);
        v.angles[i] = raw * JournalScaleFactor(kAngleScale);
        v.angleTexts[i] = Formatted(v.angles[i], kAngleScale);
    }
    v.opening = OpeningTimeOf(r.words[kEwOpeningTime]);
    return v;
}

}  // namespace tirv
