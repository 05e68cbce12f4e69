// The connection panel's buttons: each checks the fields it needs and starts the link session's
// sequence with their values; the session's results come back as signals (see the constructor).
#include "configurator/link/connection_panel.h"

#include "gui/reporter.h"
#include "configurator/link/link_session.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/registers.h"
#include "configurator/link/texts.h"
#include "configurator/ui/ids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace tirv {

namespace tp = panel_texts;
using link_texts::Text;

void ConnectionPanel::command(int id)
{
    const ConnectionSettings& s = shell().state().link;
    const int loopback = control<QComboBox>(CtlLoopback)->currentIndex();
    switch (id) {
    case CtlCheckLink:
    case PageCmdConnect:
        if (!commitFields())
            return;
        if (s.channel == Channel::Ethernet && !commitTcpFields())
            return;
        m_session.check();
        break;
    case CtlAutoConnect:
        if (commitFields())
            m_session.autoConnect(deviceAddressField(), loopback);
        break;
    case CtlMaxRate:
        m_session.maxRate(loopback);
        break;
    case CtlWrite:
        if (!commitFields())
            return;
        if (const auto fields = deviceSettingsFromFields())
            m_session.writeSettings(*fields,
                                    control<QComboBox>(CtlDevUsbProtocol)->currentIndex());
        break;
    case CtlDisconnect:
        m_session.disconnect();
        control(CtlMaxRate)->setEnabled(false);
        break;
    default:
        break;
    }
}

// The device-side address (2056) that moves a relay during the automatic connection.
int ConnectionPanel::deviceAddressField() const
{
    const auto a =
        panel::ParseDecimal(control<QLineEdit>(CtlDevAddress)->text().trimmed().toStdString());
    return a ? int(std::clamp<long>(*a, 1, 255)) : 1;
}

bool ConnectionPanel::commitTcpFields()
{
    std::array<std::string, 4> octets;
    for (int k = 0; k < 4; ++k)
        octets[size_t(k)] = octet(CtlTcpAddress, k)->text().trimmed().toStdString();
    const auto check =
        panel::CheckTcpFields(octets, control<QLineEdit>(CtlTcpPort)->text().trimmed().toStdString());
    const char* text = nullptr;
    QWidget* focus = nullptr;
    switch (check.error) {
    case panel::TcpFieldError::None:
        shell().state().link.tcpAddress = check.address;
        shell().state().link.tcpPort = check.port;
        return true;
    case panel::TcpFieldError::AddressBlank:
        text = tp::kAddressBlank;
        focus = octet(CtlTcpAddress, check.octet);
        break;
    case panel::TcpFieldError::AddressIncomplete:
        text = tp::kAddressIncomplete;
        focus = octet(CtlTcpAddress, check.octet);
        break;
    case panel::TcpFieldError::PortEmpty:
        text = tp::kPortEmpty;
        focus = control(CtlTcpPort);
        break;
    case panel::TcpFieldError::PortInvalid:
        text = tp::kPortInvalid;
        focus = control(CtlTcpPort);
        break;
    }
    // A read started from another page brings the user to the field to mend.
    if (shell().currentPage() != PageLinkSettings)
        shell().command(CmdShowLinkSettings);
    shell().reporter().ask(
        Box(Text(link_texts::kCaptionError), Text(text), MsgIcon::Warning, MsgButtons::Ok));
    focus->setFocus();
    return false;
}

