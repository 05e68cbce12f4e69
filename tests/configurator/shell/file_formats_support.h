#pragma once
// Byte-level helpers for the file-format tests, written apart from the code under test: a
// bitwise CRC-16 (Modbus) and little-endian word access, so a fault shared by the program's
// table-driven CRC and its word helpers cannot hide itself.
#include "configurator/iocfg/io_image.h"
#include "configurator/iocfg/led_image.h"
#include "support/reference_crc.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tirv::file_test {

inline std::uint16_t BitwiseCrc(std::span<const std::uint8_t> bytes)
{
    return test::BitwiseCrc16(bytes);
}

inline std::uint32_t WordAt(std::span<const std::uint8_t> bytes, std::size_t k)
{
    const std::uint8_t* b = bytes.data() + 4 * k;
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

inline void PutWord(std::vector<std::uint8_t>& bytes, std::size_t k, std::uint32_t w)
{
    for (int i = 0; i < 4; ++i)
        bytes[4 * k + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(w >> (8 * i));
}

// True when the last word holds the CRC of every byte before it (upper half zero).
inline bool CrcWordMatches(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 4 || bytes.size() % 4 != 0)
        return false;
    const std::size_t last = bytes.size() / 4 - 1;
    return WordAt(bytes, last) == BitwiseCrc(bytes.first(bytes.size() - 4));
}

// Recomputes the closing CRC word after a test changed a word.
inline void Reseal(std::vector<std::uint8_t>& bytes)
{
    const std::size_t last = bytes.size() / 4 - 1;
    PutWord(bytes, last, BitwiseCrc(std::span<const std::uint8_t>(bytes).first(bytes.size() - 4)));
}

// A file of these words closed by its CRC word.
inline std::vector<std::uint8_t> SealedFile(const std::vector<std::uint32_t>& words)
{
    std::vector<std::uint8_t> bytes((words.size() + 1) * 4);
    for (std::size_t k = 0; k < words.size(); ++k)
        PutWord(bytes, k, words[k]);
    Reseal(bytes);
    return bytes;
}

// Valid I/O settings unlike the defaults: input k has function k (k < 8) or k + 20, level k % 2,
// delays 100·k and 9999; output k signal 94 − k, mode k % 3, times 5 and k.
inline IoImage SampleIo()
{
    IoImage io;
    for (int k = 0; k < kIoChannels; ++k) {
        io.input(k, IoFunction) = static_cast<std::uint32_t>(k < 8 ? k : k + 20);
        io.input(k, IoLevel) = static_cast<std::uint32_t>(k % 2);
        io.input(k, IoFirstTime) = static_cast<std::uint32_t>(100 * k);
        io.input(k, IoSecondTime) = 9999;
        io.output(k, IoFunction) = static_cast<std::uint32_t>(94 - k);
        io.output(k, IoLevel) = static_cast<std::uint32_t>(k % 3);
        io.output(k, IoFirstTime) = 5;
        io.output(k, IoSecondTime) = static_cast<std::uint32_t>(k);
    }
    return io;
}

// LED k: signal 10 + k, mode k % 2, time 2.50 s; LEDs from `count` on stay 0.
inline LedImage SampleLeds(int count)
{
    LedImage leds;
    for (int k = 0; k < count; ++k) {
        leds.at(k, LedSignal) = static_cast<std::uint32_t>(10 + k);
        leds.at(k, LedMode) = static_cast<std::uint32_t>(k % 2);
        leds.at(k, LedTime) = 250;
    }
    return leds;
}

}  // namespace tirv::file_test
