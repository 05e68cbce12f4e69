// The whole configurator window of this build (every page and operation it has) against
// tirv-sim: reading the setpoints from a fresh start with one command, and the relay that does
// not answer ("cable unplugged") for a non-M and an M model.
#include "configurator/link/connection_panel.h"
#include "configurator/setpoints/calculator_window.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/shell/main_window.h"
#include "configurator/shell/program_pages.h"
#include "support/program_rig.h"
#include "configurator/ui/ids.h"
#include "gui_test_support.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"
#include "support/sim_program.h"

#include <QAction>
#include <QElapsedTimer>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace tirv {
namespace {

using test::WaitUntil;

class ProgramTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs, int model)
    {
        startProgram(std::move(simArgs), model);
        win = rig.win.get();
    }
    bool linkUp() { return rig.linkState().established(); }
    bool connecting() { return rig.session().running() != LinkSession::Seq::None; }
    // One read as the user starts it; returns when it has ended one way or the other.
    void readOnce()
    {
        win->command(CmdReadSetpoints);
        WaitUntil([&] { return !connecting() && !win->state().busy; }, 15000);
        WaitUntil({}, 150);  // let a link check still under way report
    }
    int connectionAttempts() const { return int(rep.linkStates.count(QString::fromUtf8("Проверка связи"))); }

    test::RecordingReporter& rep = rig.rep;
    MainWindow* win = nullptr;
};

TEST_F(ProgramTest, FreshStartReadsTheSetpointsWithOneCommand)
{
    start({"--model", "715"}, 715);
    ASSERT_TRUE(win->action(CmdReadSetpoints)->isEnabled());
    readOnce();
    EXPECT_EQ(rep.lastStatus(), QString::fromUtf8("  Значения уставок прочитаны из устройства"));
    EXPECT_TRUE(linkUp());
    EXPECT_EQ(connectionAttempts(), 1);
    EXPECT_TRUE(rep.messages.empty());
    EXPECT_TRUE(win->action(CmdShowLinkSettings)->isEnabled());  // unlocked again
}

TEST_F(ProgramTest, LostReplyIsRepeatedAfterThePanelChecksTheLink)
{
    start({"--model", "715"}, 715);
    auto* panel = dynamic_cast<ConnectionPanel*>(win->page(PageLinkSettings));
    ASSERT_NE(panel, nullptr);
    panel->control<QCheckBox>(CtlReadAllChannels)->setChecked(true);
    readOnce();
    ASSERT_EQ(rep.lastStatus(), QString::fromUtf8("  Значения уставок прочитаны из устройства"));
    const int checksBefore = connectionAttempts();
    ASSERT_TRUE(sim->control("drop 1"));
    readOnce();
    EXPECT_EQ(rep.lastStatus(), QString::fromUtf8("  Значения уставок прочитаны из устройства"));
    EXPECT_EQ(connectionAttempts(), checksBefore + 1);  // the repeat went through the panel
    EXPECT_TRUE(rep.messages.empty());
}

TEST_F(ProgramTest, AbortStopsASetpointReadInFlight)
{
    start({"--model", "705", "--baud", "1200"}, 705);
    win->state().link.baudIndex = 0;  // 1200 bit/s: the read takes seconds
    win->command(CmdReadSetpoints);
    WaitUntil([&] { return win->state().busy; }, 8000);
    ASSERT_TRUE(win->state().busy);
    EXPECT_TRUE(win->action(CmdAbort)->isEnabled());
    win->command(CmdAbort);
    WaitUntil([&] { return !win->state().busy; }, 3000);
    EXPECT_FALSE(win->state().busy);
    EXPECT_TRUE(rep.statuses.contains(
        QString::fromUtf8(" Операция обмена была прервана пользователем")));
    EXPECT_TRUE(win->action(CmdShowLinkSettings)->isEnabled());
    EXPECT_FALSE(win->action(CmdAbort)->isEnabled());
}

