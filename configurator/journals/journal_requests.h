#pragma once
// How the journal and oscillogram reads split into requests on the serial link, which function
// each uses, and the status-bar progress after each reply. The reply waits are the link's
// ReadWaitMs (request length, registers, baud index), which is the journals' own formula.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "configurator/link/frames.h"
#include "configurator/link/registers.h"

namespace tirv {

// Modbus RTU: 125 registers from 2100, 2225, 2350, 2475, then 100 from 2600 (function 0x51).
inline constexpr std::array<RegisterBlock, 5> kWorkingJournalRequests{
    {{2100, 125}, {2225, 125}, {2350, 125}, {2475, 125}, {2600, 100}}};
// Modbus RTU: 125 from 400, 125 from 525, 90 from 650 (function 0x51 on M models, 3 otherwise).
inline constexpr std::array<RegisterBlock, 3> kEmergencyJournalRequests{
    {{400, 125}, {525, 125}, {650, 90}}};

constexpr Function WorkingJournalFunction()
{
    return Function::ReadJournal;
}
constexpr Function EmergencyJournalFunction(bool mModel)
{
    return mModel ? Function::ReadJournal : Function::ReadRegisters;
}

// The oscillogram (function 0x41): 11,150 registers from 0 in requests of 125, the last of 25.
inline constexpr std::size_t kOscillogramRequestRegisters = 125;
inline constexpr std::size_t kOscillogramRequests =
    BlockCount(regs::kOscillogram.count, kOscillogramRequestRegisters);  // 90
constexpr RegisterBlock OscillogramRequest(std::size_t index)
{
    const Block b = BlockAt(index, regs::kOscillogram.count, kOscillogramRequestRegisters);
    return {static_cast<std::uint16_t>(regs::kOscillogram.start + b.offset),
            static_cast<std::uint16_t>(b.count)};
}

// The ТИРВ protocol reads the same ranges value by value, at most `valuesPerFrame` per request.
constexpr RegisterBlock TextJournalRequest(const RegisterBlock& range, std::size_t index,
                                           std::size_t valuesPerFrame)
{
    const Block b = BlockAt(index, range.count, valuesPerFrame);
    return {static_cast<std::uint16_t>(range.start + b.offset),
            static_cast<std::uint16_t>(b.count)};
}

// The progress bar after a reply: max − remaining × max / total (integer arithmetic), with max
// 10 for the journals and 100 for the oscillogram.
constexpr int JournalReadProgress(int remaining, int total, int max)
{
    return total <= 0 ? max : max - remaining * max / total;
}

// The registers of a Modbus TCP transfer image, register k in bytes 2k (low) and 2k + 1 (high);
// false, `regs` untouched, unless the image holds exactly N registers.
template <std::size_t N>
constexpr bool RegistersOfTransfer(std::span<const std::uint8_t> bytes,
                                   std::array<std::uint16_t, N>& regs)
{
    if (bytes.size() != 2 * N)
        return false;
    for (std::size_t k = 0; k < N; ++k)
        regs[k] = static_cast<std::uint16_t>(bytes[2 * k] | bytes[2 * k + 1] << 8);
    return true;
}

namespace journal_requests_detail {
template <std::size_t N>
constexpr bool Tiles(const std::array<RegisterBlock, N>& blocks, RegisterBlock range)
{
    std::uint16_t next = range.start;
    for (const auto& b : blocks) {
        if (b.start != next || b.count == 0 || b.count > kMaxReadCount)
            return false;
        next = b.end();
    }
    return next == range.end();
}
static_assert(Tiles(kWorkingJournalRequests, regs::kWorkingJournal));
static_assert(Tiles(kEmergencyJournalRequests, regs::kEmergencyJournal));
static_assert(kOscillogramRequests == 90);
}  // namespace journal_requests_detail

}  // namespace tirv
