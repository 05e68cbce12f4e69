#include "configurator/link/reply_completion.h"

#include <algorithm>

namespace tirv {

bool ReplyComplete(const ReplyRule& rule, std::span<const std::uint8_t> bytes)
{
    switch (rule.shape) {
    case ReplyShape::Modbus:
        if (bytes.size() >= 2 && bytes[1] == (rule.function | 0x80))
            return bytes.size() >= kModbusExceptionLength;
        return rule.expectedLength > 0 && bytes.size() >= static_cast<std::size_t>(rule.expectedLength);
    case ReplyShape::Text: {
        const auto start = std::find(bytes.begin(), bytes.end(), std::uint8_t{':'});
        return start != bytes.end() && std::find(start, bytes.end(), std::uint8_t{'#'}) != bytes.end();
    }
    case ReplyShape::Exact:
        return rule.expectedLength > 0 && bytes.size() >= static_cast<std::size_t>(rule.expectedLength);
    case ReplyShape::None:
    case ReplyShape::Open:
        return false;
    }
    return false;
}

}  // namespace tirv
