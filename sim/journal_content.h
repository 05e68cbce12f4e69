#pragma once
// The relay's journals and its oscillograph memory: a working journal of settings changes and
// resets, an emergency journal of several trips, and the oscillogram of the newest trip.
#include <cstdint>
#include <random>
#include <vector>

#include "sim/io_led_registers.h"
#include "sim/relay.h"

namespace tirv::sim {

inline constexpr int kEmergencyJournalStart = regs::kEmergencyJournal.start;
inline constexpr int kEmergencyRecordWords = regs::kEmergencyRecordRegisters;
inline constexpr int kWorkingJournalStart = regs::kWorkingJournal.start;
inline constexpr int kWorkingRecordWords = regs::kWorkingRecordRegisters;
inline constexpr int kWorkingGroup1Records = regs::kWorkingSettingsRecords;

// Emergency record fields (word offsets inside a record).
enum EmergencyWord : int {
    kEmDay = 0, kEmMonth, kEmYear, kEmHour, kEmMinute, kEmSecond, kEmFraction,
    kEmEvent = 7, kEmStarted = 8, kEmMagnitudes = 9, kEmAngles = 22, kEmBreakerTime = 33,
};
// Event-word bits: the protection that acted.
inline constexpr std::uint16_t kTripMtz1 = 1u << 0;
inline constexpr std::uint16_t kTripMtz2 = 1u << 1;
inline constexpr std::uint16_t kTripMtz3 = 1u << 2;
inline constexpr std::uint16_t kTripZpn = 1u << 5;

// Coefficient of the phase currents in an emergency record (raw × coefficient = amperes): the
// M modification keeps hundredths, the other models tenths; every other value has the same
// coefficient on every model.
double EmergencyCurrentCoefficient(const RelayModel& model);

// Fills both journals with the history of a feeder in service up to `now`.
void FillJournals(const RelayModel& model, HoldingMemory& holding, const WallTime& now,
                  std::mt19937& rng);

// Adds one working-journal event at `when`: codes 1–3 go to group 1, the others to group 2;
// a full group loses its oldest record.
void AppendWorkingEvent(HoldingMemory& holding, int code, const WallTime& when);

// Reads back working record `index` (0–119): time and event code; code 0 for an empty record.
struct WorkingRecord {
    WallTime time;
    int code = 0;
};
WorkingRecord ReadWorkingRecord(const HoldingMemory& holding, int index);

// A new trip at `when` (the same B-C fault as the stored one): into an empty record, or in place
// of the oldest.
void AppendTrip(const RelayModel& model, HoldingMemory& holding, const WallTime& when);

// Index (0–9) of the newest non-empty emergency record, or -1.
int NewestEmergencyRecord(const HoldingMemory& holding);

// The oscillograph memory (11,150 registers) holding the recording of the newest trip: pre-fault
// load, the fault step, the trip and the breaker opening, with the digital records of the trip
// outputs and the breaker-position inputs, for the channels the flags name. All zero when the
// journal holds no trip.
std::vector<std::uint16_t> BuildOscillogram(const RelayModel& model, const HoldingMemory& holding,
                                            const OscillographFlags& flags);

}  // namespace tirv::sim
