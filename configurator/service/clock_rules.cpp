#include "configurator/service/clock_rules.h"

#include "common/oscillogram_image.h"
#include "configurator/link/register_read.h"
#include "configurator/link/registers.h"
#include "configurator/link/text_frames.h"
#include "configurator/service/clock_texts.h"

#include <cstdio>

namespace tirv {

namespace {

struct FieldRange {
    int low;
    int high;  // -1: the month length, -2: no upper bound
};

// Registers 350–355; the fraction's bound depends on the model.
constexpr std::array<FieldRange, 6> kRanges{{{1, -1}, {1, 12}, {0, -2}, {0, 23}, {0, 59}, {0, 59}}};
constexpr int kFractionMaxNonM = 99;
constexpr int kFractionMaxM = 999;

ClockRequest Take(const std::array<std::uint8_t, kFrameBufferSize>& buf, std::size_t n,
                  int replyLength)
{
    ClockRequest out;
    out.frame.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
    out.replyLength = n == 0 ? 0 : replyLength;
    return out;
}

}  // namespace

bool IsValidClock(const ClockRecord& r, bool mModel)
{
    for (std::size_t k = 0; k < kRanges.size(); ++k) {
        const int v = r[k];
        int high = kRanges[k].high;
        if (high == -1)
            high = MonthLength(r[Month], r[Year]);
        if (v < kRanges[k].low || (high != -2 && v > high))
            return false;
    }
    return r[Fraction] <= (mModel ? kFractionMaxM : kFractionMaxNonM);
}

std::string FormatRelayClock(const ClockRecord& r, bool mModel)
{
    const unsigned ms = mModel ? r[Fraction] : r[Fraction] * 10u;
    char text[64];
    std::snprintf(text, sizeof text, "%.2u.%.2u.%.2u    %.2u:%.2u:%.2u.%.3u", unsigned(r[Day]),
                  unsigned(r[Month]), unsigned(r[Year]), unsigned(r[Hour]), unsigned(r[Minute]),
                  unsigned(r[Second]), ms);
    return text;
}

std::string FormatComputerClock(const CalendarTime& t)
{
    ClockRecord r{};
    r[Day] = std::uint16_t(t.day);
    r[Month] = std::uint16_t(t.month);
    r[Year] = std::uint16_t(t.year - 2000);
    r[Hour] = std::uint16_t(t.hour);
    r[Minute] = std::uint16_t(t.minute);
    r[Second] = std::uint16_t(t.second);
    r[Fraction] = std::uint16_t(t.millisecond);
    return FormatRelayClock(r, true);
}

std::string FormatInvalidClock(const ClockRecord& r)
{
    char text[160];
    std::snprintf(text, sizeof text, clock_texts::kInvalidData, int(r[Day]), int(r[Month]),
                  int(r[Year]), int(r[Hour]), int(r[Minute]), int(r[Second]), int(r[Fraction]));
    return text;
}

int WholeSecondWaitMs(int millisecond)
{
    if (millisecond <= 0 || millisecond > 999)
        return 0;
    return 1000 - millisecond + 1;
}

bool IsSettableYear(int year)
{
    return year >= 2000 && year <= 2099;
}

ClockRequest BuildClockReadRequest(const ConnectionSettings& s)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const auto address = static_cast<std::uint8_t>(s.address);
    const RegisterBlock b = regs::kClockRead;
    if (s.protocol == Protocol::Tirv) {
        if (TextVariant(s.protocolVariant) == TextVariant::Old)
            return {};
        return Take(
            buf, BuildTextRead(TextFramingOf(s), buf, address, b.start, std::uint8_t(b.count)), 0);
    }
    return Take(buf, BuildReadRegisters(buf, address, b.start, b.count),
                int(ReadReplyLength(b.count)));
}

ClockRequest BuildClockSetRequest(const ConnectionSettings& s, const CalendarTime& t)
{
    if (!IsSettableYear(t.year))
        return {};
    const std::array<std::int32_t, 6> values{t.day,  t.month,  t.year - 2000,
                                             t.hour, t.minute, t.second};
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const auto address = static_cast<std::uint8_t>(s.address);
    const RegisterBlock b = regs::kClockSet;
    if (s.protocol == Protocol::Tirv)
        return Take(
            buf,
            BuildTextWrite(TextFramingOf(s), buf, address, b.start, std::uint8_t(b.count), values),
            0);
    return Take(buf, BuildWriteRegisters(buf, address, b.start, b.count, values),
                int(kWriteAckLength));
}

ClockRequest BuildClockBroadcastRequest(const CalendarTime& t)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    if (!IsSettableYear(t.year))
        return {};
    return Take(
        buf,
        BuildClockBroadcast(buf, std::uint8_t(t.day), std::uint8_t(t.month), t.year,
                            std::uint8_t(t.hour), std::uint8_t(t.minute), std::uint8_t(t.second)),
        0);
}

LinkResult ParseClockReadReply(const ConnectionSettings& s, std::span<const std::uint8_t> request,
                               std::span<const std::uint8_t> reply, ClockRecord& out)
{
    return ParseRegisterReadReply(s, request, reply, out);
}

LinkResult CheckClockSetReply(const ConnectionSettings& s, std::span<const std::uint8_t> request,
                              std::span<const std::uint8_t> reply)
{
    if (s.protocol == Protocol::Tirv) {
        const TextReply r = ParseTextWriteAck(TextFramingOf(s), reply, request);
        if (r.result != LinkResult::Good)
            return r.result;
        return r.crcMatches() ? LinkResult::Good : LinkResult::CrcMismatch;
    }
    const RegisterBlock b = regs::kClockSet;
    return CheckWriteReply(reply, static_cast<std::uint8_t>(s.address), Function::WriteRegisters,
                           b.start, b.count);
}

}  // namespace tirv
