#pragma once
// The phasors of a reading for the vector diagram: phasor k takes its magnitude from value k + 1
// and its angle from value k + 14, with the page's selections and colours.
#include <array>

#include "configurator/journals/measurement_settings.h"
#include "configurator/journals/measurement_values.h"
#include "configurator/journals/vector_diagram_geometry.h"

namespace tirv {

inline constexpr std::size_t kFirstMagnitudeValue = 1;

// Angles in tenths of a degree in both layouts: the integer layout's raw value, the float
// layout's degrees × 10.
std::array<PhasorInput, kPhasorCount> MeasurementPhasors(const MeasurementTable& table,
                                                         const MeasurementSettings& settings);

}  // namespace tirv
