// Fuzz target over the oscillogram loader and the COMTRADE contents built from what it loads.
// Any input either loads or is refused with a message; a loaded image reloads from its own
// normalised bytes to the same analog data and exports without fault.
#include "common/oscillogram_image.h"
#include "viewer/comtrade_export.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tirv;
    OscillogramImage image;
    CollectingSink sink;
    if (image.parse(std::span<const std::uint8_t>(data, size), sink) != LoadStatus::Loaded) {
        if (sink.messages.empty())
            __builtin_trap();  // refused without telling why
        return 0;
    }

    OscillogramImage again;
    CollectingSink sink2;
    if (again.parse(image.bytes(), sink2) != LoadStatus::Loaded || again.channelCount() != image.channelCount())
        __builtin_trap();
    for (int k = 0; k < image.channelCount(); ++k) {
        const ChannelTrace& a = image.traces()[static_cast<std::size_t>(k)];
        const ChannelTrace& b = again.traces()[static_cast<std::size_t>(k)];
        if (a.raw != b.raw || a.integers != b.integers || a.levels != b.levels)
            __builtin_trap();
    }

    const std::string dat = ComtradeData(image);
    if (std::count(dat.begin(), dat.end(), '\n') != image.samplesPerChannel())
        __builtin_trap();
    if (ComtradeConfiguration(image).empty())
        __builtin_trap();
    return 0;
}
