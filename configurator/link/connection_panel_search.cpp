// The connection panel's longer sequences: automatic connection with speed search (2014), the
// highest usable speed (2018) and writing the relay's communication settings (2013).
#include "configurator/link/connection_panel.h"

#include "common/reporter.h"
#include "configurator/link/byte_views.h"
#include "configurator/link/frames.h"
#include "configurator/link/link_state.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/port.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/registers.h"
#include "configurator/link/text_frames.h"
#include "configurator/link/texts.h"
#include "configurator/shell/shell_ids.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace tirv {

namespace tp = panel_texts;
using link_texts::Text;

namespace {

constexpr int kProgressMax = 50;
constexpr int kRateSwitchMarginMs = 40;

// The ТИРВ protocol carries the settings codes without the 0x8000 mark of settings registers
// (its numbers stop at 15 bits).
std::array<std::int32_t, 3> TextSettingsValues(const std::array<std::uint16_t, 3>& v)
{
    return {v[0], v[1] & 0x7FFF, v[2] & 0x7FFF};
}

// A settings write that failed, or whose frame could not even be built: the link words.
void ReportWriteFailed(Reporter& rep)
{
    rep.status(Text(link_texts::kWriteFailed), StatusIcon::Warning);
    rep.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
    rep.ask({Text(link_texts::kCaptionReadWrite), Text(link_texts::kCannotConnect),
             MsgIcon::Warning, MsgButtons::Ok});
}

}  // namespace

// The three values of the non-M settings block — the device-side address of 2056, the baud code
// and the protocol code. The automatic connection moves a relay of any model with it (every
// relay takes it at 115), and it is the ТИРВ protocol's only settings write: 115 on RS-485,
// 365 on USB. Empty when the codec refuses the frame.
QByteArray ConnectionPanel::nonMSettingsFrame(int index) const
{
    const ConnectionSettings& s = shell().state().link;
    const auto address = std::uint8_t(s.address);
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const auto values = panel::EncodeNonM(control<QLineEdit>(CtlDevAddress)->text().toInt(),
                                          index, int(s.protocol));
    std::size_t n = 0;
    if (s.protocol == Protocol::Tirv) {
        const std::uint16_t start =
            s.channel == Channel::Usb ? regs::kCommSettingsM.start : regs::kCommSettings.start;
        n = BuildTextWrite({TextVariant(s.protocolVariant), s.valuesPerFrame}, buf, address,
                           start, 3, TextSettingsValues(values));
    } else {
        n = BuildWriteRegisters(buf, address, regs::kCommSettings.start, 3,
                                std::span<const std::uint16_t>(values));
    }
    return Frame(buf, n);
}

// The frame that moves the relay to `index`, in the form its model and firmware take.
QByteArray ConnectionPanel::rateWriteFrame(int index) const
{
    const ConnectionSettings& s = shell().state().link;
    const auto address = std::uint8_t(s.address);
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    std::size_t n = 0;
    const int firmware = m_identity ? m_identity->firmwareX100 : 0;
    if (s.protocol == Protocol::Tirv)
        return nonMSettingsFrame(index);
    switch (panel::RateWriteFor(mModel(), firmware)) {
    case panel::RateWrite::NonMBlock: {
        const int devAddress = s.channel == Channel::Rs485 ? s.address : 1;
        const auto v = panel::EncodeNonM(devAddress, index, int(s.protocol));
        n = BuildWriteRegisters(buf, address, regs::kCommSettings.start, 3,
                                std::span<const std::uint16_t>(v));
        break;
    }
    case panel::RateWrite::MSingle: {
        const std::array<std::uint16_t, 1> v{panel::BaudCode(index)};
        const std::uint16_t reg = s.channel == Channel::Usb ? regs::kBaudUsbM : regs::kBaudRs485M;
        n = BuildWriteRegisters(buf, address, reg, 1, std::span<const std::uint16_t>(v));
        break;
    }
    case panel::RateWrite::MBlock: {
        panel::DeviceSettings d = m_written;
        if (s.channel == Channel::Usb)
            d.usbBaudIndex = index;
        else
            d.rsBaudIndex = index;
        const auto v = panel::EncodeM(d);
        n = BuildWriteRegisters(buf, address, regs::kCommSettingsM.start, 19,
                                std::span<const std::uint16_t>(v));
        break;
    }
    }
    return Frame(buf, n);
}

