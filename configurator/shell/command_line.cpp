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
    int showCommand;
};

// Longest first is irrelevant here: no suffix of one row ends another row.
constexpr std::array<KindRow, 6> kKinds{{
    {"tirv", FileKind::Project, 179},
    {"tpr", FileKind::Setpoints, 179},
    {"tio", FileKind::IoSettings, 180},
    {"tld", FileKind::LedSettings, 181},
    {"twj", FileKind::WorkJournal, 188},
    {"taj", FileKind::EmergencyJournal, 189},
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

int ShowCommandForKind(FileKind kind)
{
    for (const KindRow& row : kKinds)
        if (row.kind == kind)
            return row.showCommand;
    return 0;
}

}  // namespace tirv
