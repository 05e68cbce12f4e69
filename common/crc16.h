#pragma once
// Modbus RTU CRC-16 (reflected polynomial 0xA001, initial value 0xFFFF, no final XOR),
// and the word-array CRC that closes every settings file of the toolset.
#include <cstddef>
#include <cstdint>
#include <span>

namespace tirv {

std::uint16_t Crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0xFFFF);

// CRC over n little-endian 32-bit words as they lie in memory.
std::uint16_t WordsCrc(std::span<const std::uint32_t> words);

// Stores the CRC of words[0..n-1] as words[n] (upper half zero). The span holds n + 1 words.
void AppendWordsCrc(std::span<std::uint32_t> wordsAndCrc);

// True when words[n] is the CRC of words[0..n-1]. The span holds n + 1 words.
bool CheckWordsCrc(std::span<const std::uint32_t> wordsAndCrc);

}  // namespace tirv
