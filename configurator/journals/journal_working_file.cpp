#include "configurator/journals/journal_working_file.h"

#include <algorithm>

#include "configurator/journals/journal_file_io.h"
#include "configurator/journals/journal_format.h"
#include "configurator/journals/journal_texts.h"

namespace tirv {
namespace {

namespace tx = journal_texts;

// Appends the shown records of a group oldest first (the reverse of the display order).
void AppendGroup(const WorkingJournal& journal, WorkingGroup g, std::vector<std::uint32_t>& words)
{
    const auto shown = journal.shown(g);
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
        words.insert(words.end(), (*it)->words.begin(), (*it)->words.end());
}

}  // namespace

JournalFileResult ParseWorkingJournalFile(std::span<const std::uint8_t> bytes,
                                          WorkingJournal& journal)
{
    std::vector<std::uint32_t> words;
    std::size_t records = 0;
    if (const JournalFileResult r = ReadJournalFileWords(
            bytes, kWorkingRecordWords,
            static_cast<std::size_t>(kWorkingGroup1Capacity + kWorkingGroup2Capacity), words,
            records);
        r != JournalFileResult::Ok)
        return r;
    const std::uint32_t group1 = words[3];
    if (group1 > static_cast<std::uint32_t>(kWorkingGroup1Capacity) || group1 > records ||
        records - group1 > static_cast<std::size_t>(kWorkingGroup2Capacity))
        return JournalFileResult::BadFormat;

    WorkingJournal read;
    read.count1 = static_cast<int>(group1);
    read.count2 = static_cast<int>(records - group1);
    auto recordAt = [&](std::size_t k) {
        WorkingRecord r;
        std::copy_n(words.begin() + static_cast<std::ptrdiff_t>(kJournalFileHeaderWords +
                                                                k * kWorkingRecordWords),
                    kWorkingRecordWords, r.words.begin());
        return r;
    };
    // The file lists each group oldest first; the lists show it newest first.
    for (int k = 0; k < read.count1; ++k) {
        read.records[static_cast<std::size_t>(k)] = recordAt(static_cast<std::size_t>(k));
        read.order1[static_cast<std::size_t>(read.count1 - 1 - k)] = static_cast<std::uint8_t>(k);
    }
    for (int k = 0; k < read.count2; ++k) {
        const int slot = kWorkingGroup1Capacity + k;
        read.records[static_cast<std::size_t>(slot)] =
            recordAt(static_cast<std::size_t>(read.count1 + k));
        read.order2[static_cast<std::size_t>(read.count2 - 1 - k)] =
            static_cast<std::uint8_t>(slot);
    }
    read.source = JournalSource::File;
    read.hasData = true;
    journal = read;
    return JournalFileResult::Ok;
}

std::vector<std::uint8_t> BuildWorkingJournalFile(const WorkingJournal& journal, int modelCode,
                                                  int serialNumber)
{
    std::vector<std::uint32_t> words =
        JournalFileHeader(modelCode, serialNumber,
                          static_cast<std::uint32_t>(journal.shown(WorkingGroup::Settings).size()));
    AppendGroup(journal, WorkingGroup::Settings, words);
    AppendGroup(journal, WorkingGroup::Events, words);
    return CloseJournalFile(std::move(words));
}

JournalFileOutcome LoadWorkingJournalFile(const std::string& path, WorkingJournal& journal)
{
    return LoadJournalFile(path, [&journal](std::span<const std::uint8_t> bytes) {
        return ParseWorkingJournalFile(bytes, journal);
    });
}

JournalFileOutcome SaveWorkingJournalFile(const std::string& path, const WorkingJournal& journal,
                                          int modelCode, int serialNumber)
{
    return SaveJournalFileBytes(path, BuildWorkingJournalFile(journal, modelCode, serialNumber));
}

bool HasJournalExtension(const std::string& path, const char* extension)
{
    const std::string ext(extension);
    if (path.size() < ext.size())
        return false;
    return std::equal(ext.begin(), ext.end(), path.end() - static_cast<std::ptrdiff_t>(ext.size()),
                      [](char a, char b) {
                          auto lower = [](char c) {
                              return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
                          };
                          return lower(a) == lower(b);
                      });
}

Message CannotOpenJournalFileMessage(int systemError)
{
    return {tx::kCaptionFileError, FormatJournalText(tx::kCannotOpenFile, systemError),
            MsgIcon::Error, MsgButtons::Ok};
}

Message WorkingJournalWrongExtensionMessage()
{
    return {tx::kCaptionFileError, tx::kWjWrongExtension, MsgIcon::Error, MsgButtons::Ok};
}

Message WorkingJournalBadFileMessage()
{
    return {tx::kCaptionFileError, tx::kWjBadFile, MsgIcon::Error, MsgButtons::Ok};
}

}  // namespace tirv
