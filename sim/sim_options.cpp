#include "sim/sim_options.h"

#include <charconv>
#include <initializer_list>
#include <sstream>
#include <type_traits>
#include <utility>

namespace tirv::sim {
namespace {

std::optional<long> Number(const std::string& text, long min, long max)
{
    long v = 0;
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end || v < min || v > max)
        return std::nullopt;
    return v;
}

std::optional<bool> OnOff(const std::string& text)
{
    if (text.empty() || text == "on" || text == "1" || text == "yes")
        return true;
    if (text == "off" || text == "0" || text == "no")
        return false;
    return std::nullopt;
}

// Sets `target` to a number within [min, max]; returns `error` otherwise, "" when set.
template <class T>
std::string SetNumber(T& target, const std::string& value, long min, long max,
                      const std::string& error)
{
    const auto v = Number(value, min, max);
    if (!v)
        return error;
    target = static_cast<int>(*v);
    return {};
}

// Sets `target` to what the word `value` stands for in `words`; returns `error` otherwise.
template <class T>
std::string SetWord(T& target, const std::string& value,
                    std::initializer_list<std::pair<const char*, std::type_identity_t<T>>> words,
                    const char* error)
{
    for (const auto& [word, meaning] : words) {
        if (value == word) {
            target = meaning;
            return {};
        }
    }
    return error;
}

// Applies one "name=value" device field; returns an error text or "".
std::string DeviceField(DeviceOptions& d, const std::string& name, const std::string& value)
{
    using Channel = DeviceOptions::Channel;
    if (name == "model") {
        const auto v = Number(value, 0, 9999);
        if (!v || FindRelayModel(static_cast<int>(*v)) == nullptr)
            return "unknown model " + value + " (" + FamilyCodeList() + ")";
        d.model = static_cast<int>(*v);
        return {};
    }
    if (name == "baud") {
        const auto v = Number(value, 1, 10'000'000);
        const auto index = v ? BaudIndexOf(static_cast<int>(*v)) : std::nullopt;
        if (!index)
            return "unsupported baud rate " + value;
        d.line.baudIndex = *index;
        return {};
    }
    if (name == "address")
        return SetNumber(d.line.address, value, 1, 255, "address must be 1-255");
    if (name == "parity")
        return SetWord(d.line.parity, value, {{"none", 0}, {"even", 1}, {"odd", 2}},
                       "parity must be none, even or odd");
    if (name == "stop-bits")
        return SetNumber(d.line.stopBits, value, 1, 2, "stop bits must be 1 or 2");
    if (name == "protocol")
        return SetWord(d.line.protocol, value,
                       {{"modbus", Protocol::Modbus}, {"tirv", Protocol::Tirv}},
                       "protocol must be modbus or tirv");
    if (name == "variant")
        return SetNumber(d.line.variant, value, 0, 1, "variant must be 0 (old) or 1 (new)");
    if (name == "values-per-frame")
        return SetNumber(d.line.valuesPerFrame, value, 8, 255, "values per frame must be 8-255");
    if (name == "channel")
        return SetWord(d.channel, value, {{"usb", Channel::Usb}, {"rs485", Channel::Rs485}},
                       "channel must be rs485 or usb");
    if (name == "serial")
        return SetNumber(d.serial, value, 0, 65535, "serial number must be 0-65535");
    return "unknown device field " + name;
}

bool IsDeviceField(const std::string& name)
{
    return name == "model" || name == "address" || name == "baud" || name == "parity" ||
           name == "stop-bits" || name == "protocol" || name == "variant" ||
           name == "values-per-frame" || name == "serial" || name == "channel";
}

// Fault and flag words shared by the command line and the control commands.
std::string FaultField(Faults& f, RelayFlags& flags, const std::string& name,
                       const std::string& value)
{
    auto count = [&](int& target) {
        return SetNumber(target, value, 0, 1'000'000, name + " needs a count");
    };
    auto flag = [&](auto& target) -> std::string {
        const auto v = OnOff(value);
        if (!v)
            return name + " takes on or off";
        target = *v;
        return {};
    };
    if (name == "drop")
        return count(f.dropNext);
    if (name == "bad-crc")
        return count(f.badCrcNext);
    if (name == "late")
        return count(f.lateMs);
    if (name == "drop-share") {
        const auto v = Number(value, 0, 100);
        if (!v)
            return "drop-share takes a percentage 0-100";
        f.dropShare = static_cast<double>(*v) / 100.0;
        return {};
    }
    if (name == "exception") {
        const auto v = Number(value, 0, 255);
        if (!v)
            return "exception takes a code 0-255 (0: off)";
        f.exceptionCode = static_cast<std::uint8_t>(*v);
        return {};
    }
    if (name == "silent")
        return flag(f.silent);
    if (name == "empty-memory")
        return flag(flags.emptyMemory);
    if (name == "blocked")
        return flag(flags.blocked);
    if (name == "archive-busy")
        return flag(flags.archiveBusy);
    if (name == "bootloader")
        return flag(flags.bootloader);
    return "unknown option " + name;
}

bool TakesValue(const std::string& name)
{
    return !(name == "silent" || name == "empty-memory" || name == "blocked" ||
             name == "archive-busy" || name == "bootloader" || name == "help");
}

}  // namespace

