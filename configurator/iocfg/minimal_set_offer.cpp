#include "configurator/iocfg/minimal_set_offer.h"

#include "configurator/iocfg/io_texts.h"
#include "configurator/link/chunked_transfer.h"
#include "configurator/link/frames.h"

#include <QByteArray>
#include <QTimer>

namespace tirv {

MinimalSetOffer::MinimalSetOffer(QObject& owner, ChunkedTransfer& transfer, Reporter& reporter,
                                 Steps steps)
    : m_owner(owner), m_transfer(transfer), m_reporter(reporter), m_steps(std::move(steps))
{
}

bool MinimalSetOffer::takeEmpty(bool allZero, bool tcp, const SetpointLink& wire,
                                const QString& failureText)
{
    if (!allZero)
        return false;
    m_reporter.status(QString::fromUtf8(m_steps.emptyStatus), StatusIcon::Error);
    // A relay that still holds nothing after the minimal set is not asked again.
    if (tcp || m_offered) {
        m_steps.finish(IoTransferEnd::Empty);
        return true;
    }
    Message question;
    question.caption = io_texts::kIoReadEmptyCaption;
    question.text = m_steps.question;
    question.icon = MsgIcon::Question;
    question.buttons = MsgButtons::OkCancel;
    if (m_reporter.ask(question) != Answer::Ok) {
        m_steps.finish(IoTransferEnd::Empty);
        return true;
    }
    m_offered = true;
    m_wire = wire;
    m_failureText = failureText;
    // From the event loop: the transfer that just ended is still unwinding.
    QTimer::singleShot(0, &m_owner, [this] { continueAfterQuestion(); });
    return true;
}

void MinimalSetOffer::continueAfterQuestion()
{
    // The question may have stood open a long time: a stop given meanwhile ends it here.
    if (m_steps.abortRequested())
        m_steps.aborted();
    else if (m_wire.text)
        m_steps.readAgain();
    else
        sendMinimalSet();
}

void MinimalSetOffer::sendMinimalSet()
{
    const SetpointFrame f = BuildMinimalSetRequest(m_wire);
    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::RestoreMinimalSet);
    plan.total = 0;
    plan.perBlock = 1;
    plan.noReply = true;
    plan.build = [f](int, int) { return ToTransferBlock(f); };
    plan.accept = [](std::span<const std::uint8_t>, int, int) { return LinkResult::Good; };
    plan.failureText = m_failureText;
    if (!m_transfer.start(std::move(plan), [this](const TransferOutcome& o) { onSent(o); }))
        QTimer::singleShot(0, &m_owner, [this] { m_steps.finish(IoTransferEnd::Failed); });
}

void MinimalSetOffer::onSent(const TransferOutcome& o)
{
    if (o.end == TransferEnd::Aborted) {
        m_steps.aborted();
        return;
    }
    if (o.end != TransferEnd::Done) {
        m_steps.finish(IoTransferEnd::Failed);
        return;
    }
    // The relay has stored its minimal set: read it as if the user had asked again.
    QTimer::singleShot(0, &m_owner, [this] {
        if (m_steps.abortRequested())
            m_steps.aborted();
        else
            m_steps.readAgain();
    });
}

}  // namespace tirv
