// The main window's title-bar handling (a click outside the client area, or a move while a field
// is being edited). The check after an automatic connection (480) is the link session's.
#include "configurator/shell/main_window.h"
#include "configurator/ui/ids.h"
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
        test::RegisterAs(*win, PageLinkSettings, link);
        win->start();
    }

    test::RecordingReporter rep;
    std::unique_ptr<MainWindow> win;
    RecordingPage* link = nullptr;
};

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
    EXPECT_FALSE(win->state().takeFieldMessage()) << "the field's next message is dropped";
    EXPECT_TRUE(win->state().takeFieldMessage());

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
