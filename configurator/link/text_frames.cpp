#include "configurator/link/text_frames.h"

namespace tirv {

// Work in progress: the ТИРВ protocol codec is being filled in.
std::size_t AppendTextNumber(std::span<std::uint8_t>, std::size_t, std::uint16_t) { return 0; }
std::uint16_t DecodeTextNumber(std::span<const std::uint8_t>) { return 0; }
std::size_t BuildTextRead(const TextFraming&, std::span<std::uint8_t>, std::uint8_t,
                          std::uint16_t, std::uint8_t)
{
    return 0;
}
std::size_t BuildTextWrite(const TextFraming&, std::span<std::uint8_t>, std::uint8_t,
                           std::uint16_t, std::uint8_t, std::span<const std::int32_t>, char)
{
    return 0;
}
std::size_t BuildTextWrite(const TextFraming&, std::span<std::uint8_t>, std::uint8_t,
                           std::uint16_t, std::uint8_t, const RegisterValueFn&, char)
{
    return 0;
}
std::size_t BuildTextLinkCheck(std::span<std::uint8_t>, std::uint8_t) { return 0; }
TextReply ParseTextRead(const TextFraming&, std::span<const std::uint8_t>,
                        std::span<const std::uint8_t>, std::size_t, std::span<std::int32_t>,
                        const TextValueFn&)
{
    return {LinkResult::TextNoStart};
}
TextReply ParseTextWriteAck(const TextFraming&, std::span<const std::uint8_t>,
                            std::span<const std::uint8_t>)
{
    return {LinkResult::TextNoStart};
}

}  // namespace tirv
