#pragma once
// A register read in the protocol the connection settings choose, for the small reads of the
// service pages (clock, identity): the ТИРВ-protocol framing of the settings, and one parser for
// a Modbus function-3 reply or a ТИРВ "?" reply of the same registers.
#include "configurator/link/connection_settings.h"
#include "configurator/link/frames.h"
#include "configurator/link/text_frames.h"

#include <cstdint>
#include <span>

namespace tirv {

TextFraming TextFramingOf(const ConnectionSettings& s);

// `out.size()` registers from `reply` to `request`; `out` is written only when the reply is good
// (its CRC included).
LinkResult ParseRegisterReadReply(const ConnectionSettings& s, std::span<const std::uint8_t> request,
                                  std::span<const std::uint8_t> reply,
                                  std::span<std::uint16_t> out);

}  // namespace tirv
