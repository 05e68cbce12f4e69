#pragma once
// The configurator's command line: one path naming a file of one of six kinds, in double quotes
// or, as a shell or a file manager passes it, without them. Pure parsing, no Qt.
#include <string>
#include <string_view>

namespace tirv {

enum class FileKind : int {
    None = 0,
    Project = 1,         // .tirv
    Setpoints = 2,       // .tpr
    IoSettings = 3,      // .tio
    LedSettings = 4,     // .tld
    WorkJournal = 5,     // .twj
    EmergencyJournal = 6 // .taj
};

struct CommandLineFile {
    FileKind kind = FileKind::None;
    std::string path;  // without the quotes; empty when no path was recognised
};

// A leading quote and its closing quote are dropped; the rest is the path, used whole (a line
// longer than the longest usable path names no file). The kind comes from the last letters,
// compared in lower case only, so an upper-case extension is not recognised.
CommandLineFile ParseCommandLine(std::string_view raw);

// The page command (179, 180, 181, 188, 189) that opens the page of a kind; 0 for none.
int ShowCommandForKind(FileKind kind);

}  // namespace tirv
