#pragma once
// Motorola S-record firmware files of the non-M relays (".mot"): the complete check of the file
// and the page extractor the relay's bootloader exchange writes from.
//
// ParseSRecordFile(text) checks the whole file before anything is sent to the relay. On success
// it gives the twelve used-block flags (every block a data record touches) and the data placed
// by address into pages; on failure the one message that stops the check.
#include "common/message.h"
#include "common/result.h"
#include "configurator/firmware/flash_layout.h"
#include "configurator/firmware/page_map.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tirv {

struct SRecordImage {
    std::array<bool, kFlashBlockCount> usedBlocks{};
    PageMap pages;
    std::size_t usedBlockCount() const;
};

Result<SRecordImage, Message> ParseSRecordFile(std::span<const std::uint8_t> text);

// One page taken from the file text by ExtractPage.
struct ExtractedPage {
    std::uint32_t base = 0;    // address of page byte 0
    bool hasData = false;      // false: no data record left from the position on
    std::size_t position = 0;  // where the next call continues
    std::size_t carry = 0;     // bytes of the record at `position` already taken
};

// Scans the text from `position` for data records (S2, S3) and copies their bytes into `page`
// (preset by the caller, 0xFF for erased flash) at (address − base). The first record met fixes
// the base (its address with the low 8 bits cleared). A record outside the page ends it and is
// left for the next call; one that runs over the page end leaves the rest as the carry, which the
// next call skips at the start of that record. Any text is accepted: a malformed record ends the
// scan as if the file ended there.
ExtractedPage ExtractPage(std::span<const std::uint8_t> text, std::size_t position,
                          std::size_t carry, std::span<std::uint8_t, kRelayPageSize> page);

}  // namespace tirv
