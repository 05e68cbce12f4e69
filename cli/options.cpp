#include "cli/options.h"

#include "configurator/link/panel_rules.h"
#include "configurator/link/registers.h"

#include <algorithm>
#include <charconv>

namespace tirv::cli {

namespace {

template <std::size_t N>
std::optional<int> ItemOf(std::string_view text, const std::array<std::string_view, N>& items)
{
    for (std::size_t k = 0; k < N; ++k)
        if (items[k] == text)
            return static_cast<int>(k);
    return std::nullopt;
}

constexpr std::array<std::string_view, 3> kParities{"none", "even", "odd"};
constexpr std::array<std::string_view, 2> kStopBits{"1", "2"};
constexpr std::array<std::string_view, 2> kProtocols{"tirv", "modbus"};
constexpr std::array<std::string_view, 2> kChannels{"rs485", "usb"};
constexpr std::array<std::string_view, 2> kModes{"slave", "master"};
constexpr std::array<std::string_view, 2> kOnOff{"off", "on"};

std::string Bad(std::string_view what, std::string_view value)
{
    return std::string(what) + ": " + std::string(value);
}

// One setter per kind of value, so that the table below stays one line per option.
template <std::optional<int> Options::*Field, int Min, int Max>
std::string SetNumber(Options& o, std::string_view v)
{
    const auto n = ParseNumber(v, Min, Max);
    if (!n)
        return Bad("a number " + std::to_string(Min) + "–" + std::to_string(Max) + " is needed", v);
    o.*Field = n;
    return {};
}

template <std::optional<int> DeviceSettingsEdits::*Field, int Min, int Max>
std::string SetDeviceNumber(Options& o, std::string_view v)
{
    const auto n = ParseNumber(v, Min, Max);
    if (!n)
        return Bad("a number " + std::to_string(Min) + "–" + std::to_string(Max) + " is needed", v);
    o.device.*Field = n;
    return {};
}

template <std::optional<int> Options::*Field, const auto& Items>
std::string SetItem(Options& o, std::string_view v)
{
    const auto k = ItemOf(v, Items);
    if (!k)
        return Bad("not one of the accepted words", v);
    o.*Field = k;
    return {};
}

template <std::optional<int> DeviceSettingsEdits::*Field, const auto& Items>
std::string SetDeviceItem(Options& o, std::string_view v)
{
    const auto k = ItemOf(v, Items);
    if (!k)
        return Bad("not one of the accepted words", v);
    o.device.*Field = k;
    return {};
}

template <std::optional<bool> DeviceSettingsEdits::*Field>
std::string SetDeviceOnOff(Options& o, std::string_view v)
{
    const auto k = ItemOf(v, kOnOff);
    if (!k)
        return Bad("on or off is needed", v);
    o.device.*Field = *k == 1;
    return {};
}

template <std::optional<std::array<std::uint8_t, 4>> DeviceSettingsEdits::*Field>
std::string SetDeviceIp(Options& o, std::string_view v)
{
    const auto ip = ParseIpv4(v);
    if (!ip)
        return Bad("an address A.B.C.D is needed", v);
    o.device.*Field = ip;
    return {};
}

template <bool Options::*Field>
std::string SetSwitch(Options& o, std::string_view)
{
    o.*Field = true;
    return {};
}

template <std::optional<int> Options::*Field>
std::string SetRate(Options& o, std::string_view v)
{
    o.*Field = BaudIndexOfRate(v);
    return o.*Field ? std::string() : Bad("not a speed of the baud table", v);
}

template <std::optional<int> DeviceSettingsEdits::*Field>
std::string SetDeviceBaud(Options& o, std::string_view v)
{
    o.device.*Field = BaudIndexOfRate(v);
    return o.device.*Field ? std::string() : Bad("not a speed of the baud table", v);
}

std::string SetTcp(Options& o, std::string_view v)
{
    o.tcp = ParseTcpTarget(v);
    return o.tcp ? std::string() : Bad("HOST[:PORT] with an IPv4 address is needed", v);
}

std::string SetModel(Options& o, std::string_view v)
{
    const auto code = ParseNumber(v, 0, 9999);
    if (!code || !FindFamilyModel(*code))
        return Bad("not a model code (" + FamilyCodeList() + ")", v);
    o.model = code;
    return {};
}

std::string SetProtocolFile(Options& o, std::string_view v)
{
    if (v.empty())
        return "a file name is needed";
    o.protocolFile = std::string(v);
    return {};
}

std::string SetPortsDir(Options& o, std::string_view v)
{
    if (v.empty())
        return "a folder is needed";
    o.portsDir = std::string(v);
    return {};
}

std::string SetSettings(Options& o, std::string_view v)
{
    if (v.empty())
        return "a file is needed";
    o.settingsFile = std::string(v);
    return {};
}

std::string SetMac(Options& o, std::string_view v)
{
    // Six two-digit hexadecimal bytes, "00:1A:2B:3C:4D:5E".
    std::array<std::uint8_t, 6> mac{};
    if (v.size() != 17)
        return Bad("a MAC address XX:XX:XX:XX:XX:XX is needed", v);
    for (std::size_t k = 0; k < 6; ++k) {
        const std::string_view part = v.substr(k * 3, 2);
        unsigned value = 0;
        const auto r = std::from_chars(part.data(), part.data() + 2, value, 16);
        if (r.ec != std::errc() || r.ptr != part.data() + 2 || (k < 5 && v[k * 3 + 2] != ':'))
            return Bad("a MAC address XX:XX:XX:XX:XX:XX is needed", v);
        mac[k] = static_cast<std::uint8_t>(value);
    }
    o.device.mac = mac;
    return {};
}

using G = OptionGroup;
using D = DeviceSettingsEdits;

const OptionRow kOptions[] = {
    {"--help", nullptr, G::General, "this help (after a command: the command's help)",
     SetSwitch<&Options::help>},
    {"--json", nullptr, G::General, "print the result as one JSON document on standard output",
     SetSwitch<&Options::json>},
    {"--yes", nullptr, G::General, "answer the program's questions with OK / Yes",
     SetSwitch<&Options::yes>},
    {"--no", nullptr, G::General, "answer them with Cancel / No (also the default)",
     SetSwitch<&Options::no>},
    {"--settings", "FILE", G::Connection, "take the defaults from this ТИРВ.cfg", SetSettings},
    {"--protocol-file", "FILE", G::General, "firmware: append the update protocol to FILE",
     SetProtocolFile},
    {"--watch", "PERIOD", G::General, "measurements: read every PERIOD ms (raised to the minimum)",
     SetNumber<&Options::watchMs, 1, 9999>},
    {"--readings", "N", G::General, "measurements --watch: stop after N readings",
     SetNumber<&Options::readings, 1, 1000000>},
    {"--in-loader", nullptr, G::General, "firmware: the relay waits in its loader already",
     SetSwitch<&Options::inLoader>},
    {"--port", "N", G::Connection, "serial port COMN (default 1)",
     SetNumber<&Options::port, 1, 255>},
    {"--ports-dir", "DIR", G::Connection, "folder of the ports/COM<N> entries", SetPortsDir},
    {"--tcp", "HOST[:PORT]", G::Connection, "Modbus TCP instead of a serial port (reads only)",
     SetTcp},
    {"--channel", "rs485|usb", G::Connection, "channel of an M relay (default usb)",
     SetItem<&Options::channel, kChannels>},
    {"--baud", "B", G::Connection, "line speed, 1200 … 460800 (default 57600)",
     SetRate<&Options::baudIndex>},
    {"--parity", "none|even|odd", G::Connection, "parity (M models)",
     SetItem<&Options::parity, kParities>},
    {"--stop-bits", "1|2", G::Connection, "stop bits (M models)",
     SetItem<&Options::stopBits, kStopBits>},
    {"--address", "A", G::Connection, "device address 1–255 (default 1)",
     SetNumber<&Options::address, 1, 255>},
    {"--protocol", "modbus|tirv", G::Connection, "Modbus RTU or the ТИРВ protocol",
     SetItem<&Options::protocol, kProtocols>},
    {"--variant", "0|1", G::Connection, "ТИРВ protocol variant: 0 old, 1 new",
     SetNumber<&Options::variant, 0, 1>},
    {"--values-per-frame", "N", G::Connection, "ТИРВ protocol values per frame, 8–255",
     SetNumber<&Options::valuesPerFrame, 8, 255>},
    {"--repeats", "N", G::Connection, "repeats of a failed request, 0–1000 (default 10)",
     SetNumber<&Options::repeats, 0, 1000>},
    {"--model", "CODE", G::Connection, "model code (default: the model the link check finds)",
     SetModel},
    {"--set-address", "A", G::DeviceSettings, "RS-485 device address 1–255",
     SetDeviceNumber<&D::rsAddress, 1, 255>},
    {"--set-baud", "B", G::DeviceSettings, "RS-485 speed", SetDeviceBaud<&D::rsBaudIndex>},
    {"--set-protocol", "modbus|tirv", G::DeviceSettings, "RS-485 protocol",
     SetDeviceItem<&D::rsProtocol, kProtocols>},
    {"--set-parity", "none|even|odd", G::DeviceSettings, "RS-485 parity (M)",
     SetDeviceItem<&D::parity, kParities>},
    {"--set-stop-bits", "1|2", G::DeviceSettings, "RS-485 stop bits (M)",
     SetDeviceItem<&D::stopBits, kStopBits>},
    {"--set-mode", "slave|master", G::DeviceSettings, "RS-485 mode (M)",
     SetDeviceItem<&D::mode, kModes>},
    {"--set-time-sync", "on|off", G::DeviceSettings, "master time synchronisation (M)",
     SetDeviceOnOff<&D::timeSync>},
    {"--set-usb-baud", "B", G::DeviceSettings, "USB speed, 57600 … 460800 (M)",
     SetDeviceBaud<&D::usbBaudIndex>},
    {"--set-usb-protocol", "modbus|tirv", G::DeviceSettings, "USB protocol (M)",
     SetDeviceItem<&D::usbProtocol, kProtocols>},
    {"--set-ethernet", "on|off", G::DeviceSettings, "Ethernet on or off (M)",
     SetDeviceOnOff<&D::ethernetOn>},
    {"--set-ip", "A.B.C.D", G::DeviceSettings, "Ethernet address (M)", SetDeviceIp<&D::ip>},
    {"--set-tcp-port", "N", G::DeviceSettings, "Modbus TCP port 1–65535 (M)",
     SetDeviceNumber<&D::tcpPort, 1, 65535>},
    {"--set-mac", "XX:…:XX", G::DeviceSettings, "MAC address, six hexadecimal bytes (M)", SetMac},
    {"--set-gateway", "A.B.C.D", G::DeviceSettings, "gateway (M)", SetDeviceIp<&D::gateway>},
    {"--set-mask", "A.B.C.D", G::DeviceSettings, "subnet mask (M)", SetDeviceIp<&D::mask>},
    {"--set-type", "CODE", G::DeviceSettings, "identity set: type code 306 … 717 (register 131)",
     SetNumber<&Options::identityType, 0, 65535>},
    {"--set-serial", "N", G::DeviceSettings, "identity set: serial number 0–65535 (register 134)",
     SetNumber<&Options::identitySerial, 0, 65535>},
    {"--from", "A", G::Scan, "first address to probe (default: --address)",
     SetNumber<&Options::fromAddress, 1, 255>},
    {"--to", "A", G::Scan, "last address to probe (default: --address)",
     SetNumber<&Options::toAddress, 1, 255>},
    {"--from-baud", "B", G::Scan, "lowest speed to probe (default: --baud)",
     SetRate<&Options::fromBaudIndex>},
    {"--to-baud", "B", G::Scan, "highest speed to probe (default: --baud)",
     SetRate<&Options::toBaudIndex>},
};

const OptionRow* Find(std::string_view name)
{
    for (const OptionRow& row : kOptions)
        if (name == row.name)
            return &row;
    return nullptr;
}

}  // namespace

bool DeviceSettingsEdits::any() const
{
    return rsAddress || rsBaudIndex || rsProtocol || parity || stopBits || mode || timeSync ||
           usbBaudIndex || usbProtocol || ethernetOn || ip || tcpPort || mac || gateway || mask;
}

std::span<const OptionRow> OptionTable()
{
    return kOptions;
}

ParseResult ParseOptions(std::span<const std::string> args)
{
    ParseResult r;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string_view arg = args[k];
        if (arg.size() < 2 || arg.substr(0, 2) != "--") {
            r.options.words.emplace_back(arg);
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string_view name = arg.substr(0, eq);
        const OptionRow* row = Find(name);
        if (!row) {
            r.error = "unknown option " + std::string(name);
            return r;
        }
        std::string_view value;
        if (row->value) {
            if (eq != std::string_view::npos) {
                value = arg.substr(eq + 1);
            } else if (k + 1 < args.size()) {
                value = args[++k];
            } else {
                r.error = std::string(name) + " needs a value (" + row->value + ")";
                return r;
            }
        } else if (eq != std::string_view::npos) {
            r.error = std::string(name) + " takes no value";
            return r;
        }
        if (std::string e = row->apply(r.options, value); !e.empty()) {
            r.error = std::string(name) + ": " + e;
            return r;
        }
        if (std::find(r.groupsUsed.begin(), r.groupsUsed.end(), row->group) == r.groupsUsed.end())
            r.groupsUsed.push_back(row->group);
    }
    if (r.options.yes && r.options.no)
        r.error = "--yes and --no exclude each other";
    else if (r.options.tcp && r.options.port)
        r.error = "--tcp and --port exclude each other";
    return r;
}

std::string OptionHelp(OptionGroup group)
{
    std::string out;
    for (const OptionRow& row : kOptions) {
        if (row.group != group)
            continue;
        std::string left = std::string("  ") + row.name;
        if (row.value)
            left += std::string(" ") + row.value;
        // Pad by characters, not bytes: the value column holds Cyrillic and "…".
        std::size_t shown = 0;
        for (unsigned char c : left)
            shown += (c & 0xC0) != 0x80;
        left.append(shown < 32 ? 32 - shown : 1, ' ');
        out += left + row.help + "\n";
    }
    return out;
}

std::optional<int> ParseNumber(std::string_view text, int min, int max)
{
    int value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || value < min ||
        value > max)
        return std::nullopt;
    return value;
}

