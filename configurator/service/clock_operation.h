#pragma once
// The clock page's three exchanges without widgets: read the relay clock (serial port on the
// worker thread, or Modbus TCP), set it from the computer clock at a whole second and read it
// back, and the 0x42 broadcast to every relay of the serial line followed by a read. The page and
// tirv-cli both run it. The computer clock is a function, so tests can hold time still.
#include "configurator/link/connection_settings.h"
#include "configurator/service/clock_rules.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

namespace tirv {

class LinkSession;
class SerialLink;
struct Reporter;

using ComputerClock = std::function<QDateTime()>;
CalendarTime ToCalendarTime(const QDateTime& t);

enum class ClockAction { Read, Set, Broadcast };

struct ClockEnd {
    ClockAction action = ClockAction::Read;
    bool ok = false;  // the exchange did what it was asked
    bool aborted = false;
    bool busy = false;     // refused: another exchange holds the line
    bool reading = false;  // `relay` holds registers that arrived
    bool valid = false;
    ClockRecord relay{};
    CalendarTime computer{};  // taken at the reading
    std::string relayText;    // the two display fields (UTF-8)
    std::string computerText;
    std::string status;  // what status field 0 was told last
};

class ClockOperation : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const ClockEnd&)>;

    ClockOperation(SerialLink& link, LinkSession& session, Reporter& reporter,
                   const ConnectionSettings& settings, std::function<bool()> mModel,
                   QObject* parent = nullptr);
    ~ClockOperation() override;

    void setComputerClock(ComputerClock clock) { m_clock = std::move(clock); }
    QDateTime now() const { return m_clock(); }

    // `done` is called once on every path.
    void start(ClockAction action, Done done);
    void abort();
    bool running() const { return static_cast<bool>(m_done); }
    // The wait for the next whole second before a set or a broadcast; -1 when none is armed.
    int secondWaitMs() const { return m_second.isActive() ? m_second.interval() : -1; }

    struct JobResult;

signals:
    void requestSent(const QByteArray& frame);
    void replyReceived(const QByteArray& bytes);

private:
    void readTcp();
    void startWorker(const CalendarTime& at);
    void workerEnded(int workerEnd);
    void finish(ClockEnd end);

    SerialLink& m_link;
    LinkSession& m_session;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    std::function<bool()> m_mModel;
    ComputerClock m_clock;
    QTimer m_second;
    ClockAction m_action = ClockAction::Read;
    std::shared_ptr<JobResult> m_result;
    Done m_done;
};

}  // namespace tirv
