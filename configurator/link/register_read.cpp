#include "configurator/link/register_read.h"

#include <array>

namespace tirv {

TextFraming TextFramingOf(const ConnectionSettings& s)
{
    return {s.protocolVariant == 1 ? TextVariant::New : TextVariant::Old, s.valuesPerFrame};
}

LinkResult ParseRegisterReadReply(const ConnectionSettings& s, std::span<const std::uint8_t> request,
                                  std::span<const std::uint8_t> reply,
                                  std::span<std::uint16_t> out)
{
    if (out.size() > kMaxValuesPerFrame)
        return LinkResult::LengthMismatch;
    if (s.protocol == Protocol::Tirv) {
        std::array<std::int32_t, kMaxValuesPerFrame> values{};
        const TextReply r = ParseTextRead(TextFramingOf(s), reply, request, 0,
                                          std::span(values).first(out.size()));
        if (r.result != LinkResult::Good)
            return r.result;
        if (!r.crcMatches())
            return LinkResult::CrcMismatch;
        for (std::size_t k = 0; k < out.size(); ++k)
            out[k] = static_cast<std::uint16_t>(values[k]);
        return LinkResult::Good;
    }
    const LinkResult r = CheckReadReply(reply, static_cast<std::uint8_t>(s.address),
                                        Function::ReadRegisters,
                                        static_cast<std::uint16_t>(out.size()));
    if (r != LinkResult::Good)
        return r;
    for (std::size_t k = 0; k < out.size(); ++k)
        out[k] = ReadReplyRegister(reply, k);
    return LinkResult::Good;
}

}  // namespace tirv
