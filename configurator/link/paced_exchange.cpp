#include "configurator/link/paced_exchange.h"

#include "configurator/link/byte_views.h"
#include "configurator/link/frames.h"
#include "configurator/link/port.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <span>

Q_LOGGING_CATEGORY(lcFrames, "tirv.link.frames", QtWarningMsg)

namespace tirv {

PacedExchange::PacedExchange(Port& port, QObject* parent) : QObject(parent), m_port(port)
{
    m_wait.setSingleShot(true);
    m_wait.setTimerType(Qt::PreciseTimer);
    m_gap.setSingleShot(true);
    m_gap.setTimerType(Qt::PreciseTimer);
    connect(&m_wait, &QTimer::timeout, this, &PacedExchange::onWaitOver);
    connect(&m_gap, &QTimer::timeout, this, &PacedExchange::onGap);
    connect(&m_port, &Port::readyRead, this, &PacedExchange::onReadyRead);
    connect(&m_port, &Port::lost, this, [this] {
        if (busy())
            finish(ExchangeEnd::PortLost);
    });
}

bool PacedExchange::start(const ExchangeRequest& request, Done done)
{
    if (busy() || !done || request.frame.isEmpty())
        return false;
    m_done = std::move(done);
    m_rule = request.reply;
    m_bytes.clear();
    m_waitOver = false;
    const quint64 generation = ++m_generation;
    const auto failLater = [this, generation] {
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (busy() && generation == m_generation)
                    finish(ExchangeEnd::PortLost);
            },
            Qt::QueuedConnection);
    };
    if (!m_port.isOpen()) {
        failLater();
        return true;
    }
    // Bytes of an earlier late reply must not be taken for this request's reply.
    if (m_port.bytesAvailable() > 0)
        m_port.purge();
    qCDebug(lcFrames) << "->" << request.frame.toHex(' ');
    if (!m_port.write(Bytes(request.frame))) {
        failLater();
        return true;
    }
    m_wait.start(std::max(0, request.waitMs));
    return true;
}

void PacedExchange::abort()
{
    if (busy())
        finish(ExchangeEnd::Aborted);
}

void PacedExchange::drain()
{
    const int room = static_cast<int>(kReceiveBufferSize) - static_cast<int>(m_bytes.size());
    if (room > 0)
        m_bytes += m_port.read(room);
}

void PacedExchange::onReadyRead()
{
    // Bytes with no exchange in flight stay queued; the next request purges them.
    if (!busy())
        return;
    drain();
    if (m_bytes.size() >= static_cast<qsizetype>(kReceiveBufferSize) ||
        ReplyComplete(m_rule, Bytes(m_bytes))) {
        finish(ExchangeEnd::Reply);
        return;
    }
    if (m_waitOver && !m_bytes.isEmpty())
        m_gap.start(m_port.characterGapMs());
}

void PacedExchange::onWaitOver()
{
    m_waitOver = true;
    drain();
    if (m_bytes.isEmpty()) {
        finish(ExchangeEnd::NoReply);
        return;
    }
    if (ReplyComplete(m_rule, Bytes(m_bytes)) || m_bytes.size() >= static_cast<qsizetype>(kReceiveBufferSize)) {
        finish(ExchangeEnd::Reply);
        return;
    }
    // A reply still arriving ends at the first character gap, as the port's read would.
    m_gap.start(m_port.characterGapMs());
}

void PacedExchange::onGap()
{
    drain();
    finish(ExchangeEnd::Reply);
}

void PacedExchange::finish(ExchangeEnd end)
{
    m_wait.stop();
    m_gap.stop();
    ++m_generation;
    ExchangeReply reply{end, end == ExchangeEnd::Reply ? m_bytes : QByteArray()};
    if (end == ExchangeEnd::Reply)
        qCDebug(lcFrames) << "<-" << reply.bytes.toHex(' ');
    m_bytes.clear();
    Done done = std::move(m_done);
    m_done = nullptr;
    done(reply);
}

}  // namespace tirv
