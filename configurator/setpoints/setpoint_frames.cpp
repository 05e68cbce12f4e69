// Setpoint request frames and reply handling over both serial formats.
#include "configurator/setpoints/setpoint_frames.h"
#include "configurator/link/register_read.h"

#include "configurator/link/frames.h"
#include "configurator/link/registers.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_conversion.h"

#include <algorithm>
#include <array>

namespace tirv {
namespace {

SetpointWire WireOf(const SetpointLink& link)
{
    return link.text ? SetpointWire::Text : SetpointWire::Modbus;
}

SetpointFrame Framed(const std::array<std::uint8_t, kFrameBufferSize>& buf, std::size_t length,
                     int waitMs, ReplyRule reply)
{
    SetpointFrame f;
    if (length == 0)
        return f;
    f.bytes.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(length));
    f.waitMs = waitMs;
    f.reply = reply;
    return f;
}

bool BlockFits(const ModelProfile& p, int start, int count)
{
    return start >= 0 && count > 0 && start + count <= p.imageWords;
}

// The text codec's reply record shares its name with the completion rule's helper.
constexpr ReplyRule kTextReplyRule{ReplyShape::Text, 0, 0};

// A damaged text frame whose fields all matched still fails on its CRC.

}  // namespace

SetpointLink SetpointLinkFor(const ConnectionSettings& settings)
{
    SetpointLink link;
    link.text = settings.protocol == Protocol::Tirv;
    link.framing = TextFramingOf(settings);
    link.address = static_cast<std::uint8_t>(settings.address);
    link.baudIndex = settings.baudIndex;
    return link;
}

int SetpointReadBlockSize(const SetpointLink& link)
{
    return link.text ? link.framing.valuesPerFrame : kMaxReadCount;
}

int SetpointWriteBlockSize(const SetpointLink& link)
{
    return link.text ? link.framing.valuesPerFrame : kMaxWriteCount;
}

SetpointFrame BuildSetpointRead(const SetpointLink& link, int start, int count)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    if (start < 0 || count <= 0)
        return {};
    if (link.text) {
        const std::size_t n =
            BuildTextRead(link.framing, buf, link.address, static_cast<std::uint16_t>(start),
                          static_cast<std::uint8_t>(std::min(count, 255)));
        return Framed(buf, n, TextReplyWaitMs(link.baudIndex), kTextReplyRule);
    }
    const auto c = static_cast<std::uint16_t>(count);
    const std::size_t n = BuildReadRegisters(buf, link.address, static_cast<std::uint16_t>(start), c);
    return Framed(buf, n, ReadWaitMs(n, c, link.baudIndex),
                  ModbusReply(static_cast<std::uint8_t>(Function::ReadRegisters),
                              static_cast<int>(ReadReplyLength(c))));
}

SetpointFrame BuildSetpointWrite(const SetpointLink& link, const ModelProfile& p,
                                 const SetpointImage& image, int start, int count)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    if (!BlockFits(p, start, count))
        return {};
    const SetpointWire wire = WireOf(link);
    const RegisterValueFn value = [&](std::size_t k) {
        return ImageToRegister(p, wire, image, start + static_cast<int>(k));
    };
    if (link.text) {
        const std::size_t n =
            BuildTextWrite(link.framing, buf, link.address, static_cast<std::uint16_t>(start),
                           static_cast<std::uint8_t>(std::min(count, 255)), value);
        return Framed(buf, n, TextReplyWaitMs(link.baudIndex), kTextReplyRule);
    }
    const std::size_t n = BuildWriteRegisters(buf, link.address, static_cast<std::uint16_t>(start),
                                              static_cast<std::uint16_t>(count), value);
    return Framed(buf, n, WriteWaitMs(n, link.baudIndex),
                  ModbusReply(static_cast<std::uint8_t>(Function::WriteRegisters),
                              static_cast<int>(kWriteAckLength)));
}

SetpointFrame BuildMinimalSetRequest(const SetpointLink& link)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    if (link.text)
        return {};
    const std::size_t n = BuildRestoreMinimalSet(buf, link.address);
    return Framed(buf, n, RestoreMinimalSetWaitMs(n, link.baudIndex), NoReply());
}

LinkResult AcceptSetpointRead(const SetpointLink& link, const ModelProfile& p,
                              std::span<const std::uint8_t> request,
                              std::span<const std::uint8_t> reply, int start, int count,
                              SetpointImage& check, bool& nonZero)
{
    if (!BlockFits(p, start, count))
        return LinkResult::LengthMismatch;
    if (link.text) {
        // Parsed (and converted) into a register-ordered scratch block first, so that a damaged
        // frame leaves nothing behind in `check`.
        std::vector<std::int32_t> values(static_cast<std::size_t>(p.imageWords), 0);
        const int perFrame = std::max(1, link.framing.valuesPerFrame);
        const TextValueFn convert = [&p](std::size_t reg, std::uint16_t word) {
            return WordToSetpoint(p, SetpointWire::Text,
                                  ImageIndexOfRegister(p, static_cast<int>(reg)), word);
        };
        const TextReply r =
            ParseTextRead(link.framing, reply, request, static_cast<std::size_t>(start / perFrame),
                          values, convert);
        if (r.result != LinkResult::Good)
            return r.result;
        if (!r.crcMatches())
            return LinkResult::CrcMismatch;
        if (r.valueCount != static_cast<std::size_t>(count))
            return LinkResult::TextCountEcho;
        for (int reg = start; reg < start + count; ++reg)
            check[static_cast<std::size_t>(ImageIndexOfRegister(p, reg))] =
                values[static_cast<std::size_t>(reg)];
        return LinkResult::Good;
    }
    const LinkResult r = CheckReadReply(reply, link.address, Function::ReadRegisters,
                                        static_cast<std::uint16_t>(count));
    if (r != LinkResult::Good)
        return r;
    for (int k = 0; k < count; ++k) {
        const std::uint16_t w = ReadReplyRegister(reply, static_cast<std::size_t>(k));
        if (w != 0)
            nonZero = true;
        RegisterToImage(p, SetpointWire::Modbus, check, start + k, w);
    }
    return LinkResult::Good;
}

LinkResult AcceptSetpointWriteAck(const SetpointLink& link, std::span<const std::uint8_t> request,
                                  std::span<const std::uint8_t> reply, int start, int count)
{
    if (link.text) {
        const TextReply r = ParseTextWriteAck(link.framing, reply, request);
        if (r.result != LinkResult::Good)
            return r.result;
        return r.crcMatches() ? LinkResult::Good : LinkResult::CrcMismatch;
    }
    return CheckWriteReply(reply, link.address, Function::WriteRegisters,
                           static_cast<std::uint16_t>(start), static_cast<std::uint16_t>(count));
}

bool TcpRegistersToImage(const ModelProfile& p, std::span<const std::uint8_t> bytes,
                         SetpointImage& check)
{
    if (bytes.size() < 2u * static_cast<std::size_t>(p.imageWords))
        return false;
    for (int r = 0; r < p.imageWords; ++r) {
        const auto k = static_cast<std::size_t>(r);
        const auto w = static_cast<std::uint16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
        RegisterToImage(p, SetpointWire::Modbus, check, r, w);
    }
    return true;
}

ReadVerdict JudgeSetpointRead(const ModelProfile& p, const SetpointImage& check, bool text,
                              bool nonZero)
{
    if (!text && !nonZero)
        return ReadVerdict::Empty;
    return CheckImage(p, check) ? ReadVerdict::Accepted : ReadVerdict::Rejected;
}

}  // namespace tirv
