#pragma once
// One request and its reply on the user-interface thread, never blocking it: the frame is
// written (stale input purged first), a timer is armed with the computed reply time, and the reply
// is collected as it arrives. The exchange completes as soon as the bytes form a whole reply
// (ReplyRule), or at the end of the computed time, or at the first character gap after it.
// Exactly one exchange is in flight per port.
#include "configurator/link/reply_completion.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <functional>

namespace tirv {

class Port;

struct ExchangeRequest {
    QByteArray frame;
    int waitMs = 0;     // computed reply time (ReplyWaitMs); the upper bound of the wait
    ReplyRule reply;    // when a reply is whole
};

enum class ExchangeEnd {
    Reply,     // bytes arrived (they may still fail the codec's check)
    NoReply,   // the wait ended with nothing received (never a zero-length reply)
    Aborted,   // abort() was called
    PortLost,  // the port was not open, refused the write or went away
};

struct ExchangeReply {
    ExchangeEnd end = ExchangeEnd::NoReply;
    QByteArray bytes;  // at most 255 bytes
};

class PacedExchange : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const ExchangeReply&)>;

    explicit PacedExchange(Port& port, QObject* parent = nullptr);

    // Starts an exchange; `done` is called once, later, from the event loop. Returns false (and
    // never calls `done`) when an exchange is already in flight or the frame is empty.
    bool start(const ExchangeRequest& request, Done done);
    // Ends the exchange in flight with ExchangeEnd::Aborted (called synchronously).
    void abort();
    bool busy() const { return static_cast<bool>(m_done); }

    Port& port() { return m_port; }

private:
    void onReadyRead();
    void onWaitOver();
    void onGap();
    void finish(ExchangeEnd end);
    void drain();

    Port& m_port;
    QTimer m_wait;
    QTimer m_gap;
    ReplyRule m_rule;
    QByteArray m_bytes;
    Done m_done;
    bool m_waitOver = false;
    quint64 m_generation = 0;  // tells a queued failure of an earlier exchange apart
};

}  // namespace tirv
