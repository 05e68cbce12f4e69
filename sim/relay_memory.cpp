// The relay's memory changed other than by a register write: taken over from the state file,
// emptied, filled with the minimal set, or set by a tester (measurement registers with chosen
// raw words, a clock that reads any words, the oscillograph flags, records edited from outside).
#include <algorithm>

#include "sim/relay.h"
#include "sim/setpoint_registers.h"

namespace tirv::sim {

void Relay::LoadMemory(std::span<const std::uint16_t> holding, const RelayModel& model)
{
    m_model = &model;
    const std::size_t n = std::min(holding.size(), m_holding.size());
    std::copy_n(holding.begin(), n, m_holding.begin());
    WriteCommSettingsRegisters();
    RebuildOscillogram();
}

void Relay::ZeroMemory()
{
    std::fill_n(m_holding.begin(), m_model->setpointWords, 0);
    std::fill_n(m_holding.begin() + regs::kIoSettings.start, regs::kIoSettings.count, 0);
    const RegisterBlock leds = m_model->m ? regs::kLedsM : regs::kLeds;
    std::fill_n(m_holding.begin() + leds.start, leds.count, 0);
    m_dirty = true;
}

void Relay::RestoreMinimalSet()
{
    const std::vector<std::uint16_t> minimal = MinimalSetpointRegisters(*m_model);
    std::copy(minimal.begin(), minimal.end(), m_holding.begin());
    WriteIoSettings(m_holding, /*configured=*/false);
    WriteLedSettings(*m_model, m_holding, /*configured=*/false);
    m_dirty = true;
}

void Relay::RestoreMinimalSetInEmptyBlocks()
{
    auto empty = [this](RegisterBlock b) {
        const auto first = m_holding.begin() + b.start;
        return std::all_of(first, first + b.count, [](std::uint16_t w) { return w == 0; });
    };
    if (empty({0, static_cast<std::uint16_t>(m_model->setpointWords)})) {
        const std::vector<std::uint16_t> minimal = MinimalSetpointRegisters(*m_model);
        std::copy(minimal.begin(), minimal.end(), m_holding.begin());
    }
    if (empty(regs::kIoSettings))
        WriteIoSettings(m_holding, /*configured=*/false);
    if (empty(m_model->m ? regs::kLedsM : regs::kLeds))
        WriteLedSettings(*m_model, m_holding, /*configured=*/false);
    m_dirty = true;
}

void Relay::MemoryChanged()
{
    RebuildOscillogram();
    m_dirty = true;
}

bool Relay::OverrideMeasurement(int reg, std::uint16_t word)
{
    if (reg < m_model->measurementStart ||
        reg >= m_model->measurementStart + m_model->measurementRegisters)
        return false;
    m_measurementOverrides[reg] = word;
    return true;
}

void Relay::SetRawClock(const ClockWords& words)
{
    m_rawClock = words;
    m_dirty = true;
}

void Relay::ClearRawClock()
{
    m_rawClock.reset();
    m_dirty = true;
}

void Relay::SetOscillographFlags(const OscillographFlags& flags)
{
    m_oscFlags = flags;
    MemoryChanged();
}

}  // namespace tirv::sim
