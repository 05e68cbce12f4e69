#pragma once
// The relays' bootloaders on the simulator's line. Each non-M relay has its own loader (entered
// by the three 0x65 patterns at the relay's address and speed, then at address 1 and the loader
// speed); each M relay has the STM32 system bootloader, which its program starts on the same
// three patterns (or a control command, or the option) and which then waits for 0x7F at any
// speed. While a relay is in its loader the relay line leaves it alone: the loader answers, and
// the line's faults (drop, bad-crc, late, silent) apply to its replies like to any other.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/bootloaders/nonm_loader.h"
#include "sim/bootloaders/stm32_bootloader.h"
#include "sim/relay_line.h"

namespace tirv::sim {

class RelayLoaders {
public:
    // One loader per relay of `line` (the line must outlive this object).
    explicit RelayLoaders(RelayLine& line);

    // Bytes from the peer at `nowMs` (a monotonic millisecond clock).
    void Receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs, PeerLine peer);
    // Replies due by `nowMs`, faults applied; delayMs holds the line's "late" fault.
    std::vector<Transmission> TakeOutput(std::int64_t nowMs);
    std::optional<std::int64_t> NextWakeMs() const;
    // Follows mode changes from either side: a control command or option that put the relay in
    // its loader, or the loader that went back to the relay's program (exit pattern, GO).
    void Sync(std::int64_t nowMs);

    // Loader control words (see LoaderUsage()); nothing when `words` is not one of them.
    struct Outcome {
        std::string error;
        std::vector<std::string> output;
    };
    std::optional<Outcome> Control(const std::vector<std::string>& words, std::int64_t nowMs);

    // Flash contents and modes, for a file beside the simulator's state file.
    std::vector<std::uint8_t> SaveState() const;
    // Empty on success; on any failure nothing changes.
    std::string LoadState(std::span<const std::uint8_t> bytes);
    // True when something worth saving changed since the last call.
    bool TakeDirty();

    std::size_t size() const { return m_units.size(); }
    NonMLoader* nonM(std::size_t k) { return m_units[k].nonM.get(); }
    Stm32Bootloader* stm32(std::size_t k) { return m_units[k].stm32.get(); }
    // The flash as a dump file holds it: non-M in ascending address order (0x00060000 first),
    // M the 1 MiB from 0x08000000.
    std::vector<std::uint8_t> FlashImage(std::size_t k) const;
    bool InLoader(std::size_t k) const;

private:
    struct Unit {
        Relay* relay = nullptr;
        std::unique_ptr<NonMLoader> nonM;        // non-M: the loader; M: hears the entry patterns
        std::unique_ptr<Stm32Bootloader> stm32;  // M only
        bool lastInLoader = false;
    };
    void Enter(Unit& u, std::int64_t nowMs);
    void Leave(Unit& u);
    bool LoaderActive(const Unit& u) const;
    std::vector<Unit*> Addressed(std::vector<std::string>& words, std::string& error);

    RelayLine& m_line;
    std::vector<Unit> m_units;
    bool m_dirty = false;
};

// The control words of the loaders, for tirv-sim --help.
const char* LoaderUsage();

}  // namespace tirv::sim
