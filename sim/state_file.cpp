#include "sim/state_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace tirv::sim {
namespace {

constexpr const char* kMagic = "tirv-sim-state 1";
// Registers that are live values, recomputed on every read: not worth keeping.
bool IsLive(const RelayModel& model, int reg)
{
    return (reg >= regs::kClockRead.start && reg < regs::kClockRead.end()) ||
           reg == regs::kInputStates || reg == regs::kOutputStates ||
           (reg >= model.measurementStart && reg < model.measurementStart + model.measurementRegisters);
}

}  // namespace

std::string SaveState(const RelayLine& line)
{
    std::ostringstream out;
    out << kMagic << '\n';
    for (const auto& r : line.relays()) {
        const LineSettings& l = r->line();
        out << "relay model " << r->model().code << " address " << l.address << " baud "
            << l.baudIndex << " parity " << l.parity << " stop " << l.stopBits << " protocol "
            << static_cast<int>(l.protocol) << " variant " << l.variant << " frame "
            << l.valuesPerFrame << " usb " << (l.usb ? 1 : 0) << " clock " << r->clockOffsetMs()
            << " breaker "
            << (r->breakerClosed() ? 1 : 0) << " blocked " << (r->blocked() ? 1 : 0);
        for (std::uint16_t flag : r->oscillographFlags())
            out << " osc-flag " << flag;
        if (r->rawClock())
            for (std::uint16_t word : *r->rawClock())
                out << " raw-clock " << word;
        out << '\n';
        out << "registers";
        char word[8];
        for (int reg = 0; reg < kHoldingRegisters; ++reg) {
            const unsigned v = IsLive(r->model(), reg) ? 0u : r->holding()[static_cast<std::size_t>(reg)];
            std::snprintf(word, sizeof word, " %04x", v);
            out << word;
        }
        out << '\n';
    }
    return out.str();
}

std::string LoadState(const std::string& text, RelayLine& line)
{
    std::istringstream in(text);
    std::string header;
    if (!std::getline(in, header) || header != kMagic)
        return "not a tirv-sim state file";
    std::size_t index = 0;
    std::string relayLine, regLine;
    while (std::getline(in, relayLine) && std::getline(in, regLine)) {
        if (index >= line.relays().size())
            break;
        std::istringstream fields(relayLine);
        std::string word;
        fields >> word;
        if (word != "relay")
            return "damaged state file";
        LineSettings l;
        long long clock = 0;
        int model = 0, protocol = 1, breaker = 1, blocked = 0;
        std::string name;
        std::vector<std::uint16_t> oscFlags, rawClock;
        while (fields >> name) {
            long long v = 0;
            if (!(fields >> v))
                return "damaged state file";
            if (name == "model") model = static_cast<int>(v);
            else if (name == "address") l.address = static_cast<int>(v);
            else if (name == "baud") l.baudIndex = static_cast<int>(v);
            else if (name == "parity") l.parity = static_cast<int>(v);
            else if (name == "stop") l.stopBits = static_cast<int>(v);
            else if (name == "protocol") protocol = static_cast<int>(v);
            else if (name == "variant") l.variant = static_cast<int>(v);
            else if (name == "frame") l.valuesPerFrame = static_cast<int>(v);
            else if (name == "usb") l.usb = v != 0;
            else if (name == "clock") clock = v;
            else if (name == "breaker") breaker = static_cast<int>(v);
            else if (name == "blocked") blocked = static_cast<int>(v);
            else if (name == "osc-flag") oscFlags.push_back(static_cast<std::uint16_t>(v));
            else if (name == "raw-clock") rawClock.push_back(static_cast<std::uint16_t>(v));
        }
        const RelayModel* m = FindRelayModel(model);
        if (m == nullptr || l.address < 1 || l.address > 255 || !IsValidBaudIndex(l.baudIndex) ||
            l.baudIndex > m->maxBaudIndex || (l.stopBits != 1 && l.stopBits != 2) ||
            (protocol != 0 && protocol != 1) || l.valuesPerFrame < 8 || l.valuesPerFrame > 255 ||
            (!oscFlags.empty() && oscFlags.size() != kOscillographFlags) ||
            (!rawClock.empty() && rawClock.size() != ClockWords{}.size()))
            return "damaged state file";
        l.protocol = static_cast<Protocol>(protocol);
        l.usb = l.usb && m->m;
        std::istringstream words(regLine);
        words >> word;
        if (word != "registers")
            return "damaged state file";
        std::vector<std::uint16_t> holding;
        std::string hex;
        while (words >> hex) {
            unsigned v = 0;
            if (std::sscanf(hex.c_str(), "%x", &v) != 1 || v > 0xFFFF)
                return "damaged state file";
            holding.push_back(static_cast<std::uint16_t>(v));
        }
        // The type register may hold a foreign code set by a tester; the model field says what
        // the relay is.
        if (holding.size() != static_cast<std::size_t>(kHoldingRegisters))
            return "damaged state file";
        Relay& r = *line.relays()[index++];
        r.LoadMemory(holding, *m);
        if (!oscFlags.empty()) {
            OscillographFlags flags{};
            std::copy(oscFlags.begin(), oscFlags.end(), flags.begin());
            r.SetOscillographFlags(flags);
        }
        if (!rawClock.empty()) {
            ClockWords clockWords{};
            std::copy(rawClock.begin(), rawClock.end(), clockWords.begin());
            r.SetRawClock(clockWords);
        }
        r.setLine(l);
        r.setClockOffsetMs(clock);
        r.setBreakerClosed(breaker != 0);
        r.setBlocked(blocked != 0);
        r.TakeDirty();
    }
    return {};
}

bool WriteStateFile(const std::string& path, const RelayLine& line)
{
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << SaveState(line);
        if (!out.good())
            return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

std::string ReadStateFile(const std::string& path, RelayLine& line)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return LoadState(text.str(), line);
}

}  // namespace tirv::sim
