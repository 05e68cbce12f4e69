// The connection panel's exchanges: link check (2012, 495), Ethernet field checks, the relay's
// settings block, "Откл. от порта", automatic connection (2014), highest usable speed (2018) and
// the settings write (2013).
#include "configurator/link/connection_panel.h"

#include "common/reporter.h"
#include "configurator/link/byte_views.h"
#include "configurator/link/frames.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/port.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/registers.h"
#include "configurator/link/text_frames.h"
#include "configurator/link/texts.h"
#include "configurator/shell/shell_ids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace tirv {

namespace tp = panel_texts;
using link_texts::Text;

namespace {

constexpr int kIdentityMarginMs = 20;


}  // namespace

void ConnectionPanel::command(int id)
{
    switch (id) {
    case CtlCheckLink:
        startCheck(false);
        break;
    case PageCmdConnect:
        // A new request replaces a check still under way (its port was just closed).
        if (m_checking && !m_pageDone)
            m_check->abortCheck();
        startCheck(true);
        break;
    case CtlAutoConnect:
        autoStart();
        break;
    case CtlMaxRate:
        maxRateStart();
        break;
    case CtlWrite:
        writeSettings();
        break;
    case CtlDisconnect:
        disconnect();
        break;
    default:
        break;
    }
}

// --- Link check -------------------------------------------------------------------------------

bool ConnectionPanel::validateTcp(std::array<std::uint8_t, 4>& address, int& port)
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
        address = check.address;
        port = check.port;
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
    shell().reporter().ask(
        {Text(link_texts::kCaptionError), Text(text), MsgIcon::Warning, MsgButtons::Ok});
    focus->setFocus();
    return false;
}

void ConnectionPanel::startCheck(bool forPage)
{
    // A check the window's timer sent runs on the settings as they stand: nobody is at the
    // fields to answer for them.
    const bool fromTimer = shell().state().linkCheckFromTimer;
    shell().state().linkCheckFromTimer = false;
    if (m_checking || m_seq != Seq::None)
        return;
    if (!fromTimer && !commitFields())
        return;
    ConnectionSettings& s = shell().state().link;
    if (s.channel == Channel::Ethernet) {
        std::array<std::uint8_t, 4> address{};
        int port = 0;
        if (!validateTcp(address, port))
            return;
        s.tcpAddress = address;
        s.tcpPort = port;
        if (m_tcpCheck)
            m_tcpCheck(address, port);
        return;
    }
    m_forPage = forPage;
    checkLink(nullptr);
}

void ConnectionPanel::checkLink(Done done)
{
    if (m_checking) {
        if (done)
            done({LinkCheckEnd::Failed, {}, false});
        return;
    }
    m_checking = true;
    m_pageDone = std::move(done);
    lockOwnControls(true);
    m_check->checkLink([this](const LinkCheckResult& r) { checkEnded(r); });
}

void ConnectionPanel::abortCheck() { m_check->abortCheck(); }

void ConnectionPanel::checkEnded(const LinkCheckResult& result)
{
    m_checking = false;
    LinkCheckResult r = result;
    Reporter& rep = shell().reporter();
    control<QLabel>(CtlPortState)->setText(
        Text(r.end == LinkCheckEnd::PortUnavailable ? link_texts::kPortUnavailableField
                                                    : link_texts::kPortOpen));
    if (r.end == LinkCheckEnd::Established && r.haveIdentity) {
        const auto id = panel::DecodeIdentity(r.identity);
        if (!id) {
            // A relay of another family answered: the link counts as failed.
            r.end = LinkCheckEnd::Failed;
            m_linkState.setEstablished(false);
            rep.status(Text(link_texts::kLinkCheckFailed), StatusIcon::Warning);
            rep.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
            clearIdentity();
        } else {
            showIdentity(id);
            const int code = id->mModel ? std::max(id->modelCode, 715) : id->modelCode;
            if (code != shell().state().modelCode && panel::ModelItem(code)) {
                shell().setModelCode(code);
                applyModelRules();
            }
        }
    }
    if (r.end == LinkCheckEnd::Established) {
        shell().setModeText(Text(tp::kDeviceAddress).arg(shell().state().link.address));
        m_linkState.setBootloaderMode(false);
    }
    // A check between the repeats of a transfer goes straight back to it: the transfer holds
    // the port, so the settings block is not read then.
    const bool forTransfer = static_cast<bool>(m_pageDone);
    lockOwnControls(false);  // the window keeps its own lock while its exchange runs
    if (forTransfer) {
        auto done = std::move(m_pageDone);
        m_pageDone = nullptr;
        done(r);
    }
    if (!forTransfer && r.end == LinkCheckEnd::Established &&
        control<QCheckBox>(CtlReadAllChannels)->isChecked() &&
        shell().state().link.protocol == Protocol::Modbus)
        readDeviceBlock();
    shell().linkChanged();
}

