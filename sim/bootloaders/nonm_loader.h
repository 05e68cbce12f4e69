#pragma once
// The non-M relay's own loader. In the relay's program it watches the line only for the three
// 0x65 entry patterns at the device address and working speed; once they came in order it
// listens at address 1 and the loader speed, whatever the working speed, and takes the probe
// (0x64), block erases and 256-byte page writes (0x67), until pattern 3 returns to the program
// with the new image kept. A byte-stream device on an explicit clock, like the STM32 one.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/bootloaders/serial_device.h"
#include "sim/relay_line.h"

namespace tirv::sim {

struct LoaderBlock {
    std::uint32_t start;
    std::uint32_t size;
};
// The twelve erase blocks of the non-M controller. Block 0 holds the loader itself.
inline constexpr std::array<LoaderBlock, 12> kLoaderBlocks{{
    {0xFFFF8000, 0x8000},
    {0xFFFF0000, 0x8000},
    {0xFFFE8000, 0x8000},
    {0xFFFE0000, 0x8000},
    {0xFFFD0000, 0x10000},
    {0xFFFC0000, 0x10000},
    {0xFFFB0000, 0x10000},
    {0xFFFA0000, 0x10000},
    {0xFFF90000, 0x10000},
    {0xFFF80000, 0x10000},
    {0x00061000, 0x1000},
    {0x00060000, 0x1000},
}};
inline constexpr std::size_t kLoaderBootBlock = 0;
inline constexpr std::uint8_t kLoaderAddress = 1;
inline constexpr std::uint32_t kLoaderBaud = 57600;  // baud index 6
inline constexpr std::size_t kLoaderPageSize = 256;

enum class LoaderMode : std::uint8_t { Application = 0, Loader = 1 };

// Milliseconds before the acknowledgement; the loader hears nothing meanwhile.
struct LoaderTiming {
    int eraseBlockMs = 150;
    int pageWriteMs = 8;
};

class NonMLoader {
public:
    NonMLoader();

    // The relay's own address and speed, where the entry patterns are heard.
    void setWorkingLine(std::uint8_t address, std::uint32_t baud);
    LoaderMode mode() const { return m_mode; }
    // Straight into the loader (a relay found waiting after a failed update).
    void EnterLoader();
    // Back to the relay's program without the exit pattern (a restart by the tester); the
    // flash keeps what was written.
    void ReturnToProgram();
    // Entry patterns acknowledged so far in the relay's program (0–2).
    int entryStep() const { return m_entryStep; }
    // Times the loader returned to the program by pattern 3.
    int exits() const { return m_exits; }

    void Receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs, PeerLine peer);
    std::vector<Burst> TakeOutput(std::int64_t nowMs) { return m_output.Take(nowMs); }
    std::optional<std::int64_t> NextWakeMs() const { return m_output.NextDueMs(); }

    LoaderTiming& timing() { return m_timing; }
    bool& silent() { return m_silent; }
    // The next block erase is acknowledged this many milliseconds late, while the loader hears
    // requests again once the erase itself is done: to the host the erase took longer than it
    // waits, and a repeat it sends is carried out and acknowledged in its turn.
    int& lateEraseAckMs() { return m_lateEraseAckMs; }

    // Bytes at [address, address + out.size()) when they lie inside one block.
    bool Read(std::uint32_t address, std::span<std::uint8_t> out) const;
    // Stores bytes as a factory image would (no erase needed); false outside the blocks.
    bool Load(std::uint32_t address, std::span<const std::uint8_t> bytes);
    // The whole flash in ascending address order (blocks 11, 10, 9 … 0).
    std::vector<std::uint8_t> FlashDump() const;

    std::vector<std::uint8_t> SaveState() const;
    StateLoad LoadState(std::span<const std::uint8_t> bytes);

private:
    struct Located {
        std::size_t block;
        std::size_t storage;  // index into m_flash
    };
    std::optional<Located> Locate(std::uint32_t address, std::size_t length) const;
    void Dispatch(std::span<const std::uint8_t> frame, std::int64_t nowMs);
    void OnEntryPattern(std::span<const std::uint8_t> frame, std::int64_t nowMs);
    void OnLoaderCommand(std::span<const std::uint8_t> frame, std::int64_t nowMs);
    void OnProbe(std::span<const std::uint8_t> frame, std::int64_t nowMs);
    void OnBootWrite(std::span<const std::uint8_t> frame, std::int64_t nowMs);
    void Reply(std::vector<std::uint8_t> frame, std::int64_t dueMs);
    void Exception(std::uint8_t function, std::uint8_t code, std::int64_t nowMs);
    std::uint8_t listenAddress() const;
    std::uint32_t listenBaud() const;

    std::vector<std::uint8_t> m_flash;  // the blocks one after another, in table order
    LoaderMode m_mode = LoaderMode::Application;
    LoaderTiming m_timing;
    std::uint8_t m_workingAddress = 1;
    std::uint32_t m_workingBaud = kLoaderBaud;
    int m_entryStep = 0;
    int m_exits = 0;
    bool m_silent = false;
    int m_lateEraseAckMs = 0;
    std::vector<std::uint8_t> m_buffer;
    std::int64_t m_lastByteMs = 0;
    std::int64_t m_busyUntil = 0;
    OutputQueue m_output;
};

// Length of a Modbus RTU request of the relay family from its first bytes; 0 while it cannot be
// told yet or never will (an unknown function waits for the character gap).
std::size_t RelayRequestLength(std::span<const std::uint8_t> bytes);

}  // namespace tirv::sim
