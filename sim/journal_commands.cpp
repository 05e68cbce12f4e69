// Journal records set word by word from control commands, so tests can craft what a relay
// rarely holds: impossible dates, two event bits, codes above 127, bit 15, minutes.
#include <algorithm>
#include <string_view>

#include "sim/control_commands.h"
#include "sim/journal_content.h"

namespace tirv::sim {
namespace {

// Emergency record fields by word offset (magnitudes and angles are raw words).
constexpr struct {
    std::string_view name;
    int word;
} kEmergencyFields[] = {
    {"day", kEmDay},
    {"month", kEmMonth},
    {"year", kEmYear},
    {"hour", kEmHour},
    {"minute", kEmMinute},
    {"second", kEmSecond},
    {"fraction", kEmFraction},
    {"event", kEmEvent},
    {"started", kEmStarted},
    {"ia", 9},
    {"ib", 10},
    {"ic", 11},
    {"ua", 12},
    {"ub", 13},
    {"uc", 14},
    {"uab", 15},
    {"ubc", 16},
    {"uca", 17},
    {"3io", 18},
    {"3uo", 19},
    {"i1", 20},
    {"i2", 21},
    {"ia-angle", 22},
    {"ib-angle", 23},
    {"ic-angle", 24},
    {"ua-angle", 25},
    {"ub-angle", 26},
    {"uc-angle", 27},
    {"uab-angle", 28},
    {"ubc-angle", 29},
    {"uca-angle", 30},
    {"3io-angle", 31},
    {"3uo-angle", 32},
    {"opening", kEmBreakerTime},
};

// Working record fields: the relay keeps the record's bytes in wire order, two to a register
// (year·month, day·hour, minute·second, then milliseconds and code low byte first).
enum class Part { High, Low, Swapped };
constexpr struct {
    std::string_view name;
    int reg;
    Part part;
} kWorkingFields[] = {
    {"year", 0, Part::High},  {"month", 0, Part::Low},    {"day", 1, Part::High},
    {"hour", 1, Part::Low},   {"minute", 2, Part::High},  {"second", 2, Part::Low},
    {"ms", 3, Part::Swapped}, {"code", 4, Part::Swapped},
};

struct Assignment {
    std::string name;
    long value = 0;
};

std::string Split(const std::string& field, long min, long max, Assignment& a)
{
    const auto eq = field.find('=');
    if (eq == std::string::npos || eq == 0)
        return "fields are NAME=VALUE: " + field;
    a.name = field.substr(0, eq);
    if (!ParseControlNumber(field.substr(eq + 1), min, max, a.value))
        return "bad value for " + a.name + ": " + field.substr(eq + 1);
    return {};
}

std::uint16_t& At(HoldingMemory& h, int reg)
{
    return h[static_cast<std::size_t>(reg)];
}

}  // namespace

std::string SetEmergencyFields(HoldingMemory& h, int record, const std::vector<std::string>& fields)
{
    if (record < 0 || record >= kEmergencyRecords)
        return "emergency records are 1-" + std::to_string(kEmergencyRecords);
    const int first = kEmergencyJournalStart + record * kEmergencyRecordWords;
    HoldingMemory next = h;  // all fields or none
    for (const std::string& field : fields) {
        Assignment a;
        if (std::string e = Split(field, -32768, 65535, a); !e.empty())
            return e;
        const auto* f = std::find_if(std::begin(kEmergencyFields), std::end(kEmergencyFields),
                                     [&](const auto& k) { return k.name == a.name; });
        if (f == std::end(kEmergencyFields))
            return "unknown emergency field " + a.name;
        At(next, first + f->word) = static_cast<std::uint16_t>(a.value);
    }
    h = next;
    return {};
}

std::string SetWorkingFields(HoldingMemory& h, int record, const std::vector<std::string>& fields)
{
    if (record < 0 || record >= kWorkingRecords)
        return "working records are 1-" + std::to_string(kWorkingRecords);
    const int first = kWorkingJournalStart + record * kWorkingRecordWords;
    HoldingMemory next = h;
    for (const std::string& field : fields) {
        Assignment a;
        if (std::string e = Split(field, -32768, 65535, a); !e.empty())
            return e;
        const auto* f = std::find_if(std::begin(kWorkingFields), std::end(kWorkingFields),
                                     [&](const auto& k) { return k.name == a.name; });
        if (f == std::end(kWorkingFields))
            return "unknown working field " + a.name;
        const auto v = static_cast<std::uint16_t>(a.value);
        if (f->part != Part::Swapped && (a.value < 0 || a.value > 255))
            return a.name + " is one byte (0-255)";
        std::uint16_t& reg = At(next, first + f->reg);
        if (f->part == Part::High)
            reg = static_cast<std::uint16_t>((reg & 0x00FF) | v << 8);
        else if (f->part == Part::Low)
            reg = static_cast<std::uint16_t>((reg & 0xFF00) | v);
        else
            reg = static_cast<std::uint16_t>((v & 0xFF) << 8 | v >> 8);
    }
    h = next;
    return {};
}

void ClearEmergencyRecord(HoldingMemory& h, int record)
{
    std::fill_n(h.begin() + kEmergencyJournalStart + record * kEmergencyRecordWords,
                kEmergencyRecordWords, 0);
}

void ClearWorkingRecord(HoldingMemory& h, int record)
{
    std::fill_n(h.begin() + kWorkingJournalStart + record * kWorkingRecordWords,
                kWorkingRecordWords, 0);
}

}  // namespace tirv::sim
