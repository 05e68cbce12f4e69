#include "configurator/link/frames.h"

#include <array>
#include <optional>

#include "common/crc16.h"

namespace tirv {
namespace {

// Appends fields to a request and closes it with the CRC. Every builder checks the length it
// needs before writing, so the writer's bound check is only a last guard.
class FrameWriter {
public:
    FrameWriter(std::span<std::uint8_t> out, std::uint8_t address, Function function) : m_out(out)
    {
        byte(address);
        byte(static_cast<std::uint8_t>(function));
    }
    void byte(std::uint8_t b)
    {
        if (m_pos < m_out.size())
            m_out[m_pos] = b;
        ++m_pos;
    }
    void wordHighFirst(std::uint16_t w)
    {
        byte(static_cast<std::uint8_t>(w >> 8));
        byte(static_cast<std::uint8_t>(w));
    }
    void wordLowFirst(std::uint16_t w)
    {
        byte(static_cast<std::uint8_t>(w));
        byte(static_cast<std::uint8_t>(w >> 8));
    }
    void longLowFirst(std::uint32_t v)
    {
        wordLowFirst(static_cast<std::uint16_t>(v));
        wordLowFirst(static_cast<std::uint16_t>(v >> 16));
    }
    std::size_t finish()
    {
        if (m_pos + 2 > m_out.size())
            return 0;
        const std::uint16_t crc = Crc16(m_out.first(m_pos));
        wordLowFirst(crc);
        return m_pos;
    }

private:
    std::span<std::uint8_t> m_out;
    std::size_t m_pos = 0;
};

constexpr std::size_t kHeaderAndCrc = 4;        // address, function, CRC
constexpr std::size_t kBlockRequestLength = 8;  // address, function, start, count, CRC
constexpr std::size_t kWriteOverhead = 9;       // … plus the byte count
constexpr std::size_t kBootWriteOverhead = 10;  // address, function, 32-bit address, length, CRC
constexpr std::size_t kClockBroadcastLength = 11;
constexpr std::size_t kMaxReadByteCount = 250;

bool Fits(std::span<std::uint8_t> out, std::size_t length) { return out.size() >= length; }

std::size_t BuildBlockRequest(std::span<std::uint8_t> out, std::uint8_t address, Function function,
                              std::uint16_t start, std::uint16_t count)
{
    if (count == 0 || count > kMaxReadCount || !Fits(out, kBlockRequestLength))
        return 0;
    FrameWriter w(out, address, function);
    w.wordHighFirst(start);
    w.wordHighFirst(count);
    return w.finish();
}

// Function 16 and 0x52 share the layout; `value` gives register k of the block.
template <typename ValueAt>
std::size_t BuildRegisterWrite(std::span<std::uint8_t> out, std::uint8_t address,
                               Function function, std::uint16_t start, std::uint16_t count,
                               ValueAt&& value)
{
    if (count == 0 || count > kMaxWriteCount || !Fits(out, 2u * count + kWriteOverhead))
        return 0;
    FrameWriter w(out, address, function);
    w.wordHighFirst(start);
    w.wordHighFirst(count);
    w.byte(static_cast<std::uint8_t>(2 * count));
    for (std::size_t k = 0; k < count; ++k)
        w.wordHighFirst(value(k));
    return w.finish();
}

// Exception replies that carry a meaning of their own; any other gives LinkResult::Exception.
struct ExceptionRule {
    Function function;
    std::optional<std::uint8_t> code;  // empty: every code
    LinkResult result;
    bool addCode;  // result + exception code
};

constexpr std::array<ExceptionRule, 5> kExceptionRules{{
    {Function::WriteRegisters, 4, LinkResult::WriteRefused, false},
    {Function::BootCommand, 4, LinkResult::WriteRefused, false},
    {Function::BootWrite, 4, LinkResult::WriteRefused, false},
    {Function::ReadArchive, 5, LinkResult::ArchiveBusy, false},
    {Function::WriteService, std::nullopt, LinkResult::ServiceException, true},
}};

LinkResult ExceptionResult(Function function, std::uint8_t code)
{
    for (const ExceptionRule& rule : kExceptionRules) {
        if (rule.function != function || (rule.code && *rule.code != code))
            continue;
        return rule.addCode ? static_cast<LinkResult>(static_cast<int>(rule.result) + code)
                            : rule.result;
    }
    return LinkResult::Exception;
}

std::uint16_t HighFirst(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}

// Steps 1–5 shared by every reply: address, length by the form byte 1 announces, exception,
// function, CRC. The function-specific step follows in the caller.
LinkResult CheckFrame(std::span<const std::uint8_t> reply, std::uint8_t address,
                      Function function, std::size_t normalLength)
{
    // A reply too short to hold an address cannot have the length of any form.
    if (reply.empty())
        return LinkResult::LengthMismatch;
    if (reply[0] != address)
        return LinkResult::AddressMismatch;
    const auto code = static_cast<std::uint8_t>(function);
    const bool exceptionForm = reply.size() >= 2 && reply[1] == (code | kExceptionFlag);
    if (reply.size() != (exceptionForm ? kExceptionReplyLength : normalLength))
        return LinkResult::LengthMismatch;
    if (exceptionForm)
        return ExceptionResult(function, reply[2]);
    if (reply[1] != code)
        return LinkResult::FunctionMismatch;
    const std::size_t body = reply.size() - 2;
    const std::uint16_t received =
        static_cast<std::uint16_t>(reply[body] | (reply[body + 1] << 8));
    if (Crc16(reply.first(body)) != received)
        return LinkResult::CrcMismatch;
    return LinkResult::Good;
}

}  // namespace

std::size_t BuildReadRegisters(std::span<std::uint8_t> out, std::uint8_t address,
                               std::uint16_t start, std::uint16_t count)
{
    return BuildBlockRequest(out, address, Function::ReadRegisters, start, count);
}

std::size_t BuildWriteRegisters(std::span<std::uint8_t> out, std::uint8_t address,
                                std::uint16_t start, std::uint16_t count,
                                std::span<const std::int32_t> values)
{
    if (values.size() < count)
        return 0;
    return BuildRegisterWrite(out, address, Function::WriteRegisters, start, count,
                              [&](std::size_t k) { return static_cast<std::uint16_t>(values[k]); });
}

std::size_t BuildWriteRegisters(std::span<std::uint8_t> out, std::uint8_t address,
                                std::uint16_t start, std::uint16_t count,
                                std::span<const std::uint16_t> values)
{
    if (values.size() < count)
        return 0;
    return BuildRegisterWrite(out, address, Function::WriteRegisters, start, count,
                              [&](std::size_t k) { return values[k]; });
}

std::size_t BuildWriteRegisters(std::span<std::uint8_t> out, std::uint8_t address,
                                std::uint16_t start, std::uint16_t count,
                                const RegisterValueFn& value)
{
    if (!value)
        return 0;
    return BuildRegisterWrite(out, address, Function::WriteRegisters, start, count, value);
}

std::size_t BuildWriteRegisterPairs(std::span<std::uint8_t> out, std::uint8_t address,
                                    std::uint16_t start, std::uint16_t count,
                                    std::span<const std::uint32_t> values)
{
    if (count % 2 != 0 || values.size() < count / 2u)
        return 0;
    return BuildRegisterWrite(out, address, Function::WriteRegisters, start, count,
                              [&](std::size_t k) {
                                  const std::uint32_t v = values[k / 2];
                                  return static_cast<std::uint16_t>(k % 2 == 0 ? v : v >> 16);
                              });
}

std::size_t BuildRestoreMinimalSet(std::span<std::uint8_t> out, std::uint8_t address)
{
    if (!Fits(out, kHeaderAndCrc + 1))
        return 0;
    FrameWriter w(out, address, Function::RestoreMinimalSet);
    w.byte(0);
    return w.finish();
}

std::size_t BuildReadArchive(std::span<std::uint8_t> out, std::uint8_t address,
                             std::uint16_t start, std::uint16_t count)
{
    return BuildBlockRequest(out, address, Function::ReadArchive, start, count);
}

std::size_t BuildReadJournal(std::span<std::uint8_t> out, std::uint8_t address,
                             std::uint16_t start, std::uint16_t count)
{
    return BuildBlockRequest(out, address, Function::ReadJournal, start, count);
}

std::size_t BuildWriteService(std::span<std::uint8_t> out, std::uint8_t address,
                              std::uint16_t start, std::uint16_t count,
                              std::span<const std::uint16_t> values)
{
    if (values.size() < count)
        return 0;
    return BuildRegisterWrite(out, address, Function::WriteService, start, count,
                              [&](std::size_t k) { return values[k]; });
}

std::size_t BuildBootRead(std::span<std::uint8_t> out, std::uint8_t address, std::uint16_t start,
                          std::uint16_t count)
{
    return BuildBlockRequest(out, address, Function::BootRead, start, count);
}

std::size_t BuildBootCommand(std::span<std::uint8_t> out, std::uint8_t address,
                             std::uint16_t start, int kind)
{
    using Pattern = std::array<std::uint8_t, 6>;
    static constexpr std::array<Pattern, 4> kPatterns{{
        {0xAA, 0xAA, 0xBB, 0xBB, 0xCC, 0xCC},
        {0xBB, 0xBB, 0xCC, 0xCC, 0xAA, 0xAA},
        {0xCC, 0xCC, 0xAA, 0xAA, 0xBB, 0xBB},
        {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA},
    }};
    constexpr std::uint16_t kCount = 3;
    if (kind < 0 || kind >= static_cast<int>(kPatterns.size()) ||
        !Fits(out, 2u * kCount + kWriteOverhead))
        return 0;
    FrameWriter w(out, address, Function::BootCommand);
    w.wordHighFirst(start);
    w.wordHighFirst(kCount);
    w.byte(2 * kCount);
    for (std::uint8_t b : kPatterns[static_cast<std::size_t>(kind)])
        w.byte(b);
    return w.finish();
}

std::size_t BuildBootWrite(std::span<std::uint8_t> out, std::uint8_t address,
                           std::uint32_t memoryAddress, std::span<const std::uint8_t> data)
{
    if (data.size() > kMaxBootWriteData || !Fits(out, data.size() + kBootWriteOverhead))
        return 0;
    FrameWriter w(out, address, Function::BootWrite);
    // This bootloader takes its multi-byte fields low byte first, unlike the rest of the format.
    w.longLowFirst(memoryAddress);
    w.wordLowFirst(static_cast<std::uint16_t>(data.size()));
    for (std::uint8_t b : data)
        w.byte(b);
    return w.finish();
}

std::size_t BuildClockBroadcast(std::span<std::uint8_t> out, std::uint8_t day,
                                std::uint8_t month, int year, std::uint8_t hour,
                                std::uint8_t minute, std::uint8_t second)
{
    if (!Fits(out, kClockBroadcastLength))
        return 0;
    FrameWriter w(out, kBroadcastAddress, Function::ClockBroadcast);
    w.byte(6);
    w.byte(day);
    w.byte(month);
    w.byte(static_cast<std::uint8_t>(static_cast<unsigned>(year - 2000) & 0xFFu));
    w.byte(hour);
    w.byte(minute);
    w.byte(second);
    return w.finish();
}

LinkResult CheckReadReply(std::span<const std::uint8_t> reply, std::uint8_t address,
                          Function function, std::uint16_t count)
{
    const LinkResult frame = CheckFrame(reply, address, function, ReadReplyLength(count));
    if (frame != LinkResult::Good)
        return frame;
    const std::size_t byteCount = reply[2];
    if (byteCount > kMaxReadByteCount)
        return LinkResult::ByteCountTooLarge;
    if (byteCount != 2u * count)
        return LinkResult::ByteCountMismatch;
    return LinkResult::Good;
}

LinkResult CheckWriteReply(std::span<const std::uint8_t> reply, std::uint8_t address,
                           Function function, std::uint16_t start, std::uint16_t count)
{
    const LinkResult frame = CheckFrame(reply, address, function, kWriteAckLength);
    if (frame != LinkResult::Good)
        return frame;
    if (HighFirst(reply, 2) != start)
        return LinkResult::StartMismatch;
    if (HighFirst(reply, 4) != count)
        return LinkResult::CountMismatch;
    return LinkResult::Good;
}

LinkResult CheckBootWriteReply(std::span<const std::uint8_t> reply, std::uint8_t address,
                               std::uint32_t memoryAddress)
{
    const LinkResult frame = CheckFrame(reply, address, Function::BootWrite, kWriteAckLength);
    if (frame != LinkResult::Good)
        return frame;
    const std::uint32_t echoed = static_cast<std::uint32_t>(reply[2]) |
                                 (static_cast<std::uint32_t>(reply[3]) << 8) |
                                 (static_cast<std::uint32_t>(reply[4]) << 16) |
                                 (static_cast<std::uint32_t>(reply[5]) << 24);
    return echoed == memoryAddress ? LinkResult::Good : LinkResult::StartMismatch;
}

std::uint8_t ReplyExceptionCode(std::span<const std::uint8_t> reply)
{
    if (reply.size() != kExceptionReplyLength || (reply[1] & kExceptionFlag) == 0)
        return 0;
    return reply[2];
}

std::uint16_t ReadReplyRegister(std::span<const std::uint8_t> reply, std::size_t k)
{
    const std::size_t at = 3 + 2 * k;
    if (reply.size() < ReadReplyLength(0) || at + 2 > reply.size() - 2)
        return 0;
    return HighFirst(reply, at);
}

}  // namespace tirv
