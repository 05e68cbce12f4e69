// Any bytes as the reply to a ТИРВ-protocol read: the parser must stay within the received
// bytes and within the destination, which is sized exactly.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "configurator/link/text_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 6)
        return 0;
    // Header bytes: variant, values per frame, count, group, destination size, start.
    const tirv::TextFraming framing{static_cast<tirv::TextVariant>(data[0] & 1),
                                    8 + data[1] % 248};
    const auto count = static_cast<std::uint8_t>(data[2] == 0 ? 1 : data[2]);
    const std::size_t group = data[3] % 8;
    std::vector<std::int32_t> destination(data[4]);
    std::vector<std::uint8_t> request(tirv::kFrameBufferSize);
    request.resize(tirv::BuildTextRead(framing, request, 1, data[5], count));
    const std::vector<std::uint8_t> received(data + 6, data + size);
    const tirv::TextReply r = tirv::ParseTextRead(
        framing, received, request, group, destination,
        data[0] & 2 ? tirv::TextValueFn([](std::size_t i, std::uint16_t v) {
            return static_cast<std::int32_t>(v) - static_cast<std::int32_t>(i);
        })
                    : tirv::TextValueFn{});
    if (r.result == tirv::LinkResult::Good && r.valueCount > static_cast<std::size_t>(framing.valuesPerFrame))
        __builtin_trap();
    return 0;
}
