#pragma once
// The setpoint image: every setpoint of the relay as a raw signed integer in device units —
// numeric setpoints first, then the flags (0/1), then the choice indices. 115 words are used on
// non-M models, 127 on M models; the rest stays 0.
#include <array>
#include <cstdint>

namespace tirv {

inline constexpr int kSetpointImageSize = 128;

using SetpointImage = std::array<std::int32_t, kSetpointImageSize>;

}  // namespace tirv
