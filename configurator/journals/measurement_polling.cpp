#include "configurator/journals/measurement_polling.h"

#include <algorithm>

#include "configurator/journals/measurement_texts.h"
#include "configurator/link/registers.h"

namespace tirv {
namespace {

namespace tx = measurement_texts;

// A whole number of decimal digits, saturated far above the field's four digits.
std::optional<int> ParseWholeNumber(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = std::min(value * 10 + (c - '0'), 1'000'000);
    }
    return value;
}

PeriodCheck Check(std::string_view text, int baudIndex, bool fieldCheck)
{
    PeriodCheck check;
    const std::optional<int> typed = ParseWholeNumber(text);
    if (!typed) {
        check.entry = PeriodEntry::NotAnInteger;
        check.message =
            fieldCheck ? Message{tx::kCaptionPeriodInput, tx::kPeriodNotInteger, MsgIcon::Error}
                       : Message{tx::kCaptionInput, tx::kPeriodMissing, MsgIcon::Error};
        return check;
    }
    check.periodMs = ClampMeasurementPeriod(*typed, baudIndex);
    if (check.periodMs > *typed) {
        check.entry = PeriodEntry::Raised;
        if (fieldCheck)
            check.message = Message{tx::kCaptionWarning, tx::kPeriodTooSmall, MsgIcon::Warning};
    }
    return check;
}

}  // namespace

int MinMeasurementPeriodMs(int baudIndex)
{
    return kMinMeasurementPeriodMs[IsValidBaudIndex(baudIndex) ? baudIndex : 0];
}

const char* MeasurementPeriodTooltip(int baudIndex)
{
    if (baudIndex < 0 || baudIndex >= static_cast<int>(tx::kPeriodTooltips.size()))
        return nullptr;
    return tx::kPeriodTooltips[static_cast<std::size_t>(baudIndex)];
}

PeriodCheck CheckPeriodField(std::string_view text, int baudIndex)
{
    return Check(text, baudIndex, true);
}

PeriodCheck StartPeriod(std::string_view text, int baudIndex)
{
    return Check(text, baudIndex, false);
}

int ClampMeasurementPeriod(int periodMs, int baudIndex)
{
    return std::clamp(periodMs, MinMeasurementPeriodMs(baudIndex), kMaxMeasurementPeriodMs);
}

int MeasurementReplyWaitMs(MeasurementProtocol protocol, MeasurementLayout layout,
                           std::size_t requestLength, int baudIndex)
{
    if (protocol == MeasurementProtocol::Tirv)
        return TextReplyWaitMs(baudIndex);
    // (N × k + L × 13 + 81) × 1000 / baud + 20 with k = 26 or 52 bits a value: the general read
    // wait of a block of 25 or 88 registers.
    return ReadWaitMs(requestLength, MeasurementBlock(layout).count, baudIndex);
}

int PollPauseMs(int periodMs, int replyWaitMs)
{
    return std::max(0, periodMs - replyWaitMs);
}

int IoStatePollBaseMs(int baudIndex)
{
    constexpr std::uint32_t kIoStateBitsMs = 3'750'000;
    constexpr int kIoStateExtraMs = 200;
    return static_cast<int>(kIoStateBitsMs / BaudRate(baudIndex)) + kIoStateExtraMs;
}

}  // namespace tirv
