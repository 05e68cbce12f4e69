#pragma once
// Little-endian word packing written for the tests, closed by the bitwise CRC, so file vectors
// do not depend on the code under test.
#include "support/reference_crc.h"

#include <cstdint>
#include <vector>

namespace tirv::test {

inline void PutWord(std::vector<std::uint8_t>& out, std::uint32_t w)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
}

// The words, then their CRC as a 32-bit word.
inline std::vector<std::uint8_t> FileBytes(const std::vector<std::uint32_t>& words)
{
    std::vector<std::uint8_t> out;
    for (std::uint32_t w : words)
        PutWord(out, w);
    PutWord(out, BitwiseCrc16(out));
    return out;
}

}  // namespace tirv::test
