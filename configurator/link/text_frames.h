#pragma once
// The relay's character-coded ТИРВ protocol: frames of printable characters between ":" and "#",
// numbers in base 32 with digit d sent as the character 60 + d, closed by a CRC field.
// Pure functions like the Modbus codec in frames.h, and the same LinkResult values.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "configurator/link/frames.h"

namespace tirv {

// The two variants of the protocol-version selector: "Старая" and "Новая".
enum class TextVariant : int { Old = 0, New = 1 };

struct TextFraming {
    TextVariant variant = TextVariant::Old;
    int valuesPerFrame = 34;  // 8..255, the most values one frame carries
};

inline constexpr char kTextStart = ':';
inline constexpr char kTextFieldSeparator = ';';
inline constexpr char kTextListSeparator = ',';
inline constexpr char kTextEnd = '#';
inline constexpr char kTextReadCommand = '?';
inline constexpr char kTextWriteCommand = 'L';
inline constexpr char kTextBreakerCommand = 'K';
inline constexpr std::uint8_t kTextDigitBase = 60;  // digit 0 is "<"
// The link check carries the address as one character, so it cannot go above this.
inline constexpr std::uint8_t kMaxTextLinkCheckAddress = 255 - kTextDigitBase;

// Appends the digits of `value` (at most three: value >> 10, (value >> 5) & 31, value & 31,
// leading zero digits dropped, so 0 is empty) at out[pos]. Returns the new position, or 0 when
// the digits do not fit.
std::size_t AppendTextNumber(std::span<std::uint8_t> out, std::size_t pos, std::uint16_t value);
// Decodes a run of digit characters (value = value × 32 + (character − 60), kept to 16 bits).
std::uint16_t DecodeTextNumber(std::span<const std::uint8_t> digits);

// Stored value of destination element `index` from its received 16-bit form, e.g. the setpoint
// catalogue's inverse conversion (the per-setpoint offset removed).
using TextValueFn = std::function<std::int32_t(std::size_t index, std::uint16_t value)>;

// Builders return the frame length including ":" and "#", or 0 when the arguments cannot form a
// frame that fits `out` (count 0 or above 255, values missing, address too large).

// "?" request for `count` values from `start` (variant 0 sends no start and no count when the
// count equals the values per frame).
std::size_t BuildTextRead(const TextFraming& framing, std::span<std::uint8_t> out,
                          std::uint8_t address, std::uint16_t start, std::uint8_t count);
// Write with `command` ("L" registers, "K" breaker) of count values.
std::size_t BuildTextWrite(const TextFraming& framing, std::span<std::uint8_t> out,
                           std::uint8_t address, std::uint16_t start, std::uint8_t count,
                           std::span<const std::int32_t> values, char command = kTextWriteCommand);
std::size_t BuildTextWrite(const TextFraming& framing, std::span<std::uint8_t> out,
                           std::uint8_t address, std::uint16_t start, std::uint8_t count,
                           const RegisterValueFn& value, char command = kTextWriteCommand);
// The link-check frame of both variants; address at most kMaxTextLinkCheckAddress.
std::size_t BuildTextLinkCheck(std::span<std::uint8_t> out, std::uint8_t address);

// What a parser found. The CRC is not judged by the parser: the caller treats
// computedCrc != receivedCrc as a failed exchange.
struct TextReply {
    LinkResult result = LinkResult::Good;
    std::uint16_t computedCrc = 0;
    std::uint16_t receivedCrc = 0;
    std::size_t valueCount = 0;  // read replies: values in the frame
    bool crcMatches() const { return computedCrc == receivedCrc; }
    bool good() const { return result == LinkResult::Good && crcMatches(); }
};

// Checks a read reply against its request and stores value k of the frame at
// group × values per frame + k of `destination`, as is or through `convert`. The destination is
// only written when the frame is good and its CRC matches, so a damaged reply never leaves
// partial data behind.
TextReply ParseTextRead(const TextFraming& framing, std::span<const std::uint8_t> received,
                        std::span<const std::uint8_t> request, std::size_t group,
                        std::span<std::int32_t> destination,
                        const TextValueFn& convert = nullptr);
// Checks a write acknowledgement against its request.
TextReply ParseTextWriteAck(const TextFraming& framing, std::span<const std::uint8_t> received,
                            std::span<const std::uint8_t> request);

}  // namespace tirv
