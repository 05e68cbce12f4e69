#include "common/calendar.h"
#include "configurator/journals/journal_emergency.h"

#include <algorithm>
#include <bit>
#include <numeric>

#include "common/oscillogram_image.h"
#include "configurator/journals/journal_format.h"
#include "configurator/journals/journal_requests.h"
#include "configurator/journals/journal_texts.h"

namespace tirv {
namespace {

namespace tx = journal_texts;

constexpr int kBit14 = 14;
constexpr std::size_t kSummaryEventChars = 11;

// The fields the order compares, most significant first.
constexpr std::array<int, 7> kOrderFields{kEwYear,   kEwMonth,  kEwDay,     kEwHour,
                                          kEwMinute, kEwSecond, kEwFraction};

bool Later(const EmergencyRecord& a, const EmergencyRecord& b)
{
    for (int w : kOrderFields)
        if (a.words[static_cast<std::size_t>(w)] != b.words[static_cast<std::size_t>(w)])
            return a.words[static_cast<std::size_t>(w)] > b.words[static_cast<std::size_t>(w)];
    return false;
}

const char* EventTextOfBit(int bit, bool mClass)
{
    if (bit == kBit14)
        return mClass ? tx::kEjEventBit14M : tx::kEjEventBit14Other;
    return tx::kEjEventTexts[static_cast<std::size_t>(bit)];
}

const char* StartedTextOfBit(int bit, bool mClass)
{
    if (bit == kBit14)
        return mClass ? tx::kEjStartedBit14M : tx::kEjStartedBit14Other;
    return tx::kEjStartedTexts[static_cast<std::size_t>(bit)];
}

// The first `n` characters of a UTF-8 text.
std::string FirstCharacters(const std::string& s, std::size_t n)
{
    std::size_t pos = 0;
    for (std::size_t chars = 0; pos < s.size() && chars < n; ++chars) {
        ++pos;
        while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80)
            ++pos;
    }
    return s.substr(0, pos);
}

}  // namespace

std::vector<int> EmergencyJournal::events() const
{
    std::vector<int> out;
    for (int k = 0; k < std::clamp(size, 0, kEmergencyRecords); ++k) {
        const int index = order[static_cast<std::size_t>(k)];
        if (index < kEmergencyRecords && !records[static_cast<std::size_t>(index)].empty())
            out.push_back(index);
    }
    return out;
}

int EmergencyJournal::oscillogramEvent() const
{
    for (int index : events())
        if (records[static_cast<std::size_t>(index)].namesProtection())
            return index;
    return -1;
}

bool IsValidEmergencyRecord(const EmergencyRecord& r, int computerYear)
{
    if (std::popcount(r.event() & kProtectionBits) > 1)
        return false;
    const std::uint32_t year = r.words[kEwYear], month = r.words[kEwMonth], day = r.words[kEwDay];
    if (month < 1 || month > 12 || computerYear < 0 ||
        year > static_cast<std::uint32_t>(computerYear))
        return false;
    const int length = MonthLength(static_cast<int>(month), static_cast<int>(year));
    return day >= 1 && day <= static_cast<std::uint32_t>(length) && r.words[kEwHour] <= 23 &&
           r.words[kEwMinute] <= 59 && r.words[kEwSecond] <= 59;
}

std::vector<std::uint8_t> OrderEmergencyRecords(std::span<const EmergencyRecord> records)
{
    std::vector<std::uint8_t> order(records.size());
    std::iota(order.begin(), order.end(), std::uint8_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint8_t a, std::uint8_t b) { return Later(records[a], records[b]); });
    return order;
}

EmergencyReadVerdict AcceptEmergencyJournalRead(std::span<const std::uint16_t> registers,
                                                bool mClass, int computerYear,
                                                EmergencyJournal& journal)
{
    if (registers.size() != static_cast<std::size_t>(kEmergencyRegisters))
        return EmergencyReadVerdict::WrongLength;
    EmergencyJournal read;
    for (int k = 0; k < kEmergencyRecords; ++k) {
        EmergencyRecord& r = read.records[static_cast<std::size_t>(k)];
        std::copy_n(registers.begin() + k * kEmergencyRecordWords, kEmergencyRecordWords,
                    r.words.begin());
        if (!r.empty() && !IsValidEmergencyRecord(r, computerYear))
            return EmergencyReadVerdict::InvalidRecord;
    }
    read.size = kEmergencyRecords;
    const auto order = OrderEmergencyRecords(read.records);
    std::copy(order.begin(), order.end(), read.order.begin());
    read.mClass = mClass;
    read.source = JournalSource::Relay;
    read.hasData = true;
    journal = read;
    return EmergencyReadVerdict::Accepted;
}

EmergencyReadVerdict AcceptEmergencyJournalTransfer(std::span<const std::uint8_t> bytes,
                                                    bool mClass, int computerYear,
                                                    EmergencyJournal& journal)
{
    std::array<std::uint16_t, kEmergencyRegisters> regs{};
    if (!RegistersOfTransfer(bytes, regs))
        return EmergencyReadVerdict::WrongLength;
    return AcceptEmergencyJournalRead(regs, mClass, computerYear, journal);
}

std::string EmergencyEventText(std::uint32_t eventWord, bool mClass)
{
    const std::uint32_t bits = eventWord & kProtectionBits;
    if (bits == 0)
        return {};
    return EventTextOfBit(std::countr_zero(bits), mClass);
}

std::string StartedProtectionsText(std::uint32_t startedWord, bool mClass)
{
    std::string out;
    for (int bit = 0; bit <= kBit14; ++bit)
        if (startedWord & (1u << bit))
            out += StartedTextOfBit(bit, mClass);
    return out;
}

std::string EmergencyOutcomeText(const EmergencyRecord& r)
{
    return r.breakerFailure() ? tx::kEjOutcomeBreakerFailure : tx::kEjOutcomeTripped;
}

std::string EmergencyDateText(const EmergencyRecord& r)
{
    return FormatJournalText("%.2i.%.2i.%i", r.at(kEwDay), r.at(kEwMonth), r.at(kEwYear));
}

std::string EmergencyTimeText(const EmergencyRecord& r, bool mClass)
{
    return FormatJournalText(mClass ? "%.2i:%.2i:%.2i.%.3i" : "%.2i:%.2i:%.2i.%.2i", r.at(kEwHour),
                             r.at(kEwMinute), r.at(kEwSecond), r.at(kEwFraction));
}

EmergencyRowPair EmergencyRows(const EmergencyRecord& r, bool mClass)
{
    return {
        {EmergencyDateText(r), EmergencyTimeText(r, mClass), EmergencyEventText(r.event(), mClass),
         StartedProtectionsText(r.words[kEwStarted], mClass)},
        EmergencyOutcomeText(r)};
}

std::string EmergencySummaryText(const EmergencyRecord& r, bool mClass)
{
    return FirstCharacters(EmergencyEventText(r.event(), mClass), kSummaryEventChars) + "  " +
           EmergencyDateText(r) + "  " + EmergencyTimeText(r, mClass);
}

}  // namespace tirv
