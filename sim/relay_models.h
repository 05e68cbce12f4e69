#pragma once
// The relay family as data: what differs between models, row by row.
#include <cstdint>
#include <optional>

#include "configurator/link/registers.h"

namespace tirv::sim {

enum class SetpointSet : std::uint8_t { Set705, Set306, SetM };

struct RelayModel {
    int code;                 // register 131
    bool m;                   // M modification: 0xAABB signature, float measurements, 8 LEDs
    SetpointSet setpoints;
    int setpointWords;        // size of the setpoint block from register 0
    int ledCount;
    int ledFirstRegister;
    int measurementStart;     // 300 (25 integer registers) or 800 (44 floats = 88 registers)
    int measurementRegisters;
    int commSettingsStart;    // 115 (3 registers) or 365 (19 registers)
    int commSettingsCount;
    int maxBaudIndex;         // 6 for non-M, 9 for M
    std::uint16_t firmwareVersion;  // × 100
    std::uint16_t firmwareBuild;
};

constexpr RelayModel NonMModel(int code, SetpointSet set, std::uint16_t version, std::uint16_t build)
{
    return {code, false, set, regs::kSetpoints.count, regs::kLeds.count / 3, regs::kLeds.start,
            regs::kMeasurements.start, regs::kMeasurements.count, regs::kCommSettings.start,
            regs::kCommSettings.count, kBaudCountNonM - 1, version, build};
}

constexpr RelayModel MModel(int code, std::uint16_t version, std::uint16_t build)
{
    return {code, true, SetpointSet::SetM, regs::kSetpointsM.count, regs::kLedsM.count / 3,
            regs::kLedsM.start, regs::kMeasurementsM.start, regs::kMeasurementsM.count,
            regs::kCommSettingsM.start, regs::kCommSettingsM.count, kBaudCountM - 1, version, build};
}

// Firmware versions differ on purpose: 1.21 (register 132 = 121) is the last one whose speed
// change takes the whole settings block; the 715M and 717M take the one-register form.
inline constexpr RelayModel kRelayModels[] = {
    NonMModel(306, SetpointSet::Set306, 118, 41), NonMModel(705, SetpointSet::Set705, 121, 57),
    NonMModel(706, SetpointSet::Set705, 121, 57), NonMModel(707, SetpointSet::Set705, 121, 57),
    MModel(715, 123, 212), MModel(716, 121, 198), MModel(717, 123, 212),
};

// nullptr for a code the family does not have.
const RelayModel* FindRelayModel(int code);

// Index of a line speed in the shared baud table, nullopt for a speed the family does not use.
std::optional<int> BaudIndexOf(int baud);

}  // namespace tirv::sim
