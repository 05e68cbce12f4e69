#pragma once
// Hand-made register images of the two journals, laid out as the relay sends them.
#include <array>
#include <cstdint>
#include <vector>

#include "configurator/journals/journal_emergency.h"
#include "configurator/journals/journal_working.h"

namespace tirv::journal_test {

struct WorkingFields {
    int year, month, day, hour, minute, second, ms, code;
};

// Five registers of one working record: bytes in wire order are year, month, day, hour, minute,
// second, milliseconds (low byte first), code (low byte first); a register is high byte first.
inline std::array<std::uint16_t, 5> WorkingRegisters(const WorkingFields& f)
{
    auto reg = [](int first, int second) {
        return static_cast<std::uint16_t>((first & 0xFF) << 8 | (second & 0xFF));
    };
    return {reg(f.year, f.month), reg(f.day, f.hour), reg(f.minute, f.second),
            reg(f.ms & 0xFF, f.ms >> 8), reg(f.code & 0xFF, f.code >> 8)};
}

inline void PutWorking(std::vector<std::uint16_t>& image, int slot, const WorkingFields& f)
{
    const auto regs = WorkingRegisters(f);
    for (int k = 0; k < 5; ++k)
        image.at(static_cast<std::size_t>(slot * 5 + k)) = regs[static_cast<std::size_t>(k)];
}

inline std::vector<std::uint16_t> EmptyWorkingImage()
{
    return std::vector<std::uint16_t>(kWorkingRegisters, 0);
}

struct EmergencyFields {
    int day, month, year, hour, minute, second, fraction;
    std::uint16_t event, started;
    std::uint16_t openingTime = 0;
};

inline void PutEmergency(std::vector<std::uint16_t>& image, int slot, const EmergencyFields& f,
                         std::array<std::uint16_t, 24> values = {})
{
    const auto at = static_cast<std::size_t>(slot * kEmergencyRecordWords);
    const std::array<int, 9> head{f.day,    f.month,    f.year,  f.hour,   f.minute,
                                  f.second, f.fraction, f.event, f.started};
    for (std::size_t k = 0; k < head.size(); ++k)
        image.at(at + k) = static_cast<std::uint16_t>(head[k]);
    for (std::size_t k = 0; k < values.size(); ++k)
        image.at(at + kEwMagnitudes + k) = values[k];
    image.at(at + kEwOpeningTime) = f.openingTime;
}

inline std::vector<std::uint16_t> EmptyEmergencyImage()
{
    return std::vector<std::uint16_t>(kEmergencyRegisters, 0);
}

// Register k as a Modbus TCP transfer stores it: low byte first.
inline std::vector<std::uint8_t> TransferBytes(const std::vector<std::uint16_t>& regs)
{
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t r : regs) {
        bytes.push_back(static_cast<std::uint8_t>(r));
        bytes.push_back(static_cast<std::uint8_t>(r >> 8));
    }
    return bytes;
}

}  // namespace tirv::journal_test
