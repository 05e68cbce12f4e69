// The breaker window in the whole program against tirv-sim: each command moves the simulated
// breaker, a blocked relay says so, one lost reply is reported and never repeated, Enter sends
// nothing, and the ТИРВ protocol's "K" frame works too.
#include "configurator/service/breaker_control.h"
#include "configurator/service/breaker_texts.h"
#include "configurator/service/breaker_window.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/sim_program.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace tirv {
namespace {

namespace bt = breaker_texts;
using test::WaitUntil;

class BreakerWindowTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs, int model = 715)
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(simArgs, model));
        QObject::connect(&rig.pages->breaker(), &BreakerControl::requestSent,
                         [this](const QByteArray&) { ++frames; });
        rig.win->command(CmdBreakerControl);
        window = rig.win->findChild<BreakerWindow*>();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(rig.rep.lastStatus(), QString::fromUtf8(bt::kOpened));
    }

    QString send(BreakerCommand command)
    {
        window->button(command)->click();
        WaitUntil([&] { return !rig.win->state().busy; }, 15000);
        return rig.rep.lastStatus();
    }
    std::string simStatus()
    {
        EXPECT_TRUE(sim->control("status"));
        return sim->lastStatus();
    }

    BreakerWindow* window = nullptr;
    int frames = 0;
};

TEST_F(BreakerWindowTest, OpenAndCloseMoveTheBreakerAndABlockedRelaySaysSo)
{
    start({"--model", "715"});
    ASSERT_EQ(send(BreakerCommand::Open), QString::fromUtf8(bt::kDone));
    EXPECT_NE(simStatus().find("breaker open"), std::string::npos) << simStatus();
    ASSERT_EQ(send(BreakerCommand::Close), QString::fromUtf8(bt::kDone));
    EXPECT_NE(simStatus().find("breaker closed"), std::string::npos) << simStatus();
    EXPECT_EQ(frames, 2);

    ASSERT_TRUE(sim->control("blocked on"));
    EXPECT_EQ(send(BreakerCommand::Open), QString::fromUtf8(bt::kBlocked));
    EXPECT_NE(simStatus().find("breaker closed"), std::string::npos);
    EXPECT_EQ(send(BreakerCommand::Unblock), QString::fromUtf8(bt::kDone));
    EXPECT_EQ(send(BreakerCommand::Open), QString::fromUtf8(bt::kDone));
    EXPECT_NE(simStatus().find("breaker open"), std::string::npos);
    EXPECT_TRUE(rig.rep.messages.empty());
}

TEST_F(BreakerWindowTest, ALostReplyIsReportedAndNeverRepeated)
{
    start({"--model", "715"});
    ASSERT_EQ(send(BreakerCommand::Close), QString::fromUtf8(bt::kDone));  // link up
    frames = 0;
    ASSERT_TRUE(sim->control("drop 1"));
    EXPECT_EQ(send(BreakerCommand::Open), QString::fromUtf8(bt::kNoAcknowledgement));
    EXPECT_EQ(frames, 1);
    // The relay did get it: the command travelled once and was carried out.
    EXPECT_NE(simStatus().find("breaker open"), std::string::npos);
}

TEST_F(BreakerWindowTest, EnterSendsNothing)
{
    start({"--model", "715"});
    window->show();
    window->button(BreakerCommand::Close)->setFocus();
    QTest::keyClick(window, Qt::Key_Return);
    QTest::keyClick(window, Qt::Key_Enter);
    WaitUntil({}, 200);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(rig.win->state().busy);
}

TEST_F(BreakerWindowTest, TirvProtocolSendsTheBreakerFrame)
{
    start({"--model", "705", "--protocol", "tirv"}, 705);
    rig.settings().protocol = Protocol::Tirv;
    EXPECT_EQ(send(BreakerCommand::Open), QString::fromUtf8(bt::kDone));
    EXPECT_NE(simStatus().find("breaker open"), std::string::npos) << simStatus();
}

TEST_F(BreakerWindowTest, ASilentRelayEndsWithTheLinkFailure)
{
    start({"--model", "715", "--silent"});
    rig.settings().repeatCount = 1;
    EXPECT_EQ(send(BreakerCommand::Close), QString::fromUtf8(bt::kLinkFailed));
    EXPECT_EQ(frames, 0);  // no command without a link
    EXPECT_FALSE(rig.win->state().busy);
}

}  // namespace
}  // namespace tirv
