// The automatic connection of setpoint reads and writes: connection attempts through the link
// page (command 495), the retry after the connect period, the failed-once rule and the M-model
// difference, the bootloader question, and abort.
#include "configurator/shell/main_window.h"
#include "configurator/shell/shell_ids.h"
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

constexpr int kWaitMs = 3000;

class AutoConnectTest : public ::testing::Test {
protected:
    void make(int model, bool relayAnswers)
    {
        test::GuiApp();
        MainWindow::Options o;
        o.reporterTap = &rep;
        win = std::make_unique<MainWindow>(o);
        win->state().modelCode = model;
        link = new RecordingPage(*win, PageLinkSettings);
        link->onCommand = [this, relayAnswers](int id) {
            if (id == PageCmdConnect) {
                ++attempts;
                win->state().linkUp = relayAnswers;
            }
        };
        win->registerPage(PageLinkSettings, link);
        firmware = new RecordingPage(*win, PageFirmware);
        win->registerPage(PageFirmware, firmware);
        std::array<Page*, 5> tabs{};
        for (auto& t : tabs)
            t = new RecordingPage(*win, PageSetpoints);
        win->registerSetpointTabs(tabs);
        win->setSetpointExchange(&ex);
        win->setPortCloser([this] { ++closes; win->state().linkUp = false; });
        win->start();
        win->command(CmdShowSetpoints);
    }
    // Runs a read (or write) until it ends: started, or a failure reported.
    void runUntilSettled(int cmd)
    {
        const size_t before = rep.statuses.size();
        win->command(cmd);
        WaitUntil([&] { return !win->state().connecting; }, kWaitMs);
        (void)before;
    }

    test::RecordingReporter rep;
    test::ScriptedExchange ex;
    std::unique_ptr<MainWindow> win;
    RecordingPage* link = nullptr;
    RecordingPage* firmware = nullptr;
    int attempts = 0;
    int closes = 0;
};

TEST_F(AutoConnectTest, LinkUpStartsTheExchangeAndLocksTheControlsUntilItEnds)
{
    make(715, true);
    win->state().linkUp = true;
    win->command(CmdRead);  // toolbar Read on the setpoint page
    EXPECT_EQ(ex.reads, 1);
    EXPECT_EQ(attempts, 0);
    EXPECT_TRUE(win->state().busy);
    EXPECT_FALSE(win->action(CmdShowLinkSettings)->isEnabled());
    EXPECT_TRUE(link->locked);
    EXPECT_TRUE(win->action(CmdAbort)->isEnabled());
    win->command(CmdReadSetpoints);  // a second read while one runs is refused
    EXPECT_EQ(ex.reads, 1);
    ex.finish(true);
    EXPECT_FALSE(win->action(CmdAbort)->isEnabled());
    EXPECT_FALSE(win->state().busy);
    EXPECT_TRUE(win->action(CmdShowLinkSettings)->isEnabled());
    EXPECT_FALSE(link->locked);
}

TEST_F(AutoConnectTest, ReadConnectsFirstThenRunsAfterTheConnectPeriod)
{
    make(715, true);
    win->command(CmdReadSetpoints);
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(win->timerActive(TimerReadConnect));
    EXPECT_EQ(ex.reads, 0);
    ASSERT_TRUE(WaitUntil([&] { return ex.reads == 1; }, kWaitMs));
    EXPECT_FALSE(win->timerActive(TimerReadConnect));
    EXPECT_EQ(attempts, 1);
    EXPECT_TRUE(rep.messages.empty());
}

TEST_F(AutoConnectTest, EthernetReadNeedsNoSerialConnection)
{
    make(715, false);
    win->state().link.channel = Channel::Ethernet;
    win->command(CmdReadSetpoints);
    EXPECT_EQ(ex.reads, 1);
    EXPECT_EQ(attempts, 0);
    ex.finish(true);
    // Writes always travel over the serial link, so they still connect first.
    win->command(CmdWriteSetpoints);
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(ex.writes, 0);
}

TEST_F(AutoConnectTest, WriteUsesItsOwnTimer)
{
    make(715, true);
    win->command(CmdWriteSetpoints);
    EXPECT_TRUE(win->timerActive(TimerWriteConnect));
    EXPECT_FALSE(win->timerActive(TimerReadConnect));
    ASSERT_TRUE(WaitUntil([&] { return ex.writes == 1; }, kWaitMs));
    EXPECT_EQ(ex.reads, 0);
}

