#pragma once
// Settings, setpoint, I/O, LED and journal files are arrays of little-endian 32-bit words closed
// by the word-array CRC. These helpers turn such files into words and back, independent of the
// host byte order.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tirv {

enum class WordFileResult {
    Ok,
    CannotOpen,
    WrongSize,   // not exactly the expected number of words (+ CRC)
    BadCrc,
    CannotWrite,
};

// Bytes → words; the byte count must be a multiple of 4.
bool BytesToWords(std::span<const std::uint8_t> bytes, std::vector<std::uint32_t>& words);
std::vector<std::uint8_t> WordsToBytes(std::span<const std::uint32_t> words);

// Parses words[0..n-1] + CRC from memory; `expectedWords` counts the data words without the CRC.
WordFileResult ParseWordFile(std::span<const std::uint8_t> bytes, std::size_t expectedWords,
                             std::vector<std::uint32_t>& words);

// Reads a whole file into memory (path in UTF-8); on failure `systemError`, when given, holds the
// system's error code (errno) for the user's message.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                   int* systemError = nullptr);
// Writes through a temporary file and a rename, so a failed write never leaves half a file.
bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                    int* systemError = nullptr);

WordFileResult LoadWordFile(const std::string& path, std::size_t expectedWords,
                            std::vector<std::uint32_t>& words);
// Appends the CRC word to `words` and writes the file.
WordFileResult SaveWordFile(const std::string& path, std::span<const std::uint32_t> words);

}  // namespace tirv
