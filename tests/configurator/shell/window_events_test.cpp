// The main window's timer 480 (the link check after an automatic connection) and its title-bar
// handling (a click outside the client area, or a move while a field is being edited).
#include "configurator/shell/main_window.h"
#include "configurator/shell/shell_ids.h"
#include "gui_test_support.h"
#include "support/recording_reporter.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

namespace tirv {
namespace {

using test::RecordingPage;

// Short slices: these tests look at what happens within a few tens of milliseconds.
void Spin(const std::function<bool()>& done, int ms) { test::WaitUntil(done, ms, 5); }

class MainWindowEventsTest : public ::testing::Test {
protected:
    void make()
    {
        test::GuiApp();
        MainWindow::Options o;
        o.reporterTap = &rep;
        win = std::make_unique<MainWindow>(o);
        link = new RecordingPage(*win, PageLinkSettings);
        link->onCommand = [this](int id) {
            if (id == PageCmdLinkCheck)
                flagAtCheck.push_back(win->state().linkCheckFromTimer);
        };
        win->registerPage(PageLinkSettings, link);
        win->start();
    }

    test::RecordingReporter rep;
    std::unique_ptr<MainWindow> win;
    RecordingPage* link = nullptr;
    std::vector<bool> flagAtCheck;  // the "came from the timer" note, as the page saw it
};

TEST_F(MainWindowEventsTest, AutoLinkCheckTimerSendsTheCheckOnlyWhenTheSerialLineIsFree)
{
    const struct {
        const char* what;
        bool busy, connecting;
        Channel channel;
        bool checkSent, stillArmed;
    } cases[] = {
        {"idle serial line", false, false, Channel::Rs485, true, false},
        {"idle USB line", false, false, Channel::Usb, true, false},
        {"exchange in flight", true, false, Channel::Rs485, false, true},
        {"connection attempt under way", false, true, Channel::Usb, false, true},
        {"Modbus TCP", false, false, Channel::Ethernet, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        make();
        win->state().busy = c.busy;
        win->state().connecting = c.connecting;
        win->state().link.channel = c.channel;
        win->setWindowTimer(TimerAutoLinkCheck, 5);
        Spin([&] { return !flagAtCheck.empty(); }, 80);
        EXPECT_EQ(link->count(PageCmdLinkCheck), c.checkSent ? 1 : 0);
        EXPECT_EQ(win->timerActive(TimerAutoLinkCheck), c.stillArmed);
        if (c.checkSent) {
            ASSERT_EQ(flagAtCheck.size(), 1u);
            EXPECT_TRUE(flagAtCheck[0]);
        }
        EXPECT_FALSE(win->state().linkCheckFromTimer);  // only the check it sent carries it
        if (c.stillArmed) {
            // Once the line is free the waiting check goes out.
            win->state().busy = false;
            win->state().connecting = false;
            Spin([&] { return !flagAtCheck.empty(); }, 200);
            EXPECT_EQ(link->count(PageCmdLinkCheck), 1);
            EXPECT_FALSE(win->timerActive(TimerAutoLinkCheck));
        }
        flagAtCheck.clear();
    }
}

TEST_F(MainWindowEventsTest, ALinkCheckFromTheToolbarIsNotMarkedAsFromTheTimer)
{
    make();
    win->command(CmdShowLinkSettings);
    win->command(CmdRead);  // the toolbar Read on the link page is the link check
    ASSERT_EQ(flagAtCheck.size(), 1u);
    EXPECT_FALSE(flagAtCheck[0]);
}

TEST_F(MainWindowEventsTest, TitleBarUseIsToldForNonClientClicksAndForMovesWhileEditing)
{
    make();
    auto* field = new QLineEdit(link);
    auto* other = new QPushButton(link);
    auto* lay = new QVBoxLayout(link);
    lay->addWidget(field);
    lay->addWidget(other);
    int told = 0;
    win->setTitleBarHandler([&] { ++told; });
    win->command(CmdShowLinkSettings);
    win->show();
    win->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));

    field->setFocus();
    win->move(win->pos() + QPoint(5, 5));  // the window manager placing the new window
    Spin({}, 50);
    EXPECT_EQ(told, 0);

    QMouseEvent press(QEvent::NonClientAreaMouseButtonPress, QPointF(10, -5), QPointF(10, -5),
                      QPointF(win->x() + 10, win->y() - 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(win.get(), &press);
    EXPECT_EQ(told, 1);

    Spin({}, 350);  // past the placement moves
    other->setFocus();  // no field being edited: a move is just a move
    win->move(win->pos() + QPoint(25, 15));
    Spin({}, 50);
    EXPECT_EQ(told, 1);

    field->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), field);
    win->move(win->pos() + QPoint(25, 15));
    Spin([&] { return told > 1; }, 200);
    EXPECT_EQ(told, 2);
}

}  // namespace
}  // namespace tirv
