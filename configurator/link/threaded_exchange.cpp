#include "configurator/link/threaded_exchange.h"

#include "configurator/link/byte_views.h"
#include "configurator/link/frames.h"
#include "configurator/link/link_state.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/registers.h"
#include "configurator/link/texts.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QThread>
#include <algorithm>

namespace tirv {

using link_texts::Text;

namespace {

// Every wait of a worker is cut into slices this long so that an abort is seen at once.
constexpr int kAbortSliceMs = 5;
constexpr qsizetype kReceiveBufferLimit = static_cast<qsizetype>(kReceiveBufferSize);

}  // namespace

WorkerContext::WorkerContext(ThreadedExchange& owner, Port& port, int baudIndex, int repeatCount)
    : m_owner(owner), m_port(&port), m_baudIndex(baudIndex), m_repeatCount(repeatCount)
{
}

bool WorkerContext::aborted() const { return m_owner.m_abort.load(); }

bool WorkerContext::reconfigure(const LineSettings& line)
{
    if (!m_port->configure(line))
        return false;
    m_baudIndex = line.baudIndex;
    m_port->purge();
    return true;
}

bool WorkerContext::sleep(int ms)
{
    QDeadlineTimer deadline(std::max(0, ms));
    while (!aborted()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return true;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, kAbortSliceMs)));
    }
    return false;
}

void WorkerContext::status(const QString& text, StatusIcon icon) { m_owner.postStatus(text, icon); }

void WorkerContext::progress(int value, int max) { m_owner.postProgress(value, max); }

bool WorkerContext::waitAbortable(int ms, const std::function<bool()>& ready)
{
    QDeadlineTimer deadline(std::max(0, ms));
    while (!ready()) {
        if (aborted())
            return false;
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return false;
        m_port->waitForReadyRead(static_cast<int>(std::min<qint64>(left, kAbortSliceMs)));
    }
    return true;
}

WorkerContext::Step WorkerContext::transact(const QByteArray& frame, const ReplyRule& rule,
                                            int replyWaitMs, int settleMs, QByteArray& reply)
{
    reply.clear();
    const int writeWaitMs = ThreadWriteWaitMs(static_cast<std::size_t>(frame.size()), m_baudIndex);
    for (int tries = 0;; ++tries) {
        if (aborted())
            return Step::Aborted;
        // Bytes of an earlier late reply must not be taken for this one; those still in the
        // driver's queue are fetched first, or they would be missed here.
        if (m_port->bytesAvailable() > 0 || m_port->waitForReadyRead(0))
            m_port->purge();
        if (m_port->write(Bytes(frame)) && m_port->waitForBytesWritten(writeWaitMs))
            break;
        if (aborted())
            return Step::Aborted;
        status(Text(link_texts::kRequestNotSent), StatusIcon::Warning);
        if (tries >= m_repeatCount || !m_port->isOpen())
            return Step::NotSent;
    }
    const bool arrived = waitAbortable(replyWaitMs, [this] { return m_port->bytesAvailable() > 0; });
    if (aborted())
        return Step::Aborted;
    if (!arrived)
        return Step::NoReply;
    // Let the rest arrive; a reply that is already whole needs no more waiting. A relay's reply
    // never exceeds the receive buffer; an exact-length answer (a 256-byte bootloader block and
    // its ACK) is read on in several reads, as this thread keeps reading while it arrives.
    const qsizetype limit =
        rule.shape == ReplyShape::Exact
            ? std::max<qsizetype>(kReceiveBufferLimit, static_cast<qsizetype>(rule.expectedLength))
            : kReceiveBufferLimit;
    const auto collect = [&] {
        const qint64 room = static_cast<qint64>(limit) - reply.size();
        if (room > 0)
            reply += m_port->read(static_cast<int>(room));
        return reply.size() >= limit || ReplyComplete(rule, Bytes(reply));
    };
    waitAbortable(settleMs, collect);
    if (aborted())
        return Step::Aborted;
    collect();
    return Step::Reply;
}

ThreadedExchange::ThreadedExchange(Reporter& reporter, LinkState& state, PortFactory factory,
                                   QObject* parent)
    : QObject(parent), m_reporter(reporter), m_state(state), m_factory(std::move(factory))
{
}

ThreadedExchange::~ThreadedExchange()
{
    if (!m_thread)
        return;
    m_abort = true;
    // Every wait of the worker returns once the flag is set, so this is short; the worker still
    // uses this object, so it must have ended before the object goes.
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

bool ThreadedExchange::running() const { return m_thread != nullptr; }

bool ThreadedExchange::start(std::unique_ptr<WorkerJob> job, const PortOpening& opening,
                             int repeatCount)
{
    if (running() || !job)
        return false;
    if (!m_factory) {
        m_reporter.ask(Box(Text(link_texts::kCaptionError), Text(link_texts::kSerialThreadFailed),
                        MsgIcon::Error, MsgButtons::Ok));
        return false;
    }
    m_abort = false;
    m_openedNumber = opening.number;
    std::shared_ptr<WorkerJob> shared(std::move(job));
    m_thread = QThread::create([this, shared, opening, repeatCount] {
        WorkerEnd end = WorkerEnd::PortUnavailable;
        std::unique_ptr<Port> port = m_factory();
        if (port && port->open(opening.number) && port->configure(opening.line)) {
            SetProtocolTimeouts(*port, opening.protocol, opening.line.baudIndex);
            WorkerContext context(*this, *port, opening.line.baudIndex, repeatCount);
            end = shared->run(context);
            if (end == WorkerEnd::Success && context.aborted())
                end = WorkerEnd::Aborted;
        }
        if (port)
            port->close();
        port.reset();
        if (end == WorkerEnd::Aborted)
            postStatus(Text(link_texts::kUserAbortThread), StatusIcon::Warning);
        else if (end == WorkerEnd::Failed)
            postStatus(Text(link_texts::kOperationFailed), StatusIcon::Warning);
        QMetaObject::invokeMethod(this, [this, end] { onWorkerDone(end); }, Qt::QueuedConnection);
    });
    m_state.setExchangeInProgress(true);
    m_thread->start();
    return true;
}

void ThreadedExchange::abort() { m_abort = true; }

bool ThreadedExchange::stop(int ms)
{
    if (!m_thread)
        return true;
    m_abort = true;
    return m_thread->wait(QDeadlineTimer(ms));
}

void ThreadedExchange::postStatus(const QString& text, StatusIcon icon)
{
    QMetaObject::invokeMethod(
        this, [this, text, icon] { m_reporter.status(text, icon); }, Qt::QueuedConnection);
}

void ThreadedExchange::postProgress(int value, int max)
{
    QMetaObject::invokeMethod(
        this, [this, value, max] { m_reporter.progress(value, max); }, Qt::QueuedConnection);
}

void ThreadedExchange::onWorkerDone(WorkerEnd end)
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    if (end == WorkerEnd::PortUnavailable)
        ReportPortUnavailable(m_reporter, m_openedNumber);
    else if (end == WorkerEnd::Aborted)
        m_reporter.status(Text(link_texts::kUserAbortPage), StatusIcon::Warning);
    m_reporter.progress(0, 0);
    m_state.setExchangeInProgress(false);
    emit finished(end);
}

}  // namespace tirv
