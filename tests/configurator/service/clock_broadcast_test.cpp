// The broadcast's paced path in the whole program against tirv-sim: with the link up the read
// follows at once on the same port; another selected port stops it before anything is sent; a
// lost reply is read again after a reconnect; the loopback selector puts the stored reply in
// place of the relay's; leaving the page mid-read frees the line for the next exchange.
#include "configurator/link/connection_panel.h"
#include "configurator/link/link_session.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/texts.h"
#include "configurator/service/clock_page.h"
#include "configurator/service/clock_texts.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/sim_program.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

namespace tirv {
namespace {

using test::U;

namespace ct = clock_texts;
using test::WaitUntil;

class ClockBroadcastTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs, int model = 715)
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(simArgs, model));
        rig.win->command(CmdShowClock);
        page = dynamic_cast<ClockPage*>(rig.win->page(PageClock));
        ASSERT_NE(page, nullptr);
        op = page->operation();
        QObject::connect(op, &ClockOperation::requestSent,
                         [this](const QByteArray& f) { frames.push_back(f); });
    }

    bool idle()
    {
        return WaitUntil([&] { return !rig.win->state().busy; }, 20000);
    }
    // The panel's link check, so that the broadcast finds the link up on its port.
    void linkUp()
    {
        ASSERT_TRUE(rig.session().check());
        ASSERT_TRUE(WaitUntil([&] { return rig.session().running() == LinkSession::Seq::None; }));
        ASSERT_TRUE(rig.linkState().established());
    }
    void broadcast() { page->control<QPushButton>(CtlClockBroadcast)->click(); }
    QString relay() const { return page->control<ClockDisplay>(CtlClockRelay)->text(); }
    Port& port() { return rig.pages->link().port(); }

    ClockPage* page = nullptr;
    ClockOperation* op = nullptr;
    std::vector<QByteArray> frames;
};

TEST_F(ClockBroadcastTest, WithTheLinkUpTheReadFollowsAtOnceOnTheSamePort)
{
    start({"--model", "715"});
    linkUp();
    ASSERT_TRUE(sim->control("clock offset 86400000"));
    bool replyWaitSeen = false;
    QObject::connect(op, &ClockOperation::requestSent, [&](const QByteArray& f) {
        if (f.size() == 8)
            QTimer::singleShot(0, [&] { replyWaitSeen = op->timerActive(TimerClockReadReply); });
    });
    broadcast();
    ASSERT_TRUE(idle());
    EXPECT_EQ(rig.rep.lastStatus(), U(ct::kRead));
    EXPECT_TRUE(rig.rep.statuses.contains(U(ct::kPacedWritten)));
    // The broadcast, then the read: no link check between them, and the link stays up.
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].size(), 11);
    EXPECT_EQ(frames[1].toHex(' ').left(17), QByteArray("01 03 01 5e 00 07"));
    EXPECT_TRUE(replyWaitSeen);
    EXPECT_FALSE(op->timerActive(TimerClockReadReply));
    EXPECT_TRUE(rig.linkState().established());
    EXPECT_TRUE(port().isOpen());
    // The relay took the computer's time (the day it was ahead is gone).
    const QString today = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yy"));
    EXPECT_TRUE(relay().startsWith(today)) << relay().toStdString();
    EXPECT_TRUE(rig.rep.messages.empty());
}

TEST_F(ClockBroadcastTest, AnotherSelectedPortStopsTheBroadcastBeforeAnythingIsSent)
{
    start({"--model", "715"});
    linkUp();
    ASSERT_TRUE(sim->control("clock offset 86400000"));
    rig.settings().port = 2;  // chosen in the panel after the link came up
    broadcast();
    EXPECT_TRUE(idle());
    EXPECT_FALSE(port().isOpen());
    EXPECT_FALSE(rig.linkState().established());
    EXPECT_EQ(rig.rep.lastLinkState(), U(link_texts::kNoLink));
    EXPECT_EQ(op->secondWaitMs(), -1);
    WaitUntil({}, 1200);  // a whole second would have passed
    EXPECT_TRUE(frames.empty());

    // Nothing reached the relay: it is still a day ahead.
    rig.settings().port = 1;
    rig.win->command(CmdRead);
    ASSERT_TRUE(idle());
    ASSERT_EQ(rig.rep.lastStatus(), U(ct::kRead));
    const QString tomorrow =
        QDateTime::currentDateTime().addDays(1).toString(QStringLiteral("dd.MM.yy"));
    EXPECT_TRUE(relay().startsWith(tomorrow)) << relay().toStdString();
}

