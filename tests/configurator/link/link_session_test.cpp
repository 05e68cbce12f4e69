// The link session through the program's own composition against tirv-sim: the connection
// procedure of a setpoint read or write (repeats of the check, the failed-once rule, the M-model
// difference), abort of the panel's sequences, a second request refused visibly, the link state
// after a port that cannot be opened, and the Modbus TCP check.
#include "configurator/link/connection_panel.h"
#include "configurator/link/link_session.h"
#include "configurator/link/link_state.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/program_rig.h"
#include "support/sim_process.h"
#include "support/texts.h"
#include "support/sim_program.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace tirv {
namespace {

using test::U;

using test::WaitUntil;

const char kReadDone[] = "  Значения уставок прочитаны из устройства";
const char kReadFailed[] = "Операцию чтения из устр-ва выполнить не удалось";
const char kWriteFailed[] = "Операцию записи в устр-во выполнить не удалось";
const char kAborted[] = " Операция обмена была прервана пользователем";
const char kNoLink[] = "Нет связи с устр-вом";

class LinkSessionTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs, int model)
    {
        startProgram(std::move(simArgs), model);
        win = rig.win.get();
    }
    // A read or write as the user starts it, until it has ended one way or the other.
    void runUntilSettled(int cmd)
    {
        win->command(cmd);
        WaitUntil([&] { return !win->state().busy; }, 20000);
    }
    int checks() const { return int(rep.linkStates.count(U("Проверка связи"))); }
    LinkSession& session() { return rig.session(); }

    test::RecordingReporter& rep = rig.rep;
    MainWindow* win = nullptr;
};

// The check's own repeats carry the connection: at 57600 bit/s ten repeats take far longer
// than one connect period, and the read must wait for the check's end, not for a clock.
TEST_F(LinkSessionTest, ReadConnectsThroughACheckThatSucceedsOnItsFifthTry)
{
    start({"--model", "715"}, 715);
    ASSERT_EQ(rig.settings().baudIndex, 6);
    ASSERT_EQ(rig.settings().repeatCount, 10);
    ASSERT_TRUE(sim->control("drop 4"));
    runUntilSettled(CmdReadSetpoints);
    EXPECT_EQ(rep.lastStatus(), U(kReadDone));
    EXPECT_EQ(checks(), 1);
    EXPECT_TRUE(rep.linkStates.contains(U("Проверка связи: 4")));
    EXPECT_FALSE(rep.linkStates.contains(U("Проверка связи: 5")));
    EXPECT_FALSE(rep.statuses.contains(U(kReadFailed)));
    EXPECT_FALSE(rep.statuses.contains(U("Ошибка проверки связи - повторите операцию")));
    EXPECT_FALSE(rep.linkStates.contains(U(kNoLink)));
    EXPECT_TRUE(rep.messages.empty());
    EXPECT_EQ(rep.lastLinkState(), U("Связь установлена"));
}

struct UnpluggedCase {
    int model;
    int cmd;
    const char* failure;
    int checksFirst, checksSecond;  // link checks after the first and after the second try
    bool messageBox;
};

void PrintTo(const UnpluggedCase& c, std::ostream* os)
{
    *os << "model" << c.model << (c.cmd == CmdReadSetpoints ? "Read" : "Write");
}

class Unplugged : public LinkSessionTest, public ::testing::WithParamInterface<UnpluggedCase> {};

// A silent relay: non-M models report once with a box, and the next try makes two attempts
// before reporting again; M models report in the status bar only.
TEST_P(Unplugged, FailureIsReportedWithTheRightNumberOfAttempts)
{
    const UnpluggedCase& c = GetParam();
    start({"--model", std::to_string(c.model), "--silent"}, c.model);
    rig.settings().repeatCount = 0;
    runUntilSettled(c.cmd);
    EXPECT_EQ(checks(), c.checksFirst);
    EXPECT_EQ(rep.lastStatus(), U(c.failure));
    EXPECT_EQ(rep.lastStatusIcon, StatusIcon::Warning);
    EXPECT_EQ(rep.lastLinkState(), U(kNoLink));
    ASSERT_EQ(rep.messages.size(), c.messageBox ? 1u : 0u);
    if (c.messageBox) {
        EXPECT_EQ(rep.messages[0].caption, U("Ошибка чтения/записи в устройство"));
        EXPECT_EQ(rep.messages[0].text, U("Не удается установить соединение с устройством. "
                                          "Проверьте настройки соединения."));
        EXPECT_EQ(rep.messages[0].icon, MsgIcon::Warning);
    }
    EXPECT_TRUE(win->action(CmdShowSetpoints)->isEnabled());  // controls unlocked
    EXPECT_EQ(session().running(), LinkSession::Seq::None);

    runUntilSettled(c.cmd);
    EXPECT_EQ(checks(), c.checksSecond);
    EXPECT_EQ(rep.messages.size(), c.messageBox ? 2u : 0u);
    EXPECT_EQ(rep.lastStatus(), U(c.failure));
}

