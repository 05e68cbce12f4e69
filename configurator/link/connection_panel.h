#pragma once
// The connection panel (page 10, dialog 108): the connection settings every exchange reads, the
// identity of the connected relay, the link check (2012, and 495 on behalf of pages), automatic
// connection with speed detection (2014), the highest usable speed (2018), writing the relay's
// communication settings (2013) and "Откл. от порта" (2110).
//
// The settings live in the shell's state (ShellState::link); the panel edits them in place, so
// the link layer, which holds a reference to the same record, always reads the current values.
#include "configurator/link/link_check.h"
#include "configurator/link/panel_rules.h"
#include "configurator/link/reply_completion.h"
#include "configurator/shell/page.h"

#include <QByteArray>
#include <functional>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tirv {

class LinkState;
class PacedExchange;
class Port;
struct ExchangeReply;

// Control ids of the panel.
enum PanelCtl : int {
    CtlLoopback = 1999,
    CtlPortState = 1998,
    CtlBaud = 2002,
    CtlDevBaud = 2003,
    CtlProtocol = 2004,
    CtlDevProtocol = 2005,
    CtlParity = 2006,
    CtlDevParity = 2007,
    CtlStopBits = 2008,
    CtlDevStopBits = 2009,
    CtlDevMode = 2010,
    CtlDevTimeSync = 2011,
    CtlCheckLink = 2012,
    CtlWrite = 2013,
    CtlAutoConnect = 2014,
    CtlMaxRate = 2018,
    CtlMaxRateField = 2019,
    CtlCommandLineKind = 2028,
    CtlCommandLinePath = 2030,
    CtlSettingsPath = 2031,
    CtlPort = 2052,
    CtlVariant = 2053,
    CtlAddress = 2054,
    CtlAddressSpin = 2055,
    CtlDevAddress = 2056,
    CtlValuesPerFrame = 2058,
    CtlRepeats = 2060,
    CtlRepeatsSpin = 2061,
    CtlTcpPort = 2063,
    CtlTcpProtocol = 2064,
    CtlTcpAddress = 2065,  // four octet fields, reached with octet(CtlTcpAddress, k)
    CtlDevEthernetOn = 2066,
    CtlDevTcpPort = 2067,
    CtlDevTcpProtocol = 2068,
    CtlDevIp = 2069,
    CtlDevMac1 = 2070,  // … 2075
    CtlDevGateway = 2076,
    CtlDevMask = 2077,
    CtlDeviceType = 2107,
    CtlSerial = 2108,
    CtlVersion = 2109,
    CtlDisconnect = 2110,
    CtlBuild = 2111,
    CtlChannelRs485 = 3000,
    CtlChannelUsb = 3001,
    CtlChannelEthernet = 3002,
    CtlDevUsbProtocol = 3003,
    CtlDevUsbBaud = 3004,
    CtlReadAllChannels = 3005,
};

class ConnectionPanel : public Page, public LinkChecker {
public:
    // `portsFolder`: where the COM entries are listed (empty: ports/ beside the programs).
    ConnectionPanel(Shell& shell, Port& port, LinkState& state, PacedExchange& exchange,
                    QString portsFolder = {}, QWidget* parent = nullptr);
    ~ConnectionPanel() override;

    void command(int id) override;
    void setControlsLocked(bool locked) override;
    void pageShown() override;

    // LinkChecker: the link check of the exchanges' repeats, with this panel's settings.
    void checkLink(Done done) override;
    void abortCheck() override;

    // The TCP link check of the Ethernet channel (read of 130–134 over Modbus TCP), installed by
    // the program once the Modbus TCP transfer exists.
    using TcpCheck = std::function<void(std::array<std::uint8_t, 4> address, int port)>;
    void setTcpLinkCheck(TcpCheck check) { m_tcpCheck = std::move(check); }
    // The identity registers 130–134 a TCP link check returned.
    void tcpIdentityArrived(std::span<const std::uint16_t, 5> regs);

