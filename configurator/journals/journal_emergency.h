#pragma once
// The relay's emergency journal: its last ten trips, 34 registers each at 400–739 — date and
// time, the protection that acted, the protections that had started, 13 magnitudes, 11 phase
// angles and the breaker opening time. This file decodes and validates a read, orders the events
// newest first and gives the texts and values the page shows. The class of the journal (M or
// not) chooses the coefficients, the bit-14 texts and the fraction format: the current model for
// a read, word 3 of the file for a journal opened from a file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "configurator/journals/journal_working.h"  // JournalSource

namespace tirv {

inline constexpr int kEmergencyRecords = 10;
inline constexpr int kEmergencyRecordWords = 34;
inline constexpr int kEmergencyRegisters = kEmergencyRecords * kEmergencyRecordWords;  // 340
inline constexpr int kEmergencyMagnitudes = 13;  // Ia … Uca, 3Io, 3Uo, I1, I2
inline constexpr int kEmergencyAngles = 11;      // Ia … Uca, 3Io, 3Uo

enum EmergencyWord : int {
    kEwDay = 0,
    kEwMonth,
    kEwYear,
    kEwHour,
    kEwMinute,
    kEwSecond,
    kEwFraction,
    kEwEvent = 7,
    kEwStarted = 8,
    kEwMagnitudes = 9,
    kEwAngles = 22,
    kEwOpeningTime = 33,
};

inline constexpr std::uint32_t kProtectionBits = 0x7FFF;     // bits 0–14
inline constexpr std::uint32_t kBreakerFailureBit = 0x8000;  // event word bit 15
inline constexpr std::uint32_t kOpeningMinutesBit = 0x8000;  // opening-time word bit 15

// Coefficient set of the file's word 3 (187 = M modification, 170 = other models).
inline constexpr std::uint32_t kCoefficientSetM = 0xBB;
inline constexpr std::uint32_t kCoefficientSetOther = 0xAA;

// One record: a word per register (register values from the relay, 32-bit words from a file).
struct EmergencyRecord {
    std::array<std::uint32_t, kEmergencyRecordWords> words{};

    int at(int w) const { return static_cast<int>(words[static_cast<std::size_t>(w)]); }
    std::uint32_t event() const { return words[kEwEvent]; }
    bool empty() const { return event() == 0; }
    bool breakerFailure() const { return (event() & kBreakerFailureBit) != 0; }
    bool namesProtection() const { return (event() & kProtectionBits) != 0; }
    bool operator==(const EmergencyRecord&) const = default;
};

struct EmergencyJournal {
    std::array<EmergencyRecord, kEmergencyRecords> records{};
    int size = 0;  // records held: 10 from the relay, the file's count from a file
    std::array<std::uint8_t, kEmergencyRecords> order{};  // record indexes, newest first
    bool mClass = false;
    JournalSource source = JournalSource::Relay;
    bool hasData = false;

    // Non-empty records in display order (newest first); the list shows two rows for each.
    std::vector<int> events() const;
    // The only event whose oscillogram can be read: the newest one naming a protection; -1 if none.
    int oscillogramEvent() const;
};

// The record table's ranges for a non-empty record: at most one of bits 0–14 in the event word,
// day 1 to the month's length (29 February when year mod 4 = 0), month 1–12, year 0 to
// `computerYear`, hour 0–23, minute 0–59, second 0–59.
bool IsValidEmergencyRecord(const EmergencyRecord& r, int computerYear);

enum class EmergencyReadVerdict : std::uint8_t { Accepted, WrongLength, InvalidRecord };

// A complete read of the 340 registers from 400 for a model of class `mClass`, validated against
// the computer clock's year and ordered; only an accepted read replaces `journal`.
EmergencyReadVerdict AcceptEmergencyJournalRead(std::span<const std::uint16_t> registers,
                                                bool mClass, int computerYear,
                                                EmergencyJournal& journal);
// The same from the bytes of a Modbus TCP transfer (register k = bytes 2k low, 2k+1 high).
EmergencyReadVerdict AcceptEmergencyJournalTransfer(std::span<const std::uint8_t> bytes,
                                                    bool mClass, int computerYear,
                                                    EmergencyJournal& journal);

// Indexes 0..n-1 ordered newest first by year, month, day, hour, minute, second, fraction;
// equal records keep their relay order.
std::vector<std::uint8_t> OrderEmergencyRecords(std::span<const EmergencyRecord> records);

// Texts of the list 1829.
std::string EmergencyEventText(std::uint32_t eventWord, bool mClass);  // "" when no bit 0–14
std::string StartedProtectionsText(std::uint32_t startedWord, bool mClass);
std::string EmergencyOutcomeText(const EmergencyRecord& r);
std::string EmergencyDateText(const EmergencyRecord& r);               // "dd.mm.yyyy"
std::string EmergencyTimeText(const EmergencyRecord& r, bool mClass);  // "hh:mm:ss.ff(f)"

struct EmergencyRowPair {
    // Row 1: date, time, event, started protections; row 2: the outcome in the event column.
    std::array<std::string, 4> first;
    std::string outcome;
};
EmergencyRowPair EmergencyRows(const EmergencyRecord& r, bool mClass);

// Field 1344: the event text (at most 11 characters), two blanks, the date, two blanks, the time.
std::string EmergencySummaryText(const EmergencyRecord& r, bool mClass);

}  // namespace tirv
