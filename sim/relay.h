#pragma once
// One simulated relay: its register memory, the live values behind it, and what it does with
// a request (Modbus PDU or ТИРВ-protocol frame). No I/O here; time comes in as an argument
// (milliseconds of the host's local wall clock), so every behaviour is testable byte for byte.
#include "common/calendar.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "configurator/link/registers.h"
#include "sim/io_led_registers.h"
#include "sim/relay_models.h"
#include "sim/text_protocol.h"

namespace tirv::sim {

enum class Protocol : std::uint8_t { Tirv = 0, Modbus = 1 };
enum class RelayMode : std::uint8_t { Application, Bootloader };

// The device side of one serial channel.
struct LineSettings {
    int address = 1;
    int baudIndex = kDefaultBaudIndex;
    int parity = 0;    // 0 none, 1 even, 2 odd (a pseudo-terminal cannot show it)
    int stopBits = 1;  // 1 or 2
    Protocol protocol = Protocol::Modbus;
    int variant = 0;          // ТИРВ protocol: 0 "Старая", 1 "Новая"
    int valuesPerFrame = 34;  // ТИРВ protocol: most values per frame
    // M relays: the line is the USB channel (its baud register of the settings block applies),
    // not RS-485 (address, baud, parity, stop bits and protocol of the block apply).
    bool usb = false;
    bool operator==(const LineSettings&) const = default;
};

// Calendar time of the relay clock.
struct WallTime {
    int year = 2026, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
    bool operator==(const WallTime&) const = default;
};
WallTime ToWallTime(std::int64_t epochMs);
std::int64_t ToEpochMs(const WallTime& t);
bool IsValidWallTime(const WallTime& t);

// Size of the holding-register space (the working journal ends at 2699).
inline constexpr int kHoldingRegisters = static_cast<int>(kRegisterSpace);
inline constexpr int kOscillogramRegisters = regs::kOscillogram.count;
inline constexpr int kEmergencyRecords = regs::kEmergencyJournal.count / regs::kEmergencyRecordRegisters;
inline constexpr int kWorkingRecords = regs::kWorkingJournal.count / regs::kWorkingRecordRegisters;

// Modbus exception codes.
enum ExceptionCode : std::uint8_t {
    kIllegalFunction = 1,
    kIllegalAddress = 2,
    kIllegalValue = 3,
    kRefused = regs::kExceptionRefused,          // e.g. breaker command while blocked
    kArchiveBusy = regs::kExceptionArchiveBusy,  // 0x41 while a new oscillogram is written
};

// Standard Modbus "write single register": the configurator never sends it, but general Modbus
// tools write one register this way, so the relay takes it on the serial line.
inline constexpr std::uint8_t kWriteSingleRegister = 0x06;

enum class Channel : std::uint8_t { Serial, Tcp };

// The oscillograph settings: one recorded flag (0 or 1) per channel Ia, Ib, Ic, Ua, Ub, Uc.
inline constexpr int kOscillographFlags = 6;
using OscillographFlags = std::array<std::uint16_t, kOscillographFlags>;
inline constexpr OscillographFlags kAllChannelsRecorded = {1, 1, 1, 1, 1, 1};

// The clock registers as read (day, month, year − 2000, hour, minute, second, fraction).
using ClockWords = std::array<std::uint16_t, 7>;

// Live input and output states held at given values instead of following the feeder.
struct IoStateOverride {
    std::optional<std::uint16_t> inputs;
    std::optional<std::uint16_t> outputs;
};

struct PduReply {
    bool answer = false;            // false: nothing is sent (0x20, 0x42, broadcasts, silence)
    std::vector<std::uint8_t> pdu;  // function code onward
    std::optional<LineSettings> applyAfterReply;  // new link settings, effective after the reply
};

struct TextAnswer {
    std::string frame;  // empty: the relay stays silent
    std::optional<LineSettings> applyAfterReply;
};

class Relay {
public:
    Relay(const RelayModel& model, LineSettings line, std::int64_t nowMs, std::uint32_t seed = 1);

    const RelayModel& model() const { return *m_model; }
    const LineSettings& line() const { return m_line; }
    void setLine(const LineSettings& line);
    RelayMode mode() const { return m_mode; }
    void setMode(RelayMode mode) { m_mode = mode; }

    // One Modbus PDU (function code onward) addressed to this relay, or broadcast.
    PduReply HandlePdu(std::span<const std::uint8_t> pdu, std::int64_t nowMs, Channel channel,
                       bool broadcast = false);
    // One ТИРВ-protocol request already parsed and addressed to this relay.
    TextAnswer HandleText(const TextRequest& request, std::int64_t nowMs);

    // The relay is switched on: the working journal notes the power-on reset.
    void PowerOn(std::int64_t nowMs);

