#pragma once
// Timing of the measurement reading: the shortest polling period of each line speed and the
// checks of the period field, the reply wait of a reading and the pause between two polls.
#include <array>
#include <optional>
#include <string_view>

#include "common/message.h"
#include "configurator/journals/measurement_values.h"

namespace tirv {

// By baud index 0–9 (1200 … 460800 bit/s); an index outside the table counts as the slowest.
inline constexpr std::array<int, 10> kMinMeasurementPeriodMs{850, 440, 350, 300, 250,
                                                             200, 150, 125, 100, 75};
inline constexpr int kMaxMeasurementPeriodMs = 9999;  // the field takes four digits
inline constexpr int kMeasurementPeriodDigits = 4;

int MinMeasurementPeriodMs(int baudIndex);
// The tooltip of the period field, or nullptr where the field keeps its previous tooltip.
const char* MeasurementPeriodTooltip(int baudIndex);

enum class PeriodEntry {
    Accepted,      // the period as typed
    Raised,        // below the minimum: replaced by it
    NotAnInteger,  // empty or not a whole number: nothing to use
};

struct PeriodCheck {
    PeriodEntry entry = PeriodEntry::Accepted;
    int periodMs = 0;                // the period to use and to write back to the field
    std::optional<Message> message;  // to show, if any
};

// The field losing the focus: an empty or non-integer entry is refused (the focus returns), a
// period below the minimum is raised with a warning.
PeriodCheck CheckPeriodField(std::string_view text, int baudIndex);
// Starting cyclic polling: an empty or non-integer entry ends the command with its message; a
// period below the minimum is raised without one.
PeriodCheck StartPeriod(std::string_view text, int baudIndex);
// A stored or typed period made usable: within the minimum and 9999 ms.
int ClampMeasurementPeriod(int periodMs, int baudIndex);

enum class MeasurementProtocol { Modbus, Tirv };

// How long a request waits for its reply: under Modbus the whole reply of the layout's block at
// 13 bit times a byte (request of `requestLength` bytes), under the ТИРВ protocol the per-speed
// wait of each chunk.
int MeasurementReplyWaitMs(MeasurementProtocol protocol, MeasurementLayout layout,
                           std::size_t requestLength, int baudIndex);
// The pause between the end of a reading and the next poll; never negative, since an M-model
// reading at a low speed takes longer than the shortest period.
int PollPauseMs(int periodMs, int replyWaitMs);

// The I/O-state page polls with this base time, which is also its default period:
// 3 750 000 / baud + 200 ms, truncated.
int IoStatePollBaseMs(int baudIndex);

}  // namespace tirv
