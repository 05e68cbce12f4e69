#include "configurator/service/device_identity_rules.h"

#include "configurator/link/register_read.h"
#include "configurator/link/registers.h"
#include "configurator/link/text_frames.h"
#include "configurator/service/device_identity_texts.h"

#include <cstdio>

namespace tirv {

namespace {

constexpr std::uint64_t kWriteBitsPerByte = 26;
constexpr std::uint64_t kWriteReplyBits = 120;
constexpr int kMarginMs = 20;
constexpr long kMaxSerial = 65535;

IdentityRequest Take(const std::array<std::uint8_t, kFrameBufferSize>& buf, std::size_t n,
                     int waitMs, int replyLength)
{
    IdentityRequest out;
    if (n == 0)
        return out;
    out.frame.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
    out.waitMs = waitMs;
    out.replyLength = replyLength;
    return out;
}

IdentityRequest WriteOne(const ConnectionSettings& s, std::uint16_t reg, int value, bool text)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const auto address = static_cast<std::uint8_t>(s.address);
    const std::int32_t v = value;
    const std::span<const std::int32_t> values(&v, 1);
    const std::size_t n = text ? BuildTextWrite(TextFramingOf(s), buf, address, reg, 1, values)
                               : BuildWriteRegisters(buf, address, reg, 1, values);
    return Take(buf, n, IdentityWriteWaitMs(n, s.baudIndex), text ? 0 : int(kWriteAckLength));
}

}  // namespace

int IdentityWriteWaitMs(std::size_t length, int baudIndex)
{
    const std::uint64_t bits = kWriteBitsPerByte * length + kWriteReplyBits;
    return static_cast<int>(bits * 1000 / BaudRate(baudIndex)) + kMarginMs;
}

IdentityRequest BuildIdentityReadRequest(const ConnectionSettings& s)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const auto address = static_cast<std::uint8_t>(s.address);
    const RegisterBlock b = regs::kDeviceType;
    if (s.protocol == Protocol::Tirv) {
        // Variant 0 sends no start address in a read: the relay would answer from register 0.
        if (TextVariant(s.protocolVariant) == TextVariant::Old)
            return {};
        const std::size_t n =
            BuildTextRead(TextFramingOf(s), buf, address, b.start, std::uint8_t(b.count));
        return Take(buf, n, DeviceTypeReadWaitMs(n, s.baudIndex), 0);
    }
    const std::size_t n = BuildReadRegisters(buf, address, b.start, b.count);
    return Take(buf, n, DeviceTypeReadWaitMs(n, s.baudIndex), int(ReadReplyLength(b.count)));
}

IdentityRequest BuildTypeWriteRequest(const ConnectionSettings& s, int code)
{
    return WriteOne(s, regs::kModelCode, code, s.protocol == Protocol::Tirv);
}

IdentityRequest BuildSerialWriteRequest(const ConnectionSettings& s, int serial)
{
    if (s.protocol == Protocol::Tirv)
        return {};
    return WriteOne(s, regs::kSerialNumber, serial, false);
}

LinkResult ParseIdentityReply(const ConnectionSettings& s, std::span<const std::uint8_t> request,
                              std::span<const std::uint8_t> reply, IdentityRecord& out)
{
    return ParseRegisterReadReply(s, request, reply, out);
}

LinkResult CheckIdentityWriteReply(const ConnectionSettings& s,
                                   std::span<const std::uint8_t> request,
                                   std::span<const std::uint8_t> reply)
{
    if (s.protocol == Protocol::Tirv) {
        const TextReply r = ParseTextWriteAck(TextFramingOf(s), reply, request);
        if (r.result != LinkResult::Good)
            return r.result;
        return r.crcMatches() ? LinkResult::Good : LinkResult::CrcMismatch;
    }
    if (request.size() < 6)
        return LinkResult::LengthMismatch;
    const auto start = static_cast<std::uint16_t>((request[2] << 8) | request[3]);
    return CheckWriteReply(reply, request[0], Function::WriteRegisters, start, 1);
}

IdentityInput CheckIdentityInput(int item, bool serialEnabled, std::string_view serialText)
{
    IdentityInput in;
    in.code = DeviceTypeCode(item);
    if (in.code == 0) {
        in.error = IdentityInputError::NoType;
        return in;
    }
    if (!serialEnabled)
        return in;
    long serial = 0;
    bool digits = !serialText.empty() && serialText.size() <= std::size_t(kSerialDigits);
    for (const char c : serialText) {
        if (c < '0' || c > '9') {
            digits = false;
            break;
        }
        serial = serial * 10 + (c - '0');
    }
    if (!digits || serial > kMaxSerial) {
        in.error = IdentityInputError::NoSerial;
        return in;
    }
    in.writeSerial = true;
    in.serial = int(serial);
    return in;
}

const char* IdentityInputText(IdentityInputError e)
{
    switch (e) {
        case IdentityInputError::NoType:
            return identity_texts::kChooseType;
        case IdentityInputError::NoSerial:
            return identity_texts::kEnterSerial;
        case IdentityInputError::None:
            break;
    }
    return nullptr;
}

std::string FrameBytesText(std::span<const std::uint8_t> bytes, bool modbusRead)
{
    std::string out;
    char cell[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(cell, sizeof cell, "%02x ", unsigned(b));
        out += cell;
    }
    if (modbusRead && !out.empty())
        out.pop_back();
    return out;
}

}  // namespace tirv
