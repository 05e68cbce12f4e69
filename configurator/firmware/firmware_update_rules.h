#pragma once
// What both update sequences share and the page, tirv-cli and the tests read: how a run ended,
// the final text of each ending per mode, and the non-M timing fields with their ranges and the
// words that replace a bad value. Qt-free.
#include "configurator/firmware/texts.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tirv {

enum class UpdateMode { Update, Verify };
enum class UpdateOutcome {
    Done,
    Failed,
    Aborted,
    Mismatch,    // the read-back differs from the file
    Unverified,  // written, but the read-back could not be made
};

struct FinalTextRow {
    UpdateMode mode;
    UpdateOutcome outcome;
    const char* text;
};
inline constexpr std::array<FinalTextRow, 10> kFinalTexts{{
    {UpdateMode::Update, UpdateOutcome::Done, firmware_texts::kFinalUpdateDone},
    {UpdateMode::Update, UpdateOutcome::Failed, firmware_texts::kFinalUpdateFailed},
    {UpdateMode::Update, UpdateOutcome::Aborted, firmware_texts::kFinalUpdateAborted},
    {UpdateMode::Update, UpdateOutcome::Mismatch, firmware_texts::kFinalUpdateMismatch},
    {UpdateMode::Update, UpdateOutcome::Unverified, firmware_texts::kFinalUpdateUnverified},
    {UpdateMode::Verify, UpdateOutcome::Done, firmware_texts::kFinalVerifyDone},
    {UpdateMode::Verify, UpdateOutcome::Failed, firmware_texts::kFinalVerifyFailed},
    {UpdateMode::Verify, UpdateOutcome::Aborted, firmware_texts::kFinalVerifyAborted},
    {UpdateMode::Verify, UpdateOutcome::Mismatch, firmware_texts::kFinalVerifyMismatch},
    {UpdateMode::Verify, UpdateOutcome::Unverified, firmware_texts::kFinalVerifyFailed},
}};

constexpr const char* FinalText(UpdateMode mode, UpdateOutcome outcome)
{
    for (const FinalTextRow& row : kFinalTexts)
        if (row.mode == mode && row.outcome == outcome)
            return row.text;
    return firmware_texts::kFinalUpdateFailed;
}

// How one run ended, for the page and tirv-cli.
struct UpdateEnd {
    UpdateMode mode = UpdateMode::Update;
    UpdateOutcome outcome = UpdateOutcome::Failed;
    bool leftInLoader = false;  // non-M: the relay waits in its loader after this run
    const char* finalText() const { return FinalText(mode, outcome); }
};

// Non-M timing fields, in milliseconds.
struct RelayUpdateTiming {
    int eraseBlockMs = 1000;
    int pageWriteMs = 50;
    int initialiseMs = 1000;
};

enum class TimingField { EraseBlock, PageWrite, Initialise };
struct TimingFieldRule {
    TimingField field;
    int min;
    int max;
    int defaultMs;
    const char* emptyText;  // the field was left empty
    const char* rangeText;  // the value is outside [min, max]
    int RelayUpdateTiming::*member;
};
inline constexpr std::array<TimingFieldRule, 3> kTimingFields{{
    {TimingField::EraseBlock, 200, 10000, 1000, firmware_texts::kEraseTimeEmpty,
     firmware_texts::kEraseTimeRange, &RelayUpdateTiming::eraseBlockMs},
    {TimingField::PageWrite, 10, 2000, 50, firmware_texts::kWriteTimeEmpty,
     firmware_texts::kWriteTimeRange, &RelayUpdateTiming::pageWriteMs},
    {TimingField::Initialise, 1000, 10000, 1000, firmware_texts::kInitTimeEmpty,
     firmware_texts::kInitTimeRange, &RelayUpdateTiming::initialiseMs},
}};

// A field's text taken as a value: an empty or unreadable field, or one outside its range,
// becomes the minimum, with the text that says so.
struct TimingValue {
    int value;
    const char* replacedText;  // nullptr: taken as typed
};
TimingValue TakeTimingField(const TimingFieldRule& rule, std::string_view text);

}  // namespace tirv
