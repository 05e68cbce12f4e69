#pragma once
// Line rates and the per-rate waits of the serial link, indexed by the baud index of the
// connection settings (0 = 1200 … 9 = 460800). Pure data: no Qt, no I/O.
#include <array>
#include <cstdint>

namespace tirv {

struct LineTiming {
    std::int32_t baud;
    std::int32_t textReplyWaitMs;  // wait for a ТИРВ-protocol reply
    std::int32_t modbusGapMs;      // character gap that ends a Modbus reply
    std::int32_t linkCheckWaitMs;  // link-check reply wait (+20), pause between check repeats
};

inline constexpr std::array<LineTiming, 10> kLineTiming{{
    {1200, 700, 20, 280},
    {2400, 400, 10, 140},
    {4800, 200, 5, 70},
    {9600, 100, 3, 35},
    {19200, 100, 2, 20},
    {38400, 80, 1, 20},
    {57600, 60, 1, 20},
    {115200, 30, 1, 20},
    {230400, 20, 1, 20},
    {460800, 10, 1, 20},
}};

inline constexpr int kDefaultBaudIndex = 6;
inline constexpr int kTextGapMs = 10;  // the ТИРВ protocol ends a reply at a 10 ms gap at any rate
// The relay counts a byte as 13 bit times (start, 8 data, parity, stop and inter-byte slack).
inline constexpr int kBitTimesPerByte = 13;
inline constexpr int kMaxFrameBytes = 255;  // request and receive buffers of the paced exchange

// The row for a baud index; indexes outside the table fall back to the default rate so that a
// corrupt settings file can never index past the table.
constexpr const LineTiming& TimingFor(int baudIndex)
{
    if (baudIndex < 0 || baudIndex >= static_cast<int>(kLineTiming.size()))
        return kLineTiming[kDefaultBaudIndex];
    return kLineTiming[static_cast<std::size_t>(baudIndex)];
}

// Time the line needs for `bytes` bytes at the given rate, truncated to whole milliseconds.
constexpr int LineTimeMs(int bytes, int baudIndex)
{
    return static_cast<int>(static_cast<std::int64_t>(bytes) * kBitTimesPerByte * 1000 /
                            TimingFor(baudIndex).baud);
}

}  // namespace tirv
