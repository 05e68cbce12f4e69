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

inline constexpr int kMinValuesPerFrame = 8;
inline constexpr int kMaxValuesPerFrame = 255;
inline constexpr int kDefaultValuesPerFrame = 34;

struct TextFraming {
    TextVariant variant = TextVariant::Old;
    int valuesPerFrame = kDefaultValuesPerFrame;  // 8..255, the most values one frame carries
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

// Values in the next write block of `remaining`: at most the values per frame, and in variant 0
// never one less. Variant 0 sends the count only when it is not the values per frame, and values
// and count share the "," separator, so a block one short of full would carry exactly as many
// numbers as a full block without a count: the relay would take the count for the first value
// and write everything one register off. Such a block goes as one shorter and then the rest.
int TextWriteBlockCount(const TextFraming& framing, int remaining);

// Builders return the frame length including ":" and "#", or 0 when the arguments cannot form a
// frame (count 0, values missing, address too large, values per frame outside 8..255, a command
// character that would break the frame) or the frame does not fit `out` or the 272-byte exchange
// buffer. Nothing is written beyond either.

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

// Both parsers find the frame in `received` (the first ":" and the first "#" after it: failures
// 1 and 2) and compare its header with `request`, the frame that was sent, character by
// character: a difference in the address gives 3, in the command 4, in the start 5, in the count
// 6, and a separator of the other variant (or a start where variant 0 sends its "<") gives 7.

// Read reply: the echoed header, the values separated by ",", ";", the CRC digits, "#". A frame
// without that ";" gives 2; more values than the values per frame, or another number of values
// than the request asked for, gives 8; a value that would land beyond `destination` gives 9.
// Value k of the frame is stored at group × values per frame + k of `destination`, as is or
// through `convert`. The destination is only written when the frame is good and its CRC matches,
// so a damaged reply never leaves partial data behind.
TextReply ParseTextRead(const TextFraming& framing, std::span<const std::uint8_t> received,
                        std::span<const std::uint8_t> request, std::size_t group,
                        std::span<std::int32_t> destination,
                        const TextValueFn& convert = nullptr);
// Write acknowledgement: the echoed header (address, command, start and, in variant 1, the
// count), whatever the relay echoes after it, then ";" and the CRC digits up to "#"; the CRC
// separator is the last ";" of the frame and must follow the header, else 2. In variant 0 the
// start may be closed by ";" or "," (the acknowledgement may take the variant-1 layout
// ":a;L;s;c;;CRC#"), and the count is not compared: on the wire a variant-0 request's count
// cannot be told from a first value.
TextReply ParseTextWriteAck(const TextFraming& framing, std::span<const std::uint8_t> received,
                            std::span<const std::uint8_t> request);

// Any frame whose layout is not known in advance (the link-check reply): finds it (1, 2) and
// reads the CRC field after its last separator (2 when there is none).
TextReply CheckTextFrameCrc(std::span<const std::uint8_t> received);

}  // namespace tirv
