#pragma once
// The simulator's control commands on standard input, run against the relays of one line: the
// fault words of the command line, and what a tester sets on a relay — live I/O states,
// measurement registers, journal records, oscillograph flags, clock, breaker, type code and
// family signature. One command a line; "@A" in front picks the relays at address A (without
// it a relay command applies to every relay on the line).
#include <cstdint>
#include <string>
#include <vector>

#include "sim/relay_line.h"

namespace tirv::sim {

struct ControlOutcome {
    std::string error;                // empty: the command was carried out ("ok")
    std::vector<std::string> output;  // lines printed before "ok" (status)
    bool quit = false;
};

ControlOutcome RunControlCommand(const std::string& text, RelayLine& line, std::int64_t nowMs);

// The relay states of the command line or of a flag command applied to one relay.
struct RelayFlags;
void ApplyFlags(Relay& relay, const RelayFlags& flags);

// Journal records as a tester crafts them: "FIELD=VALUE" words applied to record `record`
// (0-based) of the relay's memory, or the record cleared. Returns an error text, empty on
// success. Shared by the control commands and their tests.
std::string SetEmergencyFields(HoldingMemory& holding, int record,
                               const std::vector<std::string>& fields);
std::string SetWorkingFields(HoldingMemory& holding, int record,
                             const std::vector<std::string>& fields);
void ClearEmergencyRecord(HoldingMemory& holding, int record);
void ClearWorkingRecord(HoldingMemory& holding, int record);

// A number as a tester types it: decimal (a leading "-" allowed) or hexadecimal "0x…", within
// [min, max]; false otherwise.
bool ParseControlNumber(const std::string& text, long min, long max, long& value);

}  // namespace tirv::sim
