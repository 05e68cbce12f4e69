// The loaders' control words on the simulator's standard input: what a tester sets to break an
// update at a chosen step, and the flash dump a test compares with the firmware file.
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "sim/bootloaders/relay_loaders.h"
#include "sim/control_commands.h"

namespace tirv::sim {
namespace {

using Words = std::vector<std::string>;

struct Target {
    NonMLoader* nonM;
    Stm32Bootloader* stm32;  // nullptr on a non-M relay
};
using Handler = std::string (*)(const Words& args, const std::vector<Target>& targets,
                                std::vector<std::string>& output);

std::string Number(const Words& args, long min, long max, long& value)
{
    if (args.size() != 1 || !ParseControlNumber(args[0], min, max, value))
        return "takes one number " + std::to_string(min) + "-" + std::to_string(max);
    return {};
}

std::string OnOff(const Words& args, bool& value)
{
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return "takes on or off";
    value = args[0] == "on";
    return {};
}

// Runs `set` on every targeted STM32 bootloader; an error when none was targeted.
template <typename Set>
std::string ForStm32(const std::vector<Target>& targets, Set set)
{
    bool any = false;
    for (const Target& t : targets)
        if (t.stm32) {
            set(*t.stm32);
            any = true;
        }
    return any ? std::string() : "no M relay addressed";
}

template <typename Set>
std::string ForNonM(const std::vector<Target>& targets, Set set)
{
    bool any = false;
    for (const Target& t : targets)
        if (!t.stm32) {
            set(*t.nonM);
            any = true;
        }
    return any ? std::string() : "no non-M relay addressed";
}

std::string Pid(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    long v = 0;
    if (auto e = Number(a, 0, 0xFFFF, v); !e.empty())
        return e;
    return ForStm32(t, [v](Stm32Bootloader& b) { b.faults().pid = static_cast<std::uint16_t>(v); });
}

std::string Version(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    long v = 0;
    if (auto e = Number(a, 0, 0xFF, v); !e.empty())
        return e;
    return ForStm32(t,
                    [v](Stm32Bootloader& b) { b.faults().version = static_cast<std::uint8_t>(v); });
}

std::string Rdp(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    long v = 0;
    if (auto e = Number(a, 0, 0xFF, v); !e.empty())
        return e;
    return ForStm32(
        t, [v](Stm32Bootloader& b) { b.memory().setReadProtection(static_cast<std::uint8_t>(v)); });
}

std::string Wrp(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    long v = 0;
    if (auto e = Number(a, 0, kAllSectors, v); !e.empty())
        return e;
    return ForStm32(t, [v](Stm32Bootloader& b) {
        b.memory().setWriteProtected(static_cast<std::uint16_t>(v));
    });
}

std::string Nack(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    long v = 0;
    if (auto e = Number(a, 0, 1000, v); !e.empty())
        return e;
    return ForStm32(t, [v](Stm32Bootloader& b) { b.faults().nackNext = static_cast<int>(v); });
}

std::string EraseExtra(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    long v = 0;
    if (auto e = Number(a, 0, 600000, v); !e.empty())
        return e;
    return ForStm32(t, [v](Stm32Bootloader& b) { b.faults().eraseExtraMs = static_cast<int>(v); });
}

std::string Flip(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    bool on = false;
    if (auto e = OnOff(a, on); !e.empty())
        return e;
    return ForStm32(t, [on](Stm32Bootloader& b) { b.faults().flipReadBack = on; });
}

std::string Stm32Silent(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    bool on = false;
    if (auto e = OnOff(a, on); !e.empty())
        return e;
    return ForStm32(t, [on](Stm32Bootloader& b) { b.faults().silent = on; });
}

std::string Stm32Clear(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    if (!a.empty())
        return "takes no arguments";
    return ForStm32(t, [](Stm32Bootloader& b) { b.faults() = Stm32Faults{}; });
}

std::string EraseMs(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    long v = 0;
    if (auto e = Number(a, 0, 600000, v); !e.empty())
        return e;
    return ForNonM(t, [v](NonMLoader& l) { l.timing().eraseBlockMs = static_cast<int>(v); });
}

std::string PageMs(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    long v = 0;
    if (auto e = Number(a, 0, 60000, v); !e.empty())
        return e;
    return ForNonM(t, [v](NonMLoader& l) { l.timing().pageWriteMs = static_cast<int>(v); });
}

std::string LateEraseAck(const Words& a, const std::vector<Target>& t, std::vector<std::string>&)
{
    long v = 0;
    if (auto e = Number(a, 0, 60000, v); !e.empty())
        return e;
    return ForNonM(t, [v](NonMLoader& l) { l.lateEraseAckMs() = static_cast<int>(v); });
}

struct LoaderCommand {
    std::string_view name;
    Handler handler;
};
constexpr LoaderCommand kLoaderCommands[] = {
    {"stm32-pid", Pid},          {"stm32-version", Version},
    {"stm32-rdp", Rdp},          {"stm32-wrp", Wrp},
    {"stm32-nack", Nack},        {"stm32-erase-extra", EraseExtra},
    {"stm32-flip", Flip},        {"stm32-silent", Stm32Silent},
    {"stm32-clear", Stm32Clear}, {"loader-erase-ms", EraseMs},
    {"loader-page-ms", PageMs},  {"loader-erase-late", LateEraseAck},
};

bool WriteDump(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

std::optional<RelayLoaders::Outcome> RelayLoaders::Control(const std::vector<std::string>& all,
                                                           std::int64_t nowMs)
{
    if (all.empty())
        return std::nullopt;
    const bool addressed = all[0][0] == '@';
    if (all.size() < (addressed ? 2u : 1u))
        return std::nullopt;
    const std::string& name = all[addressed ? 1 : 0];
    const Words args(all.begin() + (addressed ? 2 : 1), all.end());
    const bool known = name == "flash-dump" || name == "loader" || name == "loader-enter" ||
                       std::any_of(std::begin(kLoaderCommands), std::end(kLoaderCommands),
                                   [&](const LoaderCommand& c) { return c.name == name; });
    if (!known)
        return std::nullopt;
    Outcome outcome;
    std::vector<std::size_t> picked;
    if (addressed) {
        long address = 0;
        if (!ParseControlNumber(all[0].substr(1), 1, 255, address)) {
            outcome.error = "@ takes a relay address 1-255";
            return outcome;
        }
        for (std::size_t k = 0; k < m_units.size(); ++k)
            if (m_units[k].relay->line().address == address)
                picked.push_back(k);
        if (picked.empty()) {
            outcome.error = "no relay at address " + all[0].substr(1);
            return outcome;
        }
    } else {
        for (std::size_t k = 0; k < m_units.size(); ++k)
            picked.push_back(k);
    }
    Sync(nowMs);
    if (name == "flash-dump") {
        // One relay's flash: the first one picked.
        if (args.size() != 1)
            outcome.error = "flash-dump takes a file name";
        else if (!WriteDump(args[0], FlashImage(picked.front())))
            outcome.error = "cannot write " + args[0];
        return outcome;
    }
    if (name == "loader" || name == "loader-enter") {
        if (!args.empty()) {
            outcome.error = name + " takes no arguments";
            return outcome;
        }
        for (std::size_t k : picked) {
            Unit& u = m_units[k];
            if (name == "loader-enter") {
                Enter(u, nowMs);
                continue;
            }
            char go[16] = "none";
            if (const auto at = u.stm32 ? u.stm32->lastGo() : std::nullopt)
                std::snprintf(go, sizeof go, "0x%08X", *at);
            char text[160];
            std::snprintf(text, sizeof text, "status loader address %d %s %s exits %d go %s",
                          u.relay->line().address, u.stm32 ? "stm32" : "relay",
                          LoaderActive(u) ? "loader" : "program", u.nonM->exits(), go);
            outcome.output.emplace_back(text);
        }
        Sync(nowMs);
        return outcome;
    }
    std::vector<Target> targets;
    for (std::size_t k : picked)
        targets.push_back({m_units[k].nonM.get(), m_units[k].stm32.get()});
    for (const LoaderCommand& c : kLoaderCommands)
        if (c.name == name)
            outcome.error = c.handler(args, targets, outcome.output);
    if (!outcome.error.empty())
        outcome.error = name + " " + outcome.error;
    m_dirty = true;
    return outcome;
}

const char* LoaderUsage()
{
    return "Bootloader control commands (\"@A\" in front picks the relay at address A):\n"
           "  loader                 one line per relay: loader kind, mode, exits, last GO\n"
           "  loader-enter           the relay waits in its loader\n"
           "  flash-dump FILE        the relay's flash into FILE (non-M: ascending addresses\n"
           "                         from 0x00060000; M: 1 MiB from 0x08000000)\n"
           "  loader-erase-ms N      non-M loader: milliseconds to erase one block\n"
           "  loader-page-ms N       non-M loader: milliseconds to write one page\n"
           "  loader-erase-late MS   non-M loader: the next erase is acknowledged MS late\n"
           "  stm32-pid N            M: GET ID answers this product id\n"
           "  stm32-version N        M: GET VERSION answers this version byte\n"
           "  stm32-rdp N            M: read-protection option byte (0xAA readable)\n"
           "  stm32-wrp MASK         M: sectors write-protected (bit k: sector k)\n"
           "  stm32-nack N           M: refuse the next N commands\n"
           "  stm32-erase-extra MS   M: every erase takes MS longer\n"
           "  stm32-flip on|off      M: READ MEMORY of flash returns its first byte flipped\n"
           "  stm32-silent on|off    M: the bootloader hears nothing\n"
           "  stm32-clear            M: all bootloader faults off\n";
}

}  // namespace tirv::sim
