// The link session's longer sequences: automatic connection with speed search (2014), the
// highest usable speed (2018) and writing the relay's communication settings (2013).
#include "configurator/link/link_session.h"

#include "gui/reporter.h"
#include "configurator/link/byte_views.h"
#include "configurator/link/frames.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/registers.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/text_frames.h"
#include "configurator/link/texts.h"

namespace tirv {

namespace tp = panel_texts;
using link_texts::Text;

namespace {

constexpr int kProgressMax = 50;
constexpr int kRateSwitchMarginMs = 40;
constexpr int kIdentityMarginMs = 20;

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
    rep.ask(Box(Text(link_texts::kCaptionReadWrite), Text(link_texts::kCannotConnect),
             MsgIcon::Warning, MsgButtons::Ok));
}

}  // namespace

// The three values of the non-M settings block — the device-side address, the baud code and the
// protocol code. The automatic connection moves a relay of any model with it (every relay takes
// it at 115), and it is the ТИРВ protocol's only settings write: 115 on RS-485, 365 on USB.
// Empty when the codec refuses the frame.
int LinkSession::topBaudIndex() const
{
    return OfferedBaudIndexes(mModel(), m_settings.channel == Channel::Usb).end - 1;
}

QByteArray LinkSession::nonMSettingsFrame(int deviceAddress, int index) const
{
    const auto address = std::uint8_t(m_settings.address);
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const auto values = panel::EncodeNonM(deviceAddress, index, int(m_settings.protocol));
    std::size_t n = 0;
    if (m_settings.protocol == Protocol::Tirv) {
        const std::uint16_t start = m_settings.channel == Channel::Usb ? regs::kCommSettingsM.start
                                                                       : regs::kCommSettings.start;
        n = BuildTextWrite({TextVariant(m_settings.protocolVariant), m_settings.valuesPerFrame},
                           buf, address, start, 3, TextSettingsValues(values));
    } else {
        n = BuildWriteRegisters(buf, address, regs::kCommSettings.start, 3,
                                std::span<const std::uint16_t>(values));
    }
    return Frame(buf, n);
}

