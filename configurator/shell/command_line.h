#pragma once
// The configurator's command line: one path naming a file of one of six kinds, in double quotes
// or, as a shell or a file manager passes it, without them. Pure parsing, no Qt.
#include "configurator/ui/file_kind.h"

#include <string>
#include <string_view>

namespace tirv {

struct CommandLineFile {
    FileKind kind = FileKind::None;
    std::string path;  // without the quotes; empty when no path was recognised
};

// A leading quote and its closing quote are dropped; the rest is the path, used whole (a line
// longer than the longest usable path names no file). The kind comes from the last letters,
// compared in lower case only, so an upper-case extension is not recognised.
CommandLineFile ParseCommandLine(std::string_view raw);

}  // namespace tirv
