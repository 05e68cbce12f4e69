#include "configurator/service/breaker_commands.h"

#include "configurator/link/register_read.h"
#include "configurator/link/registers.h"
#include "configurator/link/text_frames.h"
#include "configurator/service/breaker_texts.h"

#include <array>

namespace tirv {

namespace {

namespace bt = breaker_texts;

constexpr std::array<BreakerRow, 3> kTable{{
    {BreakerCommand::Close, 3550, bt::kClose, 135, 0x8000, bt::kSendingClose},
    {BreakerCommand::Open, 3551, bt::kOpen, 135, 1, bt::kSendingOpen},
    {BreakerCommand::Unblock, 3552, bt::kUnblock, 136, 1, bt::kSendingUnblock},
}};

constexpr std::size_t kFrameBuffer = 272;

}  // namespace

std::span<const BreakerRow> BreakerTable() { return kTable; }

const BreakerRow& BreakerRowOf(BreakerCommand command)
{
    for (const BreakerRow& row : kTable)
        if (row.command == command)
            return row;
    return kTable[0];
}

BreakerRequest BuildBreakerRequest(const ConnectionSettings& s, BreakerCommand command)
{
    const BreakerRow& row = BreakerRowOf(command);
    std::array<std::uint8_t, kFrameBuffer> buf{};
    const auto address = static_cast<std::uint8_t>(s.address);
    BreakerRequest out;
    std::size_t n = 0;
    const std::int32_t value = row.value;
    const std::span<const std::int32_t> values(&value, 1);
    if (s.protocol == Protocol::Tirv) {
        n = BuildTextWrite(TextFramingOf(s), buf, address, row.reg, 1, values, kTextBreakerCommand);
        out.waitMs = TextReplyWaitMs(s.baudIndex);
    } else {
        n = BuildWriteRegisters(buf, address, row.reg, 1, values);
        out.waitMs = WriteWaitMs(n, s.baudIndex);
    }
    out.frame.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
    return out;
}

LinkResult CheckBreakerReply(const ConnectionSettings& s, std::span<const std::uint8_t> request,
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

BreakerOutcome BreakerResult(BreakerCommand command, Protocol protocol, bool received,
                             LinkResult result)
{
    if (!received)
        return {bt::kNoAcknowledgement, false, true, false};
    if (result == LinkResult::Good)
        return {bt::kDone, true, false, false};
    const bool modbus = protocol == Protocol::Modbus;
    const bool unblock = command == BreakerCommand::Unblock;
    // Code 4 to a write (result 24) is the relay refusing while it is blocked; unblocking has no
    // such meaning, so it fails with the warning of an exception reply.
    const bool refused = modbus && result == LinkResult::WriteRefused;
    if (refused && !unblock)
        return {bt::kBlocked, false, false, false, true};
    const bool exception = modbus && (result == LinkResult::Exception || refused);
    return {bt::kFailed, false, !unblock, exception, exception};
}

}  // namespace tirv
