#pragma once
// What both simulated bootloaders share: replies scheduled on an explicit clock (the host feeds
// received bytes with their time, collects what is due and sleeps until the next wake time), and
// the compact byte form of a flash memory for the simulator's state file.
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace tirv::sim {

// Bytes a device puts on the line, at the speed it transmits with.
struct Burst {
    std::vector<std::uint8_t> bytes;
    std::uint32_t baud = 0;
};

// Replies waiting for their time. Bursts keep their order even when a later one is due earlier.
class OutputQueue {
public:
    void Send(std::vector<std::uint8_t> bytes, std::uint32_t baud, std::int64_t dueMs);
    // Every burst due at or before `nowMs`, oldest first.
    std::vector<Burst> Take(std::int64_t nowMs);
    std::optional<std::int64_t> NextDueMs() const;
    void Clear() { m_pending.clear(); }

private:
    struct Pending {
        Burst burst;
        std::int64_t dueMs;
    };
    std::deque<Pending> m_pending;
};

// Outcome of restoring a device from its saved bytes; on any failure the device is unchanged.
enum class StateLoad : std::uint8_t { Ok, Truncated, NotThisDevice, CrcMismatch, BadValue };

// Flash memory as bytes: a bitmap of the 256-byte pages that are not erased (0xFF), then those
// pages. An erased or sparsely written flash stays small in the state file.
inline constexpr std::size_t kStatePageSize = 256;
void AppendFlashPages(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> flash);

// Reads a saved state front to back; every read past the end fails and sets `failed`.
class StateReader {
public:
    explicit StateReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint8_t Byte();
    std::uint32_t Word32();
    std::span<const std::uint8_t> Take(std::size_t n);
    // Fills `flash` (a multiple of the page size) from the form AppendFlashPages writes.
    void FlashPages(std::span<std::uint8_t> flash);
    bool failed() const { return m_failed; }
    bool atEnd() const { return m_position == m_bytes.size(); }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
    bool m_failed = false;
};

void AppendWord32(std::vector<std::uint8_t>& out, std::uint32_t value);
// Closes a saved state with its CRC-16 (low byte first).
void AppendStateCrc(std::vector<std::uint8_t>& out);
// The saved bytes without their CRC when it matches, else nothing.
std::optional<std::span<const std::uint8_t>> CheckStateCrc(std::span<const std::uint8_t> bytes);

}  // namespace tirv::sim
