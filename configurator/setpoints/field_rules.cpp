#include "configurator/setpoints/field_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tirv {

namespace {

// Only the first characters of a field take part in the check, as in the relay's own tool.
constexpr std::size_t kReadChars = 7;
// Digits beyond this are dropped into the sticky flag; fields hold at most 5 characters.
constexpr int kMaxDigits = 18;

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::int64_t pow10(int n)
{
    std::int64_t p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

std::u16string toU16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// C's atoi on the leading number: spaces, a sign, digits; anything after is ignored.
std::int64_t leadingInteger(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::int64_t v = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        v = std::min<std::int64_t>(v * 10 + (text[i] - u'0'), std::int64_t(1) << 40);
    return negative ? -v : v;
}

std::int64_t signedScaled(const Decimal& d) { return d.negative ? -d.scaled : d.scaled; }

}  // namespace

int kindFactor(SetpointKind kind) { return ResolutionFactor(kind); }

int kindDecimals(SetpointKind kind)
{
    switch (kind) {
    case SetpointKind::Tenths: return 1;
    case SetpointKind::Hundredths: return 2;
    case SetpointKind::Thousandths: return 3;
    case SetpointKind::Integer:
    case SetpointKind::Angle: return 0;
    }
    return 0;
}

FilterResult filterTyping(std::u16string_view text, SetpointKind kind)
{
    bool separatorSeen = false;
    return filterCharacters<FilterResult>(
        text, [&](char16_t c, std::size_t i, const std::u16string&) {
            if (c == u'.' && kind != SetpointKind::Angle && !separatorSeen) {
                separatorSeen = true;
                return true;
            }
            if (c == u'-' && kind == SetpointKind::Angle && i == 0)
                return true;
            return isDigit(c);
        });
}

std::optional<Decimal> parseDecimal(std::u16string_view text, int scale)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    Decimal d;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        d.negative = text[i] == u'-';
        ++i;
    }
    int digits = 0;
    int fraction = -1;  // digits seen after the separator; -1 before it
    bool any = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'.' || c == u',') {
            if (fraction >= 0)
                return std::nullopt;
            fraction = 0;
            continue;
        }
        if (!isDigit(c))
            return std::nullopt;
        any = true;
        const int digit = c - u'0';
        if (fraction >= 0) {
            ++fraction;
            if (fraction > scale) {
                d.sticky = d.sticky || digit != 0;
                continue;
            }
        }
        if (digits >= kMaxDigits)
            return std::nullopt;  // far beyond any bound; refuse rather than overflow
        if (d.scaled != 0 || digit != 0)
            ++digits;
        d.scaled = d.scaled * 10 + digit;
    }
    if (!any)
        return std::nullopt;
    const int seen = fraction < 0 ? 0 : std::min(fraction, scale);
    for (int k = seen; k < scale; ++k) {
        if (digits >= kMaxDigits)
            return std::nullopt;
        if (d.scaled != 0)
            ++digits;
        d.scaled *= 10;
    }
    return d;
}

int compareDecimal(const Decimal& d, int scale, double bound)
{
    const std::int64_t b = std::llround(bound * double(pow10(scale)));
    const std::int64_t v = signedScaled(d);
    if (v != b)
        return v < b ? -1 : 1;
    if (!d.sticky)
        return 0;
    return d.negative ? -1 : 1;
}

std::int32_t roundAngle(std::int64_t milliDegrees)
{
    const std::int64_t q = milliDegrees / 15000;
    const std::int64_t r = milliDegrees % 15000;
    std::int64_t deg = 15 * q;
    if (r <= -7500)
        deg -= 15;
    else if (r >= 7500)
        deg += 15;
    return std::int32_t(deg);
}

std::string formatRawUtf8(std::int32_t raw, SetpointKind kind)
{
    const int decimals = kindDecimals(kind);
    if (decimals == 0)
        return std::to_string(raw);
    const std::int64_t factor = kindFactor(kind);
    const std::int64_t v = raw;
    const std::int64_t mag = v < 0 ? -v : v;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%s%lld.%0*lld", v < 0 ? "-" : "", (long long)(mag / factor),
                  decimals, (long long)(mag % factor));
    return buf;
}