    // Fault and state controls.
    void ZeroMemory();         // no setpoints, no I/O settings, no LED settings
    void RestoreMinimalSet();  // the minimal set in all three blocks
    // What function 0x20 stores: the minimal set in each block (setpoints, I/O settings, LED
    // settings) that is all zero; a configured block is kept.
    void RestoreMinimalSetInEmptyBlocks();
    void setBlocked(bool blocked) { m_blocked = blocked; }
    bool blocked() const { return m_blocked; }
    bool breakerClosed() const { return m_breakerClosed; }
    void setBreakerClosed(bool closed) { m_breakerClosed = closed; }
    void setArchiveBusy(bool busy) { m_archiveBusy = busy; }
    bool archiveBusy(std::int64_t nowMs) const { return m_archiveBusy || nowMs < m_recordingUntilMs; }
    // A fault on the feeder now: МТЗ-2 trips, the breaker opens, a new emergency record is
    // written and, for a few seconds, the new oscillogram (function 0x41 answers code 5).
    void Trip(std::int64_t nowMs);
    std::int64_t clockOffsetMs() const { return m_clockOffsetMs; }
    void setClockOffsetMs(std::int64_t offset) { m_clockOffsetMs = offset; }
    WallTime clock(std::int64_t nowMs) const { return ToWallTime(nowMs + m_clockOffsetMs); }

    // Memory access for the state file and tests. Live registers (clock, measurements, I/O
    // states) are refreshed on every read; the rest is the relay's stored memory.
    HoldingMemory& holding() { return m_holding; }
    const HoldingMemory& holding() const { return m_holding; }
    const std::vector<std::uint16_t>& oscillogram() const { return m_oscillogram; }
    // Rebuilds the oscillogram memory from the newest emergency-journal record.
    void RebuildOscillogram();
    // Takes over the stored memory of a saved relay of `model` (its type and signature registers
    // as stored, even when they name another model).
    void LoadMemory(std::span<const std::uint16_t> holding, const RelayModel& model);
    // The stored memory was changed from outside (a control command): the oscillogram follows
    // the newest emergency record and the state file is written again.
    void MemoryChanged();

    // Tester's overrides (see control_commands.h). Live states and measurements overrides are
    // values of a run, like the faults; the raw clock and the oscillograph flags are memory.
    IoStateOverride& ioOverride() { return m_ioOverride; }
    // False when `reg` is not a measurement register of the model.
    bool OverrideMeasurement(int reg, std::uint16_t word);
    void ClearMeasurementOverrides() { m_measurementOverrides.clear(); }
    // The clock registers read `words` (any values, invalid dates included) until the clock is
    // set by a write, a broadcast or ClearRawClock.
    void SetRawClock(const ClockWords& words);
    void ClearRawClock();
    const std::optional<ClockWords>& rawClock() const { return m_rawClock; }
    const OscillographFlags& oscillographFlags() const { return m_oscFlags; }
    void SetOscillographFlags(const OscillographFlags& flags);
    void RefreshLive(std::int64_t nowMs);
    // True when something worth keeping in the state file changed since the last call.
    bool TakeDirty();

private:
    PduReply Read(std::span<const std::uint8_t> pdu, std::int64_t nowMs, std::uint8_t function);
    PduReply Write(std::span<const std::uint8_t> pdu, std::int64_t nowMs);
    std::uint8_t ApplyWrite(int start, std::span<const std::uint16_t> values, std::int64_t nowMs,
                            std::optional<LineSettings>& applyAfter);
    std::uint8_t ApplyCommSettings(int start, std::span<const std::uint16_t> values,
                                   std::optional<LineSettings>& applyAfter);
    std::uint8_t ApplyBreaker(int reg, std::uint16_t value, std::int64_t nowMs);
    void SetClock(const WallTime& t, std::int64_t nowMs);
    void AddWorkingEvent(int code, std::int64_t nowMs);
    void FillContent(std::int64_t nowMs);
    void WriteCommSettingsRegisters();
    void ChangeModel(const RelayModel& model, std::int64_t nowMs);
    // Register word ⇄ ТИРВ-protocol value (no bias, setpoint angles coded from 32).
    std::uint16_t ToText(int reg, std::uint16_t word) const;
    std::uint16_t FromText(int reg, std::uint16_t value) const;
    bool IsCommSettingsWrite(int start, int count) const;

    const RelayModel* m_model;
    LineSettings m_line;
    RelayMode m_mode = RelayMode::Application;
    HoldingMemory m_holding{};
    std::vector<std::uint16_t> m_oscillogram;
    std::mt19937 m_rng;
    std::int64_t m_clockOffsetMs = 0;
    bool m_breakerClosed = true;
    bool m_blocked = false;
    bool m_archiveBusy = false;
    std::int64_t m_recordingUntilMs = 0;
    bool m_dirty = false;
    int m_breakerOperations = 47;
    unsigned m_textCursor = 0;  // variant-0 reads carry no start: the relay walks its setpoints
    std::int64_t m_lastTextReadMs = 0;
    std::int64_t m_lastSettingsEventMs[4] = {};
    IoStateOverride m_ioOverride;
    std::map<int, std::uint16_t> m_measurementOverrides;  // register → raw word
    std::optional<ClockWords> m_rawClock;
    OscillographFlags m_oscFlags = kAllChannelsRecorded;
};

}  // namespace tirv::sim
