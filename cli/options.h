#pragma once
// The command line of tirv-cli as data: a table of options (name, value, group, help, how the
// value is taken), parsed into one record. Pure C++ so that the rules are tested without a relay.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tirv::cli {

// Which commands an option belongs to; `--help` of a command lists its groups only.
enum class OptionGroup { General, Connection, DeviceSettings, Scan };

struct TcpTarget {
    std::array<std::uint8_t, 4> address{};
    int port = 502;
};

// New values of the relay's own communication settings (`link write`); unset fields keep what
// the relay holds.
struct DeviceSettingsEdits {
    std::optional<int> rsAddress;
    std::optional<int> rsBaudIndex;
    std::optional<int> rsProtocol;
    std::optional<int> parity;
    std::optional<int> stopBits;
    std::optional<int> mode;
    std::optional<bool> timeSync;
    std::optional<int> usbBaudIndex;
    std::optional<int> usbProtocol;
    std::optional<bool> ethernetOn;
    std::optional<std::array<std::uint8_t, 4>> ip;
    std::optional<int> tcpPort;
    std::optional<std::array<std::uint8_t, 6>> mac;
    std::optional<std::array<std::uint8_t, 4>> gateway;
    std::optional<std::array<std::uint8_t, 4>> mask;
    bool any() const;
};

struct Options {
    // Connection: unset fields keep the configurator's defaults (or those of --settings).
    std::optional<int> port;
    std::string portsDir;
    std::optional<TcpTarget> tcp;
    std::optional<int> channel;  // 0 RS-485, 1 USB
    std::optional<int> baudIndex;
    std::optional<int> parity;
    std::optional<int> stopBits;
    std::optional<int> address;
    std::optional<int> protocol;  // 0 ТИРВ protocol, 1 Modbus
    std::optional<int> variant;
    std::optional<int> valuesPerFrame;
    std::optional<int> repeats;
    std::optional<int> model;
    std::string settingsFile;
    std::string protocolFile;  // firmware: the update protocol is appended here
    bool inLoader = false;     // firmware: the relay waits in its loader already
    std::optional<int> watchMs;   // measurements: poll with this period
    std::optional<int> readings;  // measurements --watch: stop after this many readings

    bool yes = false;
    bool no = false;
    bool json = false;
    bool help = false;

    DeviceSettingsEdits device;
    // scan: the address and speed ranges (unset: the connection's address and speed)
    std::optional<int> fromAddress;
    std::optional<int> toAddress;
    std::optional<int> fromBaudIndex;
    std::optional<int> toBaudIndex;
    // identity set: the type code and the serial number to write
    std::optional<int> identityType;
    std::optional<int> identitySerial;
    std::vector<std::string> words;  // the command, its sub-command and its file
};

struct OptionRow {
    const char* name;   // "--port"
    const char* value;  // what it takes, shown in the help ("N"); nullptr for a switch
    OptionGroup group;
    const char* help;
    // Stores the value; an error text when it is not acceptable, empty otherwise.
    std::string (*apply)(Options&, std::string_view value);
};

std::span<const OptionRow> OptionTable();

struct ParseResult {
    Options options;
    std::string error;  // empty: parsed
    std::vector<OptionGroup> groupsUsed;
};

// Options may stand anywhere; "--name value" and "--name=value" are both taken.
ParseResult ParseOptions(std::span<const std::string> args);

// The help lines of the options of `group`, aligned.
std::string OptionHelp(OptionGroup group);

// Small value parsers shared with the commands.
std::optional<int> ParseNumber(std::string_view text, int min, int max);
std::optional<int> BaudIndexOfRate(std::string_view text);
std::optional<std::array<std::uint8_t, 4>> ParseIpv4(std::string_view text);
std::optional<TcpTarget> ParseTcpTarget(std::string_view text);

}  // namespace tirv::cli
