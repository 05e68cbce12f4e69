// Any bytes as a ".tld" file, opened on a model of each class; a file of the model's own layout
// that loads is written back to the same bytes.
#include "configurator/iocfg/io_files.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    for (int model : {705, 715}) {
        const tirv::TldFile f = tirv::ParseTldFile(bytes, model);
        if (f.result != tirv::IoFileResult::Ok || f.question != tirv::LedLayoutQuestion::None)
            continue;
        const auto again =
            tirv::BuildTldFile(static_cast<std::uint32_t>(model), f.reserved, f.image);
        // Word 0 is the model at saving; compare everything else.
        if (again.size() != size || !std::equal(again.begin() + 4, again.end() - 4, data + 4))
            __builtin_trap();
    }
    return 0;
}
