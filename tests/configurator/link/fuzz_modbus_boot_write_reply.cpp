// Any bytes as the acknowledgement of a bootloader page write (0x67).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "configurator/link/frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint32_t address = static_cast<std::uint32_t>(data[0]) |
                                  static_cast<std::uint32_t>(data[1]) << 8 |
                                  static_cast<std::uint32_t>(data[2]) << 16 |
                                  static_cast<std::uint32_t>(data[3]) << 24;
    const std::vector<std::uint8_t> reply(data + 4, data + size);
    const tirv::LinkResult r = tirv::CheckBootWriteReply(reply, 1, address);
    if (r == tirv::LinkResult::Good && reply.size() != tirv::kWriteAckLength)
        __builtin_trap();
    return 0;
}
