// Any bytes as a Modbus TCP reply, fed whole and byte by byte: the checks, the arrival judgement
// and the store into the receive image must stay within the bytes and the image given.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "configurator/link/mbap_frames.h"
#include "configurator/link/reply_completion.h"

namespace {
constexpr std::uint8_t kFunctions[] = {0x03, 0x41, 0x51};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t function = kFunctions[data[0] % 3];
    const int count = data[1] % 127;  // 126 is beyond a frame and must fail the checks
    const std::vector<std::uint8_t> reply(data + 2, data + size);
    const tirv::MbapCheck check = tirv::CheckMbapReply(reply, function, count);
    for (std::size_t n = 0; n <= reply.size(); ++n) {
        const auto progress =
            tirv::ClassifyMbapPartial(std::span(reply).first(n), function, count);
        // A reply judged complete is exactly a normal or an exception reply.
        if (progress == tirv::MbapProgress::Complete && n != 9 &&
            n != static_cast<std::size_t>(tirv::MbapReplyLength(count)))
            __builtin_trap();
        (void)tirv::ReplyComplete(tirv::ModbusReply(function, 2 * count + 5), std::span(reply).first(n));
        (void)tirv::ReplyComplete(tirv::TextFrameReply(), std::span(reply).first(n));
    }
    std::vector<std::uint8_t> image(2 * static_cast<std::size_t>(count));
    const bool stored = tirv::StoreMbapData(reply, count, image, 0);
    if (check.result == 0 && (!stored || count > tirv::kMbapMaxRegisters))
        __builtin_trap();  // a good reply always fits its frame's place in the image
    return 0;
}
