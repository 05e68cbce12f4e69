#pragma once
// The optional protocol file of a firmware update: plain text in Windows-1251 (the encoding
// the peers of this toolset read), appended to, never replaced. The lines are built from UTF-8
// texts here and converted on the way out. Qt-free.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace tirv {

struct ProtocolTime {
    unsigned year = 2026, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
};

struct ProtocolHeaderFields {
    std::string device;  // "ТИРВ-705M" and the like
    std::string serial;
    std::string version;
    std::string build;
    std::string file;
};

// The header: device, serial number, version and build, file, date and start time.
std::string ProtocolHeader(const ProtocolHeaderFields& fields, const ProtocolTime& start);
// One row of the progress list, with the time prefix when `timed`.
std::string ProtocolStep(std::string_view text, const ProtocolTime& at, bool timed);
// A frame dump: date, time, "W:" (sent) or "R:" (received), each byte as " %.2X", CR LF.
std::string ProtocolFrame(bool sent, std::span<const std::uint8_t> bytes, const ProtocolTime& at);
// The closing lines and the separator between updates.
std::string ProtocolClosing(bool failed);

class UpdateProtocolFile {
public:
    UpdateProtocolFile() = default;
    ~UpdateProtocolFile() { close(); }
    UpdateProtocolFile(const UpdateProtocolFile&) = delete;
    UpdateProtocolFile& operator=(const UpdateProtocolFile&) = delete;

    // Opens `path` (UTF-8) for appending, creating it; false with the system's error code.
    bool open(const std::string& path, int& errorCode);
    bool isOpen() const { return m_file != nullptr; }
    // Writes UTF-8 text as Windows-1251.
    void append(std::string_view utf8);
    void close();

private:
    std::FILE* m_file = nullptr;
};

}  // namespace tirv
