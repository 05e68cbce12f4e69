#pragma once
// Intel HEX firmware files of the M relays (".hex"): the complete check of the file, with one
// step-named message per failing step, and the image the STM32 bootloader exchange writes.
//
// Data records are placed by address (each extended linear address record sets the base of the
// data records after it), so a file whose records are out of order still gives one contiguous
// image; bytes between records are 0xFF (erased flash). Overlapping data, data outside the
// 1 MiB flash and a start address that is not word aligned are refused.
#include "common/message.h"
#include "common/result.h"
#include "configurator/firmware/flash_layout.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tirv {

struct HexImage {
    std::uint32_t start = 0;          // address of bytes[0]
    std::vector<std::uint8_t> bytes;  // from the lowest to the highest address given
    std::size_t firstSector = 0;      // sector holding the first byte
    std::size_t lastSector = 0;       // sector holding the last byte
    std::size_t length() const { return bytes.size(); }
};

Result<HexImage, Message> ParseIntelHexFile(std::span<const std::uint8_t> text);

}  // namespace tirv
