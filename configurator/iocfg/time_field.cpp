#include "configurator/iocfg/time_field.h"

#include "configurator/iocfg/io_image.h"
#include "configurator/iocfg/io_texts.h"

#include <algorithm>

namespace tirv {
namespace {

constexpr bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

TimeField ParseTimeField(std::string_view text)
{
    if (text.empty())
        return {TimeFieldResult::Empty, 0};
    std::size_t pos = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        pos = 1;
    }
    // Whole seconds, saturated well above the maximum so long inputs cannot overflow.
    std::uint32_t whole = 0;
    std::size_t wholeDigits = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos, ++wholeDigits)
        whole = std::min<std::uint32_t>(whole * 10 + static_cast<std::uint32_t>(text[pos] - '0'),
                                        1000000);
    std::uint32_t fraction = 0;  // the first two decimals as hundredths
    bool rest = false;           // any non-zero decimal after the second
    std::size_t fractionDigits = 0;
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
        for (++pos; pos < text.size() && IsDigit(text[pos]); ++pos, ++fractionDigits) {
            const auto d = static_cast<std::uint32_t>(text[pos] - '0');
            if (fractionDigits == 0)
                fraction += d * 10;
            else if (fractionDigits == 1)
                fraction += d;
            else if (d != 0)
                rest = true;
        }
    }
    if (pos != text.size() || wholeDigits + fractionDigits == 0)
        return {TimeFieldResult::NotANumber, 0};
    const std::uint32_t hundredths = whole * 100 + fraction;
    if (negative && (hundredths != 0 || rest))
        return {TimeFieldResult::BelowMinimum, 0};
    if (hundredths > kMaxTimeHundredths || (hundredths == kMaxTimeHundredths && rest))
        return {TimeFieldResult::AboveMaximum, 0};
    return {TimeFieldResult::Ok, hundredths};
}

std::string FormatHundredths(std::uint32_t hundredths)
{
    const std::uint32_t cents = hundredths % 100;
    return std::to_string(hundredths / 100) + (cents < 10 ? ".0" : ".") + std::to_string(cents);
}

std::uint32_t StepHundredths(std::uint32_t hundredths, int step)
{
    const long long v = static_cast<long long>(hundredths) + step;
    return static_cast<std::uint32_t>(std::clamp<long long>(v, 0, kMaxTimeHundredths));
}

Message TimeFieldMessage(TimeFieldResult result, TimeFieldPlace place)
{
    const char* text = "";
    switch (result) {
        case TimeFieldResult::Ok:
            break;
        case TimeFieldResult::Empty:
            text = io_texts::kTimeEmpty;
            break;
        case TimeFieldResult::NotANumber:
            text = place == TimeFieldPlace::LedPopup ? io_texts::kLedTimeNotANumber
                                                     : io_texts::kTimeNotANumber;
            break;
        case TimeFieldResult::BelowMinimum:
            text = io_texts::kTimeBelowMinimum;
            break;
        case TimeFieldResult::AboveMaximum:
            text = io_texts::kTimeAboveMaximum;
            break;
    }
    const char* caption =
        place == TimeFieldPlace::IoPage ? io_texts::kCaptionIoInput : io_texts::kCaptionLedInput;
    return {caption, text, MsgIcon::Error, MsgButtons::Ok};
}

}  // namespace tirv
