#pragma once
// The connection panel (page 10, dialog 108): the connection settings every exchange reads, the
// identity of the connected relay and the buttons of the link session's sequences: the link
// check (2012, 495), automatic connection with speed detection (2014), the highest usable speed
// (2018), writing the relay's communication settings (2013) and "Откл. от порта" (2110). The
// panel only checks and shows fields; the session (an operation) talks to the relay.
//
// The settings live in the shell's state (ShellState::link); the panel edits them in place, so
// the link layer, which holds a reference to the same record, always reads the current values.
#include "configurator/link/connection_settings.h"
#include "configurator/link/panel_rules.h"
#include "configurator/ui/page.h"

#include <optional>
#include <vector>

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

class LinkSession;
struct LinkPageSettings;

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
    CtlFrameReply = 2022,    // the last reply's bytes of a service exchange
    CtlFrameRequest = 2038,  // the last request's bytes
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

class ConnectionPanel : public Page {
public:
    // `portsFolder`: where the COM entries are listed (empty: ports/ beside the programs).
    ConnectionPanel(Shell& shell, LinkSession& session, QString portsFolder = {},
                    QWidget* parent = nullptr);
    ~ConnectionPanel() override;

    void command(int id) override;
    void setControlsLocked(bool locked) override;
    void pageShown() override;

    // Re-reads the port list (device arrival) and reselects the stored port.
    void refreshPorts();
    // Shows the settings-file path and the command-line file (controls 2031, 2028, 2030).
    void showPaths(const QString& settingsPath, int commandLineKind, const QString& path);
    // The octet k (0–3) of an IPv4 field (2065, 2069, 2076, 2077).
    QLineEdit* octet(int ctl, int k) const;
    // Checks the fields the way a link check does and stores them in the connection settings;
    // false (the message shown, the focus on the field) when one is invalid.
    bool commitFields();
    // The Ethernet address and port fields, checked and stored; false with the message and focus.
    bool commitTcpFields();
    // The fields kept in the program settings besides the connection settings: the device's
    // gateway, mask and MAC, the option boxes 2011, 2066 and 3005; and, when read back, the
    // Ethernet address and port fields as they stand (an incomplete address counts as none).
    void applyLinkPage(const LinkPageSettings& s);
    LinkPageSettings linkPage() const;
    // Frame field 2038 (request) or 2022 (reply) shows `text`.
    void showFrameBytes(int ctl, const QString& text);

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
    void showIdentity();
    void showDeviceSettings(const panel::DeviceSettings& s);
    std::optional<panel::DeviceSettings> deviceSettingsFromFields();
    int deviceAddressField() const;
    bool mModel() const;

    void sessionRunning(bool running);
    void applyControlsLock();

    LinkSession& m_session;
    QString m_portsFolder;
    bool m_windowLocked = false;
    bool m_ownLocked = false;
    bool m_portsListed = false;  // the first listing (at start) may choose another port

    QButtonGroup* m_channel = nullptr;
    QComboBox* m_portList = nullptr;
    QComboBox* m_baud = nullptr;
    QGroupBox* m_deviceGroup = nullptr;
    std::vector<QWidget*> m_serialOnly;  // hidden for Ethernet
    std::vector<QWidget*> m_tcpOnly;     // shown for Ethernet
    std::vector<QWidget*> m_exchangeControls;
};

}  // namespace tirv
