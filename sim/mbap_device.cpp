#include "sim/mbap_device.h"

#include <algorithm>

#include "configurator/link/mbap_frames.h"

namespace tirv::sim {
namespace {

// Largest PDU a Modbus TCP request may carry (function code onward).
constexpr std::size_t kMaxPdu = 253;

}  // namespace

MbapTake TakeMbapRequest(std::vector<std::uint8_t>& stream, std::vector<std::uint8_t>& request)
{
    if (stream.size() < kMbapHeaderBytes)
        return MbapTake::NeedMore;
    const unsigned protocol = stream[2] << 8 | stream[3];
    const unsigned length = stream[4] << 8 | stream[5];  // unit id + PDU
    if (protocol != 0 || length < 2 || length > kMaxPdu + 1)
        return MbapTake::Broken;
    const std::size_t total = 6 + length;
    if (stream.size() < total)
        return MbapTake::NeedMore;
    request.assign(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(total));
    stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(total));
    return MbapTake::Request;
}

std::optional<std::vector<std::uint8_t>> AnswerMbap(const std::vector<std::uint8_t>& request,
                                                    Relay& relay, std::int64_t nowMs,
                                                    RelayLine& line)
{
    if (request.size() < kMbapHeaderBytes + 1 || request[6] != kMbapUnit)
        return std::nullopt;
    const Faults& f = line.faults();
    if (f.silent)
        return std::nullopt;
    const std::uint8_t function = request[7];
    std::vector<std::uint8_t> pdu;
    if (f.exceptionCode != 0) {
        pdu = {static_cast<std::uint8_t>(function | 0x80), f.exceptionCode};
    } else if (!IsTcpReadFunction(function)) {
        pdu = {static_cast<std::uint8_t>(function | 0x80), kIllegalFunction};
    } else {
        const std::vector<std::uint8_t> in(request.begin() + 7, request.end());
        PduReply r = relay.HandlePdu(in, nowMs, Channel::Tcp);
        if (!r.answer)
            return std::nullopt;
        pdu = std::move(r.pdu);
    }
    std::vector<std::uint8_t> reply(kMbapHeaderBytes + pdu.size());
    std::copy_n(request.begin(), kMbapHeaderBytes, reply.begin());
    std::copy(pdu.begin(), pdu.end(), reply.begin() + kMbapHeaderBytes);
    const std::size_t length = pdu.size() + 1;
    reply[4] = static_cast<std::uint8_t>(length >> 8);
    reply[5] = static_cast<std::uint8_t>(length & 0xFF);
    if (!line.ApplyFaults(reply, ReplyForm::Tcp))
        return std::nullopt;
    return reply;
}

}  // namespace tirv::sim
