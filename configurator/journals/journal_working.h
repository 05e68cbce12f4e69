#pragma once
// The relay's working journal: 120 records of five registers at 2100–2699 — records 0–19 are
// changes of setpoints and settings (group 1), records 20–119 other events (group 2). This file
// decodes a complete read, validates it, orders each group newest first and gives the rows of
// the two lists. The journal held by the page changes only by a read or a file that passes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tirv {

inline constexpr int kWorkingRecords = 120;
inline constexpr int kWorkingRecordWords = 5;
inline constexpr int kWorkingRegisters = kWorkingRecords * kWorkingRecordWords;  // 600
inline constexpr int kWorkingGroup1Capacity = 20;
inline constexpr int kWorkingGroup2Capacity = 100;

// One record as held in memory and in the file: one 32-bit word per register whose two low bytes
// are the register's bytes in wire order (word 0 = year + 256 × month, word 1 = day + 256 × hour,
// word 2 = minute + 256 × second, word 3 = milliseconds, word 4 = event code).
struct WorkingRecord {
    std::array<std::uint32_t, kWorkingRecordWords> words{};

    int year() const { return static_cast<int>(words[0] & 0xFF); }  // two digits
    int month() const { return static_cast<int>(words[0] >> 8 & 0xFF); }
    int day() const { return static_cast<int>(words[1] & 0xFF); }
    int hour() const { return static_cast<int>(words[1] >> 8 & 0xFF); }
    int minute() const { return static_cast<int>(words[2] & 0xFF); }
    int second() const { return static_cast<int>(words[2] >> 8 & 0xFF); }
    int milliseconds() const { return static_cast<int>(words[3] & 0xFFFF); }
    // Read from the relay the 16-bit code is signed (stored sign-extended); from a file the word.
    std::int32_t code() const { return static_cast<std::int32_t>(words[4]); }
    // Code 0 or negative: an empty slot.
    bool empty() const { return code() <= 0; }
    bool operator==(const WorkingRecord&) const = default;
};

// Where the journal came from: the event texts of codes above 127 differ.
enum class JournalSource : std::uint8_t { Relay, File };

enum class WorkingGroup : std::uint8_t { Settings, Events };  // lists 1860 and 1861

struct WorkingJournal {
    // Group 1 in slots 0–19, group 2 in slots 20–119 (as in the relay's image).
    std::array<WorkingRecord, kWorkingRecords> records{};
    // Display order of each group (newest first): slot indexes; only the first count are shown.
    std::array<std::uint8_t, kWorkingGroup1Capacity> order1{};
    std::array<std::uint8_t, kWorkingGroup2Capacity> order2{};
    int count1 = 0;
    int count2 = 0;
    JournalSource source = JournalSource::Relay;
    bool hasData = false;

    int count(WorkingGroup g) const { return g == WorkingGroup::Settings ? count1 : count2; }
    // The shown records of a group, newest first.
    std::vector<const WorkingRecord*> shown(WorkingGroup g) const;
};

// The relay's register value (as a read reply or the ТИРВ protocol gives it, high byte first on
// the wire) → the record word (wire bytes low first). The event code (register 4) is
// sign-extended.
WorkingRecord WorkingRecordFromRegisters(std::span<const std::uint16_t, kWorkingRecordWords> regs);

// The record table's ranges: year 15 or more, month 1–12, day within the month (29 February when
// year mod 4 = 0), hour 0–23, minute 0–59, second 0–59, milliseconds 0–999.
bool IsValidWorkingRecord(const WorkingRecord& r);

enum class WorkingReadVerdict : std::uint8_t {
    Accepted,
    WrongLength,     // not exactly 600 registers
    InvalidRecords,  // a non-empty record out of range: the journal stays as it was
};

// A complete read of the 600 registers from 2100: decoded, validated, each group counted and
// ordered. Only an accepted read replaces `journal` (source Relay).
WorkingReadVerdict AcceptWorkingJournalRead(std::span<const std::uint16_t> registers,
                                            WorkingJournal& journal);
// The same from the bytes a Modbus TCP transfer stored (register k = bytes 2k low, 2k+1 high).
WorkingReadVerdict AcceptWorkingJournalTransfer(std::span<const std::uint8_t> bytes,
                                                WorkingJournal& journal);

// Orders slots [first, first + n) newest first by (date, time, milliseconds); equal keys keep the
// slot order, empty records carry zero keys and fall to the end. Returns slot indexes.
std::vector<std::uint8_t> OrderWorkingGroup(std::span<const WorkingRecord> records, int first,
                                            int n);

// The event text of a code: the table, the three-digit number for other codes 0–127, and above
// 127 " " from the relay or the number from a file.
std::string WorkingEventText(std::int32_t code, JournalSource source);

struct WorkingRow {
    std::string date;  // "dd.mm.yy"
    std::string time;  // "hh:mm:ss.mmm"
    std::string event;
    bool operator==(const WorkingRow&) const = default;
};
WorkingRow WorkingRowOf(const WorkingRecord& r, JournalSource source);
// The rows of one list exactly as shown: one per shown record with a code above 0, newest
// first, then one empty row.
std::vector<WorkingRow> WorkingListRows(const WorkingJournal& journal, WorkingGroup g);

}  // namespace tirv
