#include "configurator/journals/journal_emergency_file.h"

#include <algorithm>

#include "common/crc16.h"
#include "common/word_file.h"
#include "configurator/journals/journal_file_io.h"
#include "configurator/journals/journal_texts.h"

namespace tirv {
namespace {

constexpr std::size_t kRecordBytes = 4 * kEmergencyRecordWords;
constexpr std::size_t kHeaderWords = 4;

}  // namespace

JournalFileResult ParseEmergencyJournalFile(std::span<const std::uint8_t> bytes,
                                            EmergencyJournal& journal)
{
    if (bytes.size() < kJournalFileHeaderBytes ||
        (bytes.size() - kJournalFileHeaderBytes) % kRecordBytes != 0)
        return JournalFileResult::BadFormat;
    const std::size_t records = (bytes.size() - kJournalFileHeaderBytes) / kRecordBytes;
    if (records > static_cast<std::size_t>(kEmergencyRecords))
        return JournalFileResult::BadFormat;
    std::vector<std::uint32_t> words;
    BytesToWords(bytes, words);
    if (!CheckWordsCrc(words))
        return JournalFileResult::BadFormat;

    EmergencyJournal read;
    read.size = static_cast<int>(records);
    for (std::size_t k = 0; k < records; ++k) {
        std::copy_n(
            words.begin() + static_cast<std::ptrdiff_t>(kHeaderWords + k * kEmergencyRecordWords),
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
    std::vector<std::uint32_t> words{static_cast<std::uint32_t>(modelCode),
                                     static_cast<std::uint32_t>(serialNumber), kJournalFileConstant,
                                     journal.mClass ? kCoefficientSetM : kCoefficientSetOther};
    const auto events = journal.events();
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
        const auto& w = journal.records[static_cast<std::size_t>(*it)].words;
        words.insert(words.end(), w.begin(), w.end());
    }
    words.push_back(0);
    AppendWordsCrc(words);
    return WordsToBytes(words);
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
