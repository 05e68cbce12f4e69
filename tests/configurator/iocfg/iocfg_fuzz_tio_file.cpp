// Any bytes as a ".tio" file: refused or loaded; what loads is written back to the same bytes.
#include "configurator/iocfg/io_files.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const tirv::TioFile f = tirv::ParseTioFile(bytes);
    if (f.result == tirv::IoFileResult::Ok) {
        const auto again = tirv::BuildTioFile(f.modelCode, f.reserved, f.image);
        if (!std::equal(again.begin(), again.end(), bytes.begin(), bytes.end()))
            __builtin_trap();
    }
    return 0;
}
