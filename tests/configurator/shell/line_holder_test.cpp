// The line's holder: one exchange at a time, refused visibly; a poll left by the user ends after
// its reply in flight, and the line is handed on only when that reply has ended and the
// completion timer has run, with the port settled before a request made meanwhile starts.
#include "configurator/ui/ids.h"
#include "configurator/ui/line_holder.h"
#include "gui_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tirv {
namespace {

void Spin(int ms) { test::WaitUntil({}, ms, 5); }

// An exchange the test ends by hand, as a reply arriving would.
struct FakeExchange {
    std::function<void(bool)> done;
    int finishes = 0;
    int aborts = 0;
    bool endOnFinish = false;  // between two readings: the poll ends at once

    Shell::ExchangeJob job(std::vector<std::string>& log, std::string name, bool poll)
    {
        Shell::ExchangeJob j;
        j.start = [this, &log, name](std::function<void(bool)> d) {
            log.push_back("start " + name);
            done = std::move(d);
        };
        j.abort = [this] {
            ++aborts;
            end();
        };
        if (poll)
            j.finish = [this] {
                ++finishes;
                if (endOnFinish)
                    end();
            };
        return j;
    }
    void end()
    {
        if (done)
            std::exchange(done, nullptr)(true);
    }
};

class LineHolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::GuiApp();
        holder.registerPoller(PageMeasurements, TimerMeasFinish, TimerMeasHandOverToMeas);
        holder.registerPoller(PageIoState, TimerIoStateFinish, TimerIoHandOverToIo);
    }

    ShellState state;
    std::vector<std::string> log;
    int periodMs = 60;
    LineHolder holder{state,
                      {[this](bool locked) { log.push_back(locked ? "lock" : "unlock"); },
                       [this] { log.push_back("refused"); }, [this] { log.push_back("settle"); },
                       [this] { return periodMs; }}};
};

TEST_F(LineHolderTest, OneExchangeAtATimeTheSecondRefusedVisibly)
{
    FakeExchange a, b;
    EXPECT_TRUE(holder.run(PageSetpoints, a.job(log, "a", false)));
    EXPECT_TRUE(state.busy);
    EXPECT_FALSE(holder.run(PageSetpoints, b.job(log, "b", false)));
    const auto doneAgain = a.done;
    a.end();
    doneAgain(true);  // told twice: not a second unlock
    EXPECT_FALSE(state.busy);
    EXPECT_EQ(log, (std::vector<std::string>{"lock", "start a", "refused", "unlock"}));
    EXPECT_TRUE(holder.run(PageSetpoints, b.job(log, "b", false)));
    EXPECT_EQ(log.back(), "start b");
}

// Leaving for another page: the reply in flight ends on its own; the line goes on only after it
// and after the completion timer, then the port is settled before the held request starts.
TEST_F(LineHolderTest, LeftPollEndsAfterItsReplyThenSettlesAndStartsTheHeldRequest)
{
    FakeExchange poll, read;
    ASSERT_TRUE(holder.run(PageMeasurements, poll.job(log, "poll", true)));
    holder.pageLeft(PageMeasurements, PageSetpoints);
    EXPECT_EQ(poll.finishes, 1);
    EXPECT_EQ(holder.handOverTimer(), TimerMeasFinish);
    EXPECT_TRUE(holder.run(PageSetpoints, read.job(log, "read", false))) << "held, not refused";

    // The timer runs out while the reply still arrives: nothing is purged under it.
    Spin(periodMs + 60);
    EXPECT_FALSE(holder.timerActive(TimerMeasFinish));
    EXPECT_EQ(log, (std::vector<std::string>{"lock", "start poll"}));
    poll.end();
    EXPECT_EQ(log, (std::vector<std::string>{"lock", "start poll", "settle", "lock", "start read"}));
    EXPECT_TRUE(state.busy);
    read.end();
    EXPECT_FALSE(state.busy);
    EXPECT_EQ(log.back(), "unlock");
}