TEST_F(ClockBroadcastTest, ALostReplyIsReadAgainAfterAReconnect)
{
    start({"--model", "715"});
    linkUp();
    ASSERT_TRUE(sim->control("drop 1"));  // the first read's reply (a broadcast has none)
    broadcast();
    ASSERT_TRUE(WaitUntil([&] { return op->timerActive(TimerClockReadRepeat); }, 5000));
    ASSERT_TRUE(idle());
    EXPECT_EQ(rig.rep.lastStatus(), U(ct::kRead));
    EXPECT_TRUE(rig.rep.statuses.contains(U(ct::kPacedReadFailed) + U(ct::kRepeatSeparator) +
                                          U(link_texts::kRepeatSuffix).arg(1)));
    // Broadcast, the lost read, the read after the reconnect; the broadcast is not repeated.
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].size(), 11);
    EXPECT_EQ(frames[1], frames[2]);
    EXPECT_TRUE(rig.linkState().established());
    EXPECT_TRUE(rig.rep.messages.empty());
}

TEST_F(ClockBroadcastTest, WithoutRepeatsTheFirstLostReplyEndsTheRead)
{
    start({"--model", "715"});
    linkUp();
    rig.settings().repeatCount = 0;
    ASSERT_TRUE(sim->control("drop 1"));
    broadcast();
    ASSERT_TRUE(idle());
    EXPECT_EQ(rig.rep.lastStatus(), U(ct::kPacedReadFailed));
    EXPECT_EQ(rig.rep.lastLinkState(), U(link_texts::kNoLink));
    EXPECT_EQ(frames.size(), 2u);
    EXPECT_FALSE(op->timerActive(TimerClockReadRepeat));
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].text, U(link_texts::kCannotConnect));
    EXPECT_FALSE(rig.linkState().established());
}

// The ТИРВ protocol's read over a line whose pins are joined shows the stored reply, whatever
// the relay's clock says. The program's own selector is hidden and fixed at its first item, so
// the program never follows it: there the relay's clock is shown.
TEST_F(ClockBroadcastTest, LoopbackLineShowsTheStoredReplyTheProgramAlwaysTheRelays)
{
    start({"--model", "715", "--protocol", "tirv", "--variant", "1"});
    rig.settings().protocol = Protocol::Tirv;
    rig.settings().protocolVariant = 1;
    auto* loopback = rig.panel().control<QComboBox>(CtlLoopback);
    ASSERT_NE(loopback, nullptr);
    ASSERT_EQ(loopback->currentIndex(), 0);
    struct Case {
        int item;  // -1: the program as composed
        const char* shown;
    };
    const QString today = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yy"));
    for (const Case& c : {Case{-1, nullptr}, Case{0, "05.03.26    12:00:30.000"}, Case{1, nullptr}}) {
        SCOPED_TRACE(c.item);
        if (c.item >= 0)
            op->setLoopbackItem([item = c.item] { return item; });
        frames.clear();
        broadcast();
        ASSERT_TRUE(idle());
        EXPECT_EQ(rig.rep.lastStatus(), U(ct::kRead));
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back().front(), ':');  // the read went out as a ТИРВ-protocol frame
        if (c.shown)
            EXPECT_EQ(relay(), U(c.shown));
        else
            EXPECT_TRUE(relay().startsWith(today)) << relay().toStdString();
    }
}

