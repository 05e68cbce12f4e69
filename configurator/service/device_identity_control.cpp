#include "configurator/service/device_identity_control.h"

#include "configurator/link/byte_views.h"
#include "configurator/link/link_session.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/texts.h"
#include "configurator/service/device_identity_texts.h"
#include "gui/reporter.h"

namespace tirv {

namespace it = identity_texts;
using link_texts::Text;

DeviceIdentityControl::DeviceIdentityControl(SerialLink& link, LinkSession& session,
                                             Reporter& reporter, const ConnectionSettings& settings,
                                             QObject* parent)
    : QObject(parent), m_link(link), m_session(session), m_reporter(reporter), m_settings(settings)
{
}

bool DeviceIdentityControl::begin(Done& done)
{
    if (running() || m_session.busy() || m_link.state().busy() || m_link.worker().running()) {
        m_reporter.status(Text(link_texts::kLineBusy), StatusIcon::Warning);
        IdentityEnd busy;
        busy.stage = IdentityEnd::Stage::Busy;
        busy.status = link_texts::kLineBusy;
        done(busy);
        return false;
    }
    m_done = std::move(done);
    return true;
}

void DeviceIdentityControl::read(Done done)
{
    if (!begin(done))
        return;
    m_session.ensureLink({false, it::kReadLinkFailed}, [this](LinkReady ready) {
        if (!m_done)
            return;
        if (ready != LinkReady::Ready) {
            IdentityEnd end;
            end.stage = IdentityEnd::Stage::Link;
            end.toFirmware = ready == LinkReady::ToFirmware;
            end.aborted = ready == LinkReady::Aborted;
            finish(end, StatusIcon::Warning);
            return;
        }
        m_reporter.status(Text(it::kReading), StatusIcon::Info);
        const IdentityRequest request = BuildIdentityReadRequest(m_settings);
        exchange(request, true,
                 [this, request](bool received, LinkResult, const QByteArray& reply) {
                     IdentityEnd end;
                     if (!received) {
                         m_link.state().setEstablished(false);
                         end.status = it::kReadFailed;
                         finish(end, StatusIcon::Warning);
                         return;
                     }
                     IdentityRecord record{};
                     const LinkResult result =
                         ParseIdentityReply(m_settings, request.frame, Bytes(reply), record);
                     if (result != LinkResult::Good) {
                         if (m_settings.protocol == Protocol::Modbus) {
                             if (result == LinkResult::Exception)
                                 ShowExceptionWarning(m_reporter);
                             m_reporter.ask(Box(Text(it::kOverflowCaption), Text(it::kOverflow),
                                                MsgIcon::Warning, MsgButtons::Ok));
                         }
                         end.status = it::kReadFailed;
                         finish(end, StatusIcon::Warning);
                         return;
                     }
                     end.ok = true;
                     end.record = record;
                     end.status = it::kRead;
                     finish(end, StatusIcon::Ok);
                 });
    });
}

void DeviceIdentityControl::write(const IdentityInput& input, Done done)
{
    if (!begin(done))
        return;
    m_input = input;
    m_session.ensureLink({true, it::kWriteLinkFailed}, [this](LinkReady ready) {
        if (!m_done)
            return;
        if (ready != LinkReady::Ready) {
            IdentityEnd end;
            end.stage = IdentityEnd::Stage::Link;
            end.toFirmware = ready == LinkReady::ToFirmware;
            end.aborted = ready == LinkReady::Aborted;
            finish(end, StatusIcon::Warning);
            return;
        }
        m_reporter.status(Text(it::kWritingType), StatusIcon::Info);
        const IdentityRequest request = BuildTypeWriteRequest(m_settings, m_input.code);
        exchange(request, false, [this](bool received, LinkResult result, const QByteArray&) {
            IdentityEnd end;
            end.code = m_input.code;
            if (!received || result != LinkResult::Good) {
                // The relay did not take the type: the configurator keeps its model.
                m_link.state().setEstablished(false);
                end.refused =
                    received && m_settings.protocol == Protocol::Modbus &&
                    (result == LinkResult::Exception || result == LinkResult::WriteRefused);
                if (end.refused)
                    ShowExceptionWarning(m_reporter);
                end.status = it::kTypeWriteFailed;
                finish(end, StatusIcon::Warning);
                return;
            }
            end.typeWritten = true;
            m_reporter.status(Text(it::kTypeWritten), StatusIcon::Ok);
            if (!m_input.writeSerial) {
                end.ok = true;
                end.status = it::kTypeWritten;
                finish(end, StatusIcon::Ok);
                return;
            }
            writeSerial(end);
        });
    });
}

void DeviceIdentityControl::writeSerial(IdentityEnd end)
{
    const IdentityRequest request = BuildSerialWriteRequest(m_settings, m_input.serial);
    exchange(
        request, false, [this, end](bool received, LinkResult result, const QByteArray&) mutable {
            if (!received) {
                end.status = it::kSerialNoReply;
                finish(end, StatusIcon::Warning);
                return;
            }
            if (result != LinkResult::Good) {
                end.refused = result == LinkResult::Exception || result == LinkResult::WriteRefused;
                end.status = it::kSerialWriteFailed;
                finish(end, StatusIcon::Warning);
                return;
            }
            end.ok = true;
            end.serialWritten = true;
            end.serial = m_input.serial;
            end.status = it::kBothWritten;
            finish(end, StatusIcon::Ok);
        });
}

void DeviceIdentityControl::exchange(
    const IdentityRequest& request, bool read,
    std::function<void(bool received, LinkResult result, const QByteArray& reply)> then)
{
    const QByteArray frame(reinterpret_cast<const char*>(request.frame.data()),
                           qsizetype(request.frame.size()));
    const std::uint8_t function =
        std::uint8_t(read ? Function::ReadRegisters : Function::WriteRegisters);
    const ReplyRule rule = m_settings.protocol == Protocol::Tirv
                               ? TextFrameReply()
                               : ModbusReply(function, request.replyLength);
    if (frame.isEmpty()) {
        then(false, LinkResult::Good, {});
        return;
    }
    emit requestSent(frame, read && m_settings.protocol == Protocol::Modbus);
    m_link.state().setExchangeInProgress(true);
    const bool started = m_link.paced().start(
        {frame, request.waitMs, rule}, [this, frame, read, then](const ExchangeReply& r) {
            m_link.state().setExchangeInProgress(false);
            if (r.end == ExchangeEnd::Aborted) {
                IdentityEnd aborted;
                aborted.aborted = true;
                aborted.status = link_texts::kUserAbortPage;
                finish(aborted, StatusIcon::Warning);
                return;
            }
            const bool received = r.end == ExchangeEnd::Reply && !r.bytes.isEmpty();
            if (received)
                emit replyReceived(r.bytes);
            const LinkResult result =
                received && !read
                    ? CheckIdentityWriteReply(m_settings, Bytes(frame), Bytes(r.bytes))
                    : LinkResult::Good;
            then(received, result, r.bytes);
        });
    if (!started) {
        m_link.state().setExchangeInProgress(false);
        then(false, LinkResult::Good, {});
    }
}

void DeviceIdentityControl::abort()
{
    if (!running())
        return;
    m_session.abort();
    m_link.paced().abort();
}

void DeviceIdentityControl::finish(IdentityEnd end, StatusIcon icon)
{
    if (end.status)
        m_reporter.status(Text(end.status), icon);
    if (auto done = std::move(m_done)) {
        m_done = nullptr;
        done(end);
    }
}

}  // namespace tirv
