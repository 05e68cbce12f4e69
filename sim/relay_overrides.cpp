// What a tester sets on a relay beyond its faults: measurement registers with chosen raw words,
// a clock that reads any words, the oscillograph flags, memory edited from outside.
#include "sim/relay.h"

namespace tirv::sim {

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
