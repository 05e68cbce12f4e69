#include "sim/io_led_registers.h"

#include "configurator/link/registers.h"

namespace tirv::sim {
namespace {

struct IoRecord {
    int function;  // input function or output signal
    int mode;      // input level or output mode
    int time1;     // hundredths of a second
    int time2;
};

// Minimum set: inputs 1–8 functions 0–7, 9–16 "Свободен"; outputs 1–8 signals 1,2,3,4,5,5,6,7.
constexpr int kMinimalOutputSignals[8] = {1, 2, 3, 4, 5, 5, 6, 7};
constexpr int kFreeInput = 8;

// A commissioned feeder: a few spare inputs and outputs put to use (output signals among the
// first 38, which every model can assign).
constexpr struct {
    int channel;  // 0-based
    IoRecord record;
} kConfiguredInputs[] = {{8, {16, 0, 5, 0}}, {9, {21, 1, 10, 10}}, {10, {44, 0, 0, 0}}},
  kConfiguredOutputs[] = {{8, {32, 0, 0, 50}}, {9, {25, 0, 0, 0}}, {10, {11, 2, 20, 0}},
                          {11, {33, 1, 0, 0}}};

void PutRecord(HoldingMemory& h, int first, int channel, const IoRecord& r, bool input)
{
    const auto at = static_cast<std::size_t>(first + 4 * channel);
    h[at] = static_cast<std::uint16_t>(r.function + (input ? kInputFunctionOffset : kOutputSignalOffset));
    h[at + 1] = static_cast<std::uint16_t>(r.mode + (input ? kInputLevelOffset : kOutputModeOffset));
    h[at + 2] = static_cast<std::uint16_t>(r.time1);
    h[at + 3] = static_cast<std::uint16_t>(r.time2);
}

RegisterBlock LedBlock(const RelayModel& model)
{
    return model.m ? regs::kLedsM : regs::kLeds;
}

// LED signals of a commissioned relay, all among the first 38 signals every model can assign:
// "Готов", "Авар.откл.", "Сраб.МТЗ", "Сигнал ОЗЗ", "Сраб.МТЗ-1", then (M) "Сраб.МТЗ-2",
// "Внеш.неиспр.", "Пуск МТЗ".
constexpr int kConfiguredLeds[8][3] = {{1, 0, 0},  {5, 1, 0},  {30, 1, 0}, {6, 1, 0},
                                       {31, 0, 50}, {32, 1, 0}, {7, 0, 0}, {19, 0, 0}};

}  // namespace

void WriteIoSettings(HoldingMemory& h, bool configured)
{
    const int inputs = regs::kIoSettings.start;
    for (int n = 0; n < kIoChannels; ++n) {
        PutRecord(h, inputs, n, {n < 8 ? n : kFreeInput, 0, 0, 0}, true);
        PutRecord(h, kOutputFirstRegister, n, {n < 8 ? kMinimalOutputSignals[n] : 0, 0, 0, 0}, false);
    }
    if (!configured)
        return;
    for (const auto& c : kConfiguredInputs)
        PutRecord(h, inputs, c.channel, c.record, true);
    for (const auto& c : kConfiguredOutputs)
        PutRecord(h, kOutputFirstRegister, c.channel, c.record, false);
}

void WriteLedSettings(const RelayModel& model, HoldingMemory& h, bool configured)
{
    const RegisterBlock block = LedBlock(model);
    for (int led = 0; led < model.ledCount; ++led) {
        const auto at = static_cast<std::size_t>(block.start + 3 * led);
        const int* r = kConfiguredLeds[led];
        const bool used = configured || led == 0;
        h[at] = static_cast<std::uint16_t>((used ? r[0] : 0) + kLedSignalOffset);
        h[at + 1] = static_cast<std::uint16_t>((used && configured ? r[1] : 0) + kLedModeOffset);
        h[at + 2] = static_cast<std::uint16_t>(used && configured ? r[2] : 0);
    }
}

void StoreLedRegisters(const RelayModel& model, HoldingMemory& h, int start, int count)
{
    const RegisterBlock block = LedBlock(model);
    for (int reg = start; reg < start + count; ++reg)
        if (reg >= block.start && reg < block.end() && (reg - block.start) % 3 != 2)
            h[static_cast<std::size_t>(reg)] &= static_cast<std::uint16_t>(~regs::kSettingsBias);
}

IoStates LiveIoStates(bool breakerClosed, std::int64_t nowMs)
{
    IoStates s;
    // Input 3 "РПО" and input 4 "РПВ" follow the breaker position.
    s.inputs = static_cast<std::uint16_t>(breakerClosed ? 1u << 3 : 1u << 2);
    // Input 10 ("Разреш.ДУ" on a commissioned relay) is switched on and off by the operator.
    if ((nowMs / 20'000) % 3 != 0)
        s.inputs |= 1u << 9;
    // Output 1 "Готов" is on while the relay works; output 10 flickers with the spare input.
    s.outputs = 1u;
    if ((nowMs / 7'000) % 4 == 1)
        s.outputs |= 1u << 9;
    return s;
}

std::uint16_t SettingsTextBias(const RelayModel& model, int reg)
{
    const RegisterBlock io = regs::kIoSettings;
    if (reg >= io.start && reg < io.end())
        return (reg - io.start) % 4 < 2 ? regs::kSettingsBias : 0;
    const RegisterBlock comm = model.m ? regs::kCommSettingsM : regs::kCommSettings;
    if (reg >= comm.start && reg < comm.end()) {
        const int k = reg - comm.start;
        if (!model.m)
            return k == 0 ? 0 : regs::kSettingsBias;
        return k <= 8 && k != 1 ? regs::kSettingsBias : 0;
    }
    return 0;
}

}  // namespace tirv::sim
