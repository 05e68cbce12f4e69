#include "configurator/journals/measurement_settings.h"

#include <algorithm>

#include "configurator/journals/measurement_polling.h"
#include "configurator/link/registers.h"

namespace tirv {
namespace {

constexpr std::size_t kColourWord = 0;
constexpr std::size_t kSelectionWord = 13;
constexpr std::size_t kPollingWord = 26;
constexpr std::size_t kPeriodWord = 27;

// Added to the speed's table value for the default period.
constexpr int kDefaultPeriodExtraMs = 100;
// Without a settings file at all the default period starts from these, by baud index.
constexpr std::array<int, 10> kNoFilePeriodMs{650, 340, 180, 100, 60, 40, 35, 25, 20, 15};

constexpr std::uint32_t PackColour(Rgb c)
{
    return std::uint32_t{c.r} | std::uint32_t{c.g} << 8 | std::uint32_t{c.b} << 16;
}

constexpr Rgb UnpackColour(std::uint32_t w)
{
    return {static_cast<std::uint8_t>(w & 0xFF), static_cast<std::uint8_t>(w >> 8 & 0xFF),
            static_cast<std::uint8_t>(w >> 16 & 0xFF)};
}

}  // namespace

MeasurementSettings DefaultMeasurementSettings(int baudIndex, SettingsAbsence why)
{
    MeasurementSettings s;
    const std::size_t i = IsValidBaudIndex(baudIndex) ? static_cast<std::size_t>(baudIndex) : 0;
    const int base =
        why == SettingsAbsence::Missing ? kNoFilePeriodMs[i] : kMinMeasurementPeriodMs[i];
    s.periodMs = base + kDefaultPeriodExtraMs;
    return s;
}

MeasurementSettingsWords PackMeasurementSettings(const MeasurementSettings& settings)
{
    MeasurementSettingsWords words{};
    for (std::size_t k = 0; k < kPhasorCount; ++k) {
        words[kColourWord + k] = PackColour(settings.colours[k]);
        words[kSelectionWord + k] = settings.selection[k];
    }
    words[kPollingWord] = settings.polling ? 1 : 0;
    words[kPeriodWord] = static_cast<std::uint32_t>(settings.periodMs);
    return words;
}

MeasurementSettings UnpackMeasurementSettings(
    std::span<const std::uint32_t, kMeasurementSettingsWords> words)
{
    MeasurementSettings s;
    for (std::size_t k = 0; k < kPhasorCount; ++k) {
        s.colours[k] = UnpackColour(words[kColourWord + k]);
        s.selection[k] = words[kSelectionWord + k];
    }
    s.polling = words[kPollingWord] != 0;
    s.periodMs =
        std::clamp(static_cast<std::int32_t>(words[kPeriodWord]), 0, kMaxMeasurementPeriodMs);
    return s;
}

}  // namespace tirv
