#pragma once
// Input rules of the setpoint edit fields: what may be typed, how a typed text becomes a raw value,
// and how the spin arrows step it. Pure C++ so that every rule is unit tested without widgets.
//
// Texts are UTF-16 (what an edit field holds), so caret positions map one to one onto the field.
#include "configurator/setpoints/setpoint_catalogue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tirv {

// Raw units per displayed unit (1 for integers and angles).
int kindFactor(SetpointKind kind);
// Digits after the decimal point the field shows.
int kindDecimals(SetpointKind kind);

// Bounds of one field: editor bounds in displayed units (used for kinds 1-4) and raw bounds
// (used for kind 0, whose text is converted as an integer).
struct FieldBounds {
    double min = 0;
    double max = 0;
    std::int32_t rawMin = 0;
    std::int32_t rawMax = 0;
};

struct FilterResult {
    std::u16string text;
    bool changed = false;  // the text differs from the typed one
    int caret = -1;        // where the first removed character was; -1 when nothing was removed
};

// The frame every typing filter shares: ',' becomes '.', the characters `keep` refuses are
// removed, and the caret goes where the first removed one was. keep(c, i, kept) sees the
// character, its position in the typed text and the text kept so far.
template <class Result, class Keep>
Result filterCharacters(std::u16string_view text, Keep keep)
{
    Result r;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u',') {
            c = u'.';
            r.changed = true;
        }
        if (keep(c, i, r.text)) {
            r.text.push_back(c);
            continue;
        }
        r.changed = true;
        if (r.caret < 0)
            r.caret = int(r.text.size());
    }
    return r;
}

// Typing filter: ',' becomes '.'; digits are allowed, one '.' for kinds 0-3, one leading '-'
// for angles. Every disallowed character is removed (the caret goes where the first one was).
FilterResult filterTyping(std::u16string_view text, SetpointKind kind);

enum class FieldError { None, Empty, NotNumber, BelowMin, AboveMax };

struct FieldValue {
    FieldError error = FieldError::None;
    std::int32_t raw = 0;   // value to store in the image
    std::u16string text;    // normalised text the field shows; it always equals raw in that kind
};

// The check made when a field is left (and when a write gathers the fields). The raw value is
// computed from the decimal digits of the text, never through a binary float, so "0.29" is 29
// hundredths and the raw value always matches what the field shows after normalisation.
FieldValue checkField(std::u16string_view text, SetpointKind kind, const FieldBounds& bounds);

// One spin-arrow step. Returns nothing when the field is empty, unparsable, out of bounds or
// already at the bound in the direction of the step; otherwise the new text of the field.
std::optional<std::u16string> spinStep(std::u16string_view text, SetpointKind kind,
                                       const FieldBounds& bounds, bool up);

// Text of a raw value in its kind: "%i", "%.1f", "%.2f" or "%.3f" of raw / factor, exact.
std::u16string formatRaw(std::int32_t raw, SetpointKind kind);
std::string formatRawUtf8(std::int32_t raw, SetpointKind kind);

// Rounds an angle in thousandths of a degree to the nearest multiple of 15, halves away from zero.
std::int32_t roundAngle(std::int64_t milliDegrees);

// A decimal number read from text exactly: sign, the value scaled by 10^scale truncated towards
// zero, and whether any non-zero digit was dropped beyond that scale.
struct Decimal {
    bool negative = false;
    std::int64_t scaled = 0;  // |value| * 10^scale, truncated
    bool sticky = false;      // non-zero digits beyond the scale
};

// Parses [spaces][sign]digits[.digits] or [sign].digits covering the whole text (at most 18
// digits kept). ',' is accepted as the separator as well.
std::optional<Decimal> parseDecimal(std::u16string_view text, int scale);

// Compares a parsed decimal (at the given scale) with a bound given in displayed units:
// -1 below, 0 equal, +1 above.
int compareDecimal(const Decimal& d, int scale, double bound);

}  // namespace tirv
