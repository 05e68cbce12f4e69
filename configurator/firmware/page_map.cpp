#include "configurator/firmware/page_map.h"

namespace tirv {

namespace {
constexpr std::uint32_t kOffsetMask = kPageMapPageSize - 1;
}

bool PageMap::place(std::uint32_t address, std::span<const std::uint8_t> data)
{
    if (data.empty())
        return true;
    if (std::uint64_t{address} + data.size() - 1 > 0xFFFFFFFFu)
        return false;
    // Check first, so a refused record leaves the map as it was.
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint32_t a = address + static_cast<std::uint32_t>(i);
        const auto it = m_pages.find(a & ~kOffsetMask);
        if (it != m_pages.end() && it->second.given.test(a & kOffsetMask))
            return false;
    }
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint32_t a = address + static_cast<std::uint32_t>(i);
        FirmwarePage& page = m_pages[a & ~kOffsetMask];
        page.bytes[a & kOffsetMask] = data[i];
        page.given.set(a & kOffsetMask);
    }
    m_bytes += data.size();
    return true;
}

std::uint32_t PageMap::lowest() const
{
    if (m_pages.empty())
        return 0;
    const auto& [base, page] = *m_pages.begin();
    for (std::uint32_t i = 0; i < kPageMapPageSize; ++i)
        if (page.given.test(i))
            return base + i;
    return base;
}

std::uint32_t PageMap::highest() const
{
    if (m_pages.empty())
        return 0;
    const auto& [base, page] = *m_pages.rbegin();
    for (std::uint32_t i = kPageMapPageSize; i-- > 0;)
        if (page.given.test(i))
            return base + i;
    return base;
}

}  // namespace tirv
