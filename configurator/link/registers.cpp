#include "configurator/link/registers.h"

namespace tirv {
namespace {

constexpr std::size_t SafeIndex(int baudIndex)
{
    return IsValidBaudIndex(baudIndex) ? static_cast<std::size_t>(baudIndex) : 0;
}

// bits × 1000 / rate, truncated; 64-bit so that no length can overflow.
int BitTimeMs(std::uint64_t bits, int baudIndex)
{
    return static_cast<int>(bits * 1000u / BaudRate(baudIndex));
}

constexpr std::uint64_t kBitsPerByte = 13;  // start, 8 data, parity, stop bits and a margin
constexpr std::uint64_t kTurnaroundBits = 16;
constexpr int kReplyMarginMs = 20;
constexpr int kNoReplyPauseMs = 500;

}  // namespace

std::uint32_t BaudRate(int baudIndex) { return kBaudRates[SafeIndex(baudIndex)]; }
int TextReplyWaitMs(int baudIndex) { return kTextReplyWaitMs[SafeIndex(baudIndex)]; }
int ModbusCharGapMs(int baudIndex) { return kModbusCharGapMs[SafeIndex(baudIndex)]; }
int LinkCheckWaitMs(int baudIndex) { return kLinkCheckWaitMs[SafeIndex(baudIndex)]; }

int ReplyWaitMs(std::size_t requestLength, std::size_t replyLength, int baudIndex)
{
    const std::uint64_t bits = kBitsPerByte * (requestLength + replyLength) + kTurnaroundBits;
    return BitTimeMs(bits, baudIndex) + kReplyMarginMs;
}

int ReadWaitMs(std::size_t requestLength, std::size_t registerCount, int baudIndex)
{
    return ReplyWaitMs(requestLength, 2 * registerCount + 5, baudIndex);
}

int WriteWaitMs(std::size_t requestLength, int baudIndex)
{
    // The request is counted twice here, which the relay's timing has always allowed for.
    const std::uint64_t bits = 2 * kBitsPerByte * requestLength + kBitsPerByte * 8 + kTurnaroundBits;
    return BitTimeMs(bits, baudIndex) + kReplyMarginMs;
}

int RestoreMinimalSetWaitMs(std::size_t requestLength, int baudIndex)
{
    // No reply comes; the pause lets the relay store its default set before the next request.
    return BitTimeMs(kBitsPerByte * requestLength + kTurnaroundBits, baudIndex) + kNoReplyPauseMs;
}

int DeviceTypeReadWaitMs(std::size_t requestLength, int baudIndex)
{
    constexpr std::uint64_t kDeviceTypeReplyBits = 237;
    return BitTimeMs(kBitsPerByte * requestLength + kDeviceTypeReplyBits, baudIndex) +
           kReplyMarginMs;
}

int ThreadWriteWaitMs(std::size_t requestLength, int baudIndex)
{
    return BitTimeMs(kBitsPerByte * requestLength, baudIndex) + kReplyMarginMs;
}

int ThreadReplyWaitMs(std::size_t replyLength, int baudIndex)
{
    return BitTimeMs(kBitsPerByte * replyLength, baudIndex) + kReplyMarginMs;
}

}  // namespace tirv