// --- Automatic connection (2014) ---------------------------------------------------------------

void ConnectionPanel::autoStart()
{
    if (m_seq != Seq::None || m_checking || !commitFields())
        return;
    if (!openSelected())
        return;
    m_seq = Seq::Auto;
    shell().lockControls(true);
    lockOwnControls(true);
    m_steps = 0;
    m_index = topBaudIndex();
    shell().reporter().status(Text(tp::kAutoConnecting), StatusIcon::Info);
    shell().reporter().progress(0, kProgressMax);
    autoStep();
}

void ConnectionPanel::autoStep()
{
    const QByteArray check = identityRequest();
    if (check.isEmpty()) {
        // The settings give no link-check frame (a ТИРВ-protocol address beyond its one-character
        // form): no speed can answer.
        autoFailed();
        return;
    }
    const bool moving = m_seq == Seq::AutoMove;
    const BaudIndexRange range =
        OfferedBaudIndexes(mModel(), shell().state().link.channel == Channel::Usb);
    if (!moving && m_index < range.first) {
        // No speed answered: try to move the relay from each speed to a lower one.
        m_seq = Seq::AutoMove;
        m_from = range.end - 1;
        m_index = m_from - 1;
    }
    if (m_seq == Seq::AutoMove) {
        if (m_index < range.first) {
            --m_from;
            m_index = m_from - 1;
        }
        if (m_from <= range.first) {
            autoFailed();
            return;
        }
        configureAt(m_from);
        const int target = m_index;
        const QByteArray move = nonMSettingsFrame(target);
        if (move.isEmpty()) {
            autoFailed();
            return;
        }
        send(move, 0, NoReply(), [this, target](const QByteArray&) {
            m_afterPause = [this, target] {
                shell().reporter().progress(++m_steps, kProgressMax);
                configureAt(target);
                sendIdentityCheck(target, [this, target](const QByteArray& reply) {
                    std::optional<panel::Identity> id;
                    if (identityGood(reply, &id)) {
                        m_identity = id;
                        autoSucceeded(target);
                        return;
                    }
                    --m_index;
                    autoStep();
                });
            };
            setTimer(kPauseTimer, LinkCheckWaitMs(m_from));
        });
        return;
    }
    const int index = m_index;
    configureAt(index);
    sendIdentityCheck(index, [this, index](const QByteArray& reply) {
        std::optional<panel::Identity> id;
        if (identityGood(reply, &id)) {
            m_identity = id;
            autoSucceeded(index);
            return;
        }
        shell().reporter().progress(++m_steps, kProgressMax);
        --m_index;
        autoStep();
    });
}

void ConnectionPanel::autoSucceeded(int baudIndex)
{
    ConnectionSettings& s = shell().state().link;
    s.baudIndex = baudIndex;
    sequenceEnded();
    const auto id = m_identity;
    if (id) {
        showIdentity(id);
        const int code = id->modelCode;
        if (code != shell().state().modelCode && panel::ModelItem(code)) {
            shell().setModelCode(code);
            applyModelRules();
        }
    }
    fillBaudList();
    shell().reporter().progress(0, 0);
    shell().reporter().linkState(Text(link_texts::kLinkEstablished), StatusIcon::Ok);
    shell().setModeText(Text(tp::kDeviceAddress).arg(s.address));
    m_linkState.setBootloaderMode(false);
    m_linkState.setEstablished(true);
    control(CtlMaxRate)->setEnabled(true);
    // The speed found is then taken through the ordinary link check (identity, and the
    // relay's settings block when 3005 asks for it) once the line is free.
    shell().setWindowTimer(TimerAutoLinkCheck, LinkCheckWaitMs(baudIndex));
}

