#pragma once
// The kinds of file the configurator opens from its command line, each on its own page.

namespace tirv {

enum class FileKind : int {
    None = 0,
    Project = 1,          // .tirv
    Setpoints = 2,        // .tpr
    IoSettings = 3,       // .tio
    LedSettings = 4,      // .tld
    WorkJournal = 5,      // .twj
    EmergencyJournal = 6  // .taj
};

}  // namespace tirv
