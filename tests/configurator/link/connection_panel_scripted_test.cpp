// The connection panel against a scripted relay on a pseudo-terminal, for what tirv-sim cannot
// be made to show: a link-check reply with a damaged CRC, settings the codec refuses to frame,
// and the exact form of the settings writes the speed search and the settings write send.
#include "configurator/link/connection_panel.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/panel_window_rig.h"
#include "support/serial_relay.h"
#include "configurator/link/serial_port.h"
#include "configurator/shell/main_window.h"
#include "configurator/ui/ids.h"
#include "support/recording_reporter.h"
#include "support/texts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>
#include <termios.h>

namespace tirv {
namespace {

using test::U;

using test::WaitUntil;

bool IsTextLinkCheck(const QByteArray& r) { return r.startsWith(':') && r.mid(2, 4) == ";<;<"; }
bool IsTextWrite(const QByteArray& r) { return r.startsWith(':') && r.contains(";L;"); }

class ScriptedPanelTest : public test::PanelWindowRig {
protected:
    void start(int model)
    {
        test::GuiApp();  // before the relay: its notifier needs the application
        relayHolder = std::make_unique<test::PtyRelay>();
        ASSERT_TRUE(relay().ok());
        buildPanel(relay().portsFolder(), model);
        win->start();
        win->command(CmdShowLinkSettings);
    }
    QLineEdit* field(int id) { return panel->control<QLineEdit>(id); }
    // Runs a panel command until its sequence has given its last status text.
    void runUntilStatus(int cmd, const char* text)
    {
        panel->command(cmd);
        ASSERT_TRUE(WaitUntil([&] { return rep.statuses.contains(U(text)); }, 15000))
            << rep.lastStatus().toStdString();
    }

    test::PtyRelay& relay() { return *relayHolder; }

