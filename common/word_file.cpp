#include "common/word_file.h"

#include "common/crc16.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace tirv {

bool BytesToWords(std::span<const std::uint8_t> bytes, std::vector<std::uint32_t>& words)
{
    if (bytes.size() % 4 != 0)
        return false;
    words.resize(bytes.size() / 4);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::uint8_t* b = bytes.data() + 4 * i;
        words[i] = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                   (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    return true;
}

std::vector<std::uint8_t> WordsToBytes(std::span<const std::uint32_t> words)
{
    std::vector<std::uint8_t> bytes(words.size() * 4);
    for (std::size_t i = 0; i < words.size(); ++i) {
        bytes[4 * i] = static_cast<std::uint8_t>(words[i]);
        bytes[4 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
        bytes[4 * i + 2] = static_cast<std::uint8_t>(words[i] >> 16);
        bytes[4 * i + 3] = static_cast<std::uint8_t>(words[i] >> 24);
    }
    return bytes;
}

WordFileResult ParseWordFile(std::span<const std::uint8_t> bytes, std::size_t expectedWords,
                             std::vector<std::uint32_t>& words)
{
    if (bytes.size() != (expectedWords + 1) * 4)
        return WordFileResult::WrongSize;
    std::vector<std::uint32_t> all;
    BytesToWords(bytes, all);
    if (!CheckWordsCrc(all))
        return WordFileResult::BadCrc;
    all.pop_back();
    words = std::move(all);
    return WordFileResult::Ok;
}

namespace {

// The system's reason for the failure that just happened (the streams keep errno as the system
// set it); never 0, so that a message always carries a code.
bool Failed(int* systemError)
{
    if (systemError)
        *systemError = errno != 0 ? errno : EIO;
    return false;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, int* systemError)
{
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Failed(systemError);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad() || Failed(systemError);
}

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                    int* systemError)
{
    const std::string tmp = path + ".tmp";
    errno = 0;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return Failed(systemError);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            Failed(systemError);
            out.close();
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        Failed(systemError);
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

WordFileResult LoadWordFile(const std::string& path, std::size_t expectedWords,
                            std::vector<std::uint32_t>& words)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes))
        return WordFileResult::CannotOpen;
    return ParseWordFile(bytes, expectedWords, words);
}

WordFileResult SaveWordFile(const std::string& path, std::span<const std::uint32_t> words)
{
    std::vector<std::uint32_t> all(words.begin(), words.end());
    all.push_back(0);
    AppendWordsCrc(all);
    return WriteWholeFile(path, WordsToBytes(all)) ? WordFileResult::Ok : WordFileResult::CannotWrite;
}

}  // namespace tirv
