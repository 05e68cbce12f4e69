// The STM32 bootloader's flash, option bytes and mode as bytes for the simulator's state file.
#include <algorithm>

#include "sim/bootloaders/stm32_bootloader.h"

namespace tirv::sim {
namespace {

constexpr std::uint8_t kStateMagic[4] = {'S', 'T', 'B', '1'};

}  // namespace

std::vector<std::uint8_t> Stm32Bootloader::SaveState() const
{
    std::vector<std::uint8_t> out(std::begin(kStateMagic), std::end(kStateMagic));
    out.push_back(static_cast<std::uint8_t>(m_mode));
    out.insert(out.end(), m_memory.options().begin(), m_memory.options().end());
    AppendFlashPages(out, m_memory.flash());
    AppendStateCrc(out);
    return out;
}

StateLoad Stm32Bootloader::LoadState(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < sizeof kStateMagic + 2)
        return StateLoad::Truncated;
    if (!std::equal(std::begin(kStateMagic), std::end(kStateMagic), bytes.begin()))
        return StateLoad::NotThisDevice;
    const auto body = CheckStateCrc(bytes);
    if (!body)
        return StateLoad::CrcMismatch;
    StateReader in(body->subspan(sizeof kStateMagic));
    const std::uint8_t mode = in.Byte();
    OptionBytes options{};
    const auto saved = in.Take(options.size());
    std::vector<std::uint8_t> flash(kStm32FlashSize);
    in.FlashPages(flash);
    if (in.failed())
        return StateLoad::Truncated;
    if (!in.atEnd() || mode > static_cast<std::uint8_t>(Stm32Mode::Bootloader))
        return StateLoad::BadValue;
    std::copy(saved.begin(), saved.end(), options.begin());
    m_memory.setOptions(options);
    m_memory.rawFlash() = std::move(flash);
    m_output.Clear();
    m_mode = static_cast<Stm32Mode>(mode);
    m_baud = 0;
    m_busyUntil = 0;
    Expect(Phase::Sync, 1);  // a restarted simulator starts from a fresh reset
    return StateLoad::Ok;
}

}  // namespace tirv::sim
