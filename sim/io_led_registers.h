#pragma once
// The relay's input/output settings (registers 170–297), its LED settings, and the live input
// and output states, in the relay's register coding.
#include <array>
#include <cstdint>

#include "configurator/link/registers.h"
#include "sim/relay_models.h"

namespace tirv::sim {

// The holding registers end with the working journal.
inline constexpr std::size_t kRegisterSpace = regs::kWorkingJournal.end();
using HoldingMemory = std::array<std::uint16_t, kRegisterSpace>;

// Offsets the relay adds to each field of an input or output record (the 0x8000 bias included).
inline constexpr std::uint16_t kInputFunctionOffset = 0x80C8;
inline constexpr std::uint16_t kInputLevelOffset = 0x8055;
inline constexpr std::uint16_t kOutputSignalOffset = 0x8064;
inline constexpr std::uint16_t kOutputModeOffset = 0x805A;
inline constexpr int kIoChannels = 16;
inline constexpr int kOutputFirstRegister = 234;
// LED records: signal + 100, mode + 80, operate time; the relay keeps them without the bias
// that Modbus writes add to the first two.
inline constexpr std::uint16_t kLedSignalOffset = 100;
inline constexpr std::uint16_t kLedModeOffset = 80;

// Writes the I/O settings block: the relay's minimum set, or a commissioned feeder on top of it.
void WriteIoSettings(HoldingMemory& holding, bool configured);
// Writes the LED block of the model: LED 1 "Готов" only, or a commissioned assignment.
void WriteLedSettings(const RelayModel& model, HoldingMemory& holding, bool configured);
// Stores written LED registers: the bias of the signal and mode registers is not kept.
void StoreLedRegisters(const RelayModel& model, HoldingMemory& holding, int start,
                       int count);

struct IoStates {
    std::uint16_t inputs = 0;   // bit n = input n + 1 active
    std::uint16_t outputs = 0;  // bit n = output n + 1 active
};
// Live states: breaker position inputs follow the breaker; a spare input toggles now and then.
IoStates LiveIoStates(bool breakerClosed, std::int64_t nowMs);

// What the ТИРВ protocol leaves out of a settings register other than a setpoint (0x8000 on the
// coded fields of the I/O block and of the link settings, nothing elsewhere).
std::uint16_t SettingsTextBias(const RelayModel& model, int reg);

}  // namespace tirv::sim
