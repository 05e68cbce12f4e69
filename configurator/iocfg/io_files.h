#pragma once
// The ".tio" (I/O settings, 532 bytes) and ".tld" (LED settings, 80 or 116 bytes) files: little-
// endian 32-bit words closed by the word-array CRC.
//   word 0     model code when saved (ignored on reading)
//   words 1..3 passed through: written as those of the last file of the kind opened in this run
//   then       the I/O image (128 words) or 15 / 24 LED words, then the CRC word.
#include "common/message.h"
#include "configurator/iocfg/io_image.h"
#include "configurator/iocfg/led_image.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tirv {

inline constexpr std::size_t kTioBytes = 532;
inline constexpr std::size_t kTldBytesNonM = 80;
inline constexpr std::size_t kTldBytesM = 116;

using FileReservedWords = std::array<std::uint32_t, 3>;

enum class IoFileResult {
    Ok,
    Damaged,  // wrong size or CRC mismatch: the format message
    Invalid,  // well-formed, a setting out of range: the content message, nothing changes
};

struct TioFile {
    IoFileResult result = IoFileResult::Damaged;
    std::uint32_t modelCode = 0;
    FileReservedWords reserved{};  // words 1..3, kept for the next save (also when Invalid)
    IoImage image;                 // meaningful only for Ok
    IoCheck check;
};

TioFile ParseTioFile(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> BuildTioFile(std::uint32_t modelCode, const FileReservedWords& reserved,
                                       const IoImage& image);

// A ".tld" whose LED count is not the current model's needs the user's consent.
enum class LedLayoutQuestion {
    None,
    OlderOnM,     // 5-LED file, M modification selected
    NewerOnNonM,  // 8-LED file, model below 715 selected
};

struct TldFile {
    IoFileResult result = IoFileResult::Damaged;
    int fileLeds = 0;  // 5 or 8 for a well-formed file
    LedLayoutQuestion question = LedLayoutQuestion::None;
    std::uint32_t modelCode = 0;
    FileReservedWords reserved{};
    LedImage image;  // Ok: the file's LEDs, LEDs 6..8 cleared by a 5-LED file
    LedCheck check;
};

// `currentModelCode` decides the layout question. A caller asks the question (when not None)
// before acting on an Invalid result, as the page does: Cancel abandons either way.
TldFile ParseTldFile(std::span<const std::uint8_t> bytes, int currentModelCode);
// Written with the layout of `modelCode` (5 or 8 LEDs).
std::vector<std::uint8_t> BuildTldFile(std::uint32_t modelCode, const FileReservedWords& reserved,
                                       const LedImage& image);

// The messages the pages show for a file result (caption, text, icon, buttons).
Message TioDamagedMessage();
Message TioInvalidMessage();
Message TldDamagedMessage();
// The OK/Cancel question for a layout other than the current model's (None: empty text).
Message TldLayoutMessage(LedLayoutQuestion question);

}  // namespace tirv
