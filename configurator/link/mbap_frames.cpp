#include "configurator/link/mbap_frames.h"

namespace tirv {

std::array<std::uint8_t, kMbapRequestLength> BuildMbapRead(std::uint8_t function,
                                                           std::uint16_t start,
                                                           std::uint16_t count)
{
    return {0, 0,  // transaction
            0, 0,  // protocol
            0, 6,  // bytes that follow
            kMbapUnit,
            function,
            static_cast<std::uint8_t>(start >> 8),
            static_cast<std::uint8_t>(start & 0xFF),
            static_cast<std::uint8_t>(count >> 8),
            static_cast<std::uint8_t>(count & 0xFF)};
}

MbapCheck CheckMbapReply(std::span<const std::uint8_t> reply, std::uint8_t function, int count)
{
    if (reply.size() < 8)
        return {reply.size() > 6 && reply[6] != kMbapUnit ? 1 : 2, 0};
    if (reply[6] != kMbapUnit)
        return {1, 0};
    const bool exception = reply[7] == (function | 0x80);
    const std::size_t wanted = exception ? kMbapExceptionLength : MbapReplyLength(count);
    if (reply.size() != wanted)
        return {2, 0};
    if (exception) {
        const std::uint8_t code = reply[8];
        return {function == 0x41 && code == 5 ? 25 : 4, code};
    }
    if (reply[7] != function)
        return {5, 0};
    if (reply[8] > 250)
        return {6, 0};
    if (reply[8] != 2 * count)
        return {7, 0};
    return {0, 0};
}

MbapProgress ClassifyMbapPartial(std::span<const std::uint8_t> bytes, std::uint8_t function,
                                 int count)
{
    if (bytes.size() < 8)
        return MbapProgress::NeedMore;
    const std::uint8_t got = bytes[7];
    if (got == (function | 0x80)) {
        if (bytes.size() > kMbapExceptionLength)
            return MbapProgress::Bad;
        return bytes.size() == kMbapExceptionLength ? MbapProgress::Complete
                                                    : MbapProgress::NeedMore;
    }
    if (got != function)
        return MbapProgress::Bad;
    const std::size_t wanted = MbapReplyLength(count);
    if (bytes.size() > wanted)
        return MbapProgress::Bad;
    return bytes.size() == wanted ? MbapProgress::Complete : MbapProgress::NeedMore;
}

bool StoreMbapData(std::span<const std::uint8_t> reply, int count, std::span<std::uint8_t> image,
                   std::size_t offset)
{
    const std::size_t n = static_cast<std::size_t>(count);
    if (count < 0 || reply.size() < 9 + 2 * n || offset + 2 * n > image.size())
        return false;
    for (std::size_t k = 0; k < n; ++k) {
        image[offset + 2 * k] = reply[9 + 2 * k + 1];
        image[offset + 2 * k + 1] = reply[9 + 2 * k];
    }
    return true;
}

}  // namespace tirv
