#pragma once
// Choosing and loading a firmware file: the dialog, filter and extension of each relay family as
// data, and LoadFirmwareFile, which reads the chosen file and runs the family's complete check.
// Nothing here shows a dialog: the page asks its file-dialog seam with FirmwareDialogFor().
#include "common/message.h"
#include "common/result.h"
#include "configurator/firmware/intel_hex_image.h"
#include "configurator/firmware/srecord_image.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tirv {

// Non-M relays take Motorola S-record files, M relays Intel HEX files.
enum class FirmwareFamily { Relay, Stm32 };

constexpr FirmwareFamily FirmwareFamilyOf(bool mModel)
{
    return mModel ? FirmwareFamily::Stm32 : FirmwareFamily::Relay;
}

struct FirmwareDialog {
    std::string_view title;
    std::string_view filter;
    std::string_view extension;  // default extension, and the name's required ending
};

const FirmwareDialog& FirmwareDialogFor(FirmwareFamily family);

// The last three characters of the name must be the family's extension, case-sensitively.
bool HasFirmwareExtension(std::string_view fileName, FirmwareFamily family);

// A file above this size is refused before it is read.
inline constexpr std::size_t kMaxFirmwareFileBytes = std::size_t{16} << 20;

// A loaded firmware file: the file text (the non-M page extractor reads it) and the checked
// contents of its family.
struct FirmwareImage {
    FirmwareFamily family = FirmwareFamily::Relay;
    std::string path;
    std::vector<std::uint8_t> text;
    SRecordImage relay;  // Relay family
    HexImage stm32;      // Stm32 family
};

// The family's check over a file held in memory.
Result<FirmwareImage, Message> ParseFirmwareFile(std::span<const std::uint8_t> text,
                                                 FirmwareFamily family);

// Extension check, reading (path in UTF-8) and the family's check; the message says why a file
// is refused.
Result<FirmwareImage, Message> LoadFirmwareFile(const std::string& path, FirmwareFamily family);

}  // namespace tirv
