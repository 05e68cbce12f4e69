#pragma once
// Device side of Modbus TCP: requests with their 7-byte MBAP header taken from a connection's
// byte stream, answered by the relay behind unit 1 (reads only).
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/relay_line.h"

namespace tirv::sim {

inline constexpr std::size_t kMbapHeaderBytes = 7;

enum class MbapTake { NeedMore, Request, Broken };

// Takes the first complete request off `stream` into `request`. Broken: the stream cannot be
// Modbus TCP (wrong protocol id or length), the connection should be closed.
MbapTake TakeMbapRequest(std::vector<std::uint8_t>& stream, std::vector<std::uint8_t>& request);

// The reply to one request, or nothing (other unit, faults). `faults` applies to the reply.
std::optional<std::vector<std::uint8_t>> AnswerMbap(const std::vector<std::uint8_t>& request,
                                                    Relay& relay, std::int64_t nowMs,
                                                    RelayLine& line);

}  // namespace tirv::sim
