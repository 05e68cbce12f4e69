#pragma once
// The emergency-journal file (".taj"): little-endian 32-bit words — model code, serial number,
// the constant 1, the coefficient set (187 M, 170 other models), the non-empty records (34 words
// each, oldest first), and the word-array CRC.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/message.h"
#include "configurator/journals/journal_emergency.h"
#include "configurator/journals/journal_working_file.h"  // JournalFileResult, JournalFileOutcome

namespace tirv {

// Parses a whole file from memory. Refused (nothing changed): fewer than 20 bytes, a size not 20
// plus a multiple of 136, more than 10 records, or a CRC mismatch. On Ok `journal` holds the
// records (source File) newest first, its class taken from word 3 (187 → M, anything else →
// other models). Header words 0–2 are not examined.
JournalFileResult ParseEmergencyJournalFile(std::span<const std::uint8_t> bytes,
                                            EmergencyJournal& journal);

// The file of the journal's non-empty records, oldest first, with the journal's class in word 3.
std::vector<std::uint8_t> BuildEmergencyJournalFile(const EmergencyJournal& journal, int modelCode,
                                                    int serialNumber);

JournalFileOutcome LoadEmergencyJournalFile(const std::string& path, EmergencyJournal& journal);
JournalFileOutcome SaveEmergencyJournalFile(const std::string& path,
                                            const EmergencyJournal& journal, int modelCode,
                                            int serialNumber);

Message EmergencyJournalBadFileMessage();

}  // namespace tirv
