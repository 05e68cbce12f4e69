#include "configurator/journals/journal_emergency_file.h"

#include <algorithm>

#include "configurator/journals/journal_file_io.h"
#include "configurator/journals/journal_texts.h"

namespace tirv {

JournalFileResult ParseEmergencyJournalFile(std::span<const std::uint8_t> bytes,
                                            EmergencyJournal& journal)
{
    std::vector<std::uint32_t> words;
    std::size_t records = 0;
    if (const JournalFileResult r =
            ReadJournalFileWords(bytes, kEmergencyRecordWords,
                                 static_cast<std::size_t>(kEmergencyRecords), words, records);
        r != JournalFileResult::Ok)
        return r;

    EmergencyJournal read;
    read.size = static_cast<int>(records);
    for (std::size_t k = 0; k < records; ++k) {
        std::copy_n(words.begin() + static_cast<std::ptrdiff_t>(kJournalFileHeaderWords +
                                                                k * kEmergencyRecordWords),
                    kEmergencyRecordWords, read.records[k].words.begin());
        // Oldest first in the file, newest first on the page.
        read.order[records - 1 - k] = static_cast<std::uint8_t>(k);
    }
    read.mClass = words[3] == kCoefficientSetM;
    read.source = JournalSource::File;
    read.hasData = true;
    journal = read;
    return JournalFileResult::Ok;
}

std::vector<std::uint8_t> BuildEmergencyJournalFile(const EmergencyJournal& journal, int modelCode,
                                                    int serialNumber)
{
    std::vector<std::uint32_t> words = JournalFileHeader(
        modelCode, serialNumber, journal.mClass ? kCoefficientSetM : kCoefficientSetOther);
    const auto events = journal.events();
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
        const auto& w = journal.records[static_cast<std::size_t>(*it)].words;
        words.insert(words.end(), w.begin(), w.end());
    }
    return CloseJournalFile(std::move(words));
}

JournalFileOutcome LoadEmergencyJournalFile(const std::string& path, EmergencyJournal& journal)
{
    return LoadJournalFile(path, [&journal](std::span<const std::uint8_t> bytes) {
        return ParseEmergencyJournalFile(bytes, journal);
    });
}

JournalFileOutcome SaveEmergencyJournalFile(const std::string& path,
                                            const EmergencyJournal& journal, int modelCode,
                                            int serialNumber)
{
    return SaveJournalFileBytes(path, BuildEmergencyJournalFile(journal, modelCode, serialNumber));
}

Message EmergencyJournalBadFileMessage()
{
    return {journal_texts::kCaptionFileError, journal_texts::kEjBadFile, MsgIcon::Error,
            MsgButtons::Ok};
}

}  // namespace tirv