// The frame that moves the relay to `index`, in the form its model and firmware take. The
// 19-register form carries the relay's other settings as they were read from it (m_device); the
// caller never gets here without them.
QByteArray LinkSession::rateWriteFrame(int index) const
{
    const auto address = std::uint8_t(m_settings.address);
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    std::size_t n = 0;
    const int firmware = m_identity ? m_identity->firmwareX100 : 0;
    if (m_settings.protocol == Protocol::Tirv)
        return nonMSettingsFrame(m_settings.channel == Channel::Rs485 ? m_settings.address : 1,
                                 index);
    switch (panel::RateWriteFor(mModel(), firmware)) {
    case panel::RateWrite::NonMBlock: {
        const int devAddress = m_settings.channel == Channel::Rs485 ? m_settings.address : 1;
        const auto v = panel::EncodeNonM(devAddress, index, int(m_settings.protocol));
        n = BuildWriteRegisters(buf, address, regs::kCommSettings.start, 3,
                                std::span<const std::uint16_t>(v));
        break;
    }
    case panel::RateWrite::MSingle: {
        const std::array<std::uint16_t, 1> v{panel::BaudCode(index)};
        const std::uint16_t reg =
            m_settings.channel == Channel::Usb ? regs::kBaudUsbM : regs::kBaudRs485M;
        n = BuildWriteRegisters(buf, address, reg, 1, std::span<const std::uint16_t>(v));
        break;
    }
    case panel::RateWrite::MBlock: {
        if (!m_device)
            return {};
        panel::DeviceSettings d = *m_device;
        if (m_settings.channel == Channel::Usb)
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

bool LinkSession::autoConnect(int deviceAddress, int loopbackItem)
{
    if (!begin(Seq::Auto))
        return false;
    if (!openSelected()) {
        end();
        return false;
    }
    m_deviceAddress = deviceAddress;
    m_loopback = loopbackItem;
    m_steps = 0;
    m_index = topBaudIndex();
    m_from = 0;
    m_reporter.status(Text(tp::kAutoConnecting), StatusIcon::Info);
    m_reporter.progress(0, kProgressMax);
    autoStep();
    return true;
}

void LinkSession::autoStep()
{
    if (identityRequest().isEmpty()) {
        // The settings give no link-check frame (a ТИРВ-protocol address beyond its one-character
        // form): no speed can answer.
        autoFailed();
        return;
    }
    const BaudIndexRange range = OfferedBaudIndexes(mModel(), m_settings.channel == Channel::Usb);
    if (m_seq == Seq::Auto && m_index < range.first) {
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
        const QByteArray move = nonMSettingsFrame(m_deviceAddress, target);
        if (move.isEmpty()) {
            autoFailed();
            return;
        }
        send(move, 0, NoReply(), [this, target](const QByteArray&) {
            pause(LinkCheckWaitMs(m_from), [this, target] {
                m_reporter.progress(std::min(++m_steps, kProgressMax), kProgressMax);
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
            });
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
        m_reporter.progress(std::min(++m_steps, kProgressMax), kProgressMax);
        --m_index;
        autoStep();
    });
}

void LinkSession::autoSucceeded(int baudIndex)
{
    m_settings.baudIndex = baudIndex;
    end();
    adoptIdentity(m_identity);
    m_reporter.progress(0, 0);
    m_reporter.status({}, StatusIcon::None);
    m_reporter.linkState(Text(link_texts::kLinkEstablished), StatusIcon::Ok);
    emit modeTextChanged(Text(tp::kDeviceAddress).arg(m_settings.address));
    emit settingsAdopted();  // the speed found
    m_link.state().setBootloaderMode(false);
    m_link.state().setEstablished(true);
    emit linkChanged();
    m_followUp.start(LinkCheckWaitMs(baudIndex));
}

void LinkSession::autoFailed()
{
    m_reporter.progress(0, 0);
    m_reporter.status(Text(link_texts::kOperationFailed), StatusIcon::Warning);
    m_reporter.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
    clearIdentity();
    m_link.state().setEstablished(false);
    configureAt(m_settings.baudIndex);
    if (mModel()) {
        end();
        emit linkChanged();
        return;
    }
    // A non-M relay may be waiting in its bootloader, which answers only at address 1, 57600.
    ConfigurePort(m_link.port(), m_settings.bootBaudIndex, Parity::None, StopBits::One, false);
    SetProtocolTimeouts(m_link.port(), Protocol::Modbus, m_settings.bootBaudIndex);
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const std::size_t n = BuildBootRead(buf, regs::kBootAddress, 0, 5);
    send(Frame(buf, n), LinkCheckWaitMs(m_settings.bootBaudIndex) + kIdentityMarginMs,
         ModbusReply(std::uint8_t(Function::BootRead), int(ReadReplyLength(5))),
         [this](const QByteArray& reply) {
             end();
             if (CheckReadReply(Bytes(reply), regs::kBootAddress, Function::BootRead, 5) !=
                 LinkResult::Good) {
                 configureAt(m_settings.baudIndex);
                 emit linkChanged();
                 return;
             }
             m_reporter.status(Text(tp::kBootloaderWaiting), StatusIcon::Warning);
             emit modeTextChanged(Text(tp::kBootloaderMode));
             emit portStateChanged(Text(tp::kBootloaderMode));
             m_reporter.linkState(Text(link_texts::kLinkEstablished), StatusIcon::Ok);
             m_link.state().setBootloaderMode(true);
             emit linkChanged();
         });
}

// --- Highest usable rate (2018) ----------------------------------------------------------------

bool LinkSession::maxRate(int loopbackItem)
{
    if (!m_link.state().established())
        return false;
    if (!begin(Seq::MaxRate))
        return false;
    if (!openSelected()) {
        end();
        return false;
    }
    m_loopback = loopbackItem;
    m_index = m_settings.baudIndex;
    const int firmware = m_identity ? m_identity->firmwareX100 : 0;
    const bool needBlock = m_settings.protocol == Protocol::Modbus &&
                           panel::RateWriteFor(mModel(), firmware) == panel::RateWrite::MBlock;
    if (!needBlock) {
        maxRateStep();
        return true;
    }
    configureAt(m_index);
    readBlockThen([this](bool read) {
        if (!read) {
            // Without the relay's own values the block cannot be written safely.
            end();
            m_reporter.status(Text(link_texts::kOperationFailed), StatusIcon::Warning);
            return;
        }
        emit deviceSettingsRead();
        maxRateStep();
    });
    return true;
}

void LinkSession::maxRateStep()
{
    const int next = m_index + 1;
    if (next > topBaudIndex()) {
        maxRateEnd(m_index);
        return;
    }
    const QByteArray move = rateWriteFrame(next);
    if (move.isEmpty() || identityRequest().isEmpty()) {
        // Nothing sensible to send with these settings: the speed stays as it is.
        end();
        m_reporter.status(Text(link_texts::kOperationFailed), StatusIcon::Warning);
        return;
    }
    configureAt(m_index);
    send(move, 0, NoReply(), [this, next](const QByteArray&) {
        pause(LinkCheckWaitMs(m_index) + kRateSwitchMarginMs, [this, next] {
            configureAt(next);
            sendIdentityCheck(next, [this, next](const QByteArray& reply) {
                if (identityGood(reply, nullptr)) {
                    m_index = next;
                    maxRateStep();
                    return;
                }
                // Back to the last good speed: told at the new speed, where the relay listens now.
                const int back = m_index;
                send(rateWriteFrame(back), 0, NoReply(), [this, back, next](const QByteArray&) {
                    pause(LinkCheckWaitMs(next) + kRateSwitchMarginMs, [this, back] {
                        configureAt(back);
                        maxRateEnd(back);
                    });
                });
            });
        });
    });
}

void LinkSession::maxRateEnd(int index)
{
    m_settings.baudIndex = index;
    if (m_device) {
        if (m_settings.channel == Channel::Usb)
            m_device->usbBaudIndex = index;
        else
            m_device->rsBaudIndex = index;
    }
    end();
    emit settingsAdopted();
    emit maxRateFound(index);
}

// --- Settings write (2013) ---------------------------------------------------------------------

bool LinkSession::writeSettings(const panel::DeviceSettings& fields, int usbProtocol)
{
    if (!begin(Seq::Write))
        return false;
    if (!openSelected()) {
        end();
        return false;
    }
    configureAt(m_settings.baudIndex);
    const auto address = std::uint8_t(m_settings.address);
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    std::size_t n = 0;
    std::uint16_t start = 0;
    std::uint16_t count = 0;
    const bool usb = m_settings.channel == Channel::Usb;
    if (m_settings.protocol == Protocol::Tirv) {
        const int baud = usb ? fields.usbBaudIndex : fields.rsBaudIndex;
        const int protocol = usb ? usbProtocol : fields.rsProtocol;
        const auto values = TextSettingsValues(panel::EncodeNonM(fields.rsAddress, baud, protocol));
        start = usb ? regs::kCommSettingsM.start : regs::kCommSettings.start;
        n = BuildTextWrite({TextVariant(m_settings.protocolVariant), m_settings.valuesPerFrame},
                           buf, address, start, 3, values);
    } else if (mModel()) {
        const auto v = panel::EncodeM(fields);
        start = regs::kCommSettingsM.start;
        count = 19;
        n = BuildWriteRegisters(buf, address, start, count, std::span<const std::uint16_t>(v));
    } else {
        const auto v = panel::EncodeNonM(fields.rsAddress, fields.rsBaudIndex, fields.rsProtocol);
        start = regs::kCommSettings.start;
        count = 3;
        n = BuildWriteRegisters(buf, address, start, count, std::span<const std::uint16_t>(v));
    }
    if (n == 0) {
        // The codec refused the frame (values per frame outside its range): nothing is sent and
        // the settings stay as they were.
        end();
        ReportWriteFailed(m_reporter);
        return false;
    }
    const QByteArray frame = Frame(buf, n);
    const ReplyRule rule = m_settings.protocol == Protocol::Tirv
                               ? TextFrameReply()
                               : ModbusReply(std::uint8_t(Function::WriteRegisters),
                                             int(kWriteAckLength));
    const int wait = m_settings.protocol == Protocol::Tirv
                         ? TextReplyWaitMs(m_settings.baudIndex)
                         : WriteWaitMs(std::size_t(n), m_settings.baudIndex);
    send(frame, wait, rule, [this, frame, start, count, fields, usbProtocol](const QByteArray& r) {
        writeAcknowledged(r, frame, start, count, fields, usbProtocol);
    });
    return true;
}

void LinkSession::writeAcknowledged(const QByteArray& r, const QByteArray& frame,
                                    std::uint16_t start, std::uint16_t count,
                                    const panel::DeviceSettings& written, int usbProtocol)
{
    end();
    bool good = false;
    if (m_settings.protocol == Protocol::Tirv) {
        good = !r.isEmpty() &&
               ParseTextWriteAck({TextVariant(m_settings.protocolVariant), m_settings.valuesPerFrame},
                                 Bytes(r), Bytes(frame))
                   .good();
    } else {
        const LinkResult res = CheckWriteReply(Bytes(r), std::uint8_t(m_settings.address),
                                               Function::WriteRegisters, start, count);
        // The relay answered and refused (an exception reply to function 16 is result 24).
        if (res == LinkResult::Exception || res == LinkResult::WriteRefused) {
            m_reporter.status(Text(link_texts::kWriteFailed), StatusIcon::Warning);
            m_reporter.ask(Box(Text(link_texts::kCaptionWarning),
                            Text(link_texts::kDeviceCannotExecute), MsgIcon::Warning,
                            MsgButtons::Ok));
            return;
        }
        good = res == LinkResult::Good;
    }
    if (!good) {
        ReportWriteFailed(m_reporter);
        return;
    }
    // The relay now talks with the new settings: the session takes them over.
    if (m_settings.channel == Channel::Usb) {
        m_settings.baudIndex = written.usbBaudIndex;
        m_settings.protocol = Protocol(usbProtocol);
    } else {
        m_settings.address = written.rsAddress;
        m_settings.baudIndex = written.rsBaudIndex;
        m_settings.protocol = Protocol(written.rsProtocol);
    }
    m_device = written;
    m_reporter.status(Text(tp::kNewSettingsWritten), StatusIcon::Ok);
    m_reporter.linkState(Text(link_texts::kLinkEstablished), StatusIcon::Ok);
    m_link.state().setEstablished(false);
    emit settingsAdopted();
    emit linkChanged();
}

}  // namespace tirv
