// Any text on the simulator's standard input: the control commands and the field parsers of
// the journal records must neither crash nor write outside the relay's memory, and whatever
// they leave in the memory must go through the state file and back.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "sim/control_commands.h"
#include "sim/state_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tirv::sim;
    static const std::int64_t now = ToEpochMs({2026, 3, 14, 10, 20, 30, 0});
    // Fresh relays are copies of two made once: building a relay's content is the slow part.
    static const Relay nonM(*FindRelayModel(705), LineSettings{1}, now);
    static const Relay m(*FindRelayModel(715), LineSettings{2}, now);
    RelayLine bus;
    bus.AddRelay(std::make_unique<Relay>(nonM));
    bus.AddRelay(std::make_unique<Relay>(m));
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        RunControlCommand(text.substr(begin, end - begin), bus, now);
        begin = end + 1;
    }
    for (auto& r : bus.relays())
        r->RefreshLive(now);
    // The state file round trip is the slow part: one input in four takes it.
    if (size == 0 || (data[0] & 3) != 0)
        return 0;
    RelayLine again;
    again.AddRelay(std::make_unique<Relay>(nonM));
    again.AddRelay(std::make_unique<Relay>(m));
    if (!LoadState(SaveState(bus), again).empty())
        __builtin_trap();  // the simulator could not read back its own state file
    return 0;
}