INSTANTIATE_TEST_SUITE_P(
    Models, Unplugged,
    ::testing::Values(UnpluggedCase{705, CmdReadSetpoints, kReadFailed, 1, 3, true},
                      UnpluggedCase{705, CmdWriteSetpoints, kWriteFailed, 1, 3, true},
                      UnpluggedCase{715, CmdReadSetpoints, kReadFailed, 1, 2, false},
                      UnpluggedCase{717, CmdWriteSetpoints, kWriteFailed, 1, 2, false}));

// Esc stops the panel's sequences at once: no further frame, the settings as they were, every
// control back.
TEST_F(LinkSessionTest, AbortStopsTheAutomaticConnectionAtOnce)
{
    start({"--model", "705", "--baud", "1200"}, 705);
    const ConnectionSettings before = rig.settings();
    win->command(CmdShowLinkSettings);
    rig.panel().command(CtlAutoConnect);
    ASSERT_EQ(session().running(), LinkSession::Seq::Auto);
    EXPECT_FALSE(win->action(CmdShowSetpoints)->isEnabled());
    WaitUntil({}, 150);
    win->command(CmdAbort);
    EXPECT_EQ(session().running(), LinkSession::Seq::None);
    EXPECT_EQ(rep.lastStatus(), U(kAborted));
    EXPECT_EQ(rep.lastProgressMax, 0);  // the progress bar is gone
    EXPECT_NE(rep.lastLinkState(), U("Проверка связи"));
    EXPECT_EQ(rig.settings().baudIndex, before.baudIndex);
    EXPECT_TRUE(win->action(CmdShowSetpoints)->isEnabled());
    const int statuses = int(rep.statuses.size());
    WaitUntil({}, 600);  // nothing of the search comes back
    EXPECT_EQ(int(rep.statuses.size()), statuses);
    EXPECT_FALSE(rig.linkState().established());
}

TEST_F(LinkSessionTest, AbortStopsTheHighestSpeedSearchAtOnce)
{
    start({"--model", "715", "--baud", "57600"}, 715);
    win->command(CmdShowLinkSettings);
    rig.panel().command(CtlCheckLink);
    ASSERT_TRUE(WaitUntil([&] { return rig.linkState().established(); }));
    ASSERT_TRUE(WaitUntil([&] { return session().running() == LinkSession::Seq::None; }));
    rig.panel().command(CtlMaxRate);
    ASSERT_EQ(session().running(), LinkSession::Seq::MaxRate);
    win->command(CmdAbort);
    EXPECT_EQ(session().running(), LinkSession::Seq::None);
    EXPECT_EQ(rep.lastStatus(), U(kAborted));
    EXPECT_EQ(rig.settings().baudIndex, 6);
    EXPECT_TRUE(rig.panel().control<QLineEdit>(CtlMaxRateField)->text().isEmpty());
    EXPECT_TRUE(win->action(CmdShowSetpoints)->isEnabled());
}

// While the panel's check holds the line a read is refused, and the user is told why.
TEST_F(LinkSessionTest, ReadWhileThePanelsCheckRunsIsRefusedVisibly)
{
    start({"--model", "715", "--silent"}, 715);
    win->command(CmdShowLinkSettings);
    rig.panel().command(CtlCheckLink);
    ASSERT_EQ(session().running(), LinkSession::Seq::Check);
    EXPECT_FALSE(win->action(CmdReadSetpoints)->isEnabled());  // the menu says so already
    win->command(CmdReadSetpoints);
    EXPECT_EQ(rep.lastStatus(), U("  Идет обмен с устройством: дождитесь окончания операции"));
    EXPECT_FALSE(win->state().busy);
    win->command(CmdAbort);
    EXPECT_TRUE(win->action(CmdReadSetpoints)->isEnabled());
}

TEST_F(LinkSessionTest, ACheckOnAPortThatCannotBeOpenedClearsTheLinkState)
{
    start({"--model", "715"}, 715);
    win->command(CmdShowLinkSettings);
    rig.panel().command(CtlCheckLink);
    ASSERT_TRUE(WaitUntil([&] { return rig.linkState().established(); }));
    ASSERT_TRUE(WaitUntil([&] { return session().running() == LinkSession::Seq::None; }));
    rig.settings().port = 97;  // no such port
    rig.panel().command(CtlCheckLink);
    ASSERT_TRUE(WaitUntil([&] { return session().running() == LinkSession::Seq::None; }));
    EXPECT_FALSE(rig.linkState().established());
    EXPECT_EQ(rep.lastLinkState(), U(kNoLink));
    EXPECT_EQ(rig.panel().control<QLabel>(CtlPortState)->text(), U("Недоступен"));
    EXPECT_FALSE(rig.panel().control<QWidget>(CtlMaxRate)->isEnabled());
}

