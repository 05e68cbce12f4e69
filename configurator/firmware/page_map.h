#pragma once
// Firmware data placed by address into 256-byte pages, so that every page is written once, in
// ascending order, whatever the order of the records in the file; bytes no record gives stay
// 0xFF (erased flash).
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>

namespace tirv {

inline constexpr std::size_t kPageMapPageSize = 256;
inline constexpr std::uint8_t kErasedByte = 0xFF;

struct FirmwarePage {
    std::array<std::uint8_t, kPageMapPageSize> bytes;
    std::bitset<kPageMapPageSize> given;  // bytes some record supplied
    FirmwarePage() { bytes.fill(kErasedByte); }
};

class PageMap {
public:
    // Stores `data` from `address` on. False, and nothing stored, when a byte was already given
    // or the data would run past 0xFFFFFFFF.
    bool place(std::uint32_t address, std::span<const std::uint8_t> data);

    // Pages by base address, ascending.
    const std::map<std::uint32_t, FirmwarePage>& pages() const { return m_pages; }
    bool empty() const { return m_pages.empty(); }
    std::size_t byteCount() const { return m_bytes; }
    // Lowest and highest address given; only meaningful when not empty.
    std::uint32_t lowest() const;
    std::uint32_t highest() const;

private:
    std::map<std::uint32_t, FirmwarePage> m_pages;
    std::size_t m_bytes = 0;
};

}  // namespace tirv
