#pragma once
// Hexadecimal digits of the text firmware formats (S-record, Intel HEX), read with bounds checks.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tirv {

// 0…15 for 0-9, A-F, a-f; nullopt otherwise.
constexpr std::optional<std::uint8_t> HexDigitValue(std::uint8_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

// The byte written as two digits at text[pos], pos+1; nullopt when short or not hexadecimal.
constexpr std::optional<std::uint8_t> HexByteAt(std::span<const std::uint8_t> text, std::size_t pos)
{
    if (pos >= text.size() || text.size() - pos < 2)
        return std::nullopt;
    const auto hi = HexDigitValue(text[pos]);
    const auto lo = HexDigitValue(text[pos + 1]);
    if (!hi || !lo)
        return std::nullopt;
    return static_cast<std::uint8_t>(*hi << 4 | *lo);
}

// CR, LF and NUL are the only characters allowed between records.
constexpr bool IsRecordSeparator(std::uint8_t c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

}  // namespace tirv
