#include "sim/bootloaders/stm32_memory.h"

#include <algorithm>

namespace tirv::sim {
namespace {

struct RegionSpan {
    Region region;
    std::uint32_t base;
    std::uint32_t size;
};
constexpr RegionSpan kRegions[] = {
    {Region::Flash, kStm32FlashBase, kStm32FlashSize},
    {Region::Options, kStm32OptionBase, kStm32OptionSize},
};

}  // namespace

std::optional<MemoryRange> LocateRange(std::uint32_t address, std::uint32_t length)
{
    for (const RegionSpan& r : kRegions) {
        if (address < r.base || length == 0)
            continue;
        const std::uint32_t offset = address - r.base;
        if (offset < r.size && length <= r.size - offset)
            return MemoryRange{r.region, offset};
    }
    return std::nullopt;
}

std::uint16_t WriteProtectedSectors(const OptionBytes& options)
{
    const unsigned nwrp = options[kOptionWrpLow] | (options[kOptionWrpHigh] & 0x0F) << 8;
    return static_cast<std::uint16_t>(~nwrp & kAllSectors);
}

void SetWriteProtectedSectors(OptionBytes& options, std::uint16_t sectors)
{
    const unsigned nwrp = ~sectors & kAllSectors;
    options[kOptionWrpLow] = static_cast<std::uint8_t>(nwrp & 0xFF);
    // The upper nibble is reserved and keeps its value.
    options[kOptionWrpHigh] =
        static_cast<std::uint8_t>((options[kOptionWrpHigh] & 0xF0) | (nwrp >> 8));
}

void Stm32Memory::Program(std::uint32_t flashOffset, std::span<const std::uint8_t> data)
{
    for (std::size_t i = 0; i < data.size() && flashOffset + i < m_flash.size(); ++i)
        m_flash[flashOffset + i] &= data[i];
}

void Stm32Memory::EraseSector(std::size_t sector)
{
    const FlashSector& s = kStm32Sectors.at(sector);
    std::fill_n(m_flash.begin() + s.offset, s.size, 0xFF);
}

void Stm32Memory::EraseAll()
{
    std::fill(m_flash.begin(), m_flash.end(), 0xFF);
}

void Stm32Memory::Read(const MemoryRange& at, std::span<std::uint8_t> out) const
{
    const std::span<const std::uint8_t> source = at.region == Region::Flash
                                                     ? std::span<const std::uint8_t>(m_flash)
                                                     : std::span<const std::uint8_t>(m_options);
    if (at.offset >= source.size())
        return;
    const std::size_t n = std::min(out.size(), source.size() - at.offset);
    std::copy_n(source.begin() + at.offset, n, out.begin());
}

std::uint16_t Stm32Memory::SectorsOf(std::uint32_t flashOffset, std::uint32_t length)
{
    std::uint16_t mask = 0;
    if (length == 0)
        return mask;
    const std::uint64_t end = std::uint64_t{flashOffset} + length;
    for (std::size_t k = 0; k < kStm32Sectors.size(); ++k) {
        const FlashSector& s = kStm32Sectors[k];
        if (flashOffset < s.offset + s.size && end > s.offset)
            mask |= static_cast<std::uint16_t>(1u << k);
    }
    return mask;
}

}  // namespace tirv::sim
