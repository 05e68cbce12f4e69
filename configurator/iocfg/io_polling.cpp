#include "configurator/iocfg/io_polling.h"

#include "configurator/link/registers.h"

#include <algorithm>

namespace tirv {

int IoStateBaseMs(int baudIndex)
{
    return static_cast<int>(3750000u / BaudRate(baudIndex)) + 200;
}

int MinIoStatePeriodMs(int baudIndex)
{
    return IsValidBaudIndex(baudIndex) ? kMinIoStatePeriodMs[static_cast<std::size_t>(baudIndex)]
                                       : kMinIoStatePeriodMs[0];
}

int IoStatePollPeriodMs(int requestedMs, int baudIndex)
{
    const int floor = std::max(MinIoStatePeriodMs(baudIndex), IoStateBaseMs(baudIndex) + 100);
    return std::clamp(requestedMs, floor, std::max(floor, kMaxIoStatePeriodMs));
}

int IoStatePollPauseMs(int periodMs, int baudIndex)
{
    return std::max(0, periodMs - IoStateBaseMs(baudIndex));
}

}  // namespace tirv