ParseResult ParseSimOptions(const std::vector<std::string>& args)
{
    ParseResult r;
    DeviceOptions defaults;
    std::vector<std::string> deviceEntries;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            r.error = "unexpected argument " + arg;
            return r;
        }
        arg = arg.substr(2);
        std::string value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        } else if (TakesValue(arg)) {
            if (i + 1 >= args.size()) {
                r.error = "--" + arg + " needs a value";
                return r;
            }
            value = args[++i];
        }
        std::string error;
        if (arg == "help") {
            r.options.help = true;
        } else if (arg == "com") {
            const auto v = Number(value, 1, 9999);
            error = v ? "" : "--com takes a port number 1-9999";
            r.options.com = v ? static_cast<int>(*v) : 1;
        } else if (arg == "ports-dir") {
            r.options.portsDir = value;
        } else if (arg == "tcp") {
            const auto v = Number(value, 0, 65535);
            error = v ? "" : "--tcp takes a port 0-65535 (0: any free port)";
            if (v)
                r.options.tcpPort = static_cast<int>(*v);
        } else if (arg == "state") {
            r.options.stateFile = value;
        } else if (arg == "seed") {
            const auto v = Number(value, 0, 0x7FFFFFFF);
            error = v ? "" : "--seed takes a number";
            r.options.seed = v ? static_cast<std::uint32_t>(*v) : 1;
        } else if (arg == "device") {
            deviceEntries.push_back(value);
        } else if (IsDeviceField(arg)) {
            error = DeviceField(defaults, arg, value);
        } else {
            error = FaultField(r.options.faults, r.options.flags, arg, value);
        }
        if (!error.empty()) {
            r.error = error;
            return r;
        }
    }
    for (const std::string& entry : deviceEntries) {
        DeviceOptions d = defaults;
        std::istringstream fields(entry);
        std::string field;
        while (std::getline(fields, field, ',')) {
            const auto eq = field.find('=');
            if (eq == std::string::npos) {
                r.error = "--device fields are name=value: " + field;
                return r;
            }
            if (std::string e = DeviceField(d, field.substr(0, eq), field.substr(eq + 1)); !e.empty()) {
                r.error = e;
                return r;
            }
        }
        r.options.devices.push_back(d);
    }
    if (r.options.devices.empty())
        r.options.devices.push_back(defaults);
    for (DeviceOptions& d : r.options.devices) {
        const RelayModel* m = FindRelayModel(d.model);
        // An M relay is reached over USB unless told otherwise, as a fresh configurator does.
        d.line.usb = m->m && d.channel != DeviceOptions::Channel::Rs485;
        if (!m->m && d.channel == DeviceOptions::Channel::Usb) {
            r.error = "model " + std::to_string(d.model) + " has no USB channel";
            return r;
        }
        if (d.line.baudIndex > m->maxBaudIndex) {
            r.error = "model " + std::to_string(d.model) + " does not run at that baud rate";
            return r;
        }
    }
    return r;
}

std::string ApplyControlCommand(const std::string& line, ControlCommand& state)
{
    std::istringstream in(line);
    std::string name, value;
    in >> name >> value;
    if (name.empty())
        return {};
    if (name == "quit") {
        state.quit = true;
        return {};
    }
    if (name == "status") {
        state.status = true;
        return {};
    }
    if (name == "trip") {
        state.trip = true;
        return {};
    }
    if (name == "clear") {
        state.faults = Faults{};
        return {};
    }
    return FaultField(state.faults, state.flags, name, value);
}

