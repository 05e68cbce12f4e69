#pragma once
// Whole-file reads and atomic writes for the journal files, keeping the system error code that
// the file messages show.
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

// Reads the whole file and hands it to `parse` (CannotOpen with errno when it cannot be read),
// and writes a built file through WriteJournalFileBytes.
JournalFileOutcome LoadJournalFile(
    const std::string& path,
    const std::function<JournalFileResult(std::span<const std::uint8_t>)>& parse);
JournalFileOutcome SaveJournalFileBytes(const std::string& path,
                                        std::span<const std::uint8_t> bytes);

}  // namespace tirv
