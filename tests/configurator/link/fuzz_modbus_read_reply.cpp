// Any bytes as the reply to a read-type request: the checker and the register accessor must
// stay within the bytes given.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "configurator/link/frames.h"

namespace {
constexpr tirv::Function kReads[] = {tirv::Function::ReadRegisters, tirv::Function::ReadArchive,
                                     tirv::Function::ReadJournal, tirv::Function::BootRead};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    // First two bytes choose the request; the rest is the reply, copied so that the sanitizer
    // sees its exact end.
    const tirv::Function function = kReads[data[0] % 4];
    const auto count = static_cast<std::uint16_t>(data[1] % 127);
    const std::vector<std::uint8_t> reply(data + 2, data + size);
    const tirv::LinkResult r = tirv::CheckReadReply(reply, reply.empty() ? 1 : reply[0], function, count);
    volatile unsigned sink = tirv::ReplyExceptionCode(reply);
    for (std::size_t k = 0; k <= count; ++k)
        sink = sink + tirv::ReadReplyRegister(reply, k);
    if (r == tirv::LinkResult::Good && reply.size() != tirv::ReadReplyLength(count))
        __builtin_trap();  // a good reply always has the normal length
    return 0;
}
