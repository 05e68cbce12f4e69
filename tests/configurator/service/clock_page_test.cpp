// The clock page in the whole program against tirv-sim: readings valid and invalid as the relay
// holds them, the set at a whole second with the computer clock held still, the broadcast to two
// relays of one line, the refused year, the abort during the wait, and the Ethernet read with its
// field check and its pattern for an invalid reading.
#include "configurator/service/clock_page.h"
#include "configurator/link/connection_panel.h"
#include "configurator/link/texts.h"
#include "configurator/service/clock_texts.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/mbpoll.h"
#include "support/sim_program.h"

#include <gtest/gtest.h>
#include <QRegularExpression>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include <memory>

namespace tirv {
namespace {

using test::U;

namespace ct = clock_texts;
using test::WaitUntil;

class ClockPageTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs, int model = 715)
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(simArgs, model, Settings::Fresh));
        rig.win->command(CmdShowClock);
        page = dynamic_cast<ClockPage*>(rig.win->page(PageClock));
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(rig.win->currentPage(), PageClock);
        QObject::connect(page->operation(), &ClockOperation::requestSent,
                         [this](const QByteArray& f) { frames.push_back(f); });
    }

    QString relay() const { return page->control<ClockDisplay>(CtlClockRelay)->text(); }
    QString computer() const { return page->control<ClockDisplay>(CtlClockComputer)->text(); }
    // A fixed computer time; the set then carries exactly this second.
    void holdComputerClock(const QDateTime& t)
    {
        page->operation()->setComputerClock([t] { return t; });
    }

    ClockPage* page = nullptr;
    std::vector<QByteArray> frames;
};

TEST_F(ClockPageTest, ReadingsAreJudgedByTheCalendarAndTheModel)
{
    struct Case {
        const char* words;
        int model;
        const char* status;
        const char* shown;
    };
    const Case cases[] = {
        {"29 2 24 10 20 30 500", 715, ct::kRead, "29.02.24    10:20:30.500"},
        {"29 2 23 10 20 30 0", 715, ct::kReadInvalid, "29.02.23    10:20:30.000"},
        {"31 4 26 1 2 3 0", 715, ct::kReadInvalid, "31.04.26    01:02:03.000"},
        {"1 1 26 0 0 0 150", 715, ct::kRead, "01.01.26    00:00:00.150"},
        {"1 1 26 0 0 0 150", 705, ct::kReadInvalid, "01.01.26    00:00:00.1500"},
        {"1 1 26 0 0 0 50", 705, ct::kRead, "01.01.26    00:00:00.500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.words) + " on " + std::to_string(c.model));
        start({"--model", std::to_string(c.model)}, c.model);
        ASSERT_TRUE(sim->control(std::string("clock ") + c.words));
        EXPECT_EQ(runToEnd(CmdRead), U(c.status));
        // Over the serial port an invalid reading still shows what was read.
        EXPECT_EQ(relay(), U(c.shown));
        EXPECT_FALSE(computer().isEmpty());
        EXPECT_TRUE(rig.rep.messages.empty());
        rig.reset();
        sim.reset();
        frames.clear();
    }
}

TEST_F(ClockPageTest, SetWaitsForTheWholeSecondThenReadsBack)
{
    start({"--model", "715"});
    ASSERT_TRUE(sim->control("clock offset 7200000"));
    holdComputerClock(QDateTime(QDate(2026, 3, 5), QTime(10, 20, 30, 250)));
    rig.win->command(CmdWrite);
    // The set waits for the next second of the computer clock (+1 ms), not a moment sooner.
    EXPECT_EQ(page->operation()->secondWaitMs(), 751);
    EXPECT_TRUE(frames.empty());
    ASSERT_TRUE(WaitUntil([&] { return !rig.win->state().busy; }, 20000));
    EXPECT_EQ(rig.rep.lastStatus(), U(ct::kWritten));
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0].left(19).toHex(' '),
              QByteArray("01 10 01 65 00 06 0c 00 05 00 03 00 1a 00 0a 00 14 00 1e"));
    // The relay runs from the second it was given.
    EXPECT_TRUE(relay().startsWith(QStringLiteral("05.03.26    10:20:3"))) << relay().toStdString();
    EXPECT_EQ(computer().left(16), QStringLiteral("05.03.26    10:2"));
}

