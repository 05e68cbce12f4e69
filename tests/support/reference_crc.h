#pragma once
// A bitwise CRC-16 (reflected 0xA001, initial 0xFFFF) written for the tests, so that frame and
// file vectors do not depend on the table-driven CRC of the code under test.
#include <cstdint>
#include <span>
#include <vector>

namespace tirv::test {

inline std::uint16_t BitwiseCrc16(std::span<const std::uint8_t> bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                             : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

// A Modbus RTU frame: the bytes, then their CRC, low byte first.
inline std::vector<std::uint8_t> WithBitwiseCrc(std::vector<std::uint8_t> bytes)
{
    const std::uint16_t crc = BitwiseCrc16(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

}  // namespace tirv::test
