#include "sim/relay_models.h"

namespace tirv::sim {

const RelayModel* FindRelayModel(int code)
{
    for (const RelayModel& m : kRelayModels)
        if (m.code == code)
            return &m;
    return nullptr;
}

std::optional<int> BaudIndexOf(int baud)
{
    for (int i = 0; i < static_cast<int>(kBaudRates.size()); ++i)
        if (kBaudRates[static_cast<std::size_t>(i)] == static_cast<std::uint32_t>(baud))
            return i;
    return std::nullopt;
}

}  // namespace tirv::sim
