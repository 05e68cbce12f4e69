#pragma once
// Whole-file reads and atomic writes for the journal files, keeping the system error code that
// the file messages show.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tirv {

// 0 on success, else errno (never 0 on failure).
int ReadJournalFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes);
// Writes through a temporary file and a rename; 0 on success, else errno.
int WriteJournalFileBytes(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace tirv
