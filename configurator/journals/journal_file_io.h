#pragma once
// Whole-file reads and atomic writes for the journal files, keeping the system error code that
// the file messages show, and the word frame the ".twj" and ".taj" files share.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tirv {

enum class JournalFileResult : std::uint8_t {
    Ok,
    BadFormat,   // size, CRC or record counts that the journal cannot hold
    CannotOpen,  // load/save only; `systemError` holds errno
};

struct JournalFileOutcome {
    JournalFileResult result = JournalFileResult::Ok;
    int systemError = 0;
};

// 0 on success, else errno (never 0 on failure).
int ReadJournalFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes);
// Writes through a temporary file and a rename; 0 on success, else errno.
int WriteJournalFileBytes(const std::string& path, std::span<const std::uint8_t> bytes);

// The frame both journal files share: four header words (model code, serial number, the constant
// 1, a word of the journal's own), whole records, and the word-array CRC.
inline constexpr std::size_t kJournalFileHeaderWords = 4;
inline constexpr std::size_t kJournalFileHeaderBytes = 20;  // four header words + the CRC word
inline constexpr std::uint32_t kJournalFileConstant = 1;

// The words of a file whose size is the header plus whole records of `recordWords` words, at most
// `maxRecords` of them, and whose CRC matches; BadFormat otherwise (`words` then untouched).
JournalFileResult ReadJournalFileWords(std::span<const std::uint8_t> bytes, std::size_t recordWords,
                                       std::size_t maxRecords, std::vector<std::uint32_t>& words,
                                       std::size_t& records);
// The first three header words and the journal's own fourth; the records follow, then
// CloseJournalFile adds the CRC word.
std::vector<std::uint32_t> JournalFileHeader(int modelCode, int serialNumber, std::uint32_t fourth);
std::vector<std::uint8_t> CloseJournalFile(std::vector<std::uint32_t> words);

// Reads the whole file and hands it to `parse` (CannotOpen with errno when it cannot be read),
// and writes a built file through WriteJournalFileBytes.
JournalFileOutcome LoadJournalFile(
    const std::string& path,
    const std::function<JournalFileResult(std::span<const std::uint8_t>)>& parse);
JournalFileOutcome SaveJournalFileBytes(const std::string& path,
                                        std::span<const std::uint8_t> bytes);

}  // namespace tirv
