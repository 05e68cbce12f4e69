// Any bytes as the acknowledgement of a write-type request (16, 0x52, 0x65).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "configurator/link/frames.h"

namespace {
constexpr tirv::Function kWrites[] = {tirv::Function::WriteRegisters, tirv::Function::WriteService,
                                      tirv::Function::BootCommand};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5)
        return 0;
    const tirv::Function function = kWrites[data[0] % 3];
    const auto start = static_cast<std::uint16_t>(data[1] << 8 | data[2]);
    const auto count = static_cast<std::uint16_t>(data[3] << 8 | data[4]);
    const std::vector<std::uint8_t> reply(data + 5, data + size);
    const tirv::LinkResult r =
        tirv::CheckWriteReply(reply, reply.empty() ? 1 : reply[0], function, start, count);
    volatile unsigned sink = tirv::ReplyExceptionCode(reply);
    (void)sink;
    if (r == tirv::LinkResult::Good && reply.size() != tirv::kWriteAckLength)
        __builtin_trap();
    return 0;
}
