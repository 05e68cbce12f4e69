#pragma once
// A serial line with one or more simulated relays on it: splits the received bytes into
// requests (Modbus RTU or ТИРВ protocol), hands each to the relay it addresses when that relay
// listens at the speed and stop bits the peer uses, and applies the requested faults to the
// replies. Domain code: bytes and times in, reply bytes and their pacing out.
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <vector>

#include "sim/relay.h"

namespace tirv::sim {

// Faults a tester can ask for; they apply to every relay on the line and to Modbus TCP.
struct Faults {
    int dropNext = 0;             // replies still to be lost
    double dropShare = 0.0;       // share of the other replies that is lost (0–1)
    int badCrcNext = 0;           // replies still to be sent with a damaged CRC
    int lateMs = 0;               // extra delay before every reply
    std::uint8_t exceptionCode = 0;  // non-zero: every request is refused with this code
    bool silent = false;          // stop answering altogether
};

// What the peer has set on its end of the line (a pseudo-terminal shows speed and stop bits).
struct PeerLine {
    std::uint32_t baud = 57600;
    int stopBits = 1;
};

// One reply to send: after `delayMs`, paced at `baud` with `bitsPerByte` bit times per byte.
struct Transmission {
    std::vector<std::uint8_t> bytes;
    int delayMs = 0;
    std::uint32_t baud = 57600;
    int bitsPerByte = 10;
    Relay* relay = nullptr;                    // the relay that answers
    std::optional<LineSettings> applyAfter;    // its new link settings once the reply is out
};

// How a reply carries its check: Modbus RTU CRC bytes, ТИРВ-protocol CRC digits, or none (TCP).
enum class ReplyForm { Rtu, Text, Tcp };

// Turnaround between the end of a request and the first reply byte.
inline constexpr int kTurnaroundMs = 3;
// A request longer than this is noise.
inline constexpr std::size_t kMaxRequestBytes = 600;

// Bit times of one character: start, 8 data bits, parity when used, stop bits.
int BitsPerByte(const LineSettings& line);
// Milliseconds the line needs to carry `bytes` characters (rounded up).
int LineTimeMs(std::size_t bytes, std::uint32_t baud, int bitsPerByte);

class RelayLine {
public:
    explicit RelayLine(std::uint32_t seed = 7) : m_rng(seed) {}

    Relay& AddRelay(std::unique_ptr<Relay> relay);
    std::vector<std::unique_ptr<Relay>>& relays() { return m_relays; }
    const std::vector<std::unique_ptr<Relay>>& relays() const { return m_relays; }
    Faults& faults() { return m_faults; }
    // The relays' loaders run beside the line (tirv-sim): a relay in its loader is theirs, and
    // the loader functions 0x64, 0x65 and 0x67 are left to them.
    void setLoadersAttached(bool attached) { m_loadersAttached = attached; }

    // Bytes that arrived at `nowMs`. Returns a reply when they complete a request for a relay
    // that answers.
    std::optional<Transmission> Receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs,
                                        PeerLine peer);
    // The line has been quiet for a character gap: an unfinished request is complete or noise.
    std::optional<Transmission> Silence(std::int64_t nowMs, PeerLine peer);
    bool HasPartial() const { return !m_buffer.empty(); }

    // Applies the faults to a reply that is about to leave; false when it is to be lost.
    bool ApplyFaults(std::vector<std::uint8_t>& bytes, ReplyForm form);

private:
    std::optional<Transmission> TryModbus(std::int64_t nowMs, PeerLine peer, bool atGap);
    std::optional<Transmission> TryText(std::int64_t nowMs, PeerLine peer);
    std::optional<Transmission> DispatchModbus(std::span<const std::uint8_t> frame,
                                               std::int64_t nowMs, PeerLine peer);
    std::optional<Transmission> Finish(Relay& relay, std::vector<std::uint8_t> bytes,
                                       std::optional<LineSettings> applyAfter, ReplyForm form);

    std::vector<std::unique_ptr<Relay>> m_relays;
    std::vector<std::uint8_t> m_buffer;
    Faults m_faults;
    std::mt19937 m_rng;
    bool m_loadersAttached = false;
};

// True when a relay listens at what the peer set (speed and stop bits; parity cannot be seen).
bool Hears(const Relay& relay, PeerLine peer);

}  // namespace tirv::sim
