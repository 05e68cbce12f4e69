#include "sim/text_protocol.h"

#include "common/crc16.h"

namespace tirv::sim {
namespace {

constexpr char kStart = ':';
constexpr char kEnd = '#';
constexpr int kDigitBase = 60;

std::uint16_t TextCrc(std::string_view afterStart)
{
    return Crc16({reinterpret_cast<const std::uint8_t*>(afterStart.data()), afterStart.size()});
}

struct Field {
    std::string_view text;
    char separator;  // the character after the field (';', ',' or '#')
};

}  // namespace

void AppendTextNumber(std::string& out, unsigned value)
{
    const unsigned digits[3] = {(value >> 10) & 63u, (value >> 5) & 31u, value & 31u};
    bool started = false;
    for (unsigned d : digits) {
        if (d == 0 && !started)
            continue;
        started = true;
        out.push_back(static_cast<char>(kDigitBase + d));
    }
}

std::optional<unsigned> ParseTextNumber(std::string_view field)
{
    if (field.size() > 3)
        return std::nullopt;
    unsigned value = 0;
    for (char c : field) {
        const int d = static_cast<unsigned char>(c) - kDigitBase;
        if (d < 0 || d > 63)
            return std::nullopt;
        value = value * 32 + static_cast<unsigned>(d);
    }
    if (value > 0xFFFF)
        return std::nullopt;
    return value;
}

std::string CloseTextFrame(std::string body)
{
    const std::uint16_t crc = TextCrc(std::string_view(body).substr(1));
    AppendTextNumber(body, crc);
    body.push_back(kEnd);
    return body;
}

std::optional<TextRequest> ParseTextRequest(std::span<const std::uint8_t> frame, int variant,
                                            int valuesPerFrame)
{
    if (frame.size() < 3 || frame.front() != kStart || frame.back() != kEnd)
        return std::nullopt;
    const std::string_view text(reinterpret_cast<const char*>(frame.data()), frame.size());
    std::vector<Field> fields;
    std::size_t begin = 1;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ';' || c == ',' || c == kEnd) {
            fields.push_back({text.substr(begin, i - begin), c});
            begin = i + 1;
        } else if (c == kStart) {
            return std::nullopt;
        }
    }
    // At least address, command and CRC; the CRC field closes the frame.
    if (fields.size() < 3 || fields.back().separator != kEnd)
        return std::nullopt;
    const std::size_t crcPos = static_cast<std::size_t>(fields.back().text.data() - text.data());
    const auto crc = ParseTextNumber(fields.back().text);
    if (!crc || *crc != TextCrc(text.substr(1, crcPos - 1)))
        return std::nullopt;
    fields.pop_back();

    TextRequest req;
    req.header = std::string(text.substr(0, crcPos));
    if (fields[0].separator != ';' || fields[1].separator != ';' || fields[1].text.size() != 1)
        return std::nullopt;
    const char cmd = fields[1].text[0];

    if (cmd == '<') {  // link check: ":" address-character ";<;<;" CRC "#"
        if (fields.size() != 3 || fields[0].text.size() != 1 || fields[2].text != "<" ||
            fields[2].separator != ';')
            return std::nullopt;
        req.command = TextCommand::LinkCheck;
        req.address = static_cast<unsigned char>(fields[0].text[0]) - kDigitBase;
        return req;
    }
    const auto address = ParseTextNumber(fields[0].text);
    if (!address || *address > 255 || fields.size() < 3)
        return std::nullopt;
    req.address = static_cast<int>(*address);
    const char headerSep = variant == 0 ? ',' : ';';

    if (cmd == '?') {
        req.command = TextCommand::Read;
        // fields[2] = start (or "<"), then an optional count.
        if (fields[2].separator != headerSep)
            return std::nullopt;
        const auto start = ParseTextNumber(fields[2].text);
        if (!start)
            return std::nullopt;
        if (variant == 0) {
            if (fields[2].text != "<")
                return std::nullopt;
            req.startGiven = false;
            if (fields.size() == 3) {
                req.count = static_cast<unsigned>(valuesPerFrame);
                return req;
            }
        } else {
            req.start = *start;
        }
        if (fields.size() != 4 || fields[3].separator != headerSep)
            return std::nullopt;
        const auto count = ParseTextNumber(fields[3].text);
        if (!count || *count == 0 || *count > 255)
            return std::nullopt;
        req.count = *count;
        return req;
    }

    if (cmd != 'L' && cmd != 'K')
        return std::nullopt;
    req.command = cmd == 'L' ? TextCommand::Write : TextCommand::Command;
    if (fields[2].separator != headerSep)
        return std::nullopt;
    const auto start = ParseTextNumber(fields[2].text);
    if (!start)
        return std::nullopt;
    req.start = *start;
    // The rest: [count sep] v, v, …, v ";" — the last value closes with ";".
    if (fields.back().separator != ';')
        return std::nullopt;
    std::vector<unsigned> numbers;
    for (std::size_t i = 3; i < fields.size(); ++i) {
        const auto n = ParseTextNumber(fields[i].text);
        if (!n)
            return std::nullopt;
        numbers.push_back(*n);
    }
    if (numbers.empty())
        return std::nullopt;
    std::size_t firstValue = 0;
    if (variant == 1) {
        if (fields[3].separator != ';' || numbers.size() < 2 || numbers[0] != numbers.size() - 1)
            return std::nullopt;
        firstValue = 1;
    } else if (numbers.size() != static_cast<std::size_t>(valuesPerFrame)) {
        // Variant 0 carries the count only when it differs from the values per frame.
        if (numbers.size() < 2 || numbers[0] != numbers.size() - 1)
            return std::nullopt;
        firstValue = 1;
    }
    for (std::size_t i = firstValue; i < numbers.size(); ++i)
        req.values.push_back(static_cast<std::uint16_t>(numbers[i]));
    req.count = static_cast<unsigned>(req.values.size());
    return req;
}

std::string BuildTextReadReply(const TextRequest& req, std::span<const std::uint16_t> values)
{
    std::string body = req.header;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            body.push_back(',');
        AppendTextNumber(body, values[i]);
    }
    body.push_back(';');
    return CloseTextFrame(std::move(body));
}

std::string BuildTextLinkCheckReply(const TextRequest& req)
{
    return CloseTextFrame(req.header);
}

std::string BuildTextWriteAck(const TextRequest& req)
{
    std::string body(1, kStart);
    AppendTextNumber(body, static_cast<unsigned>(req.address));
    body.push_back(';');
    body.push_back(req.command == TextCommand::Command ? 'K' : 'L');
    body.push_back(';');
    AppendTextNumber(body, req.start);
    body.push_back(';');
    AppendTextNumber(body, req.count);
    body.append(";;");
    return CloseTextFrame(std::move(body));
}

}  // namespace tirv::sim