TEST_F(ClockPageTest, SetFromTheRealClockLeavesTheRelayWithin50Ms)
{
    start({"--model", "715"});
    ASSERT_TRUE(sim->control("clock offset -3600000"));
    ASSERT_EQ(runToEnd(CmdWrite), U(ct::kWritten));
    // Both fields are "dd.mm.yy    hh:mm:ss.mmm". A reading can only come late (the computer's
    // time is taken when the request leaves), so the smallest of a few differences is the
    // relay's own offset, whatever a busy machine adds to one exchange.
    const auto msOfDay = [](const QString& s) {
        return QTime::fromString(s.mid(12), QStringLiteral("hh:mm:ss.zzz")).msecsSinceStartOfDay();
    };
    EXPECT_EQ(relay().left(8), computer().left(8));
    int offset = msOfDay(relay()) - msOfDay(computer());
    for (int k = 0; k < 4; ++k) {
        ASSERT_EQ(runToEnd(CmdRead), U(ct::kRead));
        offset = std::min(offset, msOfDay(relay()) - msOfDay(computer()));
    }
    EXPECT_LE(std::abs(offset), 50) << relay().toStdString() << " / " << computer().toStdString();
}

TEST_F(ClockPageTest, AYearOutsideTheRegistersRangeIsNeverSent)
{
    start({"--model", "715"});
    holdComputerClock(QDateTime(QDate(2100, 1, 1), QTime(0, 0, 0, 500)));
    EXPECT_EQ(runToEnd(CmdWrite), U(ct::kWriteFailed));
    page->control<QPushButton>(CtlClockBroadcast)->click();
    WaitUntil([&] { return !rig.win->state().busy; }, 5000);
    EXPECT_EQ(rig.rep.lastStatus(), U(ct::kWriteFailed));
    EXPECT_TRUE(frames.empty());
}

TEST_F(ClockPageTest, AbortDuringTheWaitSendsNothing)
{
    start({"--model", "715"});
    holdComputerClock(QDateTime(QDate(2026, 3, 5), QTime(10, 20, 30, 1)));
    rig.win->command(CmdWrite);
    EXPECT_EQ(page->operation()->secondWaitMs(), 1000);
    page->operation()->abort();
    EXPECT_EQ(rig.rep.lastStatus(), U(link_texts::kUserAbortPage));
    EXPECT_FALSE(rig.win->state().busy);
    WaitUntil({}, 1100);
    EXPECT_TRUE(frames.empty());
}

TEST_F(ClockPageTest, BroadcastSetsEveryRelayOfTheLine)
{
    start({"--device", "model=715,address=1", "--device", "model=715,address=2"});
    ASSERT_TRUE(sim->control("clock offset 86400000"));
    holdComputerClock(QDateTime(QDate(2026, 3, 5), QTime(10, 20, 30, 900)));
    page->control<QPushButton>(CtlClockBroadcast)->click();
    EXPECT_EQ(page->operation()->secondWaitMs(), 101);
    ASSERT_TRUE(WaitUntil([&] { return !rig.win->state().busy; }, 20000));
    EXPECT_EQ(rig.rep.lastStatus(), U(ct::kRead));
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].size(), 11);
    EXPECT_EQ(frames[0].left(9).toHex(' '), QByteArray("00 42 06 05 03 1a 0a 14 1e"));
    EXPECT_TRUE(relay().startsWith(QStringLiteral("05.03.26    10:20:3"))) << relay().toStdString();

    rig.settings().address = 2;  // the other relay got the same frame
    ASSERT_EQ(runToEnd(CmdRead), U(ct::kRead));
    EXPECT_TRUE(relay().startsWith(QStringLiteral("05.03.26    10:20:3"))) << relay().toStdString();
}

TEST_F(ClockPageTest, BroadcastShowsThePatternForAnInvalidReading)
{
    start({"--model", "715"});
    holdComputerClock(QDateTime(QDate(2026, 3, 5), QTime(10, 20, 30, 990)));
    page->control<QPushButton>(CtlClockBroadcast)->click();
    // The relay's clock goes wrong during the pause after the broadcast (which set it).
    ASSERT_TRUE(WaitUntil([&] { return !frames.empty(); }, 5000));
    WaitUntil({}, 150);
    ASSERT_TRUE(sim->control("clock 31 4 26 1 2 3 0"));
    ASSERT_TRUE(WaitUntil([&] { return !rig.win->state().busy; }, 20000));
    EXPECT_EQ(relay(), U(ct::kInvalidPattern));
    EXPECT_EQ(rig.rep.lastStatus(),
              U("Недопустимые данные календаря\\часов: 31.04.26  01:02:03.000"));
}

