// The connection panel inside the main window, against tirv-sim on a pseudo-terminal: link check
// and identity, automatic connection, highest usable speed, settings write, field checks and the
// model and channel rules. Driven by command and control ids.
#include "configurator/link/connection_panel.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/serial_port.h"
#include "configurator/shell/main_window.h"
#include "configurator/ui/ids.h"
#include "configurator/link/panel_window_rig.h"
#include "support/serial_relay.h"
#include "configurator/shell/gui_test_support.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>
#include <termios.h>

namespace tirv {
namespace {

using test::WaitUntil;

class PanelTest : public test::PanelWindowRig {
protected:
    // Starts the simulator with `args` and a window whose model is `model`.
    void start(std::vector<std::string> args, int model = 715)
    {
        test::GuiApp();
        sim = std::make_unique<test::SimProcess>(args);
        ASSERT_TRUE(sim->ready()) << sim->error();
        const QString ports = QString::fromStdString(sim->portsDir());
        buildPanel(ports, model);
        win->start();
        win->show();
        win->activateWindow();
        WaitUntil([&] { return win->isActiveWindow(); }, 2000);
        win->command(CmdShowLinkSettings);
    }
    bool check()
    {
        panel->command(CtlCheckLink);
        return WaitUntil([&] { return state->established() || rep.lastLinkState() ==
                                                                   QString::fromUtf8("Нет связи с устр-вом"); }) &&
               state->established();
    }
    template <typename W>
    W* ctl(int id) { return panel->control<W>(id); }
    // Runs the settings write (2013) until the panel reports the new settings written.
    ::testing::AssertionResult writeSettings()
    {
        panel->command(CtlWrite);
        if (WaitUntil([&] {
                return rep.lastStatus() == QString::fromUtf8(" Новые настройки связи записаны");
            }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << rep.lastStatus().toStdString();
    }

    std::unique_ptr<test::SimProcess> sim;
};

TEST_F(PanelTest, LinkCheckShowsTheIdentityAndSwitchesToTheRelaysModel)
{
    start({"--model", "705", "--serial", "4321"}, 715);
    ASSERT_TRUE(check());
    EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Связь установлена"));
    EXPECT_EQ(ctl<QComboBox>(CtlDeviceType)->currentText(), QString::fromUtf8("ТИРВ/ОЛК-705"));
    EXPECT_EQ(ctl<QLineEdit>(CtlSerial)->text(), "4321");
    EXPECT_FALSE(ctl<QLineEdit>(CtlVersion)->text().isEmpty());
    EXPECT_EQ(ctl<QLabel>(CtlPortState)->text(), QString::fromUtf8("Открыт"));
    EXPECT_EQ(win->statusText(2), QString::fromUtf8("  Адрес устр-ва: 1"));
    // Non-M tables: RS-485 only, speeds up to 57600, working journal gone.
    EXPECT_EQ(win->model().code(), 705);
    EXPECT_EQ(win->windowTitle(), QString::fromUtf8(" ТИРВ - 705"));
    EXPECT_EQ(link().channel, Channel::Rs485);
    EXPECT_FALSE(ctl<QRadioButton>(CtlChannelUsb)->isEnabled());
    EXPECT_FALSE(ctl<QRadioButton>(CtlChannelEthernet)->isEnabled());
    EXPECT_EQ(ctl<QComboBox>(CtlBaud)->count(), 7);
    EXPECT_TRUE(state->established());
    EXPECT_TRUE(ctl<QWidget>(CtlMaxRate)->isEnabled());

    panel->command(CtlDisconnect);
    EXPECT_FALSE(state->established());
    EXPECT_TRUE(ctl<QLineEdit>(CtlSerial)->text().isEmpty());
    EXPECT_EQ(ctl<QComboBox>(CtlDeviceType)->currentIndex(), 0);
}

TEST_F(PanelTest, LinkCheckAtAnotherSpeedFailsWithTheLinkWords)
{
    start({"--model", "715", "--baud", "19200"});
    link().repeatCount = 1;
    ctl<QLineEdit>(CtlRepeats)->setText("1");
    EXPECT_FALSE(check());
    EXPECT_TRUE(rep.statuses.contains(
        QString::fromUtf8("Ошибка проверки связи - повторите операцию")));
    EXPECT_TRUE(rep.linkStates.contains(QString::fromUtf8("Проверка связи: 1")));
    EXPECT_FALSE(state->established());
}

TEST_F(PanelTest, AutomaticConnectionFindsARelayAt19200FromTheTopSpeed)
{
    start({"--model", "715", "--baud", "19200"});
    ctl<QRadioButton>(CtlChannelRs485)->click();  // USB would offer 57600 and up only
    panel->command(CtlAutoConnect);
    EXPECT_EQ(rep.lastStatus(),
              QString::fromUtf8("  Идет автоматическая установка связи с устройством:"));
    ASSERT_TRUE(WaitUntil([&] { return state->established(); }));
    EXPECT_EQ(link().baudIndex, 4);
    EXPECT_EQ(ctl<QComboBox>(CtlBaud)->currentText(), "19200");
    EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Связь установлена"));
    EXPECT_EQ(rep.lastProgressMax, 0);  // the progress bar is removed
    EXPECT_EQ(ctl<QComboBox>(CtlDeviceType)->currentText(), QString::fromUtf8("ТИРВ/ОЛК-705M"));
    // Both speed tries above it failed first: 460800 … 38400 (five), each one progress step.
    EXPECT_FALSE(win->state().busy);
    EXPECT_TRUE(win->action(CmdShowLinkSettings)->isEnabled());
}

TEST_F(PanelTest, AutomaticConnectionOverTheTirvProtocol)
{
    start({"--model", "705", "--protocol", "tirv", "--baud", "9600"}, 705);
    link().protocol = Protocol::Tirv;
    panel->command(CtlAutoConnect);
    ASSERT_TRUE(WaitUntil([&] { return state->established(); }));
    EXPECT_EQ(link().baudIndex, 3);
    EXPECT_EQ(ctl<QComboBox>(CtlBaud)->currentText(), "9600");
}

TEST_F(PanelTest, HighestUsableSpeedClimbsAndLeavesTheRelayThere)
{
    start({"--model", "705", "--baud", "9600"}, 705);
    link().baudIndex = 3;
    ASSERT_TRUE(check());
    panel->command(CtlMaxRate);
    ASSERT_TRUE(WaitUntil([&] { return !ctl<QLineEdit>(CtlMaxRateField)->text().isEmpty(); },
                          15000));
    EXPECT_EQ(ctl<QLineEdit>(CtlMaxRateField)->text(), "57600");
    EXPECT_EQ(link().baudIndex, 6);
    // The relay now answers at the speed found.
    state->setEstablished(false);
    EXPECT_TRUE(check());
}

TEST_F(PanelTest, SettingsWriteMovesTheRelayAndThePanelFollows)
{
    start({"--model", "705"}, 705);
    ASSERT_TRUE(check());
    ctl<QLineEdit>(CtlDevAddress)->setText("7");
    ctl<QComboBox>(CtlDevBaud)->setCurrentIndex(4);  // 19200
    ASSERT_TRUE(writeSettings());
    EXPECT_EQ(link().address, 7);
    EXPECT_EQ(link().baudIndex, 4);
    EXPECT_EQ(ctl<QLineEdit>(CtlAddress)->text(), "7");
    EXPECT_EQ(ctl<QComboBox>(CtlBaud)->currentText(), "19200");
    EXPECT_FALSE(state->established());  // checked again at the new settings
    EXPECT_TRUE(check());
    EXPECT_EQ(win->statusText(2), QString::fromUtf8("  Адрес устр-ва: 7"));
}

TEST_F(PanelTest, TirvProtocolRelayIsCheckedAndMovedByTheSettingsWrite)
{
    start({"--model", "705", "--protocol", "tirv"}, 705);
    link().protocol = Protocol::Tirv;
    ASSERT_TRUE(check());
    EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Связь установлена"));
    ctl<QComboBox>(CtlDevProtocol)->setCurrentIndex(0);  // stays on the ТИРВ protocol
    ctl<QLineEdit>(CtlDevAddress)->setText("12");
    ctl<QComboBox>(CtlDevBaud)->setCurrentIndex(5);  // 38400
    ASSERT_TRUE(writeSettings());
    EXPECT_EQ(link().address, 12);
    EXPECT_EQ(link().baudIndex, 5);
    EXPECT_EQ(link().protocol, Protocol::Tirv);
    EXPECT_TRUE(check());
}

TEST_F(PanelTest, MModelSettingsWriteUsesTheWholeBlock)
{
    start({"--model", "715", "--channel", "rs485"});
    ctl<QRadioButton>(CtlChannelRs485)->click();
    ASSERT_TRUE(check());
    ctl<QLineEdit>(CtlDevAddress)->setText("9");
    ctl<QComboBox>(CtlDevBaud)->setCurrentIndex(8);  // 230400
    ASSERT_TRUE(writeSettings());
    EXPECT_EQ(link().address, 9);
    EXPECT_EQ(link().baudIndex, 8);
    EXPECT_TRUE(check());
}

TEST_F(PanelTest, MModelHighestSpeedWithNewFirmwareUsesTheOneRegisterForm)
{
    start({"--model", "715", "--channel", "rs485"});
    ctl<QRadioButton>(CtlChannelRs485)->click();
    ASSERT_TRUE(check());
    ASSERT_TRUE(session->identity());
    ASSERT_GT(session->identity()->firmwareX100, 121);
    panel->command(CtlMaxRate);
    auto* field = ctl<QLineEdit>(CtlMaxRateField);
    ASSERT_TRUE(WaitUntil([&] { return !field->text().isEmpty(); }, 15000));
    EXPECT_EQ(field->text(), "460800");
    EXPECT_EQ(link().baudIndex, 9);
    state->setEstablished(false);
    EXPECT_TRUE(check());
}

TEST_F(PanelTest, UsbChannelWriteMovesTheUsbSpeed)
{
    start({"--model", "716"});  // the simulator's M relay sits on its USB channel
    ASSERT_EQ(link().channel, Channel::Usb);
    ASSERT_TRUE(check());
    ctl<QComboBox>(CtlDevUsbBaud)->setCurrentIndex(2);  // 230400
    ASSERT_TRUE(writeSettings());
    EXPECT_EQ(link().baudIndex, 8);
    EXPECT_EQ(ctl<QComboBox>(CtlBaud)->currentText(), "230400");
    EXPECT_TRUE(check());
}

TEST_F(PanelTest, ReadingAllChannelsShowsTheRelaysBlock)
{
    start({"--model", "715", "--address", "3"});
    link().address = 3;
    ctl<QLineEdit>(CtlAddress)->setText("3");
    ctl<QLineEdit>(CtlDevAddress)->setText("99");
    ctl<QCheckBox>(CtlReadAllChannels)->setChecked(true);
    ASSERT_TRUE(check());
    ASSERT_TRUE(WaitUntil([&] { return ctl<QLineEdit>(CtlDevAddress)->text() == "3"; }));
    EXPECT_EQ(ctl<QComboBox>(CtlDevBaud)->currentText(), "57600");
    EXPECT_EQ(ctl<QComboBox>(CtlDevProtocol)->currentIndex(), 1);
}

TEST_F(PanelTest, EthernetFieldsAreCheckedInOrderWithFocus)
{
    start({"--model", "715"});
    ctl<QRadioButton>(CtlChannelEthernet)->click();
    EXPECT_EQ(link().channel, Channel::Ethernet);
    EXPECT_TRUE(ctl<QWidget>(CtlTcpPort)->isVisible());
    EXPECT_FALSE(ctl<QWidget>(CtlPort)->isVisible());
    auto octetField = [&](int k) -> QWidget* { return panel->octet(CtlTcpAddress, k); };
    const struct {
        std::array<const char*, 4> octets;
        const char* port;
        const char* message;
        int focusOctet;  // -1: the port field
    } steps[] = {
        {{"", "", "", ""}, "502", "Пустое поле адреса устройства", 0},
        {{"127", "0", "", "1"}, "502", "Не все поля интернет-адреса заполнены", 2},
        {{"127", "0", "0", "1"}, "", "Не веден номер порта Ethernet-соединения", -1},
        {{"127", "0", "0", "1"}, "70000", "Недопустимый номер порта Ethernet-соединения", -1},
    };
    for (const auto& s : steps) {
        for (int k = 0; k < 4; ++k)
            panel->octet(CtlTcpAddress, k)->setText(s.octets[size_t(k)]);
        ctl<QLineEdit>(CtlTcpPort)->setText(s.port);
        rep.messages.clear();
        panel->command(CtlCheckLink);
        ASSERT_EQ(rep.messages.size(), 1u) << s.message;
        EXPECT_EQ(rep.messages[0].text, QString::fromUtf8(s.message));
        EXPECT_EQ(rep.messages[0].caption, QString::fromUtf8("Ошибка"));
        QWidget* expected = s.focusOctet < 0 ? ctl<QWidget>(CtlTcpPort) : octetField(s.focusOctet);
        EXPECT_EQ(QApplication::focusWidget(), expected) << s.message;
    }
    // Valid fields go into the settings and the Modbus TCP check starts with them.
    ctl<QLineEdit>(CtlTcpPort)->setText("1502");
    rep.messages.clear();
    panel->command(CtlCheckLink);
    EXPECT_TRUE(rep.messages.empty());
    EXPECT_EQ(link().tcpAddress, (std::array<std::uint8_t, 4>{127, 0, 0, 1}));
    EXPECT_EQ(link().tcpPort, 1502);
    EXPECT_EQ(session->running(), LinkSession::Seq::Tcp);
    // Nobody listens there: the check ends as a failed one.
    ASSERT_TRUE(WaitUntil([&] { return session->running() == LinkSession::Seq::None; }, 8000));
    EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Нет связи с устр-вом"));
}

TEST_F(PanelTest, NumericFieldsAndChannelRules)
{
    start({"--model", "715"});
    // USB: four speeds from 57600, no address.
    ctl<QRadioButton>(CtlChannelUsb)->click();
    QComboBox* baud = ctl<QComboBox>(CtlBaud);
    ASSERT_EQ(baud->count(), 4);
    EXPECT_EQ(baud->itemText(0), "57600");
    EXPECT_EQ(baud->itemText(3), "460800");
    EXPECT_FALSE(ctl<QWidget>(CtlAddress)->isEnabled());
    ctl<QRadioButton>(CtlChannelRs485)->click();
    EXPECT_EQ(baud->count(), 10);
    EXPECT_TRUE(ctl<QWidget>(CtlAddress)->isEnabled());

    ctl<QLineEdit>(CtlRepeats)->setText("1500");
    panel->command(CtlCheckLink);  // fields are taken before the check
    ASSERT_FALSE(rep.messages.empty());
    EXPECT_EQ(rep.messages[0].text, QString::fromUtf8(
                                        "Количество попыток повтора чтения посылок не может быть больше 1000"));
    EXPECT_EQ(ctl<QLineEdit>(CtlRepeats)->text(), "1000");
    EXPECT_EQ(link().repeatCount, 1000);
    WaitUntil([&] { return state->established(); });

    rep.messages.clear();
    ctl<QLineEdit>(CtlAddress)->setText("");
    panel->command(CtlCheckLink);
    ASSERT_EQ(rep.messages.size(), 1u);
    EXPECT_EQ(rep.messages[0].text, QString::fromUtf8("Введите значение!"));
    EXPECT_EQ(rep.messages[0].caption, QString::fromUtf8("Ошибка ввода"));
    EXPECT_EQ(rep.lastStatus(), QString::fromUtf8("  Ошибка ввода"));
}

// The address and repeat fields and their spin buttons: a spin step shows in the field and the
// link settings at once; a field left by the user is clamped to its range and taken.
TEST_F(PanelTest, SpinButtonsAndNumberFieldsMoveTheLinkSettingsTogether)
{
    start({"--model", "715"});
    const struct {
        int field, spin;
        int ConnectionSettings::*setting;
        int min, max;
    } rows[] = {
        {CtlAddress, CtlAddressSpin, &ConnectionSettings::address, 1, 255},
        {CtlRepeats, CtlRepeatsSpin, &ConnectionSettings::repeatCount, 0, 1000},
    };
    for (const auto& r : rows) {
        QSpinBox* spin = ctl<QSpinBox>(r.spin);
        QLineEdit* field = ctl<QLineEdit>(r.field);
        EXPECT_EQ(spin->minimum(), r.min) << r.field;
        EXPECT_EQ(spin->maximum(), r.max) << r.field;
        spin->setValue(r.max - 1);
        EXPECT_EQ(field->text(), QString::number(r.max - 1)) << r.field;
        EXPECT_EQ(link().*r.setting, r.max - 1) << r.field;

        field->setText(QString::number(r.max + 5));
        emit field->editingFinished();
        EXPECT_EQ(field->text(), QString::number(r.max)) << r.field;
        EXPECT_EQ(link().*r.setting, r.max) << r.field;
    }
    // Only the repeat count explains its limit.
    ASSERT_EQ(rep.messages.size(), 1u);
    EXPECT_EQ(rep.messages[0].text, QString::fromUtf8(
                                        "Количество попыток повтора чтения посылок не может быть больше 1000"));
}

TEST_F(PanelTest, PortListFollowsThePortsFolder)
{
    start({"--model", "715"});
    QComboBox* ports = ctl<QComboBox>(CtlPort);
    ASSERT_EQ(ports->count(), 1);
    EXPECT_EQ(ports->itemText(0), "COM1");
    const QString extra = QString::fromStdString(sim->portsDir()) + "/COM7";
    ASSERT_TRUE(QFile::link(QString::fromStdString(sim->devicePath()), extra));
    ASSERT_TRUE(WaitUntil([&] { return ports->count() == 2; }, 3000));
    EXPECT_EQ(ports->itemText(1), "COM7");
    EXPECT_EQ(link().port, 1);  // the chosen port stays
    QFile::remove(extra);
    EXPECT_TRUE(WaitUntil([&] { return ports->count() == 1; }, 3000));
}

TEST_F(PanelTest, ReadOnDemandConnectsThroughThePanel)
{
    // The window asks the panel (495) to connect; the relay answers, the link comes up.
    start({"--model", "715"});
    EXPECT_FALSE(state->established());
    win->sendToPage(PageLinkSettings, PageCmdConnect);
    ASSERT_TRUE(WaitUntil([&] { return state->established(); }));
    EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Связь установлена"));
}

// After the automatic connection the window's timer 480 takes the speed found through the
// ordinary link check: it reads the relay's settings block when 3005 asks for it, and, as nobody
// started it at the fields, it runs on the settings as they stand without asking about them.
TEST_F(PanelTest, AutomaticConnectionIsFollowedByTheTimersLinkCheck)
{
    start({"--model", "715", "--baud", "19200", "--channel", "rs485"});
    ctl<QRadioButton>(CtlChannelRs485)->click();
    ctl<QCheckBox>(CtlReadAllChannels)->setChecked(true);
    ctl<QLineEdit>(CtlDevAddress)->setText("99");
    // The user empties a field the moment the link comes up, before the timer fires.
    QObject::connect(state, &LinkState::establishedChanged, [this](bool on) {
        if (on)
            ctl<QLineEdit>(CtlRepeats)->clear();
    });
    panel->command(CtlAutoConnect);
    ASSERT_TRUE(WaitUntil([&] { return state->established(); }));
    EXPECT_TRUE(session->followUpPending());
    ASSERT_TRUE(WaitUntil([&] { return ctl<QLineEdit>(CtlDevAddress)->text() == "1"; }));
    EXPECT_FALSE(session->followUpPending());  // one check, not a poll
    EXPECT_TRUE(rep.messages.empty());
    EXPECT_EQ(rep.lastLinkState(), QString::fromUtf8("Связь установлена"));
    // The same check from the button stops at the empty field.
    panel->command(CtlCheckLink);
    ASSERT_EQ(rep.messages.size(), 1u);
    EXPECT_EQ(rep.messages[0].text, QString::fromUtf8("Введите значение!"));
}

// The window's own connection attempt (a setpoint read with the link down) holds the panel's
// controls until the read it was made for has ended, not only until the panel's check ends.
TEST_F(PanelTest, WindowConnectionAttemptKeepsThePanelLockedUntilItsReadEnds)
{
    start({"--model", "715"});
    auto* checkButton = ctl<QWidget>(CtlCheckLink);
    ASSERT_TRUE(checkButton->isEnabled());
    win->command(CmdReadSetpoints);
    EXPECT_EQ(session->running(), LinkSession::Seq::Ensure);
    EXPECT_FALSE(checkButton->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return state->established(); }));
    EXPECT_FALSE(checkButton->isEnabled());  // the read it was made for runs now
    ASSERT_TRUE(WaitUntil([&] { return !win->state().busy; }, 15000));
    EXPECT_EQ(rep.lastStatus(), QString::fromUtf8("  Значения уставок прочитаны из устройства"));
    EXPECT_TRUE(checkButton->isEnabled());
    EXPECT_TRUE(ctl<QWidget>(CtlMaxRate)->isEnabled());  // the link is up
}

// A relay behind a line that carries at most 19200 bit/s: it takes every speed written into it,
// but its answers only get through while both ends use its speed and that speed is 19200 or less.
TEST(PanelLimitedLine, HighestUsableSpeedStopsAtTheLinesLimitAndReturnsThere)
{
    test::GuiApp();
    test::PtyRelay relay;
    ASSERT_TRUE(relay.ok());
    const QString entry = relay.portsFolder() + "/COM1";
    const int probe = ::open(entry.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    const speed_t speeds[] = {B1200, B2400, B4800, B9600, B19200, B38400, B57600};
    int relaySpeed = 3;  // 9600
    constexpr int kLineLimit = 4;
    int writes = 0;
    relay.setScript([&](const QByteArray& request, int) -> test::RelayAction {
        termios t{};
        ::tcgetattr(probe, &t);
        const bool sameSpeed = cfgetospeed(&t) == speeds[relaySpeed];
        if (quint8(request[1]) == 0x10 && test::PtyRelay::Start(request) == 115) {
            ++writes;
            relaySpeed = ((quint8(request[9]) << 8) | quint8(request[10])) - 0x8000 - 25;
            return {};  // moves at once; its acknowledgement would come at the new speed
        }
        if (!test::PtyRelay::IsIdentityRead(request) || !sameSpeed || relaySpeed > kLineLimit)
            return {};
        QByteArray reply("\x01\x03\x0A", 3);
        for (int v : {0xAAAA, 705, 300, 12, 55}) {
            reply.append(char(v >> 8));
            reply.append(char(v & 0xFF));
        }
        return {test::PtyRelay::WithCrc(reply), 0};
    });

    test::ProgramRig rig;
    rig.build(relay.portsFolder(), 705);
    MainWindow& win = *rig.win;
    ConnectionPanel* panel = &rig.panel();
    LinkState& state = rig.linkState();
    win.start();
    win.command(CmdShowLinkSettings);
    win.state().link.baudIndex = 3;

    panel->command(CtlCheckLink);
    ASSERT_TRUE(WaitUntil([&] { return state.established(); }));
    panel->command(CtlMaxRate);
    auto* field = panel->control<QLineEdit>(CtlMaxRateField);
    ASSERT_TRUE(WaitUntil([&] { return !field->text().isEmpty(); }, 15000));
    EXPECT_EQ(field->text(), "19200");
    EXPECT_EQ(win.state().link.baudIndex, 4);
    EXPECT_EQ(writes, 3);      // to 19200, to 38400, and back to 19200
    EXPECT_EQ(relaySpeed, 4);  // the relay was told to return
    state.setEstablished(false);
    panel->command(CtlCheckLink);
    EXPECT_TRUE(WaitUntil([&] { return state.established(); }));
    rig.reset();
    ::close(probe);
}

}  // namespace
}  // namespace tirv