struct UnpluggedCase {
    int model;
    int cmd;
    const char* failure;
    int attemptsFirst, attemptsSecond;  // connection attempts after the first and second try
    bool messageBox;
};

// The case's name in the test list, e.g. "model705Read".
void PrintTo(const UnpluggedCase& c, std::ostream* os)
{
    *os << "model" << c.model << (c.cmd == CmdReadSetpoints ? "Read" : "Write");
}

class Unplugged : public AutoConnectTest, public ::testing::WithParamInterface<UnpluggedCase> {};

TEST_P(Unplugged, FailureIsReportedWithTheRightNumberOfAttempts)
{
    const UnpluggedCase& c = GetParam();
    make(c.model, false);
    runUntilSettled(c.cmd);
    EXPECT_EQ(attempts, c.attemptsFirst);
    EXPECT_EQ(rep.lastStatus(), QString::fromUtf8(c.failure));
    EXPECT_EQ(rep.lastStatusIcon, StatusIcon::Warning);
    EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Нет связи с устр-вом"));
    EXPECT_EQ(rep.messages.size(), c.messageBox ? 1u : 0u);
    if (c.messageBox) {
        EXPECT_EQ(rep.messages[0].caption, QString::fromUtf8("Ошибка чтения/записи в устройство"));
        EXPECT_EQ(rep.messages[0].text,
                  QString::fromUtf8("Не удается установить соединение с устройством. "
                                    "Проверьте настройки соединения."));
        EXPECT_EQ(rep.messages[0].icon, MsgIcon::Warning);
    }
    EXPECT_TRUE(win->action(CmdShowSetpoints)->isEnabled());  // controls unlocked

    runUntilSettled(c.cmd);
    EXPECT_EQ(attempts, c.attemptsSecond);
    EXPECT_EQ(rep.messages.size(), c.messageBox ? 2u : 0u);
    EXPECT_EQ(ex.reads + ex.writes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Models, Unplugged,
    ::testing::Values(
        UnpluggedCase{705, CmdReadSetpoints, "Операцию чтения из устр-ва выполнить не удалось", 1,
                      3, true},
        UnpluggedCase{705, CmdWriteSetpoints, "Операцию записи в устр-во выполнить не удалось",
                      1, 3, true},
        UnpluggedCase{715, CmdReadSetpoints, "Операцию чтения из устр-ва выполнить не удалось", 1,
                      2, false},
        UnpluggedCase{717, CmdWriteSetpoints, "Операцию записи в устр-во выполнить не удалось",
                      1, 2, false}));

TEST_F(AutoConnectTest, RelayInBootloaderAsksToGoToTheFirmwareUpdate)
{
    for (Answer answer : {Answer::Cancel, Answer::Ok}) {
        rep = {};
        make(705, false);
        win->state().bootloaderWaiting = true;
        rep.answers.push_back(answer);
        runUntilSettled(CmdReadSetpoints);
        ASSERT_EQ(rep.messages.size(), 1u);
        EXPECT_EQ(rep.messages[0].caption, QString::fromUtf8("Предупреждение"));
        EXPECT_EQ(rep.messages[0].buttons, MsgButtons::OkCancel);
        EXPECT_EQ(rep.messages[0].text,
                  QString::fromUtf8("Выбранная операция не может быть выполнена: устройство "
                                    "находится в режиме ожидания обновления ПО.\nПерейти к "
                                    "загрузке ПО?"));
        EXPECT_TRUE(rep.statuses.contains(
            QString::fromUtf8("  Устройство находится в режиме ожидания загрузки ПО")));
        EXPECT_EQ(win->statusText(2), QString::fromUtf8(" Режим загрузки ПО"));
        EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Связь установлена"));
        EXPECT_EQ(win->currentPage(), answer == Answer::Ok ? PageFirmware : PageSetpoints);
    }
}

TEST_F(AutoConnectTest, AbortStopsAPendingConnectionAndARunningExchange)
{
    make(715, true);
    win->command(CmdReadSetpoints);
    ASSERT_TRUE(win->timerActive(TimerReadConnect));
    win->command(CmdAbort);
    EXPECT_FALSE(win->timerActive(TimerReadConnect));
    EXPECT_EQ(rep.lastStatus(), QString::fromUtf8(" Операция обмена была прервана пользователем"));
    EXPECT_TRUE(win->action(CmdShowSetpoints)->isEnabled());
    WaitUntil([] { return false; }, 500);
    EXPECT_EQ(ex.reads, 0);

    int linkAborts = 0;
    win->registerAbort([&] { ++linkAborts; });
    win->state().linkUp = true;
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
