// Any bytes as the acknowledgement of a ТИРВ-protocol write, and as a frame of unknown layout.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "configurator/link/text_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    // Header bytes: variant and command, values per frame, count, start.
    const tirv::TextFraming framing{static_cast<tirv::TextVariant>(data[0] & 1),
                                    8 + data[1] % 248};
    const auto count = static_cast<std::uint8_t>(1 + data[2] % 40);
    const std::vector<std::int32_t> values(count, data[3] * 257);
    std::vector<std::uint8_t> request(tirv::kFrameBufferSize);
    request.resize(tirv::BuildTextWrite(framing, request, 2, data[3], count, values,
                                        data[0] & 2 ? tirv::kTextBreakerCommand
                                                    : tirv::kTextWriteCommand));
    const std::vector<std::uint8_t> received(data + 4, data + size);
    const tirv::TextReply r = tirv::ParseTextWriteAck(framing, received, request);
    volatile bool sink = r.good() || tirv::CheckTextFrameCrc(received).crcMatches();
    (void)sink;
    return 0;
}