const char* SimUsage()
{
    return R"(Usage: tirv-sim [options]
A simulated ТИРВ relay (or several on one line) on a pseudo-terminal published as
ports/COM<N> beside the program, and optionally on Modbus TCP.

Line and relay:
  --com N                 publish the line as ports/COMN (default 1)
  --ports-dir DIR         folder for the COM entry (default: ports beside the program)
  --tcp PORT              serve Modbus TCP (functions 3, 0x41, 0x51; unit 1) on 127.0.0.1:PORT;
                          0 picks a free port (printed on the ready line)
  --model CODE            306, 705, 706, 707, 715, 716 or 717 (default 715)
  --address A             device address 1-255 (default 1)
  --baud B                1200 ... 57600 (non-M), up to 460800 (M); default 57600
  --parity none|even|odd  kept in the link settings; a pseudo-terminal cannot show parity
  --stop-bits 1|2         default 1
  --protocol modbus|tirv  default modbus
  --variant 0|1           ТИРВ protocol variant: 0 old, 1 new (default 0)
  --values-per-frame N    ТИРВ protocol values per frame, 8-255 (default 34)
  --serial N              serial number
  --channel rs485|usb     which channel of an M relay the line is (default usb; non-M: rs485):
                          it decides which part of a written settings block moves the line
  --device FIELDS         one more relay on the line: comma-separated name=value pairs of
                          model, address, baud, parity, stop-bits, protocol, variant,
                          values-per-frame, serial, channel (the options above are the defaults);
                          with --device, only the listed relays are on the line
  --state FILE            keep the relays' memory in FILE across runs
  --seed N                seed of the measurement noise

Faults (also as control commands on standard input, without "--", e.g. "drop 2"):
  --drop N                lose the next N replies
  --drop-share P          lose P percent of the replies
  --bad-crc N             damage the CRC of the next N replies
  --late MS               answer MS milliseconds late
  --exception CODE        refuse every request with this exception code (0: off)
  --silent                stop answering
  --empty-memory          no setpoints, no I/O settings, no LED settings
  --blocked               the breaker refuses commands (exception 4) until unblocked
  --archive-busy          function 0x41 answers exception 5 (a new oscillogram is written)
  --bootloader            the relays wait in bootloader mode
Control commands also accept "on"/"off" after flags, "clear" (no faults, live measurements and
I/O states again), "status", "quit", and "trip": a fault on the feeder now (МТЗ-2 trips, the
breaker opens, a new emergency record, and for 3 s function 0x41 answers code 5 while the new
oscillogram is stored).
"@A command" gives a relay command (below, and trip, status, clear, the relay states) to the
relays at address A only; without it the command goes to every relay on the line ("@A clear"
ends that relay's overrides and keeps the line's faults).
  io inputs|outputs V|live      hold register 298 or 299 at V (0-65535, 0x.. hex) or live again
  io input|output N on|off      hold the states with input/output N (1-16) switched
  io live                       both live again (a relay without I/O settings shows 0)
  io settings|leds empty        empty the I/O settings (170-297) or the LED block only
  io register REG WORD          I/O settings register REG (170-297) holds the raw WORD
  measure REG WORD              measurement register REG reads the raw WORD until clear
  measure-float K VALUE         M: value K (0-43) reads VALUE (e.g. 3.25, nan, inf, 3e38)
  measure clear                 measurements live again
  emergency N FIELD=V ...       emergency record N (1-10): day month year hour minute second
                                fraction event started ia ib ic ua ub uc uab ubc uca 3io 3uo
                                i1 i2, the same names with -angle (ia-angle ... 3uo-angle),
                                opening (bit 15: minutes); raw words
  emergency N clear, emergency clear    empty one record or the whole journal
  working N FIELD=V ...         working record N (1-120): year (two digits) month day hour
                                minute second ms code (raw, code bit 15 included)
  working N clear, working clear
  osc-flags F1 ... F6           the oscillograph flags of Ia Ib Ic Ua Ub Uc (raw words)
  clock D M Y h m s f           the clock registers read these words (Y = year - 2000),
                                invalid dates included, until the clock is set or "clock live"
  clock offset MS               move the clock by MS milliseconds
  breaker open|closed           the breaker position
  type CODE                     register 131 reads CODE (the relay still behaves as its model)
  signature WORD                register 130 reads WORD (e.g. a foreign family)
Written type codes of the other family (M or not) are refused with exception 3.

When ready the simulator prints "tirv-sim: COM<N> ready <path> [tcp <port>]".
)";
}

}  // namespace tirv::sim
