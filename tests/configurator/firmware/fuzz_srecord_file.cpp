// Any bytes as a ".mot" file: the check never reads outside the text, and what it accepts holds
// only data inside the relay's writable ranges, in blocks it marked used.
#include <cstddef>
#include <cstdint>
#include <span>

#include "configurator/firmware/srecord_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto r = tirv::ParseSRecordFile(std::span(data, size));
    if (!r.ok())
        return 0;
    for (const auto& [base, page] : r.value().pages.pages())
        for (std::size_t i = 0; i < tirv::kPageMapPageSize; ++i) {
            if (!page.given.test(i))
                continue;
            const std::uint32_t a = base + static_cast<std::uint32_t>(i);
            const auto block = tirv::RelayBlockOf(a);
            if (!block || *block == 0 || !r.value().usedBlocks[*block])
                __builtin_trap();
        }
    return 0;
}
