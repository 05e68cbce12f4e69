// What the panel keeps from one run to the next besides the connection settings: the Ethernet
// fields as they stood (complete or not) and the three option boxes.
#include "configurator/link/connection_panel.h"

#include "configurator/link/link_page_settings.h"

#include <QCheckBox>
#include <QLineEdit>

namespace tirv {

namespace {

// The four octets of an address field when every one holds 0–255; nothing otherwise.
template <typename Octet>
std::optional<std::array<std::uint8_t, 4>> Address(Octet octet)
{
    std::array<std::uint8_t, 4> out{};
    for (int k = 0; k < 4; ++k) {
        const auto v = panel::ParseDecimal(octet(k)->text().trimmed().toStdString());
        if (!v || *v > 255)
            return std::nullopt;
        out[std::size_t(k)] = std::uint8_t(*v);
    }
    return out;
}

}  // namespace

void ConnectionPanel::applyLinkPage(const LinkPageSettings& s)
{
    const std::pair<int, const std::array<std::uint8_t, 4>*> ips[] = {
        {CtlDevGateway, s.gatewayValid ? &s.gateway : nullptr},
        {CtlDevMask, s.maskValid ? &s.mask : nullptr}};
    for (auto [ctl, bytes] : ips)
        for (int k = 0; k < 4; ++k)
            octet(ctl, k)->setText(bytes ? QString::number((*bytes)[std::size_t(k)]) : QString());
    for (int k = 0; k < 6; ++k)
        control<QLineEdit>(CtlDevMac1 + k)
            ->setText(QString::number(s.macPresent ? s.mac[std::size_t(k)] : 0, 16).toUpper());
    control<QCheckBox>(CtlDevTimeSync)->setChecked(s.masterTimeSync);
    control<QCheckBox>(CtlDevEthernetOn)->setChecked(s.ethernetOn);
    control<QCheckBox>(CtlReadAllChannels)->setChecked(s.readAllChannels);
}

LinkPageSettings ConnectionPanel::linkPage() const
{
    LinkPageSettings s;
    const auto field = [this](int ctl) { return [this, ctl](int k) { return octet(ctl, k); }; };
    if (const auto ip = Address(field(CtlTcpAddress))) {
        s.ipValid = true;
        s.ip = *ip;
    }
    const auto port = panel::ParseDecimal(
        control<QLineEdit>(CtlTcpPort)->text().trimmed().toStdString());
    s.tcpPort = port && *port <= 65535 ? int(*port) : 0;
    if (const auto g = Address(field(CtlDevGateway))) {
        s.gatewayValid = true;
        s.gateway = *g;
    }
    if (const auto m = Address(field(CtlDevMask))) {
        s.maskValid = true;
        s.mask = *m;
    }
    bool allBytes = true;
    bool anyNonZero = false;
    for (int k = 0; k < 6; ++k) {
        const auto v = panel::ParseHexByte(
            control<QLineEdit>(CtlDevMac1 + k)->text().trimmed().toStdString());
        allBytes = allBytes && v && *v <= 255;
        if (allBytes) {
            s.mac[std::size_t(k)] = std::uint8_t(*v);
            anyNonZero = anyNonZero || *v != 0;
        }
    }
    s.macPresent = allBytes && anyNonZero;
    if (!s.macPresent)
        s.mac = {};
    s.masterTimeSync = control<QCheckBox>(CtlDevTimeSync)->isChecked();
    s.ethernetOn = control<QCheckBox>(CtlDevEthernetOn)->isChecked();
    s.readAllChannels = control<QCheckBox>(CtlReadAllChannels)->isChecked();
    return s;
}

}  // namespace tirv
