#include "common/calendar.h"
#include "configurator/journals/journal_working.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include "common/oscillogram_image.h"
#include "configurator/journals/journal_format.h"
#include "configurator/journals/journal_requests.h"
#include "configurator/journals/journal_texts.h"

namespace tirv {
namespace {

namespace tx = journal_texts;

constexpr int kFirstValidYear = 15;
constexpr int kHighestTableCode = 127;

std::uint32_t WireOrder(std::uint16_t reg)
{
    return static_cast<std::uint32_t>((reg >> 8) | ((reg & 0xFF) << 8));
}

struct SortKey {
    int date = 0, time = 0, ms = 0;
    bool operator>(const SortKey& o) const
    {
        return std::tie(date, time, ms) > std::tie(o.date, o.time, o.ms);
    }
};

SortKey KeyOf(const WorkingRecord& r)
{
    // An empty slot may still hold old date bytes; it must never push a record out of the shown n.
    if (r.empty())
        return {};
    return {r.year() * 10000 + r.month() * 100 + r.day(),
            r.hour() * 10000 + r.minute() * 100 + r.second(), r.milliseconds()};
}

int CountNonEmpty(std::span<const WorkingRecord> records)
{
    return static_cast<int>(
        std::count_if(records.begin(), records.end(), [](const auto& r) { return !r.empty(); }));
}

template <std::size_t N>
void CopyOrder(const std::vector<std::uint8_t>& from, std::array<std::uint8_t, N>& to)
{
    std::copy_n(from.begin(), std::min(from.size(), N), to.begin());
}

}  // namespace

std::vector<const WorkingRecord*> WorkingJournal::shown(WorkingGroup g) const
{
    std::vector<const WorkingRecord*> out;
    const bool settings = g == WorkingGroup::Settings;
    const int n =
        std::clamp(count(g), 0, settings ? kWorkingGroup1Capacity : kWorkingGroup2Capacity);
    for (int k = 0; k < n; ++k) {
        const std::uint8_t slot =
            settings ? order1[static_cast<std::size_t>(k)] : order2[static_cast<std::size_t>(k)];
        if (slot < kWorkingRecords)
            out.push_back(&records[slot]);
    }
    return out;
}

WorkingRecord WorkingRecordFromRegisters(std::span<const std::uint16_t, kWorkingRecordWords> regs)
{
    WorkingRecord r;
    for (int k = 0; k < kWorkingRecordWords - 1; ++k)
        r.words[static_cast<std::size_t>(k)] = WireOrder(regs[static_cast<std::size_t>(k)]);
    const auto code = static_cast<std::int16_t>(WireOrder(regs[kWorkingRecordWords - 1]));
    r.words[kWorkingRecordWords - 1] = static_cast<std::uint32_t>(static_cast<std::int32_t>(code));
    return r;
}

bool IsValidWorkingRecord(const WorkingRecord& r)
{
    return r.year() >= kFirstValidYear && r.month() >= 1 && r.month() <= 12 && r.day() >= 1 &&
           r.day() <= MonthLength(r.month(), r.year()) && r.hour() <= 23 && r.minute() <= 59 &&
           r.second() <= 59 && r.milliseconds() <= 999;
}

std::vector<std::uint8_t> OrderWorkingGroup(std::span<const WorkingRecord> records, int first,
                                            int n)
{
    std::vector<std::uint8_t> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), static_cast<std::uint8_t>(first));
    // Stable: among equal keys the record found first in the image stays first, as the relay's
    // own selection sort leaves them.
    std::stable_sort(order.begin(), order.end(), [&](std::uint8_t a, std::uint8_t b) {
        return KeyOf(records[a]) > KeyOf(records[b]);
    });
    return order;
}

WorkingReadVerdict AcceptWorkingJournalRead(std::span<const std::uint16_t> registers,
                                            WorkingJournal& journal)
{
    if (registers.size() != static_cast<std::size_t>(kWorkingRegisters))
        return WorkingReadVerdict::WrongLength;
    WorkingJournal read;
    for (int k = 0; k < kWorkingRecords; ++k) {
        const auto regs = registers.subspan(static_cast<std::size_t>(k * kWorkingRecordWords))
                              .first<kWorkingRecordWords>();
        WorkingRecord& r = read.records[static_cast<std::size_t>(k)];
        r = WorkingRecordFromRegisters(regs);
        if (!r.empty() && !IsValidWorkingRecord(r))
            return WorkingReadVerdict::InvalidRecords;
    }
    const std::span<const WorkingRecord> all(read.records);
    read.count1 = CountNonEmpty(all.first(kWorkingGroup1Capacity));
    read.count2 = CountNonEmpty(all.subspan(kWorkingGroup1Capacity));
    CopyOrder(OrderWorkingGroup(all, 0, kWorkingGroup1Capacity), read.order1);
    CopyOrder(OrderWorkingGroup(all, kWorkingGroup1Capacity, kWorkingGroup2Capacity), read.order2);
    read.source = JournalSource::Relay;
    read.hasData = true;
    journal = read;
    return WorkingReadVerdict::Accepted;
}

WorkingReadVerdict AcceptWorkingJournalTransfer(std::span<const std::uint8_t> bytes,
                                                WorkingJournal& journal)
{
    std::array<std::uint16_t, kWorkingRegisters> regs{};
    if (!RegistersOfTransfer(bytes, regs))
        return WorkingReadVerdict::WrongLength;
    return AcceptWorkingJournalRead(regs, journal);
}

std::string WorkingEventText(std::int32_t code, JournalSource source)
{
    for (const auto& e : tx::kWorkingEventTexts)
        if (e.code == code)
            return e.text;
    if (code >= 0 && code <= kHighestTableCode)
        return FormatJournalText(tx::kWorkingCodeNumber, code);
    if (source == JournalSource::Relay)
        return tx::kWorkingCodeAboveTableRelay;
    return FormatJournalText(tx::kWorkingCodeAboveTableFile, code);
}

WorkingRow WorkingRowOf(const WorkingRecord& r, JournalSource source)
{
    return {FormatJournalText("%.2i.%.2i.%.2i", r.day(), r.month(), r.year()),
            FormatJournalText("%.2i:%.2i:%.2i.%.3i", r.hour(), r.minute(), r.second(),
                              r.milliseconds()),
            WorkingEventText(r.code(), source)};
}

std::vector<WorkingRow> WorkingListRows(const WorkingJournal& journal, WorkingGroup g)
{
    std::vector<WorkingRow> rows;
    for (const WorkingRecord* r : journal.shown(g))
        if (r->code() > 0)
            rows.push_back(WorkingRowOf(*r, journal.source));
    rows.emplace_back();
    return rows;
}

}  // namespace tirv
