#include "configurator/iocfg/io_polling.h"

#include <gtest/gtest.h>

namespace tirv {
namespace {

TEST(IoStatePolling, PeriodRaisedToTheSpeedsMinimum)
{
    const struct {
        int baudIndex;
        int requested;
        int period;
        int base;
    } cases[] = {
        {0, 3000, 3450, 3325},  // 1200 bit/s: 3000 becomes 3450
        {0, 5000, 5000, 3325}, {1, 100, 1900, 1762},
        {3, 700, 700, 590},    {6, 100, 400, 265},   // 57600
        {7, 100, 350, 232},    {8, 100, 316, 216},   // 230400: base + 100 beats the table's 300
        {9, 100, 308, 208},                          // 460800: 308 rather than 250
        {9, 12000, 9999, 208}, {-1, 0, 3450, 3325},  // unknown speed counts as the slowest
        {10, 0, 3450, 3325},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baudIndex);
        EXPECT_EQ(IoStateBaseMs(c.baudIndex), c.base);
        EXPECT_EQ(IoStatePollPeriodMs(c.requested, c.baudIndex), c.period);
    }
    EXPECT_EQ(IoStatePollPauseMs(3450, 0), 125);
    EXPECT_EQ(IoStatePollPauseMs(100, 0), 0);
}

}  // namespace
}  // namespace tirv
