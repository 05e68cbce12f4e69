#pragma once
// A small host side of ST's AN3155 USART bootloader protocol for the tests, written from the
// application note and independent of the simulated device: each call sends one command with its
// complement and checksums, then runs the device's clock until the answer is complete or the
// device has nothing more to say.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/bootloaders/stm32_bootloader.h"

namespace tirv::sim::test {

enum class Answer { Ack, Nack, Silent, Garbage };

class An3155Master {
public:
    explicit An3155Master(Stm32Bootloader& device, std::uint32_t baud = 115200,
                          std::int64_t startMs = 1000)
        : m_device(device), m_baud(baud), m_nowMs(startMs)
    {
    }

    std::int64_t nowMs() const { return m_nowMs; }
    void Wait(std::int64_t ms) { m_nowMs += ms; }
    void setBaud(std::uint32_t baud) { m_baud = baud; }

    Answer Sync();
    // Sends the command byte and its complement (or a wrong complement) and takes one answer.
    Answer Command(std::uint8_t code, bool goodComplement = true);
    // GET: the version and the command codes, after the command was acknowledged.
    std::optional<std::vector<std::uint8_t>> Get();
    std::optional<std::uint8_t> GetVersion();
    std::optional<std::uint16_t> GetId();
    // READ MEMORY of 1..256 bytes; nothing when any step is refused.
    std::optional<std::vector<std::uint8_t>> ReadMemory(std::uint32_t address, std::size_t n);
    Answer WriteMemory(std::uint32_t address, std::span<const std::uint8_t> data);
    Answer EraseSectors(std::span<const std::uint16_t> sectors);
    Answer EraseSpecial(std::uint16_t code);
    Answer Go(std::uint32_t address);
    // READOUT UNPROTECT, WRITE UNPROTECT, READOUT PROTECT: two ACKs, then the device restarts.
    Answer TwoAckCommand(std::uint8_t code);
    Answer WriteProtect(std::span<const std::uint8_t> sectors);

    // Low level: sends bytes and collects up to `n` answer bytes; any further bytes wait for the
    // next step, as they would in a serial driver's queue.
    std::vector<std::uint8_t> Exchange(std::span<const std::uint8_t> bytes, std::size_t n);
    Answer AnswerOf(std::span<const std::uint8_t> bytes, std::size_t n);
    // Time the last exchange took until its last answer byte.
    std::int64_t lastAnswerMs() const { return m_lastAnswerMs; }

private:
    Answer SendAddress(std::uint32_t address);

    Stm32Bootloader& m_device;
    std::uint32_t m_baud;
    std::int64_t m_nowMs;
    std::int64_t m_lastAnswerMs = 0;
    std::vector<std::uint8_t> m_received;  // answer bytes beyond what the last step took
};

std::uint8_t XorOf(std::span<const std::uint8_t> bytes);

}  // namespace tirv::sim::test
