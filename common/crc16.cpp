#include "common/crc16.h"

#include <array>
#include <bit>

namespace tirv {
namespace {

constexpr std::array<std::uint16_t, 256> MakeTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr auto kTable = MakeTable();

// Words are defined as little-endian on disk and on the wire; serialise explicitly so the CRC
// does not depend on the host byte order.
void WordBytes(std::uint32_t w, std::uint8_t* out)
{
    out[0] = static_cast<std::uint8_t>(w);
    out[1] = static_cast<std::uint8_t>(w >> 8);
    out[2] = static_cast<std::uint8_t>(w >> 16);
    out[3] = static_cast<std::uint8_t>(w >> 24);
}

}  // namespace

std::uint16_t Crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc)
{
    for (std::uint8_t b : bytes)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ b) & 0xFF]);
    return crc;
}

std::uint16_t WordsCrc(std::span<const std::uint32_t> words)
{
    std::uint16_t crc = 0xFFFF;
    for (std::uint32_t w : words) {
        std::uint8_t b[4];
        WordBytes(w, b);
        crc = Crc16(std::span<const std::uint8_t>(b, 4), crc);
    }
    return crc;
}

void AppendWordsCrc(std::span<std::uint32_t> wordsAndCrc)
{
    if (wordsAndCrc.empty())
        return;
    const auto n = wordsAndCrc.size() - 1;
    wordsAndCrc[n] = WordsCrc(wordsAndCrc.first(n));
}

bool CheckWordsCrc(std::span<const std::uint32_t> wordsAndCrc)
{
    if (wordsAndCrc.empty())
        return false;
    const auto n = wordsAndCrc.size() - 1;
    return wordsAndCrc[n] == WordsCrc(wordsAndCrc.first(n));
}

}  // namespace tirv
