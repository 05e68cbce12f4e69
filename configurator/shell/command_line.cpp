#include "configurator/shell/command_line.h"

#include <array>

namespace tirv {

namespace {

// A path the files may be opened with, and its two quotes; a longer line names no file at all
// (cutting it would name another file).
constexpr std::size_t kMaxCommandLine = 4095 + 2;
constexpr std::size_t kMinPath = 4;

struct KindRow {
    std::string_view letters;
    FileKind kind;
};

// Longest first is irrelevant here: no suffix of one row ends another row.
constexpr std::array<KindRow, 6> kKinds{{
    {"tirv", FileKind::Project},
    {"tpr", FileKind::Setpoints},
    {"tio", FileKind::IoSettings},
    {"tld", FileKind::LedSettings},
    {"twj", FileKind::WorkJournal},
    {"taj", FileKind::EmergencyJournal},
}};

}  // namespace

CommandLineFile ParseCommandLine(std::string_view raw)
{
    CommandLineFile out;
    if (raw.size() > kMaxCommandLine)
        return out;
    if (!raw.empty() && raw.front() == '"') {
        raw.remove_prefix(1);
        if (!raw.empty() && raw.back() == '"')
            raw.remove_suffix(1);
    }
    if (raw.size() < kMinPath)
        return out;
    out.path = std::string(raw);
    for (const KindRow& row : kKinds) {
        if (raw.size() >= row.letters.size() &&
            raw.substr(raw.size() - row.letters.size()) == row.letters) {
            out.kind = row.kind;
            break;
        }
    }
    return out;
}

}  // namespace tirv