std::u16string formatRaw(std::int32_t raw, SetpointKind kind) { return toU16(formatRawUtf8(raw, kind)); }

FieldValue checkField(std::u16string_view text, SetpointKind kind, const FieldBounds& bounds)
{
    FieldValue out;
    text = text.substr(0, std::min(text.size(), kReadChars));
    if (text.empty()) {
        out.error = FieldError::Empty;
        return out;
    }
    if (kind == SetpointKind::Integer) {
        const std::int64_t v = leadingInteger(text);
        if (v < bounds.rawMin)
            out.error = FieldError::BelowMin;
        else if (v > bounds.rawMax)
            out.error = FieldError::AboveMax;
        else {
            out.raw = std::int32_t(v);
            out.text = formatRaw(out.raw, kind);
        }
        return out;
    }
    // One digit beyond the shown ones decides the rounding; for angles thousandths of a degree
    // are plenty to place the value between two multiples of 15.
    const int scale = kind == SetpointKind::Angle ? 3 : kindDecimals(kind) + 1;
    const auto d = parseDecimal(text, scale);
    if (!d) {
        out.error = FieldError::NotNumber;
        return out;
    }
    if (compareDecimal(*d, scale, bounds.min) < 0) {
        out.error = FieldError::BelowMin;
        return out;
    }
    if (compareDecimal(*d, scale, bounds.max) > 0) {
        out.error = FieldError::AboveMax;
        return out;
    }
    if (kind == SetpointKind::Angle) {
        out.raw = roundAngle(signedScaled(*d));
    } else {
        // Half up at the next digit: the digit after the last shown one decides.
        std::int64_t mag = d->scaled / 10 + (d->scaled % 10 >= 5 ? 1 : 0);
        out.raw = std::int32_t(d->negative ? -mag : mag);
    }
    out.text = formatRaw(out.raw, kind);
    return out;
}

std::optional<std::u16string> spinStep(std::u16string_view text, SetpointKind kind,
                                       const FieldBounds& bounds, bool up)
{
    text = text.substr(0, std::min(text.size(), kReadChars));
    if (text.empty())
        return std::nullopt;
    const int scale = kind == SetpointKind::Angle ? 1 : kindDecimals(kind);
    const auto d = parseDecimal(text, scale);
    if (!d)
        return std::nullopt;

    if (kind == SetpointKind::Integer) {
        // Outside the bounds, or already at the bound of the direction, nothing moves (as for
        // the decimal kinds): a spin never walks an out-of-range value back step by step.
        const std::int64_t v = leadingInteger(text);
        if (v < bounds.rawMin || v > bounds.rawMax || (up ? v == bounds.rawMax : v == bounds.rawMin))
            return std::nullopt;
        return formatRaw(std::int32_t(v + (up ? 1 : -1)), kind);
    }
    if (kind == SetpointKind::Angle) {
        // Round to whole degrees (halves away from zero), then step by 15 within the raw bounds.
        const std::int64_t whole = (d->scaled + 5) / 10;
        const std::int64_t v = d->negative ? -whole : whole;
        const std::int64_t next = v + (up ? 15 : -15);
        if (next > bounds.rawMax || next < bounds.rawMin)
            return std::nullopt;
        return formatRaw(std::int32_t(next), kind);
    }

    // Kinds 1-3: nothing outside the editor bounds or already at the bound of the direction.
    const int lo = compareDecimal(*d, scale, bounds.min);
    const int hi = compareDecimal(*d, scale, bounds.max);
    if (lo < 0 || hi > 0 || (up && hi == 0) || (!up && lo == 0))
        return std::nullopt;
    const std::int64_t factor = kindFactor(kind);
    const std::int64_t rawLo = std::llround(std::ceil(bounds.min * double(factor) - 1e-9));
    const std::int64_t rawHi = std::llround(std::floor(bounds.max * double(factor) + 1e-9));
    // A typed value between two steps: truncation already moved it one step down.
    std::int64_t v = signedScaled(*d) + (up ? 1 : (d->sticky ? 0 : -1));
    v = std::clamp(v, rawLo, rawHi);
    return formatRaw(std::int32_t(v), kind);
}

}  // namespace tirv
