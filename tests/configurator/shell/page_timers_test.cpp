#include "configurator/ui/page_timers.h"
#include "gui_test_support.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <vector>

namespace tirv {
namespace {

void Spin(int ms) { test::WaitUntil({}, ms, 5); }

TEST(PageTimers, RunUntilKilledAndAreKeyedById)
{
    test::GuiApp();
    std::vector<int> fired;
    PageTimers timers([&](int id) { fired.push_back(id); });
    timers.setTimer(401, 10);
    timers.setTimer(404, 5000);
    Spin(120);
    const auto n401 = std::count(fired.begin(), fired.end(), 401);
    EXPECT_GE(n401, 2);  // periodic until killed
    EXPECT_EQ(std::count(fired.begin(), fired.end(), 404), 0);
    EXPECT_TRUE(timers.isActive(404));
    timers.killTimer(401);
    EXPECT_FALSE(timers.isActive(401));
    const size_t after = fired.size();
    Spin(60);
    EXPECT_EQ(fired.size(), after);
    timers.killAll();
    EXPECT_FALSE(timers.isActive(404));
    EXPECT_FALSE(timers.isActive(999));  // never set
}

TEST(PageTimers, SettingAgainRestartsWithTheNewPeriod)
{
    test::GuiApp();
    int fired = 0;
    PageTimers timers([&](int) { ++fired; });
    timers.setTimer(7, 5000);
    timers.setTimer(7, 10);
    Spin(80);
    EXPECT_GE(fired, 1);
}

TEST(PageTimers, KillingInsideTheHandlerMakesAOneShot)
{
    test::GuiApp();
    int fired = 0;
    PageTimers* self = nullptr;
    PageTimers timers([&](int id) {
        ++fired;
        self->killTimer(id);
    });
    self = &timers;
    timers.setTimer(404, 5);
    Spin(80);
    EXPECT_EQ(fired, 1);
}

}  // namespace
}  // namespace tirv
