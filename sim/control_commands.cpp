#include "sim/control_commands.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string_view>

#include "sim/sim_options.h"

namespace tirv::sim {
namespace {

using Words = std::vector<std::string>;

struct Context {
    RelayLine& line;
    std::vector<Relay*> relays;  // the relays the command is for
    bool addressed = false;      // "@A" named them
    std::int64_t nowMs;
    ControlOutcome& outcome;
};

using Handler = std::string (*)(const Words& args, Context& c);

std::optional<bool> OnOffWord(const std::string& w)
{
    if (w == "on")
        return true;
    if (w == "off")
        return false;
    return std::nullopt;
}

std::optional<std::uint16_t> Word16(const std::string& text)
{
    long v = 0;
    if (!ParseControlNumber(text, -32768, 65535, v))
        return std::nullopt;
    return static_cast<std::uint16_t>(v);
}

// "io inputs V|live", "io outputs V|live", "io input N on|off", "io output N on|off", "io live".
std::string Io(const Words& a, Context& c)
{
    const char* usage = "io inputs|outputs VALUE|live, io input|output N on|off, io live, "
                        "io settings|leds empty, io register REG WORD";
    if (a.size() == 2 && (a[0] == "settings" || a[0] == "leds") && a[1] == "empty") {
        // One block emptied, the others kept: what function 32 must restore alone.
        for (Relay* r : c.relays) {
            const RegisterBlock b = a[0] == "settings" ? regs::kIoSettings
                                    : r->model().m ? regs::kLedsM
                                                   : regs::kLeds;
            std::fill_n(r->holding().begin() + b.start, b.count, 0);
            r->MemoryChanged();
        }
        return {};
    }
    if (a.size() == 3 && a[0] == "register") {
        long reg = 0;
        const auto word = Word16(a[2]);
        const RegisterBlock io = regs::kIoSettings;
        if (!ParseControlNumber(a[1], io.start, io.start + io.count - 1, reg) || !word)
            return "io register takes a settings register 170-297 and a word";
        for (Relay* r : c.relays) {
            r->holding()[static_cast<std::size_t>(reg)] = *word;
            r->MemoryChanged();
        }
        return {};
    }
    if (a.size() == 1 && a[0] == "live") {
        for (Relay* r : c.relays)
            r->ioOverride() = {};
        return {};
    }
    if (a.size() == 2 && (a[0] == "inputs" || a[0] == "outputs")) {
        const std::optional<std::uint16_t> v = a[1] == "live" ? std::nullopt : Word16(a[1]);
        if (!v && a[1] != "live")
            return "io states are 0-65535 or live";
        for (Relay* r : c.relays)
            (a[0] == "inputs" ? r->ioOverride().inputs : r->ioOverride().outputs) = v;
        return {};
    }
    if (a.size() == 3 && (a[0] == "input" || a[0] == "output")) {
        long n = 0;
        const auto on = OnOffWord(a[2]);
        if (!ParseControlNumber(a[1], 1, 16, n) || !on)
            return "io " + a[0] + " takes a number 1-16 and on or off";
        const bool inputs = a[0] == "input";
        for (Relay* r : c.relays) {
            // Frozen from the state it shows now, with the one bit changed.
            r->RefreshLive(c.nowMs);
            std::optional<std::uint16_t>& held =
                inputs ? r->ioOverride().inputs : r->ioOverride().outputs;
            const std::uint16_t now =
                r->holding()[inputs ? regs::kInputStates : regs::kOutputStates];
            const auto bit = static_cast<std::uint16_t>(1u << (n - 1));
            held = static_cast<std::uint16_t>(*on ? now | bit : now & ~bit);
        }
        return {};
    }
    return usage;
}

// "measure REG WORD", "measure clear".
std::string Measure(const Words& a, Context& c)
{
    if (a.size() == 1 && a[0] == "clear") {
        for (Relay* r : c.relays)
            r->ClearMeasurementOverrides();
        return {};
    }
    long reg = 0;
    const auto word = a.size() == 2 ? Word16(a[1]) : std::nullopt;
    if (a.size() != 2 || !ParseControlNumber(a[0], 0, 65535, reg) || !word)
        return "measure REGISTER WORD (word -32768-65535), or measure clear";
    // Every addressed relay must have the register, or none is changed.
    for (const Relay* r : c.relays) {
        const RelayModel& m = r->model();
        if (reg < m.measurementStart || reg >= m.measurementStart + m.measurementRegisters)
            return "register " + a[0] + " is not a measurement register of model " +
                   std::to_string(m.code);
    }
    for (Relay* r : c.relays)
        r->OverrideMeasurement(static_cast<int>(reg), *word);
    return {};
}

// "measure-float K VALUE": value K (0-43) of the M layout as a float, "nan" and "inf" included.
std::string MeasureFloat(const Words& a, Context& c)
{
    long k = 0;
    if (a.size() != 2 || !ParseControlNumber(a[0], 0, 43, k))
        return "measure-float INDEX VALUE (index 0-43)";
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(a[1].c_str(), &end);
    // "inf" is asked for by name; a number too large even for a double is a typing error.
    const bool overflow = errno == ERANGE && std::isinf(v);
    if (end == a[1].c_str() || *end != '\0' || overflow ||
        (std::isfinite(v) && std::fabs(v) > FLT_MAX))
        return "measure-float takes a single-precision value, nan or inf";
    const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(v));
    for (const Relay* r : c.relays)
        if (!r->model().m)
            return "model " + std::to_string(r->model().code) + " measures in integers";
    for (Relay* r : c.relays) {
        const int reg = r->model().measurementStart + 2 * static_cast<int>(k);
        r->OverrideMeasurement(reg, static_cast<std::uint16_t>(bits & 0xFFFF));
        r->OverrideMeasurement(reg + 1, static_cast<std::uint16_t>(bits >> 16));
    }
    return {};
}

// "emergency K FIELD=V …", "emergency K clear", "emergency clear"; the same for "working".
template <int Records>
std::string Journal(const Words& a, Context& c, const char* kind,
                    std::string (*set)(HoldingMemory&, int, const Words&),
                    void (*clear)(HoldingMemory&, int))
{
    const std::string usage =
        std::string(kind) + " N FIELD=VALUE ..., " + kind + " N clear, " + kind + " clear";
    if (a.size() == 1 && a[0] == "clear") {
        for (Relay* r : c.relays) {
            for (int k = 0; k < Records; ++k)
                clear(r->holding(), k);
            r->MemoryChanged();
        }
        return {};
    }
    long n = 0;
    if (a.size() < 2 || !ParseControlNumber(a[0], 1, Records, n))
        return usage + " (N 1-" + std::to_string(Records) + ")";
    const bool wipe = a.size() == 2 && a[1] == "clear";
    const Words fields(a.begin() + 1, a.end());
    for (Relay* r : c.relays) {
        if (wipe)
            clear(r->holding(), static_cast<int>(n - 1));
        else if (std::string e = set(r->holding(), static_cast<int>(n - 1), fields); !e.empty())
            return e;
        r->MemoryChanged();
    }
    return {};
}

std::string Emergency(const Words& a, Context& c)
{
    return Journal<kEmergencyRecords>(a, c, "emergency", SetEmergencyFields, ClearEmergencyRecord);
}

std::string Working(const Words& a, Context& c)
{
    return Journal<kWorkingRecords>(a, c, "working", SetWorkingFields, ClearWorkingRecord);
}

std::string OscFlags(const Words& a, Context& c)
{
    OscillographFlags flags{};
    if (a.size() != flags.size())
        return "osc-flags takes six words (Ia Ib Ic Ua Ub Uc)";
    for (std::size_t k = 0; k < flags.size(); ++k) {
        const auto w = Word16(a[k]);
        if (!w)
            return "osc-flags words are 0-65535";
        flags[k] = *w;
    }
    for (Relay* r : c.relays)
        r->SetOscillographFlags(flags);
    return {};
}

// "clock D M Y h m s f" (raw registers), "clock offset MS", "clock live".
std::string Clock(const Words& a, Context& c)
{
    if (a.size() == 1 && a[0] == "live") {
        for (Relay* r : c.relays)
            r->ClearRawClock();
        return {};
    }
    long ms = 0;
    if (a.size() == 2 && a[0] == "offset") {
        if (!ParseControlNumber(a[1], -4'000'000'000'000L, 4'000'000'000'000L, ms))
            return "clock offset takes milliseconds";
        for (Relay* r : c.relays) {
            r->setClockOffsetMs(r->clockOffsetMs() + ms);
            r->MemoryChanged();
        }
        return {};
    }
    ClockWords words{};
    if (a.size() != words.size())
        return "clock DAY MONTH YEAR-2000 HOUR MINUTE SECOND FRACTION, clock offset MS, clock live";
    for (std::size_t k = 0; k < words.size(); ++k) {
        const auto w = Word16(a[k]);
        if (!w)
            return "clock registers are 0-65535";
        words[k] = *w;
    }
    for (Relay* r : c.relays)
        r->SetRawClock(words);
    return {};
}

std::string Breaker(const Words& a, Context& c)
{
    if (a.size() != 1 || (a[0] != "open" && a[0] != "closed"))
        return "breaker open|closed";
    for (Relay* r : c.relays) {
        r->setBreakerClosed(a[0] == "closed");
        r->MemoryChanged();
    }
    return {};
}

// The raw word of an identity register; the relay keeps behaving as its model.
std::string Identity(const Words& a, Context& c, int reg, const char* name)
{
    long v = 0;
    if (a.size() != 1 || !ParseControlNumber(a[0], 0, 65535, v))
        return std::string(name) + " takes a word 0-65535";
    for (Relay* r : c.relays) {
        r->holding()[static_cast<std::size_t>(reg)] = static_cast<std::uint16_t>(v);
        r->MemoryChanged();
    }
    return {};
}

std::string Type(const Words& a, Context& c)
{
    return Identity(a, c, regs::kModelCode, "type");
}

std::string Signature(const Words& a, Context& c)
{
    return Identity(a, c, regs::kFamilySignature, "signature");
}

std::string Trip(const Words& a, Context& c)
{
    if (!a.empty())
        return "trip takes no value";
    for (Relay* r : c.relays)
        r->Trip(c.nowMs);
    return {};
}

std::string Status(const Words& a, Context& c)
{
    if (!a.empty())
        return "status takes no value";
    for (const Relay* r : c.relays) {
        std::ostringstream s;
        s << "status address " << r->line().address << " baud " << BaudRate(r->line().baudIndex)
          << " protocol " << static_cast<int>(r->line().protocol) << " breaker "
          << (r->breakerClosed() ? "closed" : "open") << " blocked " << (r->blocked() ? 1 : 0);
        c.outcome.output.push_back(s.str());
    }
    return {};
}

// The addressed relays measure and show their live states again; without an address the line
// loses its faults too.
std::string Clear(const Words& a, Context& c)
{
    if (!a.empty())
        return "clear takes no value";
    if (!c.addressed)
        c.line.faults() = Faults{};
    for (Relay* r : c.relays) {
        r->ClearMeasurementOverrides();
        r->ioOverride() = {};
    }
    return {};
}

constexpr struct {
    std::string_view name;
    Handler handler;
} kRelayCommands[] = {
    {"io", Io},
    {"measure", Measure},
    {"measure-float", MeasureFloat},
    {"emergency", Emergency},
    {"working", Working},
    {"osc-flags", OscFlags},
    {"clock", Clock},
    {"breaker", Breaker},
    {"type", Type},
    {"signature", Signature},
    {"trip", Trip},
    {"status", Status},
    {"clear", Clear},
};

// Fault words that belong to the line, not to one relay.
constexpr std::string_view kLineWords[] = {"drop",      "drop-share", "bad-crc", "late",
                                           "exception", "silent",     "quit"};

}  // namespace

