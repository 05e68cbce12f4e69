#include "configurator/link/chunked_transfer.h"
#include "configurator/link/register_read.h"

#include "gui/reporter.h"
#include "configurator/link/byte_views.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/port.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/texts.h"

#include <algorithm>

namespace tirv {

using link_texts::Text;

namespace {

// Exception replies: the relay answered, so the link is fine and a repeat would get the same.
bool IsRefusal(LinkResult result)
{
    return result == LinkResult::Exception || static_cast<int>(result) >= 24;
}

}  // namespace

ChunkedTransfer::ChunkedTransfer(LinkContext context, PacedExchange& exchange,
                                 LinkChecker& checker, QObject* parent)
    : QObject(parent), m_ctx(std::move(context)), m_exchange(exchange), m_checker(&checker)
{
}

bool ChunkedTransfer::start(TransferPlan plan, Done done)
{
    if (busy() || !done || !plan.build || m_exchange.busy() || m_ctx.state.busy())
        return false;
    if (plan.perBlock <= 0)
        return false;
    m_plan = std::move(plan);
    m_done = std::move(done);
    m_offset = 0;
    m_blocks = 0;
    m_repeats = 0;
    const quint64 run = ++m_run;
    m_ctx.state.setExchangeInProgress(true);
    if (!m_plan.progressText.isEmpty())
        m_ctx.reporter.status(m_plan.progressText, StatusIcon::Info);
    // A link on another port than the selected one is no link for this transfer.
    if (m_ctx.state.established() && m_ctx.port.isOpen() &&
        m_ctx.port.number() == m_ctx.settings.port) {
        sendBlock();
        return true;
    }
    m_checker->checkLink([this, run](const LinkCheckResult& r) {
        if (!busy() || run != m_run)
            return;  // the transfer was aborted meanwhile
        if (r.end == LinkCheckEnd::Established)
            sendBlock();
        else
            // The link check has already said why.
            finish(r.end == LinkCheckEnd::Aborted ? TransferEnd::Aborted : TransferEnd::Failed,
                   LinkResult::Good, r.end == LinkCheckEnd::Aborted);
    });
    return true;
}

int ChunkedTransfer::blockCount() const
{
    if (m_plan.total <= 0)
        return 0;
    const int remaining = m_plan.total - m_offset;
    const int count = std::min(m_plan.perBlock, remaining);
    const bool textWrite = m_ctx.settings.protocol == Protocol::Tirv &&
                           m_plan.function == static_cast<std::uint8_t>(Function::WriteRegisters);
    return textWrite
               ? std::clamp(TextWriteBlockCount(TextFramingOf(m_ctx.settings), remaining), 1, count)
               : count;
}

void ChunkedTransfer::reportProgress()
{
    if (m_plan.total <= 0)
        return;
    const int max = m_plan.progressMax;
    if (max > 0)
        m_ctx.reporter.progress(max - (m_plan.total - m_offset) * max / m_plan.total, max);
    else
        m_ctx.reporter.progress(m_offset, m_plan.total);
}

void ChunkedTransfer::sendBlock()
{
    reportProgress();
    const TransferBlock block = m_plan.build(m_offset, blockCount());
    if (block.frame.isEmpty()) {
        finish(TransferEnd::Failed,
               LinkResult::Good);  // the builder refused: nothing sensible to send
        return;
    }
    ExchangeRequest request{block.frame, block.waitMs, m_plan.noReply ? NoReply() : block.reply};
    const quint64 run = m_run;
    const bool started = m_exchange.start(request, [this, run](const ExchangeReply& r) {
        if (busy() && run == m_run)
            onReply(r);
    });
    if (!started)
        retryOrFail(LinkResult::Good);
}

void ChunkedTransfer::onReply(const ExchangeReply& reply)
{
    if (reply.end == ExchangeEnd::Aborted) {
        finish(TransferEnd::Aborted, LinkResult::Good);
        return;
    }
    const int count = blockCount();
    if (m_plan.noReply && reply.end != ExchangeEnd::PortLost) {
        advance(count);
        return;
    }
    if (reply.end != ExchangeEnd::Reply) {
        retryOrFail(LinkResult::Good);
        return;
    }
    const LinkResult result =
        m_plan.accept ? m_plan.accept(Bytes(reply.bytes), m_offset, count) : LinkResult::Good;
    if (result == LinkResult::Good) {
        advance(count);
        return;
    }
    if (IsRefusal(result)) {
        if (result == LinkResult::Exception)
            ShowExceptionWarning(m_ctx.reporter);
        finish(TransferEnd::Refused, result);
        return;
    }
    retryOrFail(result);
}

void ChunkedTransfer::advance(int count)
{
    m_offset += count;
    ++m_blocks;
    emit progressed(m_offset, m_plan.total);
    if (m_offset >= m_plan.total) {
        if (m_plan.progressMax > 0)
            reportProgress();  // the full bar, before it is removed
        finish(TransferEnd::Done, LinkResult::Good);
        return;
    }
    sendBlock();
}

void ChunkedTransfer::retryOrFail(LinkResult result)
{
    const ConnectionSettings& s = m_ctx.settings;
    const int limit = m_plan.repeatLimit >= 0 ? m_plan.repeatLimit : s.repeatCount;
    if (m_repeats >= limit) {
        finish(TransferEnd::Failed, result);
        return;
    }
    ++m_repeats;
    m_ctx.reporter.status(m_plan.repeatText
                              ? m_plan.repeatText(m_blocks + 1, m_repeats)
                              : m_plan.progressText + Text(link_texts::kRepeatSuffix).arg(m_repeats),
                          StatusIcon::Warning);
    // Reopen the port and check the link before the pending block goes out again.
    m_ctx.port.close();
    m_ctx.state.setEstablished(false);
    const quint64 run = m_run;
    m_checker->checkLink([this, result, run](const LinkCheckResult& r) {
        if (!busy() || run != m_run)
            return;  // the transfer was aborted meanwhile
        if (r.end == LinkCheckEnd::Established)
            sendBlock();
        else if (r.end == LinkCheckEnd::Aborted)
            finish(TransferEnd::Aborted, result);
        else
            finish(TransferEnd::Failed, result);
    });
}

void ChunkedTransfer::abort()
{
    if (!busy())
        return;
    // Whichever of the two is in flight ends with Aborted and finishes the transfer.
    if (m_exchange.busy())
        m_exchange.abort();
    else if (m_ctx.state.linkCheckAttempt())
        m_checker->abortCheck();
    if (busy())
        finish(TransferEnd::Aborted, LinkResult::Good);
}

void ChunkedTransfer::finish(TransferEnd end, LinkResult result, bool report)
{
    Reporter& r = m_ctx.reporter;
    switch (report ? end : TransferEnd::Done) {
    case TransferEnd::Done:
        break;  // the page writes its own success words
    case TransferEnd::Aborted:
        r.status(Text(link_texts::kUserAbortPage), StatusIcon::Warning);
        break;
    case TransferEnd::Refused:
        if (!m_plan.failureText.isEmpty())
            r.status(m_plan.failureText, StatusIcon::Warning);
        break;
    case TransferEnd::Failed:
        if (!m_plan.failureText.isEmpty())
            r.status(m_plan.failureText, StatusIcon::Warning);
        r.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
        m_ctx.state.setEstablished(false);
        if (m_plan.userStarted)
            r.ask(Box(Text(link_texts::kCaptionReadWrite), Text(link_texts::kCannotConnect),
                   MsgIcon::Warning, MsgButtons::Ok));
        break;
    }
    if (m_plan.total > 0)
        r.progress(0, 0);
    m_ctx.state.setExchangeInProgress(false);
    const TransferOutcome outcome{end, result, m_offset};
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(outcome);
}

}  // namespace tirv
