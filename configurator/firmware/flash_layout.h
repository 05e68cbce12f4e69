#pragma once
// The flash memories the two bootloaders write: the twelve erase blocks of the non-M relay and
// the twelve sectors of the M relay's STM32F4 (1 MiB at 0x08000000). Shared by the loaders, the
// update sequences and the simulated bootloaders.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tirv {

inline constexpr std::size_t kFlashBlockCount = 12;
inline constexpr std::size_t kRelayPageSize = 256;

struct FlashBlock {
    std::uint32_t start;
    std::uint32_t size;
    std::uint32_t pages;  // of kRelayPageSize bytes
    constexpr std::uint64_t end() const { return std::uint64_t{start} + size; }  // one past
};

// Non-M relay. Block 0 holds the relay's own bootloader and is never addressed by a file.
inline constexpr std::array<FlashBlock, kFlashBlockCount> kRelayBlocks{{
    {0xFFFF8000, 0x8000, 128},
    {0xFFFF0000, 0x8000, 128},
    {0xFFFE8000, 0x8000, 128},
    {0xFFFE0000, 0x8000, 128},
    {0xFFFD0000, 0x10000, 256},
    {0xFFFC0000, 0x10000, 256},
    {0xFFFB0000, 0x10000, 256},
    {0xFFFA0000, 0x10000, 256},
    {0xFFF90000, 0x10000, 256},
    {0xFFF80000, 0x10000, 256},
    {0x00061000, 0x1000, 16},
    {0x00060000, 0x1000, 16},
}};
inline constexpr std::uint32_t kRelayBootloaderStart = 0xFFFF8000;

// The address ranges a non-M firmware file may write (inclusive bounds).
struct AddressRange {
    std::uint32_t first;
    std::uint32_t last;
};
inline constexpr std::array<AddressRange, 2> kRelayWritableRanges{{
    {0xFFF80000, 0xFFFF7FFF},
    {0x00060000, 0x00061FFF},
}};

// Index of the relay block holding `address`, if any.
std::optional<std::size_t> RelayBlockOf(std::uint32_t address);

// M relay: STM32F4 flash, sectors given by their last offset from the flash start.
inline constexpr std::uint32_t kStmFlashStart = 0x08000000;
inline constexpr std::uint32_t kStmFlashSize = 0x00100000;
inline constexpr std::uint32_t kStmFlashLast = kStmFlashStart + kStmFlashSize - 1;
inline constexpr std::size_t kStmSectorCount = 12;
inline constexpr std::array<std::uint32_t, kStmSectorCount> kStmSectorLastOffsets{
    0x3FFF,  0x7FFF,  0xBFFF,  0xFFFF,  0x1FFFF, 0x3FFFF,
    0x5FFFF, 0x7FFFF, 0x9FFFF, 0xBFFFF, 0xDFFFF, 0xFFFFF,
};

// Sector holding `address` (0x08000000 … 0x080FFFFF), if any.
std::optional<std::size_t> StmSectorOf(std::uint32_t address);
// First address and size of sector `index` (< kStmSectorCount).
std::uint32_t StmSectorStart(std::size_t index);
std::uint32_t StmSectorSize(std::size_t index);

}  // namespace tirv