bool ParseControlNumber(const std::string& text, long min, long max, long& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const long v = std::strtol(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < min || v > max)
        return false;
    value = v;
    return true;
}

void ApplyFlags(Relay& r, const RelayFlags& flags)
{
    if (flags.emptyMemory.value_or(false))
        r.ZeroMemory();
    if (flags.blocked)
        r.setBlocked(*flags.blocked);
    if (flags.archiveBusy)
        r.setArchiveBusy(*flags.archiveBusy);
    if (flags.bootloader)
        r.setMode(*flags.bootloader ? RelayMode::Bootloader : RelayMode::Application);
}

ControlOutcome RunControlCommand(const std::string& text, RelayLine& line, std::int64_t nowMs)
{
    ControlOutcome outcome;
    std::istringstream in(text);
    Words words;
    for (std::string w; in >> w;)
        words.push_back(w);
    if (words.empty())
        return outcome;
    Context c{line, {}, words[0][0] == '@', nowMs, outcome};
    const bool addressed = c.addressed;
    if (addressed) {
        long address = 0;
        if (!ParseControlNumber(words[0].substr(1), 1, 255, address)) {
            outcome.error = "@ takes a relay address 1-255";
            return outcome;
        }
        for (auto& r : line.relays())
            if (r->line().address == address)
                c.relays.push_back(r.get());
        if (c.relays.empty()) {
            outcome.error = "no relay at address " + words[0].substr(1);
            return outcome;
        }
        words.erase(words.begin());
        if (words.empty()) {
            outcome.error = "a command follows the address";
            return outcome;
        }
    } else {
        for (auto& r : line.relays())
            c.relays.push_back(r.get());
    }
    const std::string& name = words[0];
    const Words args(words.begin() + 1, words.end());
    for (const auto& command : kRelayCommands) {
        if (command.name == name) {
            outcome.error = command.handler(args, c);
            return outcome;
        }
    }
    if (addressed &&
        std::find(std::begin(kLineWords), std::end(kLineWords), name) != std::end(kLineWords)) {
        outcome.error = name + " applies to the whole line";
        return outcome;
    }
    ControlCommand fault;
    fault.faults = line.faults();  // counters run down as replies go out
    std::string rest = name;
    for (const std::string& w : args)
        rest += " " + w;
    outcome.error = ApplyControlCommand(rest, fault);
    if (!outcome.error.empty())
        return outcome;
    line.faults() = fault.faults;
    for (Relay* r : c.relays)
        ApplyFlags(*r, fault.flags);
    outcome.quit = fault.quit;
    return outcome;
}

}  // namespace tirv::sim