void ConnectionPanel::showDeviceSettings(const panel::DeviceSettings& s)
{
    control<QComboBox>(CtlDevProtocol)->setCurrentIndex(s.rsProtocol);
    control<QLineEdit>(CtlDevAddress)->setText(QString::number(s.rsAddress));
    control<QComboBox>(CtlDevBaud)->setCurrentIndex(s.rsBaudIndex);
    control<QComboBox>(CtlDevParity)->setCurrentIndex(s.parity);
    control<QComboBox>(CtlDevStopBits)->setCurrentIndex(s.stopBits);
    control<QComboBox>(CtlDevMode)->setCurrentIndex(s.mode);
    control<QCheckBox>(CtlDevTimeSync)->setChecked(s.timeSync);
    control<QComboBox>(CtlDevUsbBaud)->setCurrentIndex(s.usbBaudIndex - kUsbFirstBaudIndex);
    control<QCheckBox>(CtlDevEthernetOn)->setChecked(s.ethernetOn);
    control<QLineEdit>(CtlDevTcpPort)->setText(QString::number(s.tcpPort));
    for (int k = 0; k < 4; ++k) {
        octet(CtlDevIp, k)->setText(QString::number(s.ip[size_t(k)]));
        octet(CtlDevGateway, k)->setText(QString::number(s.gateway[size_t(k)]));
        octet(CtlDevMask, k)->setText(QString::number(s.mask[size_t(k)]));
    }
    for (int k = 0; k < 6; ++k)
        control<QLineEdit>(CtlDevMac1 + k)
            ->setText(QString::number(s.mac[size_t(k)], 16).toUpper());
}

// The group's fields for a write: every field is checked; an invalid one gets the focus.
std::optional<panel::DeviceSettings> ConnectionPanel::deviceSettingsFromFields()
{
    panel::DeviceSettings s;
    Reporter& rep = shell().reporter();
    const auto fail = [&](QWidget* w, bool message) -> std::optional<panel::DeviceSettings> {
        if (message) {
            rep.status(Text(tp::kInputErrorStatus), StatusIcon::Warning);
            rep.ask(Box(Text(tp::kInputErrorCaption), Text(tp::kEnterValue), MsgIcon::Warning,
                     MsgButtons::Ok));
        }
        w->setFocus();
        return std::nullopt;
    };
    s.rsProtocol = control<QComboBox>(CtlDevProtocol)->currentIndex();
    auto* addr = control<QLineEdit>(CtlDevAddress);
    const auto a = panel::ParseDecimal(addr->text().trimmed().toStdString());
    if (!a)
        return fail(addr, true);
    s.rsAddress = int(std::clamp<long>(*a, 1, 255));
    s.rsBaudIndex = control<QComboBox>(CtlDevBaud)->currentIndex();
    s.parity = control<QComboBox>(CtlDevParity)->currentIndex();
    s.stopBits = control<QComboBox>(CtlDevStopBits)->currentIndex();
    s.mode = control<QComboBox>(CtlDevMode)->currentIndex();
    s.timeSync = control<QCheckBox>(CtlDevTimeSync)->isChecked();
    s.usbBaudIndex = control<QComboBox>(CtlDevUsbBaud)->currentIndex() + kUsbFirstBaudIndex;
    s.ethernetOn = control<QCheckBox>(CtlDevEthernetOn)->isChecked();
    auto* port = control<QLineEdit>(CtlDevTcpPort);
    const auto p = panel::ParseDecimal(port->text().trimmed().toStdString());
    if (!p || *p > 65535)
        return fail(port, !p);
    s.tcpPort = int(*p);
    const std::pair<int, std::array<std::uint8_t, 4>*> ips[] = {
        {CtlDevIp, &s.ip}, {CtlDevGateway, &s.gateway}, {CtlDevMask, &s.mask}};
    for (auto [ctl, dest] : ips) {
        for (int k = 0; k < 4; ++k) {
            const auto v = panel::ParseDecimal(octet(ctl, k)->text().trimmed().toStdString());
            (*dest)[size_t(k)] = std::uint8_t(v && *v <= 255 ? *v : 0);
        }
    }
    for (int k = 0; k < 6; ++k) {
        auto* e = control<QLineEdit>(CtlDevMac1 + k);
        const auto v = panel::ParseHexByte(e->text().trimmed().toStdString());
        if (!v || *v > 255)
            return fail(e, false);
        s.mac[size_t(k)] = std::uint8_t(*v);
    }
    return s;
}

}  // namespace tirv
