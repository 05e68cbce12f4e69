#pragma once
// The simulator's command line and its control commands (the same words without "--", one per
// line on standard input), parsed into plain records.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/relay.h"
#include "sim/relay_line.h"

namespace tirv::sim {

struct DeviceOptions {
    enum class Channel { Default, Rs485, Usb };
    int model = kDefaultModelCode;
    Channel channel = Channel::Default;
    LineSettings line;
    std::optional<int> serial;
};

// Relay states a tester can force (command line or control command).
struct RelayFlags {
    std::optional<bool> emptyMemory;
    std::optional<bool> blocked;
    std::optional<bool> archiveBusy;
    std::optional<bool> bootloader;
};

struct SimOptions {
    int com = 1;
    std::string portsDir;  // empty: "ports" beside the program
    std::optional<int> tcpPort;
    std::vector<DeviceOptions> devices;  // at least one after parsing
    std::string stateFile;
    Faults faults;
    RelayFlags flags;
    std::uint32_t seed = 1;
    bool help = false;
};

struct ParseResult {
    SimOptions options;
    std::string error;  // empty when the command line is good
};

ParseResult ParseSimOptions(const std::vector<std::string>& args);

// One control command ("drop 3", "silent on", "exception 4", "quit" …) applied to the faults
// and flags; `quit` is set by "quit". Returns an error text, empty when understood.
struct ControlCommand {
    Faults faults;
    RelayFlags flags;
    bool quit = false;
    bool status = false;
    bool trip = false;  // a fault on the feeder now (see Relay::Trip)
};
std::string ApplyControlCommand(const std::string& line, ControlCommand& state);

// The --help text.
const char* SimUsage();

}  // namespace tirv::sim
