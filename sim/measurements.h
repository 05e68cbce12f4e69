#pragma once
// Live measurements of a loaded feeder: phase voltages near nominal, currents lagging them,
// small zero-sequence quantities; a little noise on every reading.
#include <cstdint>
#include <random>
#include <vector>

#include "sim/relay_models.h"

namespace tirv::sim {

// The feeder the relay protects, shared by its live measurements and its fault recording.
inline constexpr double kPhaseVoltage = 57.7;  // V, 100 V line
inline constexpr double kLoadCurrent = 3.2;    // A
inline constexpr double kLoadAngle = -25.0;    // degrees: currents lag the voltages

struct FeederState {
    bool breakerClosed = true;
    int breakerOperations = 47;
};

// Measurement registers of the model: 25 signed integers (scaled) or 44 floats (low half first).
std::vector<std::uint16_t> MeasurementRegisters(const RelayModel& model, const FeederState& feeder,
                                                std::mt19937& rng);

}  // namespace tirv::sim