TEST_F(ClockPageTest, EthernetHidesTheBroadcastAndChecksTheFields)
{
    start({"--model", "715", "--tcp", "0"});
    auto* panel = &rig.panel();
    rig.win->command(CmdShowLinkSettings);
    panel->control<QRadioButton>(CtlChannelEthernet)->click();
    rig.win->command(CmdShowClock);
    EXPECT_TRUE(page->control(CtlClockBroadcast)->isHidden());

    // An empty address field: the link page's message and its focus, nothing read.
    EXPECT_NE(runToEnd(CmdRead), U(ct::kRead));
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.win->currentPage(), PageLinkSettings);
    EXPECT_EQ(rig.win->focusWidget(), panel->octet(CtlTcpAddress, 0));
    EXPECT_TRUE(relay().isEmpty());

    const char* ip[] = {"127", "0", "0", "1"};
    for (int k = 0; k < 4; ++k)
        panel->octet(CtlTcpAddress, k)->setText(ip[k]);
    panel->control<QLineEdit>(CtlTcpPort)->setText(QString::number(sim->tcpPort()));
    rig.win->command(CmdShowClock);
    ASSERT_TRUE(sim->control("clock 5 3 26 10 20 30 7"));
    EXPECT_EQ(runToEnd(CmdRead), U(ct::kRead));
    EXPECT_EQ(relay(), QStringLiteral("05.03.26    10:20:30.007"));
    ASSERT_TRUE(sim->control("clock 29 2 23 10 20 30 7"));
    EXPECT_EQ(runToEnd(CmdRead), U(ct::kReadInvalid));
    EXPECT_EQ(relay(), U(ct::kInvalidPattern));
    ASSERT_TRUE(sim->control("silent on"));
    EXPECT_EQ(runToEnd(CmdRead), U(ct::kReadFailedTcp));
}

// The page after a live read, drawn offscreen: the relay field is green on black and the
// computer field white on its caption colour. Kept in /tmp/clock-shots for a look.
TEST_F(ClockPageTest, LiveReadIsDrawnInTheFieldsColours)
{
    start({"--model", "715"});
    ASSERT_EQ(runToEnd(CmdRead), U(ct::kRead));
    rig.win->resize(900, 640);
    rig.win->show();
    WaitUntil({}, 50);
    auto* field = page->control<ClockDisplay>(CtlClockRelay);
    const QImage relayImage = field->grab().toImage();
    const QImage computerImage = page->control<ClockDisplay>(CtlClockComputer)->grab().toImage();
    const auto count = [](const QImage& img, auto pred) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += pred(QColor(img.pixel(x, y))) ? 1 : 0;
        return n;
    };
    const int green = count(relayImage, [](QColor c) { return c.green() > 200 && c.red() < 60; });
    const int black = count(relayImage, [](QColor c) { return c.value() < 20; });
    const int white = count(computerImage, [](QColor c) { return c.value() > 245; });
    EXPECT_GT(green, 100);
    EXPECT_GT(black, relayImage.width() * relayImage.height() / 2);
    EXPECT_GT(white, 100);
    QDir().mkpath(QStringLiteral("/tmp/clock-shots"));
    EXPECT_TRUE(page->grab().save(QStringLiteral("/tmp/clock-shots/clock_page.png")));
    EXPECT_TRUE(rig.win->grab().save(QStringLiteral("/tmp/clock-shots/clock_window.png")));
}

// mbpoll, another master on the same line, reads the registers the page shows.
TEST_F(ClockPageTest, MbpollReadsTheRegistersThePageShows)
{
    if (!test::HaveMbpoll())
        GTEST_SKIP() << "mbpoll is not installed (apt-get install mbpoll)";
    start({"--model", "715"});
    ASSERT_TRUE(sim->control("clock 5 3 26 10 20 30 7"));
    ASSERT_EQ(runToEnd(CmdRead), U(ct::kRead));
    const std::vector<int> regs = test::MbpollValues(test::MbpollRead(*sim, 350, 7));
    ASSERT_EQ(regs.size(), 7u);
    // "dd.mm.yy    hh:mm:ss.fff" split into its seven numbers.
    const QStringList shown =
        relay().split(QRegularExpression(QStringLiteral("[ .:]+")), Qt::SkipEmptyParts);
    ASSERT_EQ(shown.size(), 7) << relay().toStdString();
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(shown[k].toInt(), regs[std::size_t(k)]) << k;
}

}  // namespace
}  // namespace tirv
