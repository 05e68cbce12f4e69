#include "common/relay_family.h"

#include <cstdio>

namespace tirv {

std::string RelayTitle(int code)
{
    if (code == 0)
        return " ТИРВ";
    char buf[48];
    if (IsMModel(code))
        std::snprintf(buf, sizeof buf, " ТИРВ - %iМ", code - kMModelCodeStep);
    else
        std::snprintf(buf, sizeof buf, " ТИРВ - %i", code);
    return buf;
}

std::string FamilyCodeList()
{
    std::string list;
    for (const RelayFamilyModel& r : kRelayFamily)
        list += (list.empty() ? "" : ", ") + std::to_string(r.code);
    return list;
}

}  // namespace tirv