    // Re-reads the port list (device arrival) and reselects the stored port.
    void refreshPorts();
    // Shows the settings-file path and the command-line file (controls 2031, 2028, 2030).
    void showPaths(const QString& settingsPath, int commandLineKind, const QString& path);
    // The octet k (0–3) of an IPv4 field (2065, 2069, 2076, 2077).
    QLineEdit* octet(int ctl, int k) const;
    // The last device identity shown, empty before a good Modbus link check.
    const std::optional<panel::Identity>& identity() const { return m_identity; }

private:
    void build();
    QWidget* buildLocal();
    QWidget* buildDevice();
    QWidget* ipField(int ctl);
    // A number field and its spin buttons (controls `ctl`, `spinCtl`) kept in step with each
    // other and with the link setting `field`, laid out as one row.
    struct SpinNumber {
        QLineEdit* edit;
        QSpinBox* spin;
        QHBoxLayout* row;
    };
    SpinNumber spinNumber(int ctl, int spinCtl, int maxLength, int min, int max,
                          int ConnectionSettings::*field);
    void fillFromSettings();
    void applyModelRules();
    void fillBaudList();
    void channelChosen(int channel);
    bool commitNumber(int ctl, int min, int max, int& target);
    bool commitFields();
    void showIdentity(const std::optional<panel::Identity>& id);
    void clearIdentity();

    // Link check (2012 and 495).
    void startCheck(bool forPage);
    void checkEnded(const LinkCheckResult& result);
    bool validateTcp(std::array<std::uint8_t, 4>& address, int& port);
    void readDeviceBlock();
    void showDeviceSettings(const panel::DeviceSettings& s);
    std::optional<panel::DeviceSettings> deviceSettingsFromFields(bool forWrite);
    void disconnect();

    // Exchanges of the panel's own sequences.
    bool openSelected();
    void configureAt(int baudIndex);
    void send(const QByteArray& frame, int waitMs, ReplyRule rule,
              std::function<void(const QByteArray&)> reply);
    QByteArray identityRequest() const;
    int identityWaitMs(int baudIndex) const;
    // Sends the speed search's link check at `baudIndex` (the port already set to it).
    void sendIdentityCheck(int baudIndex, std::function<void(const QByteArray&)> reply);
    bool identityGood(const QByteArray& reply, std::optional<panel::Identity>* out) const;
    QByteArray rateWriteFrame(int newIndex) const;
    QByteArray nonMSettingsFrame(int index) const;
    // One timer of the panel's own: the pauses inside its sequences.
    static constexpr int kPauseTimer = 2099;
    void onTimer(int id) override;

    // Automatic connection (2014).
    void autoStart();
    void autoStep();
    void autoSucceeded(int baudIndex);
    void autoFailed();
    // Highest usable rate (2018).
    void maxRateStart();
    void maxRateStep();
    void maxRateEnd(int index);
    // Settings write (2013).
    void writeSettings();

    void sequenceEnded();
    void lockOwnControls(bool locked);
    void applyControlsLock();
    bool m_windowLocked = false;
    bool m_ownLocked = false;
    bool mModel() const;
    int topBaudIndex() const;
    panel::DeviceSettings m_written;

    Port& m_port;
    QString m_portsFolder;
    LinkState& m_linkState;
    PacedExchange& m_exchange;
    std::unique_ptr<DefaultLinkCheck> m_check;
    Done m_pageDone;
    bool m_checking = false;
    bool m_forPage = false;
    TcpCheck m_tcpCheck;
    std::optional<panel::Identity> m_identity;
    std::function<void()> m_afterPause;

    // Sequence state.
    enum class Seq { None, Auto, AutoMove, Boot, MaxRate, Write, Block } m_seq = Seq::None;
    int m_index = 0;   // rate under test
    int m_from = 0;    // assumed device rate while moving it (AutoMove)
    int m_steps = 0;   // progress

    QButtonGroup* m_channel = nullptr;
    QComboBox* m_portList = nullptr;
    QComboBox* m_baud = nullptr;
    QGroupBox* m_deviceGroup = nullptr;
    std::vector<QWidget*> m_serialOnly;  // hidden for Ethernet
    std::vector<QWidget*> m_tcpOnly;     // shown for Ethernet
    std::vector<QWidget*> m_exchangeControls;
};

}  // namespace tirv
