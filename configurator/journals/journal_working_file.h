#pragma once
// The working-journal file (".twj"): little-endian 32-bit words — model code, serial number, the
// constant 1, the number of group-1 records, the records of group 1 then group 2 (five words
// each, oldest first within each group), and the word-array CRC.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/message.h"
#include "configurator/journals/journal_file_io.h"  // JournalFileResult, JournalFileOutcome
#include "configurator/journals/journal_working.h"

namespace tirv {

// Parses a whole file from memory. Refused (nothing changed): fewer than 20 bytes, a size not 20
// plus a multiple of 20, a CRC mismatch, more than 20 + 100 records, a group-1 count above 20 or
// above the record count, or more than 100 records left for group 2. Header words 0–2 are not
// examined. On Ok `journal` holds the file's records (source File), each group newest first.
JournalFileResult ParseWorkingJournalFile(std::span<const std::uint8_t> bytes,
                                          WorkingJournal& journal);

// The file of the shown records: the model code selected and the serial number of the connection
// page in the header, each group oldest first.
std::vector<std::uint8_t> BuildWorkingJournalFile(const WorkingJournal& journal, int modelCode,
                                                  int serialNumber);

JournalFileOutcome LoadWorkingJournalFile(const std::string& path, WorkingJournal& journal);
JournalFileOutcome SaveWorkingJournalFile(const std::string& path, const WorkingJournal& journal,
                                          int modelCode, int serialNumber);

// True when the last three characters of `path` are those of `extension` (no dot): "twj".
bool HasJournalExtension(const std::string& path, const char* extension);

// The messages of the file commands.
Message CannotOpenJournalFileMessage(int systemError);  // "Невозможно открыть файл. Код ошибки %i"
Message WorkingJournalWrongExtensionMessage();
Message WorkingJournalBadFileMessage();

}  // namespace tirv
