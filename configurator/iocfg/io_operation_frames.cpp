#include "configurator/iocfg/io_operation_frames.h"

#include "configurator/iocfg/io_registers.h"
#include "configurator/link/frames.h"
#include "configurator/link/registers.h"
#include "configurator/link/text_frames.h"

#include <algorithm>
#include <array>

namespace tirv {
namespace {

constexpr std::uint64_t kBitsPerByte = 13;
constexpr std::uint64_t kFullReadBits = 3331;  // 255 reply bytes of 13 bits and the turnaround
constexpr std::uint64_t kRemainderBits = 81;
constexpr std::uint64_t kWriteAckBits = 104 + 16;
constexpr int kReadMarginMs = 20;
constexpr int kFirstWriteMarginMs = 70;
constexpr int kWriteMarginMs = 20;

int Ms(std::uint64_t bits, int baudIndex)
{
    return static_cast<int>(bits * 1000 / BaudRate(baudIndex));
}

BlockFrame Framed(const std::array<std::uint8_t, kFrameBufferSize>& buf, std::size_t length,
                  int waitMs, ReplyRule reply)
{
    BlockFrame f;
    if (length == 0)
        return f;
    f.bytes.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(length));
    f.waitMs = waitMs;
    f.reply = reply;
    return f;
}

bool Fits(int start, int count)
{
    return start >= 0 && start + count <= 0xFFFF && count > 0 && count <= 255;
}

}  // namespace

int IoReadWaitMs(std::size_t requestLength, int registers, int baudIndex)
{
    const std::uint64_t n = requestLength;
    if (registers >= kIoFirstReadCount)
        return Ms(n * kBitsPerByte + kFullReadBits, baudIndex) + kReadMarginMs;
    const auto r = static_cast<std::uint64_t>(std::max(registers, 0));
    return Ms(r * 2 * kBitsPerByte + n * kBitsPerByte + kRemainderBits, baudIndex) + kReadMarginMs;
}

int IoWriteWaitMs(std::size_t requestLength, bool firstBlock, int baudIndex)
{
    const std::uint64_t bits = requestLength * 2 * kBitsPerByte + kWriteAckBits;
    return Ms(bits, baudIndex) + (firstBlock ? kFirstWriteMarginMs : kWriteMarginMs);
}

BlockFrame BuildBlockRead(const SetpointLink& link, BlockKind kind, int start, int count)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    if (!Fits(start, count))
        return {};
    const auto s = static_cast<std::uint16_t>(start);
    if (link.text) {
        const std::size_t n =
            BuildTextRead(link.framing, buf, link.address, s, static_cast<std::uint8_t>(count));
        return Framed(buf, n, TextReplyWaitMs(link.baudIndex), TextFrameReply());
    }
    const auto c = static_cast<std::uint16_t>(count);
    const std::size_t n = BuildReadRegisters(buf, link.address, s, c);
    const int wait = kind == BlockKind::Io ? IoReadWaitMs(n, count, link.baudIndex)
                                           : ReadWaitMs(n, c, link.baudIndex);
    return Framed(buf, n, wait,
                  ModbusReply(static_cast<std::uint8_t>(Function::ReadRegisters),
                              static_cast<int>(ReadReplyLength(c))));
}

BlockFrame BuildBlockWrite(const SetpointLink& link, BlockKind kind, int start,
                           std::span<const std::uint16_t> values, bool firstBlock)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const int count = static_cast<int>(values.size());
    if (!Fits(start, count))
        return {};
    const auto s = static_cast<std::uint16_t>(start);
    const RegisterValueFn value = [values](std::size_t k) { return values[k]; };
    if (link.text) {
        const std::size_t n = BuildTextWrite(link.framing, buf, link.address, s,
                                             static_cast<std::uint8_t>(count), value);
        return Framed(buf, n, TextReplyWaitMs(link.baudIndex), TextFrameReply());
    }
    const std::size_t n =
        BuildWriteRegisters(buf, link.address, s, static_cast<std::uint16_t>(count), value);
    const int wait = kind == BlockKind::Io ? IoWriteWaitMs(n, firstBlock, link.baudIndex)
                                           : WriteWaitMs(n, link.baudIndex);
    return Framed(buf, n, wait,
                  ModbusReply(static_cast<std::uint8_t>(Function::WriteRegisters),
                              static_cast<int>(kWriteAckLength)));
}

LinkResult AcceptBlockRead(const SetpointLink& link, std::span<const std::uint8_t> request,
                           std::span<const std::uint8_t> reply, int offset, int count,
                           std::span<std::uint16_t> block)
{
    const auto size = static_cast<int>(block.size());
    if (offset < 0 || count <= 0 || offset + count > size)
        return LinkResult::LengthMismatch;
    if (link.text) {
        // Parsed into a scratch block first, so that a damaged frame leaves nothing behind.
        std::vector<std::int32_t> values(block.size(), 0);
        const int perFrame = std::max(1, link.framing.valuesPerFrame);
        const TextReply r = ParseTextRead(link.framing, reply, request,
                                          static_cast<std::size_t>(offset / perFrame), values);
        if (r.result != LinkResult::Good)
            return r.result;
        if (!r.crcMatches())
            return LinkResult::CrcMismatch;
        if (r.valueCount != static_cast<std::size_t>(count))
            return LinkResult::TextCountEcho;
        for (int k = offset; k < offset + count; ++k)
            block[static_cast<std::size_t>(k)] =
                static_cast<std::uint16_t>(values[static_cast<std::size_t>(k)]);
        return LinkResult::Good;
    }
    const LinkResult r = CheckReadReply(reply, link.address, Function::ReadRegisters,
                                        static_cast<std::uint16_t>(count));
    if (r != LinkResult::Good)
        return r;
    for (int k = 0; k < count; ++k)
        block[static_cast<std::size_t>(offset + k)] =
            ReadReplyRegister(reply, static_cast<std::size_t>(k));
    return LinkResult::Good;
}

}  // namespace tirv
