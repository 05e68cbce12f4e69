// The window's side of setpoint reads and writes: it locks the menu, the toolbar and the pages
// while the exchange runs, refuses a second one visibly, unlocks on every ending, and hands abort
// to the exchange and the link. The connection procedure itself is the link session's (tested
// in link_session_test against tirv-sim).
#include "configurator/shell/main_window.h"
#include "configurator/ui/ids.h"
#include "gui_test_support.h"
#include "support/recording_reporter.h"

#include <QAction>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace tirv {
namespace {

using test::RecordingPage;

using test::WaitUntil;

class WindowExchangeTest : public ::testing::Test {
protected:
    void make()
    {
        test::GuiApp();
        MainWindow::Options o;
        o.reporterTap = &rep;
        win = std::make_unique<MainWindow>(o);
        link = new RecordingPage(*win, PageLinkSettings);
        test::RegisterAs(*win, PageLinkSettings, link);
        std::array<Page*, 5> tabs{};
        for (auto& t : tabs)
            t = new RecordingPage(*win, PageSetpoints);
        stack = test::RegisterTabs(*win, tabs);
        ex.attach(*win);
        win->start();
        win->command(CmdShowSetpoints);
    }

    test::RecordingReporter rep;
    test::ScriptedExchange ex;
    std::unique_ptr<MainWindow> win;
    PageStack* stack = nullptr;
    RecordingPage* link = nullptr;
};

TEST_F(WindowExchangeTest, ExchangeLocksTheControlsUntilItEndsAndASecondIsRefusedVisibly)
{
    make();
    win->command(CmdRead);  // toolbar Read on the setpoint page
    EXPECT_EQ(ex.reads, 1);
    EXPECT_TRUE(win->state().busy);
    EXPECT_FALSE(win->action(CmdShowLinkSettings)->isEnabled());
    EXPECT_TRUE(link->locked);
    EXPECT_TRUE(win->action(CmdAbort)->isEnabled());
    rep.statuses.clear();
    win->command(CmdReadSetpoints);  // a second read while one runs
    EXPECT_EQ(ex.reads, 1);
    EXPECT_EQ(rep.lastStatus(),
              QString::fromUtf8("  Идет обмен с устройством: дождитесь окончания операции"));
    EXPECT_EQ(rep.lastStatusIcon, StatusIcon::Warning);
    ex.finish(true);
    EXPECT_FALSE(win->action(CmdAbort)->isEnabled());
    EXPECT_FALSE(win->state().busy);
    EXPECT_TRUE(win->action(CmdShowLinkSettings)->isEnabled());
    EXPECT_FALSE(link->locked);
    // A failed exchange unlocks the same way.
    win->command(CmdWriteSetpoints);
    EXPECT_EQ(ex.writes, 1);
    ex.finish(false);
    EXPECT_FALSE(win->state().busy);
    EXPECT_TRUE(win->action(CmdShowLinkSettings)->isEnabled());
}

TEST_F(WindowExchangeTest, AbortReachesTheExchangeAndTheLink)
{
    make();
    int linkAborts = 0;
    win->registerAbort([&] { ++linkAborts; });
    win->command(CmdReadSetpoints);
    ASSERT_EQ(ex.reads, 1);
    win->command(CmdAbort);
    EXPECT_EQ(ex.aborts, 1);
    EXPECT_EQ(linkAborts, 1);
    EXPECT_FALSE(win->state().busy);
    EXPECT_TRUE(win->action(CmdShowSetpoints)->isEnabled());
}

}  // namespace
}  // namespace tirv
