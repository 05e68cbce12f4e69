#pragma once
// The commands of tirv-cli: one row each, found by their words ("link auto"), run with the relay
// session and the file the command names.
#include "cli/exit_codes.h"
#include "cli/options.h"

#include <span>
#include <string>

namespace tirv::cli {

class RelaySession;

struct CommandRow {
    const char* words;    // "setpoints read"
    const char* file;     // what the file argument is ("FILE.tpr"), nullptr: none
    OptionGroup extra;    // the options of its own (DeviceSettings, Scan); General: none
    const char* summary;
    Exit (*run)(RelaySession& session, const std::string& file);
};

// identify, link auto, link max-speed, link write (link_commands.cpp).
std::span<const CommandRow> LinkCommands();
// setpoints read|write|show|check (setpoint_commands.cpp).
std::span<const CommandRow> SetpointCommands();
// scan (scan_command.cpp).
std::span<const CommandRow> ScanCommands();
// breaker close|open|unblock (breaker_commands.cpp).
std::span<const CommandRow> BreakerCommands();
// io read|write|state, leds read|write, project read|write (io_commands.cpp).
std::span<const CommandRow> IoCommands();
// journal work|emergency, oscillogram (journal_commands.cpp).
std::span<const CommandRow> JournalCommands();

// clock get|set|broadcast (clock_commands.cpp), identity get|set (identity_commands.cpp).
std::span<const CommandRow> ClockCommands();
std::span<const CommandRow> IdentityCommands();
// firmware update|verify (firmware_commands.cpp).
std::span<const CommandRow> FirmwareCommands();
// measurements [--watch PERIOD] (measurement_commands.cpp).
std::span<const CommandRow> MeasurementCommands();

}  // namespace tirv::cli
