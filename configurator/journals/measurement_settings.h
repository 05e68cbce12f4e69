#pragma once
// The measurement page's part of the program settings file, words 0–27: the 13 phasor colours,
// the 13 selection flags, cyclic polling on/off and the polling period.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "configurator/journals/vector_diagram_geometry.h"

namespace tirv {

inline constexpr std::size_t kMeasurementSettingsWords = 28;
using MeasurementSettingsWords = std::array<std::uint32_t, kMeasurementSettingsWords>;

struct MeasurementSettings {
    std::array<Rgb, kPhasorCount> colours = kDefaultPhasorColours;
    // The selection words as stored (non-zero = selected); the page writes 0 or 1 for the
    // phasors it shows and never touches those of I2 and I1, which are kept as loaded.
    std::array<std::uint32_t, kPhasorCount> selection{};
    bool polling = false;
    int periodMs = 0;

    bool selected(std::size_t k) const { return k < kPhasorCount && selection[k] != 0; }
};

// Why the settings file supplied nothing: the default period differs.
enum class SettingsAbsence { Missing, Unusable };

// Defaults at baud index `baudIndex`: default colours, nothing selected, polling off, the period
// of the speed's table + 100 ms (a missing file and an unreadable one have different tables).
MeasurementSettings DefaultMeasurementSettings(int baudIndex, SettingsAbsence why);

// Colours are stored as 0x00BBGGRR; the period as a signed word, read back within 0–9999 (the
// page raises it to the minimum of the line speed).
MeasurementSettingsWords PackMeasurementSettings(const MeasurementSettings& settings);
MeasurementSettings UnpackMeasurementSettings(
    std::span<const std::uint32_t, kMeasurementSettingsWords> words);

}  // namespace tirv
