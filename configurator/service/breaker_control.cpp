#include "configurator/service/breaker_control.h"

#include "gui/reporter.h"
#include "configurator/link/byte_views.h"
#include "configurator/link/link_session.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/reply_completion.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/texts.h"
#include "configurator/service/breaker_texts.h"

namespace tirv {

using link_texts::Text;

BreakerControl::BreakerControl(SerialLink& link, LinkSession& session, Reporter& reporter,
                               const ConnectionSettings& settings, QObject* parent)
    : QObject(parent), m_link(link), m_session(session), m_reporter(reporter),
      m_settings(settings)
{
}

void BreakerControl::send(BreakerCommand command, std::function<void(const BreakerEnd&)> done)
{
    if (running() || m_session.busy() || m_link.state().busy()) {
        m_reporter.status(Text(link_texts::kLineBusy), StatusIcon::Warning);
        BreakerEnd busy;
        busy.stage = BreakerEnd::Stage::Busy;
        done(busy);
        return;
    }
    m_command = command;
    m_done = std::move(done);
    m_session.ensureLink({true, breaker_texts::kLinkFailed}, [this](LinkReady ready) {
        if (!m_done)
            return;
        if (ready == LinkReady::Ready) {
            transmit();
            return;
        }
        BreakerEnd end;
        end.stage = BreakerEnd::Stage::Link;
        end.toFirmware = ready == LinkReady::ToFirmware;
        finish(end);
    });
}

void BreakerControl::transmit()
{
    const BreakerRow& row = BreakerRowOf(m_command);
    const BreakerRequest request = BuildBreakerRequest(m_settings, m_command);
    const QByteArray frame(reinterpret_cast<const char*>(request.frame.data()),
                           int(request.frame.size()));
    const ReplyRule rule = m_settings.protocol == Protocol::Tirv
                               ? TextFrameReply()
                               : ModbusReply(std::uint8_t(Function::WriteRegisters), 8);
    m_reporter.status(Text(row.progress), StatusIcon::Info);
    m_link.state().setExchangeInProgress(true);
    emit requestSent(frame);
    const bool started =
        !frame.isEmpty() &&
        m_link.paced().start({frame, request.waitMs, rule}, [this, frame](const ExchangeReply& r) {
            m_link.state().setExchangeInProgress(false);
            if (r.end == ExchangeEnd::Aborted) {
                BreakerEnd aborted;
                aborted.outcome.status = link_texts::kUserAbortPage;
                m_reporter.status(Text(aborted.outcome.status), StatusIcon::Warning);
                finish(aborted);
                return;
            }
            const bool received = r.end == ExchangeEnd::Reply && !r.bytes.isEmpty();
            if (received)
                emit replyReceived(r.bytes);
            const LinkResult result =
                received ? CheckBreakerReply(m_settings, Bytes(frame), Bytes(r.bytes))
                         : LinkResult::Good;
            BreakerEnd end;
            end.outcome = BreakerResult(m_command, m_settings.protocol, received, result);
            m_reporter.status(Text(end.outcome.status),
                              end.outcome.ok ? StatusIcon::Ok : StatusIcon::Warning);
            if (end.outcome.linkLost)
                m_link.state().setEstablished(false);
            if (end.outcome.exceptionWarning)
                ShowExceptionWarning(m_reporter);
            finish(end);
        });
    if (!started) {
        m_link.state().setExchangeInProgress(false);
        BreakerEnd end;
        end.outcome = BreakerResult(m_command, m_settings.protocol, false, LinkResult::Good);
        m_reporter.status(Text(end.outcome.status), StatusIcon::Warning);
        finish(end);
    }
}

void BreakerControl::abort()
{
    if (!running())
        return;
    m_session.abort();
    m_link.paced().abort();
}

void BreakerControl::finish(const BreakerEnd& end)
{
    if (auto done = std::move(m_done)) {
        m_done = nullptr;
        done(end);
    }
}

}  // namespace tirv