void ConnectionPanel::autoFailed()
{
    Reporter& rep = shell().reporter();
    rep.progress(kProgressMax, kProgressMax);
    rep.progress(0, 0);
    rep.status(Text(link_texts::kOperationFailed), StatusIcon::Warning);
    rep.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
    clearIdentity();
    m_linkState.setEstablished(false);
    if (mModel()) {
        sequenceEnded();
        return;
    }
    // A non-M relay may be waiting in its bootloader, which answers only at address 1, 57600.
    m_seq = Seq::Boot;
    const ConnectionSettings& s = shell().state().link;
    ConfigurePort(m_port, s.bootBaudIndex, Parity::None, StopBits::One, false);
    SetProtocolTimeouts(m_port, Protocol::Modbus, s.bootBaudIndex);
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const std::size_t n = BuildBootRead(buf, regs::kBootAddress, 0, 5);
    send(Frame(buf, n), identityWaitMs(s.bootBaudIndex),
         ModbusReply(std::uint8_t(Function::BootRead), int(ReadReplyLength(5))),
         [this](const QByteArray& reply) {
             sequenceEnded();
             if (CheckReadReply(Bytes(reply), regs::kBootAddress, Function::BootRead, 5) !=
                 LinkResult::Good)
                 return;
             Reporter& r = shell().reporter();
             r.status(Text(tp::kBootloaderWaiting), StatusIcon::Warning);
             shell().setModeText(Text(tp::kBootloaderMode));
             control<QLabel>(CtlPortState)->setText(Text(tp::kBootloaderMode));
             r.linkState(Text(link_texts::kLinkEstablished), StatusIcon::Ok);
             m_linkState.setBootloaderMode(true);
         });
}

// --- Highest usable rate (2018) ----------------------------------------------------------------

void ConnectionPanel::maxRateStart()
{
    if (m_seq != Seq::None || m_checking || !m_linkState.established())
        return;
    if (!openSelected())
        return;
    // The M block form carries the relay's other settings as the group shows them.
    if (auto d = deviceSettingsFromFields(false))
        m_written = *d;
    m_seq = Seq::MaxRate;
    shell().lockControls(true);
    lockOwnControls(true);
    m_index = shell().state().link.baudIndex;
    maxRateStep();
}

void ConnectionPanel::maxRateStep()
{
    const int next = m_index + 1;
    if (next > topBaudIndex()) {
        maxRateEnd(m_index);
        return;
    }
    const QByteArray move = rateWriteFrame(next);
    if (move.isEmpty() || identityRequest().isEmpty()) {
        // Nothing sensible to send with these settings: the speed stays as it is.
        sequenceEnded();
        shell().reporter().status(Text(link_texts::kOperationFailed), StatusIcon::Warning);
        return;
    }
    configureAt(m_index);
    send(move, 0, NoReply(), [this, next](const QByteArray&) {
        m_afterPause = [this, next] {
            configureAt(next);
            sendIdentityCheck(next, [this, next](const QByteArray& reply) {
                if (identityGood(reply, nullptr)) {
                    m_index = next;
                    maxRateStep();
                    return;
                }
                // Back to the last good speed: told at the new speed, where the relay
                // listens now.
                const int back = m_index;
                send(rateWriteFrame(back), 0, NoReply(), [this, back, next](const QByteArray&) {
                    m_afterPause = [this, back] {
                        configureAt(back);
                        maxRateEnd(back);
                    };
                    setTimer(kPauseTimer, LinkCheckWaitMs(next) + kRateSwitchMarginMs);
                });
            });
        };
        setTimer(kPauseTimer, LinkCheckWaitMs(m_index) + kRateSwitchMarginMs);
    });
}

void ConnectionPanel::maxRateEnd(int index)
{
    shell().state().link.baudIndex = index;
    fillBaudList();
    control<QLineEdit>(CtlMaxRateField)->setText(QString::number(kBaudRates[size_t(index)]));
    sequenceEnded();
}

// --- Settings write (2013) ---------------------------------------------------------------------

