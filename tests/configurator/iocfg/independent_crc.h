#pragma once
// A bitwise CRC-16 (reflected 0xA001, initial 0xFFFF) and little-endian packing written for the
// tests, so file vectors do not depend on the code under test.
#include <cstdint>
#include <vector>

namespace tirv::test {

inline std::uint16_t BitwiseCrc16(const std::vector<std::uint8_t>& bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

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