std::optional<int> BaudIndexOfRate(std::string_view text)
{
    const auto rate = ParseNumber(text, 1, 1000000);
    if (!rate)
        return std::nullopt;
    for (std::size_t k = 0; k < kBaudRates.size(); ++k)
        if (kBaudRates[k] == static_cast<std::uint32_t>(*rate))
            return static_cast<int>(k);
    return std::nullopt;
}

std::optional<std::array<std::uint8_t, 4>> ParseIpv4(std::string_view text)
{
    if (text == "localhost")
        return std::array<std::uint8_t, 4>{127, 0, 0, 1};
    std::array<std::uint8_t, 4> ip{};
    for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t dot = text.find('.');
        const std::string_view part = k < 3 ? text.substr(0, dot) : text;
        if (k < 3 && dot == std::string_view::npos)
            return std::nullopt;
        const auto n = ParseNumber(part, 0, 255);
        if (!n)
            return std::nullopt;
        ip[k] = static_cast<std::uint8_t>(*n);
        if (k < 3)
            text.remove_prefix(dot + 1);
    }
    return ip;
}

std::optional<TcpTarget> ParseTcpTarget(std::string_view text)
{
    TcpTarget t;
    const std::size_t colon = text.rfind(':');
    if (colon != std::string_view::npos) {
        const auto port = ParseNumber(text.substr(colon + 1), 1, 65535);
        if (!port)
            return std::nullopt;
        t.port = *port;
        text = text.substr(0, colon);
    }
    const auto ip = ParseIpv4(text);
    if (!ip)
        return std::nullopt;
    t.address = *ip;
    return t;
}

}  // namespace tirv::cli
