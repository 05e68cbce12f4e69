#pragma once
// The setpoint block the simulated relay keeps from register 0, in the relay's register order
// and Modbus coding, built from the configurator's setpoint catalogue so both sides agree.
#include <cstdint>
#include <vector>

#include "sim/relay_models.h"

namespace tirv::sim {

// Pre-fault time of the stored recording, the `Tпредыст.` of the configured set (hundredths).
inline constexpr int kConfiguredPreFaultHundredths = 30;

// A set a commissioning engineer could have left in the relay: МТЗ-1..3, ОЗЗ, АПВ and УРОВ in
// service, values consistent with the stored fault recording (МТЗ-2 trips it after 0.5 s).
std::vector<std::uint16_t> InitialSetpointRegisters(const RelayModel& model);

// The relay's own minimal set, stored on function 0x20.
std::vector<std::uint16_t> MinimalSetpointRegisters(const RelayModel& model);

// The ТИРВ protocol carries setpoints without the Modbus coding (no bias, angles from 32):
// register word → text value and back.
std::uint16_t SetpointRegisterToText(const RelayModel& model, int reg, std::uint16_t word);
std::uint16_t SetpointTextToRegister(const RelayModel& model, int reg, std::uint16_t value);

}  // namespace tirv::sim
