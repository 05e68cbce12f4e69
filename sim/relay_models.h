#pragma once
// The relay family as data: what differs between models, row by row.
#include <array>
#include <cstdint>
#include <optional>

#include "common/relay_family.h"
#include "configurator/link/registers.h"

namespace tirv::sim {

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

// Firmware version (× 100) and build of each model of the family, in the family's order.
// They differ on purpose: 1.21 (register 132 = 121) is the last one whose speed change takes the
// whole settings block; the 715M and 717M take the one-register form.
struct SimFirmware {
    std::uint16_t version;
    std::uint16_t build;
};
inline constexpr std::array<SimFirmware, kRelayFamily.size()> kSimFirmware{
    {{118, 41}, {121, 57}, {121, 57}, {121, 57}, {123, 212}, {121, 198}, {123, 212}}};

constexpr std::array<RelayModel, kRelayFamily.size()> SimulatedModels()
{
    std::array<RelayModel, kRelayFamily.size()> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const RelayFamilyModel& f = kRelayFamily[i];
        const SimFirmware fw = kSimFirmware[i];
        out[i] = f.m ? MModel(f.code, fw.version, fw.build)
                     : NonMModel(f.code, f.setpoints, fw.version, fw.build);
    }
    return out;
}
inline constexpr std::array<RelayModel, kRelayFamily.size()> kRelayModels = SimulatedModels();

// nullptr for a code the family does not have.
const RelayModel* FindRelayModel(int code);

// Index of a line speed in the shared baud table, nullopt for a speed the family does not use.
std::optional<int> BaudIndexOf(int baud);

}  // namespace tirv::sim
