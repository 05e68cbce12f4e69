#pragma once
// When a reply is complete. The waiting time computed from the line rate stays the upper bound;
// an exchange ends earlier as soon as the bytes in hand form a whole reply, so a fast relay is
// not kept waiting for the worst case.
#include <cstdint>
#include <span>

namespace tirv {

enum class ReplyShape : std::uint8_t {
    Modbus,  // fixed normal length, or the 5-byte exception reply (function | 0x80)
    Text,    // ТИРВ protocol: ends with "#" after a ":"
    None,    // no reply is awaited (broadcasts, restore-minimal-set)
    Open,    // unknown length: ends at the character gap or at the wait
    Exact,   // exactly expectedLength bytes, no exception form (the STM32 bootloader)
};

struct ReplyRule {
    ReplyShape shape = ReplyShape::Open;
    int expectedLength = 0;      // Modbus normal reply length
    std::uint8_t function = 0;   // Modbus function of the request (recognises the exception form)
};

constexpr ReplyRule ModbusReply(std::uint8_t function, int expectedLength)
{
    return {ReplyShape::Modbus, expectedLength, function};
}
constexpr ReplyRule TextFrameReply() { return {ReplyShape::Text, 0, 0}; }
constexpr ReplyRule NoReply() { return {ReplyShape::None, 0, 0}; }
constexpr ReplyRule ExactReply(int length) { return {ReplyShape::Exact, length, 0}; }

inline constexpr int kModbusExceptionLength = 5;

// True when `bytes` already hold a whole reply by the rule.
bool ReplyComplete(const ReplyRule& rule, std::span<const std::uint8_t> bytes);

}  // namespace tirv