TEST_F(ProgramTest, EthernetLinkCheckReadsTheIdentityOverModbusTcp)
{
    start({"--model", "716", "--tcp", "0", "--serial", "777"}, 715);
    ASSERT_GT(sim->tcpPort(), 0);
    win->command(CmdShowLinkSettings);
    auto* panel = dynamic_cast<ConnectionPanel*>(win->page(PageLinkSettings));
    ASSERT_NE(panel, nullptr);
    panel->control<QRadioButton>(CtlChannelEthernet)->click();
    const char* ip[] = {"127", "0", "0", "1"};
    for (int k = 0; k < 4; ++k)
        panel->octet(CtlTcpAddress, k)->setText(ip[k]);
    panel->control<QLineEdit>(CtlTcpPort)->setText(QString::number(sim->tcpPort()));
    win->command(CmdRead);  // on the panel: check the link
    WaitUntil([&] { return !panel->control<QLineEdit>(CtlSerial)->text().isEmpty(); }, 8000);
    EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Соедин. установлено"));
    EXPECT_EQ(panel->control<QLineEdit>(CtlSerial)->text(), "777");
    EXPECT_EQ(win->model().code(), 716);
    EXPECT_TRUE(rep.messages.empty());
}

// A read over Ethernet takes the address and port as typed into the link page, also when it is
// started from the setpoint page; a field that cannot be taken brings the user to it.
TEST_F(ProgramTest, EthernetReadTakesTheTypedAddressAndPort)
{
    start({"--model", "716", "--tcp", "0"}, 716);
    ASSERT_GT(sim->tcpPort(), 0);
    win->command(CmdShowLinkSettings);
    auto* panel = dynamic_cast<ConnectionPanel*>(win->page(PageLinkSettings));
    ASSERT_NE(panel, nullptr);
    panel->control<QRadioButton>(CtlChannelEthernet)->click();
    const char* ip[] = {"127", "0", "0", "1"};
    for (int k = 0; k < 4; ++k)
        panel->octet(CtlTcpAddress, k)->setText(ip[k]);
    panel->control<QLineEdit>(CtlTcpPort)->setText(QString::number(sim->tcpPort()));
    win->state().link.tcpAddress = {10, 0, 0, 9};  // what an earlier session left behind
    win->state().link.tcpPort = 1;

    win->command(CmdShowSetpoints);
    readOnce();
    EXPECT_EQ(rep.lastStatus(), QString::fromUtf8("  Значения уставок прочитаны из устройства"));
    EXPECT_EQ(win->state().link.tcpPort, sim->tcpPort());
    EXPECT_EQ(win->state().link.tcpAddress, (std::array<std::uint8_t, 4>{127, 0, 0, 1}));
    EXPECT_TRUE(rep.messages.empty());

    panel->control<QLineEdit>(CtlTcpPort)->clear();
    win->command(CmdShowSetpoints);
    readOnce();
    ASSERT_EQ(rep.messages.size(), 1u);
    EXPECT_EQ(rep.messages[0].text, QString::fromUtf8("Не веден номер порта Ethernet-соединения"));
    EXPECT_EQ(win->currentPage(), PageLinkSettings);
    EXPECT_EQ(win->focusWidget(), panel->control(CtlTcpPort));
    EXPECT_FALSE(win->state().busy);
    EXPECT_TRUE(win->action(CmdReadSetpoints)->isEnabled());
}

// The calculator of the running program follows the setpoint tabs and starts with a clear
// status field; closed, it is gone, and opened again it remembers its choices.
TEST(ProgramCalculator, FollowsTheTabsOfTheProgram)
{
    test::GuiApp();
    test::ProgramRig rig;
    rig.build(QString(), 705);
    MainWindow& win = *rig.win;
    win.start();
    rig.rep.status(QString::fromUtf8("  Значения уставок прочитаны из устройства"), StatusIcon::Ok);
    win.command(CmdCalculator);
    auto* calc = win.findChild<CalculatorWindow*>();
    ASSERT_NE(calc, nullptr);
    EXPECT_TRUE(rig.rep.lastStatus().isEmpty());

    calc->chooseMode(0);
    calc->chooseSource(1);  // МТЗ-2 группа В: setpoint fields 1006 and 1007
    SetpointEditor& editor = rig.pages->editor();
    editor.edit(1006)->setText("12.5");
    editor.leaveField(1006);
    EXPECT_EQ(calc->control<QLineEdit>(CalcInputFirst + 2)->text(), "12.5");

    calc->close();
    WaitUntil([&] { return win.findChild<CalculatorWindow*>() == nullptr; }, 2000);
    EXPECT_EQ(win.findChild<CalculatorWindow*>(), nullptr);
    win.command(CmdCalculator);
    calc = win.findChild<CalculatorWindow*>();
    ASSERT_NE(calc, nullptr);
    EXPECT_TRUE(calc->control<QRadioButton>(CalcSourceFirst + 1)->isChecked());
    rig.reset();
}

