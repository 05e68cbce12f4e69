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

inline constexpr RelayModel kRelayModels[] = {
    {306, false, SetpointSet::Set306, 115, 5, 155, 300, 25, 115, 3, 6, 118, 41},
    {705, false, SetpointSet::Set705, 115, 5, 155, 300, 25, 115, 3, 6, 121, 57},
    {706, false, SetpointSet::Set705, 115, 5, 155, 300, 25, 115, 3, 6, 121, 57},
    {707, false, SetpointSet::Set705, 115, 5, 155, 300, 25, 115, 3, 6, 121, 57},
    {715, true, SetpointSet::SetM, 127, 8, 146, 800, 88, 365, 19, 9, 123, 212},
    {716, true, SetpointSet::SetM, 127, 8, 146, 800, 88, 365, 19, 9, 123, 212},
    {717, true, SetpointSet::SetM, 127, 8, 146, 800, 88, 365, 19, 9, 123, 212},
};

// nullptr for a code the family does not have.
const RelayModel* FindRelayModel(int code);

// Index of a line speed in the shared baud table, nullopt for a speed the family does not use.
std::optional<int> BaudIndexOf(int baud);

}  // namespace tirv::sim
