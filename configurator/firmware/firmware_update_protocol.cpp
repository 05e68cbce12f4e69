#include "configurator/firmware/firmware_update_protocol.h"

#include "common/cp1251.h"
#include "configurator/firmware/texts.h"

#include <algorithm>
#include <cerrno>

namespace tirv {
namespace {

namespace tx = firmware_texts;

// printf over one of the texts' own formats (they hold the marks the values fill).
template <typename... Args>
std::string Format(const char* format, Args... args)
{
    char buf[512];
    const int n = std::snprintf(buf, sizeof buf, format, args...);
    return n <= 0 ? std::string() : std::string(buf, std::size_t(std::min(n, int(sizeof buf) - 1)));
}

std::string Time(const char* format, const ProtocolTime& t)
{
    return Format(format, t.hour, t.minute, t.second, t.millisecond);
}

}  // namespace

std::string ProtocolHeader(const ProtocolHeaderFields& f, const ProtocolTime& t)
{
    std::string out = tx::kProtocolHeader;
    out += f.device;
    out += Format(tx::kProtocolSerial, f.serial.c_str());
    out += f.version + " ";
    out += Format(tx::kProtocolBuild, f.build.c_str());
    out += Format(tx::kProtocolFile, f.file.c_str());
    out += Format(tx::kProtocolDate, t.day, t.month, t.year % 100, t.hour, t.minute, t.second,
                  t.millisecond);
    return out;
}

std::string ProtocolStep(std::string_view text, const ProtocolTime& at, bool timed)
{
    std::string out = timed ? Time(tx::kProtocolStepPrefix, at) : std::string("\r\n");
    out.append(text);
    return out;
}

std::string ProtocolFrame(bool sent, std::span<const std::uint8_t> bytes, const ProtocolTime& t)
{
    std::string out = Format(sent ? tx::kProtocolSent : tx::kProtocolReceived, t.day, t.month,
                             t.year % 100, t.hour, t.minute, t.second, t.millisecond);
    for (const std::uint8_t b : bytes)
        out += Format(tx::kProtocolByte, unsigned(b));
    out += "\r\n";
    return out;
}

std::string ProtocolClosing(bool failed)
{
    std::string out = failed ? tx::kProtocolFailed : "";
    out += tx::kProtocolStreamClosing;
    out += tx::kProtocolPortClosed;
    out += std::string(60, '-') + "\r\n";
    return out;
}

bool UpdateProtocolFile::open(const std::string& path, int& errorCode)
{
    close();
    errno = 0;
    m_file = std::fopen(path.c_str(), "ab");
    errorCode = m_file ? 0 : errno;
    return m_file != nullptr;
}

void UpdateProtocolFile::append(std::string_view utf8)
{
    if (!m_file)
        return;
    const std::string text = Utf8ToCp1251(utf8);
    std::fwrite(text.data(), 1, text.size(), m_file);
    std::fflush(m_file);  // a crash mid-update still leaves the steps so far
}

void UpdateProtocolFile::close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

}  // namespace tirv