TEST_F(ClockBroadcastTest, LeavingThePageMidReadFreesTheLine)
{
    start({"--model", "715"});
    linkUp();
    ASSERT_TRUE(sim->control("late 200"));
    bool leftInFlight = false;
    const auto leaver =
        QObject::connect(op, &ClockOperation::requestSent, [&](const QByteArray& f) {
            if (f.size() != 8)
                return;
            QTimer::singleShot(0, [&] {
                leftInFlight = op->timerActive(TimerClockReadReply);
                rig.win->command(CmdShowLinkSettings);
            });
        });
    broadcast();
    ASSERT_TRUE(idle());
    EXPECT_TRUE(leftInFlight);
    EXPECT_EQ(rig.win->currentPage(), PageLinkSettings);
    // The link page's own status text follows the read's end.
    EXPECT_TRUE(rig.rep.statuses.contains(U(link_texts::kUserAbortPage)));
    EXPECT_FALSE(op->timerActive(TimerClockReadReply));
    EXPECT_FALSE(op->timerActive(TimerClockReadRepeat));
    EXPECT_FALSE(rig.pages->link().paced().busy());
    EXPECT_FALSE(rig.linkState().exchangeInProgress());
    EXPECT_EQ(frames.size(), 2u);

    // The late reply comes to a line nobody waits on; the next broadcast and read go as usual.
    WaitUntil({}, 400);
    ASSERT_TRUE(sim->control("late 0"));
    QObject::disconnect(leaver);
    rig.win->command(CmdShowClock);
    frames.clear();
    broadcast();
    ASSERT_TRUE(idle());
    EXPECT_EQ(rig.rep.lastStatus(), U(ct::kRead));
    EXPECT_EQ(frames.size(), 2u);
}

// A non-M relay found waiting in its bootloader: the read after the broadcast cannot connect and
// the program's question about the update is asked; OK opens the update page.
TEST_F(ClockBroadcastTest, ARelayInItsBootloaderLeadsToTheUpdateQuestion)
{
    start({"--model", "705", "--bootloader"}, 705);
    rig.settings().repeatCount = 0;
    rig.win->command(CmdShowLinkSettings);
    rig.win->sendToPage(PageLinkSettings, CtlAutoConnect);
    ASSERT_TRUE(WaitUntil([&] { return rig.linkState().bootloaderMode(); }, 30000));
    ASSERT_TRUE(WaitUntil([&] { return rig.session().running() == LinkSession::Seq::None; }));
    rig.win->command(CmdShowClock);
    rig.rep.messages.clear();
    rig.rep.answers.push_back(Answer::Ok);
    broadcast();
    ASSERT_TRUE(idle());
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].text, U(link_texts::kAskGoToBootloader));
    EXPECT_EQ(rig.win->currentPage(), PageFirmware);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.size(), 1u);  // the broadcast; no read without a link
}

// The user's stop before the frame has gone sends nothing; after it, no read follows.
TEST_F(ClockBroadcastTest, StopEndsTheBroadcastAtEitherWait)
{
    start({"--model", "715"});
    const QDateTime early(QDate(2026, 3, 5), QTime(10, 20, 30, 1));
    op->setComputerClock([early] { return early; });
    broadcast();
    EXPECT_EQ(op->secondWaitMs(), 1000);
    op->abort();
    EXPECT_FALSE(rig.win->state().busy);
    EXPECT_EQ(rig.rep.lastStatus(), U(link_texts::kUserAbortPage));
    WaitUntil({}, 1100);
    EXPECT_TRUE(frames.empty());

    op->setComputerClock([] { return QDateTime::currentDateTime(); });
    broadcast();
    ASSERT_TRUE(WaitUntil([&] { return !frames.empty(); }, 3000));
    op->abort();  // in the pause after the frame
    EXPECT_FALSE(rig.win->state().busy);
    EXPECT_FALSE(rig.linkState().exchangeInProgress());
    EXPECT_EQ(rig.rep.lastStatus(), U(link_texts::kUserAbortPage));
    WaitUntil({}, 700);
    EXPECT_EQ(frames.size(), 1u);
}

}  // namespace
}  // namespace tirv
