// Any bytes as a ".hex" file: the check never reads outside the text, and an accepted image lies
// inside the flash, starts word aligned and names the sectors of its first and last byte.
#include <cstddef>
#include <cstdint>
#include <span>

#include "configurator/firmware/intel_hex_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto r = tirv::ParseIntelHexFile(std::span(data, size));
    if (!r.ok())
        return 0;
    const tirv::HexImage& image = r.value();
    const std::uint64_t last = std::uint64_t{image.start} + image.length() - 1;
    if (image.length() == 0 || image.start % 4 != 0 || image.start < tirv::kStmFlashStart ||
        last > tirv::kStmFlashLast)
        __builtin_trap();
    if (tirv::StmSectorOf(image.start) != image.firstSector ||
        tirv::StmSectorOf(static_cast<std::uint32_t>(last)) != image.lastSector)
        __builtin_trap();
    return 0;
}
