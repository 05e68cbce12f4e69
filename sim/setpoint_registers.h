#pragma once
// The setpoint block the simulated relay keeps from register 0, in the relay's own register
// order and coding (0x8000 bias on flags, choices and angles).
#include <cstdint>
#include <vector>

#include "sim/relay_models.h"

namespace tirv::sim {

// A set a commissioning engineer could have left in the relay: МТЗ-1..3, ОЗЗ, АПВ and УРОВ in
// service, values consistent with the stored fault recording (МТЗ-2 trips it).
std::vector<std::uint16_t> InitialSetpointRegisters(const RelayModel& model);

// The relay's own minimal set, stored on function 0x20.
std::vector<std::uint16_t> MinimalSetpointRegisters(const RelayModel& model);

// The ТИРВ protocol carries setpoints without the Modbus bias: text value = register - bias.
std::uint16_t SetpointTextBias(const RelayModel& model, int reg);

// Converts a setpoint image (values in device units, image order) to registers.
std::vector<std::uint16_t> SetpointImageToRegisters(const RelayModel& model,
                                                    const std::vector<std::int32_t>& image);

}  // namespace tirv::sim
