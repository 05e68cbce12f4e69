#pragma once
// Modbus TCP framing of the relay's register reads: the request with its MBAP header and the
// reply checks (Modbus Application Protocol over TCP, MBAP header of 7 bytes). Pure: no Qt, no I/O.
#include <array>
#include <cstdint>
#include <span>

namespace tirv {

inline constexpr int kMbapRequestLength = 12;
inline constexpr int kMbapExceptionLength = 9;
inline constexpr int kMbapMaxRegisters = 125;
inline constexpr std::uint8_t kMbapUnit = 1;  // the relay answers unit 1 whatever its address

// Only reads travel over TCP.
constexpr bool IsTcpReadFunction(std::uint8_t function)
{
    return function == 0x03 || function == 0x41 || function == 0x51;
}

constexpr int MbapReplyLength(int count) { return 2 * count + 9; }

// Builds the 12-byte read request (transaction 0, protocol 0, unit 1).
std::array<std::uint8_t, kMbapRequestLength> BuildMbapRead(std::uint8_t function,
                                                           std::uint16_t start,
                                                           std::uint16_t count);

struct MbapCheck {
    int result = 0;                // LinkResult: 0 good, 1, 2, 4, 25, 5, 6, 7
    std::uint8_t exceptionCode = 0;
};

// Checks a whole reply to a read of `count` registers by `function`, in the relay's order:
// unit, length, exception, function, byte count.
MbapCheck CheckMbapReply(std::span<const std::uint8_t> reply, std::uint8_t function, int count);

enum class MbapProgress { NeedMore, Complete, Bad };

// Judges a reply while it is still arriving: once the function byte is in, it must be the
// request's function or its exception form, and an exception reply is complete at 9 bytes.
MbapProgress ClassifyMbapPartial(std::span<const std::uint8_t> bytes, std::uint8_t function,
                                 int count);

// Stores the data of a checked reply into `image` from byte `offset` on, each register low byte
// first (the wire carries it high byte first). Returns false if the image is too small.
bool StoreMbapData(std::span<const std::uint8_t> reply, int count, std::span<std::uint8_t> image,
                   std::size_t offset);

}  // namespace tirv
