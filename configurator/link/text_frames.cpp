#include "configurator/link/text_frames.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "common/crc16.h"

namespace tirv {
namespace {

constexpr std::uint8_t kStart = static_cast<std::uint8_t>(kTextStart);
constexpr std::uint8_t kEnd = static_cast<std::uint8_t>(kTextEnd);
constexpr std::uint8_t kFieldSep = static_cast<std::uint8_t>(kTextFieldSeparator);
constexpr std::uint8_t kListSep = static_cast<std::uint8_t>(kTextListSeparator);
// Variant 0 reads send this digit-0 character where variant 1 sends the start address.
constexpr std::uint8_t kStartPlaceholder = kTextDigitBase;

bool IsSeparator(std::uint8_t c) { return c == kFieldSep || c == kListSep; }

std::uint8_t HeaderSeparator(TextVariant v)
{
    return v == TextVariant::New ? kFieldSep : kListSep;
}

// The digits of a number, most significant first, leading zeros dropped.
struct Digits {
    std::array<std::uint8_t, 3> chars{};
    std::size_t count = 0;
};

Digits TextDigits(std::uint16_t value)
{
    // The first digit carries six bits so that three digits hold 16 bits.
    const unsigned v = value;
    const std::array<unsigned, 3> d{v >> 10u, (v >> 5u) & 31u, v & 31u};
    Digits out;
    for (unsigned digit : d) {
        if (digit == 0 && out.count == 0)
            continue;
        out.chars[out.count++] = static_cast<std::uint8_t>(kTextDigitBase + digit);
    }
    return out;
}

// Writes one frame; stops writing (and fails) at the end of `out` or of the exchange buffer,
// whichever comes first, so a long value list can never overrun the caller's buffer.
class TextWriter {
public:
    explicit TextWriter(std::span<std::uint8_t> out)
        : m_out(out), m_limit(std::min(out.size(), kFrameBufferSize))
    {
        put(kStart);
    }
    void put(std::uint8_t c)
    {
        if (m_pos < m_limit)
            m_out[m_pos] = c;
        else
            m_ok = false;
        ++m_pos;
    }
    void number(std::uint16_t value)
    {
        const Digits d = TextDigits(value);
        for (std::size_t i = 0; i < d.count; ++i)
            put(d.chars[i]);
    }
    // The opening fields of a read or write frame: address and command.
    void header(std::uint8_t address, char command)
    {
        number(address);
        put(kFieldSep);
        put(static_cast<std::uint8_t>(command));
        put(kFieldSep);
    }
    // CRC over everything after ":", then the terminator; 0 when the frame did not fit.
    std::size_t finish()
    {
        if (!m_ok)
            return 0;
        number(Crc16(m_out.subspan(1, m_pos - 1)));
        put(kEnd);
        return m_ok ? m_pos : 0;
    }

private:
    std::span<std::uint8_t> m_out;
    std::size_t m_limit;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

bool IsValidFraming(const TextFraming& f)
{
    return (f.variant == TextVariant::Old || f.variant == TextVariant::New) &&
           f.valuesPerFrame >= kMinValuesPerFrame && f.valuesPerFrame <= kMaxValuesPerFrame;
}

bool IsValidCommand(char c)
{
    const auto u = static_cast<std::uint8_t>(c);
    return u > ' ' && u < 0x7F && u != kStart && u != kEnd && !IsSeparator(u);
}

// Variant 1 always carries the count; variant 0 leaves it out when it is the frame's size.
bool CarriesCount(const TextFraming& f, std::uint8_t count)
{
    return f.variant == TextVariant::New || count != f.valuesPerFrame;
}

void PutCount(TextWriter& w, const TextFraming& f, std::uint8_t count, std::uint8_t sep)
{
    if (CarriesCount(f, count)) {
        w.number(count);
        w.put(sep);
    }
}

template <typename ValueAt>
std::size_t BuildWrite(const TextFraming& f, std::span<std::uint8_t> out, std::uint8_t address,
                       std::uint16_t start, std::uint8_t count, char command, ValueAt&& value)
{
    if (count == 0 || !IsValidFraming(f) || !IsValidCommand(command))
        return 0;
    const std::uint8_t sep = HeaderSeparator(f.variant);
    TextWriter w(out);
    w.header(address, command);
    w.number(start);
    w.put(sep);
    PutCount(w, f, count, sep);
    for (std::size_t k = 0; k < count; ++k) {
        w.number(value(k));
        w.put(k + 1 < count ? kListSep : kFieldSep);
    }
    return w.finish();
}

// Where the frame lies in a buffer: the first ":" and the first "#" after it.
struct FrameSpan {
    LinkResult result = LinkResult::Good;
    std::size_t start = 0;  // index of ":"
    std::size_t end = 0;    // index of "#"
};

FrameSpan Locate(std::span<const std::uint8_t> bytes)
{
    const auto colon = std::find(bytes.begin(), bytes.end(), kStart);
    if (colon == bytes.end())
        return {LinkResult::TextNoStart};
    const auto hash = std::find(colon + 1, bytes.end(), kEnd);
    if (hash == bytes.end())
        return {LinkResult::TextNoEnd};
    return {LinkResult::Good, static_cast<std::size_t>(colon - bytes.begin()),
            static_cast<std::size_t>(hash - bytes.begin())};
}

// The part of a request that the reply echoes: from ":" through the separator that closes
// its last header field, with the fields split out for the comparison.
struct RequestHeader {
    bool ok = false;
    std::span<const std::uint8_t> bytes;  // ":" … last header separator
    std::size_t fields = 0;               // header fields (address, command, start, [count])
    std::span<const std::uint8_t> countDigits;
    std::size_t anySeparatorAt = 0;  // a header position where either separator is echoed
};

// Read requests: the header is everything before the CRC field. Write requests: address,
// command, start and (variant 1) the count; the values need not be echoed. A variant-0 write's
// count cannot be told from its first value on the wire, so its header stops after the start.
RequestHeader SplitRequest(std::span<const std::uint8_t> request, bool read, TextVariant v)
{
    RequestHeader h;
    const FrameSpan frame = Locate(request);
    if (frame.result != LinkResult::Good)
        return h;
    const std::size_t wanted = read ? 0 : (v == TextVariant::New ? 4 : 3);
    std::size_t fieldBegin = frame.start + 1;
    std::size_t headerEnd = 0;  // one past the last header separator
    std::size_t fields = 0;
    for (std::size_t i = frame.start + 1; i < frame.end; ++i) {
        if (!IsSeparator(request[i]))
            continue;
        if (fields == 3)
            h.countDigits = request.subspan(fieldBegin, i - fieldBegin);
        ++fields;
        fieldBegin = i + 1;
        headerEnd = i + 1;
        if (fields == wanted)
            break;
    }
    // Every request has at least address, command and start (or its placeholder).
    if (fields < 3 || (wanted != 0 && fields != wanted))
        return h;
    h.ok = true;
    h.bytes = request.subspan(frame.start, headerEnd - frame.start);
    h.fields = fields;
    // A variant-0 acknowledgement may close the start with ";" like variant 1 does.
    if (!read && v == TextVariant::Old)
        h.anySeparatorAt = h.bytes.size() - 1;
    return h;
}

// Which failure a difference inside header field `field` reports.
LinkResult FieldFailure(std::size_t field, bool placeholderStart)
{
    switch (field) {
    case 0: return LinkResult::TextAddressEcho;
    case 1: return LinkResult::TextCommandEcho;
    case 2: return placeholderStart ? LinkResult::TextLayoutEcho : LinkResult::TextStartEcho;
    default: return LinkResult::TextCountEcho;
    }
}

// Compares the reply frame starting at its ":" with the request header, character by character.
// A difference on a separator position is a field of another length, unless the reply has the
// other separator there, which is the other variant's layout.
LinkResult CompareHeader(std::span<const std::uint8_t> reply, const FrameSpan& frame,
                         const RequestHeader& header, bool placeholderStart)
{
    std::size_t field = 0;
    for (std::size_t i = 1; i < header.bytes.size(); ++i) {
        const std::uint8_t want = header.bytes[i];
        // The reply's "#" differs from every header character, so this never passes `frame.end`.
        const std::uint8_t got = reply[frame.start + i];
        if (got != want && !(i == header.anySeparatorAt && IsSeparator(got))) {
            if (IsSeparator(want) && IsSeparator(got))
                return LinkResult::TextLayoutEcho;
            return FieldFailure(field, placeholderStart);
        }
        if (IsSeparator(want))
            ++field;
    }
    return LinkResult::Good;
}

// Locates the frame and compares its header; on success `frame` holds the frame's bounds.
LinkResult CheckEcho(std::span<const std::uint8_t> received, const RequestHeader& header,
                     bool placeholderStart, FrameSpan& frame)
{
    frame = Locate(received);
    if (frame.result != LinkResult::Good)
        return frame.result;
    if (!header.ok)
        return LinkResult::TextLayoutEcho;
    return CompareHeader(received, frame, header, placeholderStart);
}

// The CRC the frame carries after its CRC separator at `crcSep`, and the CRC it should carry.
void FillCrc(std::span<const std::uint8_t> received, const FrameSpan& frame, std::size_t crcSep,
             TextReply& r)
{
    r.computedCrc = Crc16(received.subspan(frame.start + 1, crcSep - frame.start));
    r.receivedCrc = DecodeTextNumber(received.subspan(crcSep + 1, frame.end - crcSep - 1));
}

}  // namespace

std::size_t AppendTextNumber(std::span<std::uint8_t> out, std::size_t pos, std::uint16_t value)
{
    const Digits d = TextDigits(value);
    if (pos > out.size() || out.size() - pos < d.count)
        return 0;
    std::copy_n(d.chars.begin(), d.count, out.begin() + static_cast<std::ptrdiff_t>(pos));
    return pos + d.count;
}

std::uint16_t DecodeTextNumber(std::span<const std::uint8_t> digits)
{
    std::uint16_t value = 0;
    for (std::uint8_t c : digits)
        value = static_cast<std::uint16_t>(value * 32u + (c - static_cast<unsigned>(kTextDigitBase)));
    return value;
}

std::size_t BuildTextRead(const TextFraming& framing, std::span<std::uint8_t> out,
                          std::uint8_t address, std::uint16_t start, std::uint8_t count)
{
    if (count == 0 || !IsValidFraming(framing))
        return 0;
    const std::uint8_t sep = HeaderSeparator(framing.variant);
    TextWriter w(out);
    w.header(address, kTextReadCommand);
    if (framing.variant == TextVariant::New)
        w.number(start);
    else
        w.put(kStartPlaceholder);
    w.put(sep);
    PutCount(w, framing, count, sep);
    return w.finish();
}

int TextWriteBlockCount(const TextFraming& framing, int remaining)
{
    const int perFrame = std::max(1, framing.valuesPerFrame);
    const int count = std::min(remaining, perFrame);
    if (framing.variant == TextVariant::Old && count == perFrame - 1 && count > 1)
        return count - 1;
    return count;
}

std::size_t BuildTextWrite(const TextFraming& framing, std::span<std::uint8_t> out,
                           std::uint8_t address, std::uint16_t start, std::uint8_t count,
                           std::span<const std::int32_t> values, char command)
{
    if (values.size() < count)
        return 0;
    return BuildWrite(framing, out, address, start, count, command,
                      [&](std::size_t k) { return static_cast<std::uint16_t>(values[k]); });
}

std::size_t BuildTextWrite(const TextFraming& framing, std::span<std::uint8_t> out,
                           std::uint8_t address, std::uint16_t start, std::uint8_t count,
                           const RegisterValueFn& value, char command)
{
    if (!value)
        return 0;
    return BuildWrite(framing, out, address, start, count, command, value);
}

std::size_t BuildTextLinkCheck(std::span<std::uint8_t> out, std::uint8_t address)
{
    if (address > kMaxTextLinkCheckAddress)
        return 0;
    TextWriter w(out);
    // The address is one character here, not the two-digit number of the other frames.
    w.put(static_cast<std::uint8_t>(kTextDigitBase + address));
    for (std::uint8_t c : {kFieldSep, kStartPlaceholder, kFieldSep, kStartPlaceholder, kFieldSep})
        w.put(c);
    return w.finish();
}

TextReply ParseTextRead(const TextFraming& framing, std::span<const std::uint8_t> received,
                        std::span<const std::uint8_t> request, std::size_t group,
                        std::span<std::int32_t> destination, const TextValueFn& convert)
{
    TextReply r;
    const RequestHeader header = SplitRequest(request, true, framing.variant);
    FrameSpan frame;
    r.result = CheckEcho(received, header, framing.variant == TextVariant::Old, frame);
    if (r.result != LinkResult::Good)
        return r;

    // The values run from the end of the header to the next ";", the CRC digits from there to "#".
    const std::size_t listBegin = frame.start + header.bytes.size();
    std::array<std::uint16_t, kMaxValuesPerFrame> values{};
    std::size_t n = 0;
    std::size_t fieldBegin = listBegin;
    std::size_t crcSep = frame.end;
    for (std::size_t i = listBegin; i < frame.end && crcSep == frame.end; ++i) {
        const std::uint8_t c = received[i];
        if (c != kListSep && c != kFieldSep)
            continue;
        if (n < values.size())
            values[n] = DecodeTextNumber(received.subspan(fieldBegin, i - fieldBegin));
        ++n;
        fieldBegin = i + 1;
        if (c == kFieldSep)
            crcSep = i;
    }
    if (crcSep == frame.end) {
        r.result = LinkResult::TextNoEnd;  // no CRC field before the terminator
        return r;
    }
    FillCrc(received, frame, crcSep, r);
    r.valueCount = n;

    // Variant 0 leaves out the count when it asks for a whole frame.
    const std::size_t requested = header.fields > 3 ? DecodeTextNumber(header.countDigits)
                                                    : static_cast<std::size_t>(framing.valuesPerFrame);
    if (framing.valuesPerFrame < 1 || n > static_cast<std::size_t>(framing.valuesPerFrame) ||
        n > static_cast<std::size_t>(kMaxValuesPerFrame) || n != requested) {
        r.result = LinkResult::TextValueCount;
        return r;
    }
    const auto perFrame = static_cast<std::size_t>(framing.valuesPerFrame);
    if (n > destination.size() || group > (destination.size() - n) / perFrame) {
        r.result = LinkResult::TextBeyondDestination;
        return r;
    }
    if (!r.crcMatches())
        return r;  // the caller sees the CRC difference; nothing is stored
    const std::size_t base = group * perFrame;
    for (std::size_t k = 0; k < n; ++k)
        destination[base + k] = convert ? convert(base + k, values[k]) : values[k];
    return r;
}

TextReply ParseTextWriteAck(const TextFraming& framing, std::span<const std::uint8_t> received,
                            std::span<const std::uint8_t> request)
{
    TextReply r;
    const RequestHeader header = SplitRequest(request, false, framing.variant);
    FrameSpan frame;
    r.result = CheckEcho(received, header, false, frame);
    if (r.result != LinkResult::Good)
        return r;
    // The CRC follows the last ";" of the frame, which must come after the echoed header (the
    // relay may or may not echo the values before it).
    const std::size_t listBegin = frame.start + header.bytes.size();
    std::size_t crcSep = frame.end;
    for (std::size_t i = frame.end; i > listBegin; --i) {
        if (received[i - 1] == kFieldSep) {
            crcSep = i - 1;
            break;
        }
    }
    if (crcSep == frame.end) {
        r.result = LinkResult::TextNoEnd;
        return r;
    }
    FillCrc(received, frame, crcSep, r);
    return r;
}

TextReply CheckTextFrameCrc(std::span<const std::uint8_t> received)
{
    TextReply r;
    const FrameSpan frame = Locate(received);
    r.result = frame.result;
    if (r.result != LinkResult::Good)
        return r;
    for (std::size_t i = frame.end; i > frame.start + 1; --i) {
        if (IsSeparator(received[i - 1])) {
            FillCrc(received, frame, i - 1, r);
            return r;
        }
    }
    r.result = LinkResult::TextNoEnd;
    return r;
}

}  // namespace tirv
