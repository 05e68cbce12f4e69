#pragma once
// Byte-level helpers for the file-format tests, written apart from the code under test: a
// bitwise CRC-16 (Modbus) and little-endian word access, so a fault shared by the program's
// table-driven CRC and its word helpers cannot hide itself.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tirv::file_test {

inline std::uint16_t BitwiseCrc(std::span<const std::uint8_t> bytes)
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

inline std::uint32_t WordAt(std::span<const std::uint8_t> bytes, std::size_t k)
{
    const std::uint8_t* b = bytes.data() + 4 * k;
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

inline void PutWord(std::vector<std::uint8_t>& bytes, std::size_t k, std::uint32_t w)
{
    for (int i = 0; i < 4; ++i)
        bytes[4 * k + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(w >> (8 * i));
}

// True when the last word holds the CRC of every byte before it (upper half zero).
inline bool CrcWordMatches(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 4 || bytes.size() % 4 != 0)
        return false;
    const std::size_t last = bytes.size() / 4 - 1;
    return WordAt(bytes, last) == BitwiseCrc(bytes.first(bytes.size() - 4));
}

// Recomputes the closing CRC word after a test changed a word.
inline void Reseal(std::vector<std::uint8_t>& bytes)
{
    const std::size_t last = bytes.size() / 4 - 1;
    PutWord(bytes, last, BitwiseCrc(std::span<const std::uint8_t>(bytes).first(bytes.size() - 4)));
}

// A file of these words closed by its CRC word.
inline std::vector<std::uint8_t> SealedFile(const std::vector<std::uint32_t>& words)
{
    std::vector<std::uint8_t> bytes((words.size() + 1) * 4);
    for (std::size_t k = 0; k < words.size(); ++k)
        PutWord(bytes, k, words[k]);
    Reseal(bytes);
    return bytes;
}

}  // namespace tirv::file_test