void ConnectionPanel::writeSettings()
{
    if (m_seq != Seq::None || m_checking || !commitFields())
        return;
    const auto fields = deviceSettingsFromFields(true);
    if (!fields)
        return;
    if (!openSelected())
        return;
    ConnectionSettings& s = shell().state().link;
    configureAt(s.baudIndex);
    const auto address = std::uint8_t(s.address);
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    std::size_t n = 0;
    std::uint16_t start = 0;
    std::uint16_t count = 0;
    const bool m = mModel();
    if (s.protocol == Protocol::Tirv) {
        const int baud = s.channel == Channel::Usb ? fields->usbBaudIndex : fields->rsBaudIndex;
        const int protocol = s.channel == Channel::Usb
                                 ? control<QComboBox>(CtlDevUsbProtocol)->currentIndex()
                                 : fields->rsProtocol;
        const auto v = panel::EncodeNonM(fields->rsAddress, baud, protocol);
        const auto values = TextSettingsValues(v);
        start = s.channel == Channel::Usb ? regs::kCommSettingsM.start : regs::kCommSettings.start;
        n = BuildTextWrite({TextVariant(s.protocolVariant), s.valuesPerFrame}, buf, address,
                           start, 3, values);
    } else if (m) {
        const auto v = panel::EncodeM(*fields);
        start = regs::kCommSettingsM.start;
        count = 19;
        n = BuildWriteRegisters(buf, address, start, count, std::span<const std::uint16_t>(v));
    } else {
        const auto v = panel::EncodeNonM(fields->rsAddress, fields->rsBaudIndex, fields->rsProtocol);
        start = regs::kCommSettings.start;
        count = 3;
        n = BuildWriteRegisters(buf, address, start, count, std::span<const std::uint16_t>(v));
    }
    if (n == 0) {
        // The codec refused the frame (values per frame outside its range): nothing is sent and
        // the panel keeps its settings.
        ReportWriteFailed(shell().reporter());
        return;
    }
    const QByteArray frame = Frame(buf, n);
    m_seq = Seq::Write;
    shell().lockControls(true);
    lockOwnControls(true);
    const panel::DeviceSettings written = *fields;
    const ReplyRule rule = s.protocol == Protocol::Tirv
                               ? TextFrameReply()
                               : ModbusReply(std::uint8_t(Function::WriteRegisters),
                                             int(kWriteAckLength));
    const int wait = s.protocol == Protocol::Tirv ? TextReplyWaitMs(s.baudIndex)
                                                  : WriteWaitMs(std::size_t(n), s.baudIndex);
    send(frame, wait, rule, [this, frame, start, count, address, written](const QByteArray& r) {
        sequenceEnded();
        ConnectionSettings& cs = shell().state().link;
        Reporter& rep = shell().reporter();
        bool good = false;
        if (cs.protocol == Protocol::Tirv) {
            good = !r.isEmpty() &&
                   ParseTextWriteAck({TextVariant(cs.protocolVariant), cs.valuesPerFrame},
                                     Bytes(r), Bytes(frame))
                       .good();
        } else {
            const LinkResult res =
                CheckWriteReply(Bytes(r), address, Function::WriteRegisters, start, count);
            if (res == LinkResult::Exception) {
                rep.ask({Text(link_texts::kCaptionWarning), Text(link_texts::kDeviceCannotExecute),
                         MsgIcon::Warning, MsgButtons::Ok});
                return;
            }
            good = res == LinkResult::Good;
        }
        if (!good) {
            ReportWriteFailed(rep);
            return;
        }
        // The relay now talks with the new settings: the panel takes them over.
        if (cs.channel == Channel::Usb) {
            cs.baudIndex = written.usbBaudIndex;
            cs.protocol = Protocol(control<QComboBox>(CtlDevUsbProtocol)->currentIndex());
        } else {
            cs.address = written.rsAddress;
            cs.baudIndex = written.rsBaudIndex;
            cs.protocol = Protocol(written.rsProtocol);
        }
        m_written = written;
        fillFromSettings();
        fillBaudList();
        rep.status(Text(tp::kNewSettingsWritten), StatusIcon::Ok);
        rep.linkState(Text(link_texts::kLinkEstablished), StatusIcon::Ok);
        m_linkState.setEstablished(false);
    });
}

}  // namespace tirv