TEST_F(LineHolderTest, ReplyEndingBeforeTheTimerWaitsForIt)
{
    FakeExchange poll;
    ASSERT_TRUE(holder.run(PageIoState, poll.job(log, "poll", true)));
    holder.pageLeft(PageIoState, PageLeds);
    EXPECT_EQ(holder.handOverTimer(), TimerIoStateFinish);
    poll.end();
    EXPECT_TRUE(state.busy) << "the line settles for one poll period";
    ASSERT_TRUE(test::WaitUntil([&] { return !state.busy; }, 2000));
    EXPECT_EQ(log, (std::vector<std::string>{"lock", "start poll", "settle", "unlock"}));
    EXPECT_EQ(holder.handOverTimer(), 0);
}

// The timer is the arriving page's when it polls too, else the left page's own.
TEST_F(LineHolderTest, HandOverTimerByThePagesLeftAndEntered)
{
    struct Row {
        int left, next, timer;
    };
    for (const Row row : {Row{PageMeasurements, PageIoState, TimerIoHandOverToIo},
                          Row{PageIoState, PageMeasurements, TimerMeasHandOverToMeas},
                          Row{PageMeasurements, PageClock, TimerMeasFinish},
                          Row{PageIoState, PageIoSettings, TimerIoStateFinish}}) {
        FakeExchange poll;
        poll.endOnFinish = true;  // left between two readings
        ASSERT_TRUE(holder.run(row.left, poll.job(log, "poll", true)));
        holder.pageLeft(row.left, row.next);
        EXPECT_EQ(holder.handOverTimer(), row.timer) << row.left << " → " << row.next;
        EXPECT_TRUE(holder.timerActive(row.timer));
        ASSERT_TRUE(test::WaitUntil([&] { return !state.busy; }, 2000));
    }
}

TEST_F(LineHolderTest, OnlyAPollOfThePageLeftIsFinished)
{
    FakeExchange read, poll;
    ASSERT_TRUE(holder.run(PageMeasurements, read.job(log, "read", false)));
    holder.pageLeft(PageMeasurements, PageSetpoints);  // a single reading: no finish
    EXPECT_EQ(holder.handOverTimer(), 0);
    read.end();
    ASSERT_TRUE(holder.run(PageMeasurements, poll.job(log, "poll", true)));
    holder.pageLeft(PageSetpoints, PageClock);  // another page left
    EXPECT_EQ(poll.finishes, 0);
    holder.pageLeft(PageMeasurements, PageSetpoints);  // told once only
    EXPECT_EQ(poll.finishes, 1);
    poll.end();
}

TEST_F(LineHolderTest, AbortStopsTheExchangeAndDropsTheHeldRequest)
{
    FakeExchange poll, read, late;
    ASSERT_TRUE(holder.run(PageMeasurements, poll.job(log, "poll", true)));
    holder.pageLeft(PageMeasurements, PageSetpoints);
    ASSERT_TRUE(holder.run(PageSetpoints, read.job(log, "read", false)));
    EXPECT_FALSE(holder.run(PageSetpoints, late.job(log, "late", false))) << "one held at most";
    holder.abort();
    EXPECT_EQ(poll.aborts, 1);
    ASSERT_TRUE(test::WaitUntil([&] { return !state.busy; }, 2000));
    EXPECT_EQ(std::count(log.begin(), log.end(), "start read"), 0);
    EXPECT_EQ(log.back(), "unlock");
}

TEST_F(LineHolderTest, AbortWhileOnlyTheTimerIsLeftFreesTheLineAtOnce)
{
    FakeExchange poll;
    periodMs = 5000;
    ASSERT_TRUE(holder.run(PageMeasurements, poll.job(log, "poll", true)));
    holder.pageLeft(PageMeasurements, PageSetpoints);
    poll.end();
    ASSERT_TRUE(state.busy);
    holder.abort();
    EXPECT_FALSE(state.busy);
    EXPECT_FALSE(holder.timerActive(TimerMeasFinish));
    EXPECT_EQ(log, (std::vector<std::string>{"lock", "start poll", "settle", "unlock"}));
}

TEST_F(LineHolderTest, DroppedExchangeFreesTheLineAndItsLateEndIsIgnored)
{
    FakeExchange a;
    ASSERT_TRUE(holder.run(PageSetpoints, a.job(log, "a", false)));
    holder.dropped();
    EXPECT_FALSE(state.busy);
    a.end();
    EXPECT_EQ(log, (std::vector<std::string>{"lock", "start a", "unlock"}));
}

}  // namespace
}  // namespace tirv