TEST_F(ProgramTest, NonMRelayInItsBootloaderIsFoundAndTheReadAsksToUpdate)
{
    start({"--model", "705", "--bootloader"}, 705);
    win->state().link.repeatCount = 0;
    win->command(CmdShowLinkSettings);
    win->sendToPage(PageLinkSettings, CtlAutoConnect);
    WaitUntil([&] { return rig.linkState().bootloaderMode(); }, 30000);
    ASSERT_TRUE(rig.linkState().bootloaderMode());
    EXPECT_EQ(rep.lastStatus(),
              QString::fromUtf8("  Устройство находится в режиме ожидания загрузки ПО"));
    EXPECT_EQ(win->statusText(2), QString::fromUtf8(" Режим загрузки ПО"));
    EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Связь установлена"));
    EXPECT_TRUE(rep.statuses.contains(QString::fromUtf8("Операцию выполнить не удалось")));

    rep.answers.push_back(Answer::Cancel);
    readOnce();
    ASSERT_EQ(rep.messages.size(), 1u);
    EXPECT_EQ(rep.messages[0].text,
              QString::fromUtf8("Выбранная операция не может быть выполнена: устройство находится "
                                "в режиме ожидания обновления ПО.\nПерейти к загрузке ПО?"));
}

// Leaving a setpoint field by way of the title bar drops its validation message once; the field
// keeps the focus, and leaving it again tells the user.
TEST_F(ProgramTest, TitleBarClickDropsTheNextSetpointMessageOnce)
{
    start({"--model", "705"}, 705);
    win->command(CmdShowSetpoints);
    win->show();
    win->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(win));
    auto* field = win->findChild<QLineEdit*>("1004");
    auto* next = win->findChild<QLineEdit*>("1005");
    ASSERT_TRUE(field && next);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QMouseEvent press(QEvent::NonClientAreaMouseButtonPress, QPointF(10, -5), QPointF(10, -5),
                      QPointF(10, -5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(win, &press);
    next->setFocus();
    EXPECT_TRUE(rep.messages.empty());
    EXPECT_EQ(QApplication::focusWidget(), field);
    next->setFocus();
    ASSERT_EQ(rep.messages.size(), 1u);
    EXPECT_EQ(rep.messages[0].caption, QString::fromUtf8("Ошибка ввода уставки"));
}

struct SilentCase {
    int model;
    int attemptsAfterFirst, attemptsAfterSecond;
    size_t messagesAfterFirst, messagesAfterSecond;
};

void PrintTo(const SilentCase& c, std::ostream* os) { *os << "model" << c.model; }

class SilentRelay : public ProgramTest, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(SilentRelay, ReadFailsAfterTheRightNumberOfConnectionAttempts)
{
    const SilentCase& c = GetParam();
    start({"--model", std::to_string(c.model), "--silent"}, c.model);
    win->state().link.repeatCount = 0;  // one frame per link check keeps the count exact
    readOnce();
    EXPECT_EQ(connectionAttempts(), c.attemptsAfterFirst);
    EXPECT_TRUE(rep.statuses.contains(
        QString::fromUtf8("Операцию чтения из устр-ва выполнить не удалось")));
    EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Нет связи с устр-вом"));
    ASSERT_EQ(rep.messages.size(), c.messagesAfterFirst);
    if (c.messagesAfterFirst) {
        EXPECT_EQ(rep.messages[0].caption, QString::fromUtf8("Ошибка чтения/записи в устройство"));
        EXPECT_EQ(rep.messages[0].text,
                  QString::fromUtf8("Не удается установить соединение с устройством. "
                                    "Проверьте настройки соединения."));
    }
    readOnce();
    EXPECT_EQ(connectionAttempts(), c.attemptsAfterSecond);
    EXPECT_EQ(rep.messages.size(), c.messagesAfterSecond);
    EXPECT_FALSE(linkUp());
}

INSTANTIATE_TEST_SUITE_P(Models, SilentRelay,
                         ::testing::Values(SilentCase{705, 1, 3, 1, 2}, SilentCase{715, 1, 2, 0, 0}));

}  // namespace
}  // namespace tirv