// A relay's line that goes away (simulator stopped, adapter unplugged) is not silently replaced
// by another device of the same number, and works again as soon as it is back.
TEST_F(LinkSessionTest, AVanishedPortIsReportedAndWorksAgainWhenItComesBack)
{
    test::GuiApp();
    QTemporaryDir ports;
    const std::vector<std::string> args{"--model", "715", "--ports-dir", ports.path().toStdString()};
    constexpr int kCom = 97;
    sim = std::make_unique<test::SimProcess>(args, kCom);
    ASSERT_TRUE(sim->ready()) << sim->error();
    rig.build(ports.path(), 715);
    win = rig.win.get();
    rig.settings().port = kCom;
    win->start();
    win->command(CmdShowLinkSettings);
    // A check expected to fail makes one attempt; one expected to succeed may repeat, so that a
    // loaded machine cannot fail it.
    const auto check = [&](const char* repeats) {
        rig.panel().control<QLineEdit>(CtlRepeats)->setText(repeats);
        rig.panel().command(CtlCheckLink);
        return WaitUntil([&] { return session().running() == LinkSession::Seq::None; });
    };
    ASSERT_TRUE(check("3"));
    ASSERT_TRUE(rig.linkState().established());

    sim->stop();
    ASSERT_TRUE(check("0"));
    EXPECT_FALSE(rig.linkState().established());
    EXPECT_EQ(rep.lastLinkState(), U(kNoLink));
    EXPECT_EQ(rig.settings().port, kCom);  // still the relay's port, not another one

    sim = std::make_unique<test::SimProcess>(args, kCom);
    ASSERT_TRUE(sim->ready()) << sim->error();
    ASSERT_TRUE(check("3"));
    EXPECT_TRUE(rig.linkState().established());
    EXPECT_EQ(rep.lastLinkState(), U("Связь установлена"));
}

class TcpCheckTest : public LinkSessionTest {
protected:
    void useEthernet(int port)
    {
        win->command(CmdShowLinkSettings);
        rig.panel().control<QRadioButton>(CtlChannelEthernet)->click();
        const char* ip[] = {"127", "0", "0", "1"};
        for (int k = 0; k < 4; ++k)
            rig.panel().octet(CtlTcpAddress, k)->setText(ip[k]);
        rig.panel().control<QLineEdit>(CtlTcpPort)->setText(QString::number(port));
    }
    bool checkEnds()
    {
        rig.panel().command(CtlCheckLink);
        return WaitUntil([&] { return session().running() == LinkSession::Seq::None; }, 10000);
    }
};

TEST_F(TcpCheckTest, TwoChecksInARowBothReport)
{
    start({"--model", "716", "--tcp", "0", "--serial", "4242"}, 715);
    ASSERT_GT(sim->tcpPort(), 0);
    ASSERT_TRUE(win->action(CmdWriteSetpoints)->isEnabled());
    useEthernet(sim->tcpPort());
    EXPECT_FALSE(win->action(CmdWriteSetpoints)->isEnabled());  // writes go over serial only
    ASSERT_TRUE(checkEnds());
    EXPECT_EQ(rep.lastLinkState(), U("Соедин. установлено"));
    EXPECT_EQ(rig.panel().control<QLineEdit>(CtlSerial)->text(), "4242");
    const auto reported = rep.linkStates.count(U("Соедин. установлено"));
    rig.panel().control<QLineEdit>(CtlSerial)->clear();
    ASSERT_TRUE(checkEnds());
    EXPECT_GT(rep.linkStates.count(U("Соедин. установлено")), reported);
    EXPECT_EQ(rep.lastLinkState(), U("Соедин. установлено"));
    EXPECT_EQ(rig.panel().control<QLineEdit>(CtlSerial)->text(), "4242");  // shown again
    EXPECT_EQ(win->model().code(), 716);
    EXPECT_TRUE(rep.messages.empty());
}

// A relay that accepts the connection and never answers: the check fails like any other and
// the link cell does not keep the connection's text.
TEST_F(TcpCheckTest, ARelayThatConnectsButNeverAnswersFailsTheCheck)
{
    start({"--model", "716"}, 715);
    QTcpServer mute;
    ASSERT_TRUE(mute.listen(QHostAddress::LocalHost, 0));
    std::vector<QTcpSocket*> held;
    QObject::connect(&mute, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = mute.nextPendingConnection())
            held.push_back(s);
    });
    useEthernet(mute.serverPort());
    ASSERT_TRUE(checkEnds());
    EXPECT_FALSE(held.empty());
    EXPECT_EQ(rep.lastStatus(), U("Ошибка проверки связи - повторите операцию"));
    EXPECT_EQ(rep.lastLinkState(), U(kNoLink));
    EXPECT_EQ(rig.panel().control<QLineEdit>(CtlSerial)->text(), QString());
}

}  // namespace
}  // namespace tirv