// With 3005 checked a link check also reads the relay's settings block and shows it.
void ConnectionPanel::readDeviceBlock()
{
    const bool m = mModel();
    const RegisterBlock block = m ? regs::kCommSettingsM : regs::kCommSettings;
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const auto address = std::uint8_t(shell().state().link.address);
    const std::size_t n = BuildReadRegisters(buf, address, block.start, block.count);
    m_seq = Seq::Block;
    send(Frame(buf, n), ReadWaitMs(n, block.count, shell().state().link.baudIndex),
         ModbusReply(0x03, int(ReadReplyLength(block.count))),
         [this, block, address, m](const QByteArray& reply) {
             sequenceEnded();
             if (CheckReadReply(Bytes(reply), address, Function::ReadRegisters, block.count) !=
                 LinkResult::Good)
                 return;
             std::vector<std::uint16_t> regsRead(block.count);
             for (std::size_t k = 0; k < regsRead.size(); ++k)
                 regsRead[k] = ReadReplyRegister(Bytes(reply), k);
             const auto s = m ? panel::DecodeM(regsRead) : panel::DecodeNonM(regsRead);
             if (s)
                 showDeviceSettings(*s);
         });
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
std::optional<panel::DeviceSettings> ConnectionPanel::deviceSettingsFromFields(bool forWrite)
{
    panel::DeviceSettings s;
    Reporter& rep = shell().reporter();
    const auto fail = [&](QWidget* w, bool message) -> std::optional<panel::DeviceSettings> {
        if (forWrite && message) {
            rep.status(Text(tp::kInputErrorStatus), StatusIcon::Warning);
            rep.ask({Text(tp::kInputErrorCaption), Text(tp::kEnterValue), MsgIcon::Warning,
                     MsgButtons::Ok});
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

// Ethernet: the identity arrives from the Modbus TCP read of 130–134.
void ConnectionPanel::tcpIdentityArrived(std::span<const std::uint16_t, 5> regs)
{
    Reporter& rep = shell().reporter();
    const auto id = panel::DecodeIdentity(regs);
    if (!id || !panel::ModelItem(id->modelCode) || id->mModel != (id->modelCode >= 715)) {
        rep.status(Text(tp::kBadIdentity), StatusIcon::Warning);
        clearIdentity();
        return;
    }
    showIdentity(id);
    rep.linkState(Text(link_texts::kTcpConnected), StatusIcon::Ok);
    if (id->modelCode != shell().state().modelCode) {
        shell().setModelCode(id->modelCode);
        applyModelRules();
    }
    shell().linkChanged();
}

void ConnectionPanel::disconnect()
{
    ClosePort(m_port, m_linkState);
    m_linkState.notifyPortClosed();
    control<QLabel>(CtlPortState)->clear();
    control(CtlMaxRate)->setEnabled(false);
}

// --- Exchanges of the sequences -----------------------------------------------------------------

bool ConnectionPanel::openSelected()
{
    const ConnectionSettings& s = shell().state().link;
    if (m_port.isOpen() && m_port.number() != s.port)
        m_port.close();
    if (!m_port.isOpen() && !OpenPort(m_port, s.port)) {
        control<QLabel>(CtlPortState)->setText(Text(link_texts::kPortUnavailableField));
        ReportPortUnavailable(shell().reporter(), s.port);
        return false;
    }
    control<QLabel>(CtlPortState)->setText(Text(link_texts::kPortOpen));
    return true;
}

void ConnectionPanel::configureAt(int baudIndex)
{
    const ConnectionSettings& s = shell().state().link;
    ConfigurePort(m_port, baudIndex, s.parity, s.stopBits, mModel());
    SetProtocolTimeouts(m_port, s.protocol, baudIndex);
}

void ConnectionPanel::send(const QByteArray& frame, int waitMs, ReplyRule rule,
                           std::function<void(const QByteArray&)> reply)
{
    ExchangeRequest request{frame, waitMs, rule};
    const bool started = m_exchange.start(request, [reply](const ExchangeReply& r) {
        reply(r.end == ExchangeEnd::Reply ? r.bytes : QByteArray());
    });
    if (!started)
        reply({});
}

QByteArray ConnectionPanel::identityRequest() const
{
    const ConnectionSettings& s = shell().state().link;
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const auto address = std::uint8_t(s.address);
    const std::size_t n = s.protocol == Protocol::Tirv
                              ? BuildTextLinkCheck(buf, address)
                              : BuildReadRegisters(buf, address, regs::kIdentity.start,
                                                   regs::kIdentity.count);
    return Frame(buf, n);
}

int ConnectionPanel::identityWaitMs(int baudIndex) const
{
    return LinkCheckWaitMs(baudIndex) + kIdentityMarginMs;
}

void ConnectionPanel::sendIdentityCheck(int baudIndex,
                                        std::function<void(const QByteArray&)> reply)
{
    const ReplyRule rule = shell().state().link.protocol == Protocol::Tirv
                               ? TextFrameReply()
                               : ModbusReply(0x03, int(ReadReplyLength(regs::kIdentity.count)));
    send(identityRequest(), identityWaitMs(baudIndex), rule, std::move(reply));
}

// The stricter check of the speed search: a Modbus reply must carry a known family signature;
// a ТИРВ-protocol reply must echo the request's first five characters, start its value with
// "<" or "Y" as the loopback selector says, and carry a correct CRC (a line at the wrong speed
// can garble a frame into something that still looks like an echo).
bool ConnectionPanel::identityGood(const QByteArray& reply,
                                   std::optional<panel::Identity>* out) const
{
    const ConnectionSettings& s = shell().state().link;
    if (reply.isEmpty())
        return false;
    if (s.protocol == Protocol::Tirv) {
        const QByteArray request = identityRequest();
        const char expected = control<QComboBox>(CtlLoopback)->currentIndex() == 0 ? '<' : 'Y';
        return reply.startsWith(':') && reply.size() > 5 && reply.left(5) == request.left(5) &&
               reply.at(5) == expected && CheckTextFrameCrc(Bytes(reply)).good();
    }
    if (CheckReadReply(Bytes(reply), std::uint8_t(s.address), Function::ReadRegisters,
                       regs::kIdentity.count) != LinkResult::Good)
        return false;
    std::array<std::uint16_t, 5> r{};
    for (std::size_t k = 0; k < r.size(); ++k)
        r[k] = ReadReplyRegister(Bytes(reply), k);
    const auto id = panel::DecodeIdentity(r);
    if (out)
        *out = id;
    return id.has_value();
}

void ConnectionPanel::onTimer(int id)
{
    if (id != kPauseTimer)
        return;
    killTimer(id);
    if (auto next = std::move(m_afterPause)) {
        m_afterPause = nullptr;
        next();
    }
}

void ConnectionPanel::sequenceEnded()
{
    // Reading the settings block follows a link check and never locked the window.
    if (m_seq != Seq::Block)
        shell().lockControls(false);
    m_seq = Seq::None;
    lockOwnControls(false);
}

}  // namespace tirv
