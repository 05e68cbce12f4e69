// Any bytes as the reply to a setpoint read block, for every model, both serial formats and
// every block: a reply that is not accepted must leave the check image as it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const tirv::ModelProfile p = tirv::ProfileForModel(tirv::ModelCodeForIndex(data[0] % 8));
    tirv::ConnectionSettings s;
    s.protocol = (data[1] & 1) ? tirv::Protocol::Tirv : tirv::Protocol::Modbus;
    s.protocolVariant = (data[1] >> 1) & 1;
    s.valuesPerFrame = 8 + (data[1] >> 2) * 4;
    const tirv::SetpointLink link = tirv::SetpointLinkFor(s);
    const int per = tirv::SetpointReadBlockSize(link);
    const int blocks = (p.imageWords + per - 1) / per;
    const int start = (data[2] % blocks) * per;
    const int count = std::min(per, p.imageWords - start);
    const tirv::SetpointFrame request = tirv::BuildSetpointRead(link, start, count);
    const std::vector<std::uint8_t> reply(data + 3, data + size);

    tirv::SetpointImage check = tirv::DefaultImage(p);
    const tirv::SetpointImage before = check;
    bool nonZero = false;
    const tirv::LinkResult r =
        tirv::AcceptSetpointRead(link, p, request.bytes, reply, start, count, check, nonZero);
    if (r != tirv::LinkResult::Good && (check != before || nonZero))
        __builtin_trap();
    tirv::JudgeSetpointRead(p, check, link.text, nonZero);
    return 0;
}
