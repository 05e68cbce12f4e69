#pragma once
// Frames of the non-M relay's own bootloader, built on the relay functions 0x64, 0x65 and 0x67:
// the three patterns that switch the application into its loader, the loader probe at the
// loader's address, erasing a block, writing a 256-byte page and the pattern that leaves the
// loader. Pure: bytes in, a length or a LinkResult out.
#include "configurator/firmware/flash_layout.h"
#include "configurator/link/frames.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace tirv {

// The loader always listens at address 1, whatever the application's address.
inline constexpr std::uint8_t kRelayLoaderAddress = 1;
inline constexpr int kEnterLoaderSteps = 3;   // pattern kinds 0, 1, 2 in that order
inline constexpr int kExitLoaderPattern = 3;  // AA AA AA AA AA AA
inline constexpr std::uint16_t kLoaderProbeCount = 3;
inline constexpr std::size_t kPageWriteFrameLength = kRelayPageSize + 10;  // 266

// Step 0..2 of the switch into the loader, sent to the application's address.
std::size_t BuildEnterLoader(std::span<std::uint8_t> out, std::uint8_t deviceAddress, int step);
LinkResult CheckEnterLoaderReply(std::span<const std::uint8_t> reply, std::uint8_t deviceAddress);

// Function 0x64 (start 0, count 3) to the loader.
std::size_t BuildLoaderProbe(std::span<std::uint8_t> out);
LinkResult CheckLoaderProbeReply(std::span<const std::uint8_t> reply);

// Function 0x67 with the block's start address and no data erases block `block` (< 12).
std::size_t BuildEraseBlock(std::span<std::uint8_t> out, std::size_t block);
LinkResult CheckEraseBlockReply(std::span<const std::uint8_t> reply, std::size_t block);

// Function 0x67 with a page base (256-byte aligned) and its 256 bytes: a 266-byte frame.
// 0 when the base is not page aligned.
std::size_t BuildPageWrite(std::span<std::uint8_t> out, std::uint32_t pageBase,
                           std::span<const std::uint8_t, kRelayPageSize> page);
LinkResult CheckPageWriteReply(std::span<const std::uint8_t> reply, std::uint32_t pageBase);

// Pattern 3 to the loader: the relay leaves its loader and starts the new application.
std::size_t BuildExitLoader(std::span<std::uint8_t> out);
LinkResult CheckExitLoaderReply(std::span<const std::uint8_t> reply);

// Longest wait for the probe reply in ms: (13 × L + 237) × 1000 / B + 20 + the initialisation
// time, L the probe's length and B the loader's bit rate.
int LoaderProbeWaitMs(std::size_t frameLength, int baud, int initialiseMs);

}  // namespace tirv
