#pragma once
// Hand-made firmware file lines for the loader tests: S-records and Intel HEX records with correct
// checksums unless a test breaks them on purpose.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tirv::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ToBytes(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

inline std::string HexOf(const Bytes& b)
{
    std::string s;
    char two[3];
    for (const std::uint8_t v : b) {
        std::snprintf(two, sizeof two, "%02X", v);
        s += two;
    }
    return s;
}

// "S<type>" line: count, address (addressBytes, high first), data, ones'-complement checksum.
inline std::string SRecord(char type, std::uint32_t address, int addressBytes, const Bytes& data,
                           int checksumDelta = 0)
{
    Bytes body;
    for (int i = addressBytes - 1; i >= 0; --i)
        body.push_back(static_cast<std::uint8_t>(address >> (8 * i)));
    body.insert(body.end(), data.begin(), data.end());
    const auto count = static_cast<std::uint8_t>(body.size() + 1);
    unsigned sum = count;
    for (const std::uint8_t b : body)
        sum += b;
    body.push_back(static_cast<std::uint8_t>(~sum + checksumDelta));
    return std::string("S") + type + HexOf({count}) + HexOf(body) + "\r\n";
}
inline std::string S3(std::uint32_t address, const Bytes& data)
{
    return SRecord('3', address, 4, data);
}
inline std::string S2(std::uint32_t address, const Bytes& data)
{
    return SRecord('2', address, 3, data);
}

// ":" line: count, offset, type, data, two's-complement checksum.
inline std::string HexRecord(std::uint8_t type, std::uint16_t offset, const Bytes& data,
                             int checksumDelta = 0)
{
    Bytes body{static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(offset >> 8),
               static_cast<std::uint8_t>(offset), type};
    body.insert(body.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (const std::uint8_t b : body)
        sum += b;
    body.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF) + checksumDelta));
    return ":" + HexOf(body) + "\r\n";
}
inline std::string HexBase(std::uint16_t upper)
{
    return HexRecord(0x04, 0,
                     {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)});
}
inline std::string HexData(std::uint16_t offset, const Bytes& data)
{
    return HexRecord(0x00, offset, data);
}
inline const std::string kHexEnd = ":00000001FF\r\n";

// n bytes counting up from `first`.
inline Bytes Ramp(std::size_t n, std::uint8_t first = 0)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(first + i);
    return b;
}

}  // namespace tirv::test
