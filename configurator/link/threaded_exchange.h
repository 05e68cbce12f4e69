#pragma once
// The worker-thread pattern for long sequences (clock, network scan, firmware update): one worker
// at a time, which opens and owns its own port, can be aborted at any wait, and talks to its
// owner only by posting status texts, progress and a completion. Closing the owner aborts the
// worker and waits at most 500 ms for it.
#include "gui/reporter.h"
#include "configurator/link/port.h"
#include "configurator/link/reply_completion.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace tirv {

class LinkState;

enum class WorkerEnd { Success, Failed, Aborted, PortUnavailable };

struct PortOpening {
    int number = 1;
    LineSettings line;
    Protocol protocol = Protocol::Modbus;
};

using PortFactory = std::function<std::unique_ptr<Port>()>;

class ThreadedExchange;

// What a job sees on its thread.
class WorkerContext {
public:
    enum class Step { Reply, NoReply, Aborted, NotSent };

    bool aborted() const;
    // Sleeps up to `ms`; false (at once) when aborted.
    bool sleep(int ms);
    // Posted to the owner's Reporter on its thread.
    void status(const QString& text, StatusIcon icon);
    void progress(int value, int max);

    // One step: clear pending input, write the frame (waiting (13·L)·1000/B + 20 ms for it; an
    // unfinished write posts "Запрос не отправлен" and is repeated up to the repeat count), wait
    // up to `replyWaitMs` for the first byte, then let the rest arrive for `settleMs` (or until the
    // reply is whole by `rule`) and read everything queued, at most 255 bytes (an Exact rule:
    // up to its length).
    Step transact(const QByteArray& frame, const ReplyRule& rule, int replyWaitMs, int settleMs,
                  QByteArray& reply);

    // Sets the line up again at another speed (a scan over several speeds) and drops whatever
    // was queued; false when the port refuses the settings.
    bool reconfigure(const LineSettings& line);

    Port& port() { return *m_port; }
    int baudIndex() const { return m_baudIndex; }
    int repeatCount() const { return m_repeatCount; }

private:
    friend class ThreadedExchange;
    WorkerContext(ThreadedExchange& owner, Port& port, int baudIndex, int repeatCount);
    bool waitAbortable(int ms, const std::function<bool()>& ready);

    ThreadedExchange& m_owner;
    Port* m_port;
    int m_baudIndex;
    int m_repeatCount;
};

class WorkerJob {
public:
    virtual ~WorkerJob() = default;
    virtual WorkerEnd run(WorkerContext& context) = 0;
};

class ThreadedExchange : public QObject {
    Q_OBJECT
public:
    ThreadedExchange(Reporter& reporter, LinkState& state, PortFactory factory,
                     QObject* parent = nullptr);
    ~ThreadedExchange() override;

    // Starts `job` on a new thread that opens the port described by `opening`. False when a worker
    // already runs, or when the thread cannot start ("Не удалось открыть поток COM-порта").
    bool start(std::unique_ptr<WorkerJob> job, const PortOpening& opening, int repeatCount);
    // Sets the abort flag; every wait of the worker returns at once.
    void abort();
    // Aborts and waits for the worker at most `ms`; true when it has ended.
    bool stop(int ms = 500);
    bool running() const;

signals:
    // The completion: emitted on the owner's thread after the ending texts are out.
    void finished(tirv::WorkerEnd end);

private:
    friend class WorkerContext;
    void postStatus(const QString& text, StatusIcon icon);
    void postProgress(int value, int max);
    void onWorkerDone(WorkerEnd end);

    Reporter& m_reporter;
    LinkState& m_state;
    PortFactory m_factory;
    QThread* m_thread = nullptr;
    std::atomic<bool> m_abort{false};
    int m_openedNumber = 0;  // for the words of a port that could not be opened
};

}  // namespace tirv
