#pragma once
// The clock page's three exchanges without widgets: read the relay clock (serial port on the
// worker thread, or Modbus TCP), set it from the computer clock at a whole second and read it
// back, and the 0x42 broadcast to every relay of the serial line. The broadcast goes out on the
// link's own port and is followed by a paced read (timers 413/414), connecting first when the
// link is down. The page and tirv-cli both run it. The computer clock is a function, so tests
// can hold time still.
#include "configurator/link/connection_settings.h"
#include "configurator/link/frames.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/service/clock_rules.h"
#include "gui/reporter.h"

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

// The page's timers. 413 is the reply wait of the paced read (the paced exchange's own wait
// for that request); 414 waits before the reconnect that repeats it. 415/416 belong to a paced
// write, which this page does not have: its set runs on the worker thread.
enum ClockTimer : int {
    TimerClockReadReply = 413,
    TimerClockReadRepeat = 414,
    TimerClockWriteReply = 415,
    TimerClockWriteRepeat = 416,
};
CalendarTime ToCalendarTime(const QDateTime& t);

enum class ClockAction { Read, Set, Broadcast };

struct ClockEnd {
    ClockAction action = ClockAction::Read;
    bool ok = false;  // the exchange did what it was asked
    bool aborted = false;
    bool busy = false;     // refused: another exchange holds the line
    bool reading = false;  // `relay` holds registers that arrived
    bool valid = false;
    bool portChanged = false;  // the broadcast found another port selected and sent nothing
    bool toFirmware = false;   // the relay waits in its loader and the user chose the update
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
    // The page is left or destroyed: a paced read (or the broadcast before it) stops, the port
    // is purged and the exchange flags are cleared, so the line is free. A read or set on the
    // worker thread goes on.
    void leave();
    bool running() const { return static_cast<bool>(m_done); }
    bool timerActive(int id) const;
    // The loopback selector of the link page (0: the port's pins 2 and 3 joined, 1: a relay).
    // Without one the line leads to a relay.
    void setLoopbackItem(std::function<int()> item) { m_loopback = std::move(item); }
    // The wait for the next whole second before a set or a broadcast; -1 when none is armed.
    int secondWaitMs() const { return m_second.isActive() ? m_second.interval() : -1; }

    struct JobResult;

signals:
    void requestSent(const QByteArray& frame);
    void replyReceived(const QByteArray& bytes);

private:
    // The stages of the broadcast's paced path.
    enum class Paced { None, Second, Pause, Connect, Reading, Repeat };

    void readTcp();
    void startWorker(const CalendarTime& at);
    void workerEnded(int workerEnd);
    void finish(ClockEnd end);

    bool portChanged();
    bool openForBroadcast();
    void sendBroadcast();
    void afterPause();
    void connectThenRead();
    void readPaced();
    void pacedReply(const QByteArray& frame, const QDateTime& before, const ExchangeReply& r);
    void pacedFailed();
    void endPaced(ClockEnd end, StatusIcon icon);
    bool stopPaced();

    SerialLink& m_link;
    LinkSession& m_session;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    std::function<bool()> m_mModel;
    ComputerClock m_clock;
    std::function<int()> m_loopback;
    QTimer m_second;
    QTimer m_pause;   // 500 ms after the broadcast frame
    QTimer m_repeat;  // 414
    Paced m_paced = Paced::None;
    int m_repeats = 0;
    quint64 m_run = 0;  // tells a callback of an ended paced path apart
    ClockAction m_action = ClockAction::Read;
    std::shared_ptr<JobResult> m_result;
    Done m_done;
};

}  // namespace tirv
