#include "configurator/journals/journal_file_io.h"

#include "common/crc16.h"
#include "common/word_file.h"

#include <cerrno>
#include <cstdio>

namespace tirv {
namespace {

int LastError()
{
    return errno != 0 ? errno : EIO;
}

}  // namespace

int ReadJournalFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return LastError();
    std::vector<std::uint8_t> data;
    std::uint8_t chunk[4096];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    const bool failed = std::ferror(f) != 0;
    const int error = failed ? LastError() : 0;
    std::fclose(f);
    if (failed)
        return error;
    bytes = std::move(data);
    return 0;
}

int WriteJournalFileBytes(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const std::string tmp = path + ".tmp";
    errno = 0;
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return LastError();
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int error = written ? 0 : LastError();
    if (std::fclose(f) != 0 && error == 0)
        error = LastError();
    if (error == 0 && std::rename(tmp.c_str(), path.c_str()) != 0)
        error = LastError();
    if (error != 0)
        std::remove(tmp.c_str());
    return error;
}

JournalFileResult ReadJournalFileWords(std::span<const std::uint8_t> bytes, std::size_t recordWords,
                                       std::size_t maxRecords, std::vector<std::uint32_t>& words,
                                       std::size_t& records)
{
    const std::size_t recordBytes = 4 * recordWords;
    if (bytes.size() < kJournalFileHeaderBytes ||
        (bytes.size() - kJournalFileHeaderBytes) % recordBytes != 0)
        return JournalFileResult::BadFormat;
    const std::size_t count = (bytes.size() - kJournalFileHeaderBytes) / recordBytes;
    if (count > maxRecords)
        return JournalFileResult::BadFormat;
    std::vector<std::uint32_t> read;
    BytesToWords(bytes, read);
    if (!CheckWordsCrc(read))
        return JournalFileResult::BadFormat;
    words = std::move(read);
    records = count;
    return JournalFileResult::Ok;
}

std::vector<std::uint32_t> JournalFileHeader(int modelCode, int serialNumber, std::uint32_t fourth)
{
    return {static_cast<std::uint32_t>(modelCode), static_cast<std::uint32_t>(serialNumber),
            kJournalFileConstant, fourth};
}

std::vector<std::uint8_t> CloseJournalFile(std::vector<std::uint32_t> words)
{
    words.push_back(0);
    AppendWordsCrc(words);
    return WordsToBytes(words);
}

JournalFileOutcome LoadJournalFile(
    const std::string& path,
    const std::function<JournalFileResult(std::span<const std::uint8_t>)>& parse)
{
    std::vector<std::uint8_t> bytes;
    if (const int error = ReadJournalFileBytes(path, bytes))
        return {JournalFileResult::CannotOpen, error};
    return {parse(bytes), 0};
}

JournalFileOutcome SaveJournalFileBytes(const std::string& path,
                                        std::span<const std::uint8_t> bytes)
{
    if (const int error = WriteJournalFileBytes(path, bytes))
        return {JournalFileResult::CannotOpen, error};
    return {};
}

}  // namespace tirv
