#pragma once
// The time fields of the I/O and LED pages: seconds typed as a decimal ("0.29" or "0,29"), kept
// as hundredths. The conversion is done on the digits, never through binary floating point,
// which would turn 0.29 into 28 hundredths.
#include "common/message.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tirv {

enum class TimeFieldResult { Ok, Empty, NotANumber, BelowMinimum, AboveMaximum };

struct TimeField {
    TimeFieldResult result = TimeFieldResult::Empty;
    std::uint32_t hundredths = 0;  // Ok: 0..9999, further digits truncated
    bool ok() const { return result == TimeFieldResult::Ok; }
};

// Accepts an optional sign, digits and at most one "." or "," with digits on at least one side.
// 0.00..99.99 is accepted; anything above 99.99 (99.991 included) is AboveMaximum; a value
// below zero is BelowMinimum ("-0" is 0).
TimeField ParseTimeField(std::string_view text);

// "%.2f" of hundredths / 100, exactly: 29 → "0.29", 9999 → "99.99".
std::string FormatHundredths(std::uint32_t hundredths);

// An up-down step on a field: value + step clamped to 0..9999.
std::uint32_t StepHundredths(std::uint32_t hundredths, int step);

// Which field's wording a refusal takes.
enum class TimeFieldPlace {
    IoPage,         // caption "Ошибка ввода уставки"
    LedPopup,       // the pop-up's own check on leaving the field
    LedPanelClick,  // the check run when another LED is clicked
};

// The error message for a refused field (Ok gives an empty text).
Message TimeFieldMessage(TimeFieldResult result, TimeFieldPlace place);

}  // namespace tirv
