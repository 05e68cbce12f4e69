#include "configurator/link/link_check.h"

#include "gui/reporter.h"
#include "configurator/link/byte_views.h"
#include "configurator/link/frames.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/port.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/registers.h"
#include "configurator/link/text_frames.h"
#include "configurator/link/texts.h"

#include <array>

namespace tirv {

using link_texts::Text;

namespace {

// The page's timer fires this long after a port that cannot be opened, so that it fails.
constexpr int kUnavailableDelayMs = 100;
// A Modbus link-check reply may take the link-check wait plus this margin.
constexpr int kIdentityReplyMarginMs = 20;

ExchangeRequest LinkCheckRequest(const ConnectionSettings& s)
{
    std::array<std::uint8_t, kFrameBufferSize> buffer{};
    const auto address = static_cast<std::uint8_t>(s.address);
    ExchangeRequest request;
    std::size_t length = 0;
    if (s.protocol == Protocol::Tirv) {
        length = BuildTextLinkCheck(buffer, address);
        request.waitMs = TextReplyWaitMs(s.baudIndex);
        request.reply = TextFrameReply();
    } else {
        length = BuildReadRegisters(buffer, address, regs::kIdentity.start, regs::kIdentity.count);
        request.waitMs = LinkCheckWaitMs(s.baudIndex) + kIdentityReplyMarginMs;
        request.reply = ModbusReply(static_cast<std::uint8_t>(Function::ReadRegisters),
                                    static_cast<int>(ReadReplyLength(regs::kIdentity.count)));
    }
    // A refused frame (length 0) stays empty: the caller ends the check instead of sending it.
    request.frame = Frame(buffer, length);
    return request;
}

}  // namespace

DefaultLinkCheck::DefaultLinkCheck(LinkContext context, PacedExchange& exchange, QObject* parent)
    : QObject(parent), m_ctx(std::move(context)), m_exchange(exchange)
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &DefaultLinkCheck::attempt);
}

void DefaultLinkCheck::checkLink(Done done)
{
    if (m_done || !done)
        return;
    m_done = std::move(done);
    m_tries = 0;
    const ConnectionSettings& s = m_ctx.settings;
    Port& port = m_ctx.port;
    m_ctx.state.setLinkCheckAttempt(true);
    if (port.isOpen() && (port.number() != s.port || port.stale()))
        port.close();
    const bool opened = port.isOpen() || OpenPort(port, s.port);
    const bool configured =
        opened && ConfigurePort(port, LineFor(s, m_ctx.mModel())) && port.isOpen();
    if (!configured) {
        port.close();
        m_ctx.state.setEstablished(false);  // nothing answers on a port that is not there
        ReportPortUnavailable(m_ctx.reporter, s.port);
        m_unavailable = true;
        m_pause.start(kUnavailableDelayMs);
        return;
    }
    SetProtocolTimeouts(port, s.protocol, s.baudIndex);
    m_ctx.reporter.linkState(Text(link_texts::kLinkChecking), StatusIcon::Info);
    attempt();
}

void DefaultLinkCheck::attempt()
{
    if (m_unavailable) {
        m_unavailable = false;
        finish({LinkCheckEnd::PortUnavailable, {}, false});
        return;
    }
    const ExchangeRequest request = LinkCheckRequest(m_ctx.settings);
    if (request.frame.isEmpty()) {
        // The settings give no frame to send (a ТИРВ-protocol address beyond the one-character
        // form): no repeat can succeed, so the check fails at once.
        m_tries = m_ctx.settings.repeatCount;
        onReply({}, false);
        return;
    }
    const bool started = m_exchange.start(
        request, [this](const ExchangeReply& reply) {
            if (reply.end == ExchangeEnd::Aborted) {
                finish({LinkCheckEnd::Aborted, {}, false});
                return;
            }
            if (reply.end == ExchangeEnd::PortLost) {
                // The device went away: further attempts cannot succeed on this handle.
                m_ctx.port.close();
                m_tries = m_ctx.settings.repeatCount;
            }
            onReply(reply.bytes, reply.end == ExchangeEnd::Reply);
        });
    if (!started)
        onReply({}, false);  // another exchange holds the port: this attempt counts as failed
}

void DefaultLinkCheck::onReply(const QByteArray& bytes, bool gotReply)
{
    const ConnectionSettings& s = m_ctx.settings;
    LinkCheckResult result;
    if (gotReply && !bytes.isEmpty()) {
        if (s.protocol == Protocol::Tirv) {
            result.end = LinkCheckEnd::Established;  // any reply counts
        } else if (CheckReadReply(Bytes(bytes), static_cast<std::uint8_t>(s.address),
                                  Function::ReadRegisters,
                                  regs::kIdentity.count) == LinkResult::Good) {
            result.end = LinkCheckEnd::Established;
            result.haveIdentity = true;
            for (std::size_t k = 0; k < result.identity.size(); ++k)
                result.identity[k] = ReadReplyRegister(Bytes(bytes), k);
        }
    }
    if (result.end == LinkCheckEnd::Established) {
        m_ctx.reporter.linkState(Text(link_texts::kLinkEstablished), StatusIcon::Ok);
        m_ctx.state.setEstablished(true);
        finish(result);
        return;
    }
    if (m_tries < s.repeatCount) {
        ++m_tries;
        m_ctx.reporter.linkState(Text(link_texts::kLinkCheckingRepeat).arg(m_tries),
                                 StatusIcon::Info);
        m_pause.start(LinkCheckWaitMs(s.baudIndex));
        return;
    }
    m_ctx.reporter.status(Text(link_texts::kLinkCheckFailed), StatusIcon::Warning);
    m_ctx.reporter.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
    m_ctx.state.setEstablished(false);
    m_ctx.state.notifyPortClosed();  // the panel empties its identity fields
    finish({LinkCheckEnd::Failed, {}, false});
}

void DefaultLinkCheck::abortCheck()
{
    if (!m_done)
        return;
    if (m_exchange.busy()) {
        m_exchange.abort();  // its completion finishes the check
        return;
    }
    m_pause.stop();
    m_unavailable = false;
    finish({LinkCheckEnd::Aborted, {}, false});
}

void DefaultLinkCheck::finish(LinkCheckResult result)
{
    m_pause.stop();
    m_ctx.state.setLinkCheckAttempt(false);
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(result);
}

}  // namespace tirv