    std::unique_ptr<test::PtyRelay> relayHolder;
};

// The relay echoes the link-check frame (its regular answer); the first answer's CRC is damaged.
TEST_F(ScriptedPanelTest, AutomaticConnectionRejectsALinkCheckReplyWithADamagedCrc)
{
    start(705);
    link().protocol = Protocol::Tirv;
    relay().setScript([](const QByteArray& request, int index) -> test::RelayAction {
        if (!IsTextLinkCheck(request))
            return {};
        QByteArray reply = request;
        if (index == 0) {
            const qsizetype digit = reply.size() - 2;  // last CRC digit, before "#"
            if (reply[digit] != ';')
                reply[digit] = char(reply[digit] ^ 1);
        }
        return {reply, 0};
    });
    panel->command(CtlAutoConnect);
    ASSERT_TRUE(WaitUntil([&] { return state->established(); }));
    ASSERT_GE(relay().requests().size(), 2u);
    // The damaged answer at 57600 counts as no answer: the search goes on and settles at 38400,
    // or lower when a loaded machine lets the next answer miss its short window too.
    EXPECT_LT(link().baudIndex, 6);
    EXPECT_EQ(rep.lastLinkState(), U("Связь установлена"));
}

// Settings the codec cannot frame end the operation at once, with nothing sent.
TEST_F(ScriptedPanelTest, LinkCheckAtAnAddressTheLinkCheckFrameCannotCarryFailsWithoutRepeats)
{
    start(705);
    link().protocol = Protocol::Tirv;
    link().repeatCount = 3;
    field(CtlAddress)->setText("200");  // the one-character address form stops at 195
    relay().setScript([](const QByteArray& r, int) -> test::RelayAction { return {r, 0}; });
    runUntilStatus(CtlCheckLink, "Ошибка проверки связи - повторите операцию");
    EXPECT_EQ(rep.lastLinkState(), U("Нет связи с устр-вом"));
    EXPECT_FALSE(rep.linkStates.contains(U("Проверка связи: 1")));
    EXPECT_FALSE(state->established());
    EXPECT_TRUE(relay().requests().empty());
}

TEST_F(ScriptedPanelTest, AutomaticConnectionAtAnAddressTheLinkCheckFrameCannotCarryEndsAtOnce)
{
    start(715);  // an M relay: no bootloader probe follows the failure
    panel->control<QRadioButton>(CtlChannelRs485)->click();
    link().protocol = Protocol::Tirv;
    field(CtlAddress)->setText("200");
    relay().setScript([](const QByteArray& r, int) -> test::RelayAction { return {r, 0}; });
    runUntilStatus(CtlAutoConnect, "Операцию выполнить не удалось");
    EXPECT_EQ(rep.lastLinkState(), U("Нет связи с устр-вом"));
    EXPECT_EQ(rep.lastProgressMax, 0);  // the progress bar is gone
    // No settings write tried to move the relay to a speed it was never asked at.
    EXPECT_TRUE(relay().requests().empty());
    EXPECT_TRUE(panel->control<QWidget>(CtlAutoConnect)->isEnabled());
    EXPECT_FALSE(win->state().busy);
}

TEST_F(ScriptedPanelTest, HighestSpeedWithValuesPerFrameTheCodecRefusesChangesNothing)
{
    start(705);
    link().protocol = Protocol::Tirv;
    link().baudIndex = 3;
    relay().setScript([](const QByteArray& r, int) -> test::RelayAction {
        return IsTextLinkCheck(r) ? test::RelayAction{r, 0} : test::RelayAction{};
    });
    panel->command(CtlCheckLink);
    ASSERT_TRUE(WaitUntil([&] { return state->established(); }));
    link().valuesPerFrame = 7;  // below the range a ТИРВ-protocol frame may be built with
    runUntilStatus(CtlMaxRate, "Операцию выполнить не удалось");
    EXPECT_TRUE(field(CtlMaxRateField)->text().isEmpty());
    EXPECT_EQ(link().baudIndex, 3);
    for (const QByteArray& r : relay().requests())
        EXPECT_FALSE(IsTextWrite(r)) << r.toStdString();
    EXPECT_TRUE(panel->control<QWidget>(CtlMaxRate)->isEnabled());
}

TEST_F(ScriptedPanelTest, SettingsWriteWithValuesPerFrameTheCodecRefusesKeepsTheSettings)
{
    start(705);
    link().protocol = Protocol::Tirv;
    link().valuesPerFrame = 7;
    relay().setScript([](const QByteArray& r, int) -> test::RelayAction { return {r, 0}; });
    field(CtlDevAddress)->setText("9");
    runUntilStatus(CtlWrite, "Операцию записи в устр-во выполнить не удалось");
    EXPECT_EQ(link().address, 1);
    EXPECT_TRUE(relay().requests().empty());
    ASSERT_EQ(rep.messages.size(), 1u);
    EXPECT_EQ(rep.messages[0].caption, U("Ошибка чтения/записи в устройство"));
}

// The ТИРВ protocol writes the three link values at 115 over RS-485 and at 365 over USB; the
// start follows the command character: 115 is "?O", 365 is "GI" (base-32 digits from "<").
TEST_F(ScriptedPanelTest, TirvSettingsWriteStartsAtTheRegisterOfTheChannel)
{
    const struct {
        int channelButton;
        const char* prefix;
    } cases[] = {{CtlChannelRs485, ":=;L;?O"}, {CtlChannelUsb, ":=;L;GI"}};
    start(716);
    link().protocol = Protocol::Tirv;
    relay().setScript([](const QByteArray&, int) { return test::RelayAction{}; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        relay().clearLog();
        rep.statuses.clear();
        panel->control<QRadioButton>(c.channelButton)->click();
        runUntilStatus(CtlWrite, "Операцию записи в устр-во выполнить не удалось");
        // On a loaded machine the frame may reach the relay only after the window has closed.
        ASSERT_TRUE(WaitUntil([&] { return !relay().requests().empty(); }, 3000));
        WaitUntil({}, 100);  // a repeat, if one were sent, would come now
        ASSERT_EQ(relay().requests().size(), 1u);
        EXPECT_TRUE(relay().requests()[0].startsWith(c.prefix)) << relay().requests()[0].toStdString();
    }
}

// A relay on a line that carries at most 19200 bit/s, sitting at 57600: no speed answers, so the
// search moves it down. Every move is the three-value block at 115 — also for an M relay, whose
// full block would overwrite its other settings with whatever the panel last showed — and carries
// the device-side address of field 2056.
TEST_F(ScriptedPanelTest, SpeedSearchMovesAnMRelayWithTheThreeValueBlock)
{
    start(715);
    panel->control<QRadioButton>(CtlChannelRs485)->click();
    field(CtlDevAddress)->setText("7");
    const QString entry = relay().portsFolder() + "/COM1";
    const int probe = ::open(entry.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    const speed_t speeds[] = {B1200,  B2400,  B4800,   B9600,   B19200,
                              B38400, B57600, B115200, B230400, B460800};
    int relaySpeed = 6;
    constexpr int kLineLimit = 4;
    std::vector<std::array<int, 3>> writes;  // start, count, first register
    relay().setScript([&](const QByteArray& request, int) -> test::RelayAction {
        termios t{};
        ::tcgetattr(probe, &t);
        const bool sameSpeed = cfgetospeed(&t) == speeds[relaySpeed];
        if (quint8(request[1]) == 0x10) {
            const int start = test::PtyRelay::Start(request);
            const int count = test::PtyRelay::Count(request);
            writes.push_back({start, count, (quint8(request[7]) << 8) | quint8(request[8])});
            if (start == 115 && count == 3)
                relaySpeed = ((quint8(request[9]) << 8) | quint8(request[10])) - 0x8000 - 25;
            return {};
        }
        if (!test::PtyRelay::IsIdentityRead(request) || !sameSpeed || relaySpeed > kLineLimit)
            return {};
        QByteArray reply("\x01\x03\x0A", 3);
        for (int v : {0xAABB, 715, 130, 12, 55}) {
            reply.append(char(v >> 8));
            reply.append(char(v & 0xFF));
        }
        return {test::PtyRelay::WithCrc(reply), 0};
    });
    panel->command(CtlAutoConnect);
    ASSERT_TRUE(WaitUntil([&] { return state->established(); }, 30000));
    EXPECT_EQ(link().baudIndex, 4);
    ASSERT_FALSE(writes.empty());
    for (const auto& w : writes) {
        EXPECT_EQ(w[0], 115);
        EXPECT_EQ(w[1], 3);
        EXPECT_EQ(w[2], 7);
    }
    port->close();
    ::close(probe);
}

}  // namespace
}  // namespace tirv
