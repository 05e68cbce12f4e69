// Any bytes as the text the page extractor walks, from any position and carry: it never reads or
// writes outside the text and the page, and every call either moves on or ends.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "configurator/firmware/srecord_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes choose the starting carry; the page lives on the heap so ASan sees
    // a write past its end.
    std::size_t carry = data[0] % 64;
    const std::span<const std::uint8_t> text(data + 2, size - 2);
    std::vector<std::uint8_t> page(tirv::kRelayPageSize);
    std::size_t position = data[1] % 8;
    for (std::size_t calls = 0; calls <= text.size() + 1; ++calls) {
        const auto e = tirv::ExtractPage(text, position, carry,
                                         std::span<std::uint8_t, tirv::kRelayPageSize>(page));
        if (!e.hasData)
            return 0;
        if (e.position > text.size() || (e.position == position && e.carry <= carry && calls > 0))
            __builtin_trap();
        position = e.position;
        carry = e.carry;
    }
    __builtin_trap();  // more pages than the text has bytes: the extractor is not moving
}
