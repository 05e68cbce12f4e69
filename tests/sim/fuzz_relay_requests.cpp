// Any bytes on the relay's line or TCP connection: the request splitter, both protocols' request
// parsers and the relay behind them must neither crash nor read outside what they were given.
// The first byte picks the relay's protocol and variant, the second the chunk size.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/mbap_device.h"
#include "sim/relay_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tirv::sim;
    if (size < 2)
        return 0;
    static const std::int64_t now = ToEpochMs({2026, 3, 14, 10, 20, 30, 0});
    LineSettings line;
    line.protocol = (data[0] & 1) ? Protocol::Tirv : Protocol::Modbus;
    line.variant = (data[0] >> 1) & 1;
    line.valuesPerFrame = 8 + (data[0] >> 2);
    const std::size_t chunk = 1 + data[1] % 64;
    RelayLine bus;
    Relay& relay = bus.AddRelay(std::make_unique<Relay>(*FindRelayModel(data[0] & 4 ? 705 : 715), line, now));
    const PeerLine peer{57600, 1};
    std::vector<std::uint8_t> stream;
    for (std::size_t at = 2; at < size; at += chunk) {
        const std::size_t n = std::min(chunk, size - at);
        const std::vector<std::uint8_t> piece(data + at, data + at + n);  // exact bounds for ASan
        if (auto t = bus.Receive(piece, now, peer); t && t->applyAfter)
            t->relay->setLine(*t->applyAfter);
        stream.insert(stream.end(), piece.begin(), piece.end());
        std::vector<std::uint8_t> request;
        for (MbapTake take; (take = TakeMbapRequest(stream, request)) == MbapTake::Request;)
            AnswerMbap(request, relay, now, bus);
    }
    bus.Silence(now, peer);
    return 0;
}
