#pragma once
// The STM32 system-memory USART bootloader of the M relays' controller, as ST's application note
// AN3155 describes it: 0x7F sets the speed, then every command is a byte and its complement,
// answered ACK 0x79 or NACK 0x1F. A byte-stream device on an explicit clock: the host feeds the
// bytes it received with their time, takes the bytes that are due and wakes at NextWakeMs.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/bootloaders/serial_device.h"
#include "sim/bootloaders/stm32_memory.h"
#include "sim/relay_line.h"

namespace tirv::sim {

inline constexpr std::uint8_t kStm32Ack = 0x79;
inline constexpr std::uint8_t kStm32Nack = 0x1F;
inline constexpr std::uint8_t kStm32Sync = 0x7F;
inline constexpr std::uint16_t kStm32Pid = 0x0413;   // STM32F405/407
inline constexpr std::uint8_t kStm32Version = 0x31;  // bootloader 3.1
inline constexpr std::size_t kStm32MaxBlock = 256;   // READ and WRITE carry at most this
inline constexpr std::uint16_t kStm32MassErase = 0xFFFF;

enum class Stm32Command : std::uint8_t {
    Get = 0x00,
    GetVersion = 0x01,
    GetId = 0x02,
    ReadMemory = 0x11,
    Go = 0x21,
    WriteMemory = 0x31,
    ExtendedErase = 0x44,
    WriteProtect = 0x63,
    WriteUnprotect = 0x73,
    ReadoutProtect = 0x82,
    ReadoutUnprotect = 0x92,
};

// Where the controller runs: the relay's program, or its system memory waiting for the host.
enum class Stm32Mode : std::uint8_t { Application = 0, Bootloader = 1 };

// How long the controller is busy, in milliseconds; it hears nothing meanwhile.
struct Stm32Timing {
    int eraseSectorMs = 25;  // per sector of a sector-list erase
    int massEraseMs = 200;
    int writeBlockMs = 1;  // per WRITE MEMORY block
    int unprotectMs = 30;  // option-byte change before the second ACK
    int resetMs = 2;       // restart after an option-byte change (a system reset is quick)
};

// Faults a tester can set; none is kept in the state file.
struct Stm32Faults {
    std::uint16_t pid = kStm32Pid;
    std::uint8_t version = kStm32Version;
    int nackNext = 0;      // the next N commands (after 0x7F) are refused at their command byte
    int eraseExtraMs = 0;  // added to every erase
    bool flipReadBack = false;  // every flash READ MEMORY returns its first byte with bit 0 flipped
    bool silent = false;        // hears and answers nothing
};

class Stm32Bootloader {
public:
    Stm32Bootloader() = default;

    // A reset with BOOT0 high: the system bootloader runs and waits for 0x7F at any speed.
    void EnterBootloader(std::int64_t nowMs);
    // A plain reset: the relay's program runs (the bootloader hears nothing).
    void Reset();
    Stm32Mode mode() const { return m_mode; }
    bool synchronised() const { return m_mode == Stm32Mode::Bootloader && m_phase != Phase::Sync; }
    // The speed 0x7F was received at; 0 before.
    std::uint32_t baud() const { return m_baud; }

    void Receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs, PeerLine peer);
    std::vector<Burst> TakeOutput(std::int64_t nowMs) { return m_output.Take(nowMs); }
    // When the next reply is due; nothing when none waits. Busy periods need no wake: bytes that
    // arrive during one are simply lost.
    std::optional<std::int64_t> NextWakeMs() const;

    Stm32Memory& memory() { return m_memory; }
    const Stm32Memory& memory() const { return m_memory; }
    Stm32Timing& timing() { return m_timing; }
    Stm32Faults& faults() { return m_faults; }
    // The address GO jumped to last, if any.
    std::optional<std::uint32_t> lastGo() const { return m_lastGo; }

    // Flash content, option bytes and mode as bytes, and back.
    std::vector<std::uint8_t> SaveState() const;
    StateLoad LoadState(std::span<const std::uint8_t> bytes);

private:
    enum class Phase : std::uint8_t {
        Sync,         // waiting for 0x7F
        Command,      // command byte and complement
        ReadAddress,  // 4 address bytes and their XOR
        ReadCount,    // N − 1 and its complement
        WriteAddress,
        WriteCount,  // N − 1
        WriteData,   // N bytes and the XOR of N − 1 and the data
        GoAddress,
        EraseCount,    // 2 bytes: sector count − 1, or a special code
        EraseSpecial,  // checksum of a special code
        EraseList,     // sector numbers (2 bytes each) and the XOR of all bytes
        ProtectCount,  // N − 1 sectors
        ProtectList,   // N sector numbers and the XOR
    };

    void Step(std::int64_t nowMs);
    void OnCommand(std::int64_t nowMs);
    void OnReadAddress(std::int64_t nowMs);
    void OnReadCount(std::int64_t nowMs);
    void OnWriteAddress(std::int64_t nowMs);
    void OnWriteData(std::int64_t nowMs);
    void OnGoAddress(std::int64_t nowMs);
    void OnEraseCount();
    void OnEraseSpecial(std::int64_t nowMs);
    void OnEraseList(std::int64_t nowMs);
    void OnProtectList(std::int64_t nowMs);
    void Expect(Phase phase, std::size_t bytes);
    void Reply(std::vector<std::uint8_t> bytes, std::int64_t dueMs);
    void Ack(std::int64_t dueMs) { Reply({kStm32Ack}, dueMs); }
    void Nack(std::int64_t dueMs);
    // ACK, the option bytes change, a second ACK, then the controller restarts.
    void ChangeOptions(const OptionBytes& options, bool massErase, std::int64_t nowMs);
    void Busy(std::int64_t untilMs);

    Stm32Memory m_memory;
    Stm32Timing m_timing;
    Stm32Faults m_faults;
    Stm32Mode m_mode = Stm32Mode::Application;
    Phase m_phase = Phase::Sync;
    std::size_t m_need = 1;
    std::vector<std::uint8_t> m_buffer;
    std::uint32_t m_baud = 0;
    std::uint32_t m_address = 0;
    std::uint8_t m_count = 0;
    std::int64_t m_busyUntil = 0;
    std::optional<std::uint32_t> m_lastGo;
    OutputQueue m_output;
};

}  // namespace tirv::sim
