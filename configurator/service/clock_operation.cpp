#include "configurator/service/clock_operation.h"

#include "configurator/link/byte_views.h"
#include "configurator/link/link_session.h"
#include "configurator/link/link_state.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/registers.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/texts.h"
#include "configurator/service/clock_texts.h"
#include "gui/reporter.h"

#include <QMetaObject>
#include <QPointer>
#include <mutex>

namespace tirv {

namespace ct = clock_texts;
using link_texts::Text;

CalendarTime ToCalendarTime(const QDateTime& t)
{
    const QDate d = t.date();
    const QTime h = t.time();
    return {d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second(), h.msec()};
}

// What the worker found; read on the owner's thread after the worker has ended.
struct ClockOperation::JobResult {
    bool writeAcknowledged = false;
    bool reading = false;
    ClockRecord relay{};
    CalendarTime computer{};
};

namespace {

constexpr int kFreshSecondMs = 10;
// A text reply of seven values is well under this many characters.
constexpr std::size_t kTextReplyAllowance = 64;

QByteArray ToBytes(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

class ClockJob : public WorkerJob {
public:
    ClockJob(ClockOperation* owner, ClockAction action, ConnectionSettings settings,
             CalendarTime at, ComputerClock clock, std::shared_ptr<ClockOperation::JobResult> out)
        : m_owner(owner),
          m_action(action),
          m_settings(settings),
          m_at(at),
          m_clock(std::move(clock)),
          m_out(std::move(out))
    {
    }

    WorkerEnd run(WorkerContext& c) override
    {
        if (m_action == ClockAction::Set) {
            if (!alignToSecond(c))
                return WorkerEnd::Aborted;
            if (!set(c))
                return c.aborted() ? WorkerEnd::Aborted : WorkerEnd::Success;
        }
        read(c);
        return c.aborted() ? WorkerEnd::Aborted : WorkerEnd::Success;
    }

private:
    // The owner's timer ended at a whole second, but opening the port takes its time (more on a
    // busy machine): when the second is no longer fresh, wait here for the next one, so the relay
    // is never set a good part of a second behind.
    bool alignToSecond(WorkerContext& c)
    {
        const int ms = m_clock().time().msec();
        if (ms > kFreshSecondMs && !c.sleep(WholeSecondWaitMs(ms)))
            return false;
        if (ms > kFreshSecondMs)
            m_at = ToCalendarTime(m_clock());
        return true;
    }

    ReplyRule rule(int modbusFunction, int length) const
    {
        return m_settings.protocol == Protocol::Tirv
                   ? TextFrameReply()
                   : ModbusReply(std::uint8_t(modbusFunction), length);
    }
    std::size_t replyAllowance(int length) const
    {
        return length > 0 ? std::size_t(length) : kTextReplyAllowance;
    }

    bool set(WorkerContext& c)
    {
        const ClockRequest r = BuildClockSetRequest(m_settings, m_at);
        if (r.frame.empty())
            return false;
        QByteArray reply;
        const int wait = ThreadReplyWaitMs(replyAllowance(r.replyLength), c.baudIndex());
        announce(r.frame, true);
        // Never repeated: a second try would carry a second that has passed.
        const auto step =
            c.transact(ToBytes(r.frame), rule(int(Function::WriteRegisters), r.replyLength), wait,
                       wait, reply);
        if (step != WorkerContext::Step::Reply)
            return false;
        announce({reply.begin(), reply.end()}, false);
        m_out->writeAcknowledged =
            CheckClockSetReply(m_settings, r.frame, Bytes(reply)) == LinkResult::Good;
        return m_out->writeAcknowledged;
    }

    void read(WorkerContext& c)
    {
        const ClockRequest r = BuildClockReadRequest(m_settings);
        if (r.frame.empty())
            return;
        const int wait = ThreadReplyWaitMs(replyAllowance(r.replyLength), c.baudIndex());
        const qint64 sendMs = qint64(BitsMs(r.frame.size(), c.baudIndex()));
        const int attempts = std::max(1, c.repeatCount());
        for (int k = 0; k < attempts && !c.aborted(); ++k) {
            QByteArray reply;
            announce(r.frame, true);
            const QDateTime before = m_clock();
            const auto step =
                c.transact(ToBytes(r.frame), rule(int(Function::ReadRegisters), r.replyLength),
                           wait, wait, reply);
            if (step == WorkerContext::Step::Aborted || step == WorkerContext::Step::NotSent)
                return;
            if (step != WorkerContext::Step::Reply)
                continue;
            announce({reply.begin(), reply.end()}, false);
            ClockRecord record{};
            if (ParseClockReadReply(m_settings, r.frame, Bytes(reply), record) != LinkResult::Good)
                continue;
            m_out->reading = true;
            m_out->relay = record;
            // The computer's time of the reading is when the request had left.
            m_out->computer = ToCalendarTime(before.addMSecs(sendMs));
            return;
        }
    }

    static std::uint64_t BitsMs(std::size_t bytes, int baudIndex)
    {
        return 13u * bytes * 1000u / BaudRate(baudIndex);
    }

    void announce(const std::vector<std::uint8_t>& bytes, bool request)
    {
        QPointer<ClockOperation> owner = m_owner;
        const QByteArray b = ToBytes(bytes);
        QMetaObject::invokeMethod(
            m_owner,
            [owner, b, request] {
                if (!owner)
                    return;
                if (request)
                    emit owner->requestSent(b);
                else
                    emit owner->replyReceived(b);
            },
            Qt::QueuedConnection);
    }

    ClockOperation* m_owner;
    ClockAction m_action;
    ConnectionSettings m_settings;
    CalendarTime m_at;
    ComputerClock m_clock;
    std::shared_ptr<ClockOperation::JobResult> m_out;
};

}  // namespace

ClockOperation::ClockOperation(SerialLink& link, LinkSession& session, Reporter& reporter,
                               const ConnectionSettings& settings, std::function<bool()> mModel,
                               QObject* parent)
    : QObject(parent),
      m_link(link),
      m_session(session),
      m_reporter(reporter),
      m_settings(settings),
      m_mModel(std::move(mModel)),
      m_clock([] { return QDateTime::currentDateTime(); })
{
    m_second.setSingleShot(true);
    m_second.setTimerType(Qt::PreciseTimer);
    connect(&m_second, &QTimer::timeout, this, [this] {
        if (m_action == ClockAction::Broadcast) {
            sendBroadcast();
            return;
        }
        const CalendarTime at = ToCalendarTime(m_clock());
        startWorker(at);
    });
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, [this] { afterPause(); });
    m_repeat.setSingleShot(true);
    connect(&m_repeat, &QTimer::timeout, this, [this] { connectThenRead(); });
    connect(&m_link.worker(), &ThreadedExchange::finished, this,
            [this](WorkerEnd end) { workerEnded(int(end)); });
}

ClockOperation::~ClockOperation()
{
    m_second.stop();
    stopPaced();
    if (m_result)
        m_link.worker().stop(500);
}

void ClockOperation::start(ClockAction action, Done done)
{
    ClockEnd refused;
    refused.action = action;
    if (running() || m_session.busy() || m_link.state().busy() || m_link.worker().running()) {
        m_reporter.status(Text(link_texts::kLineBusy), StatusIcon::Warning);
        refused.busy = true;
        refused.status = link_texts::kLineBusy;
        done(refused);
        return;
    }
    const bool ethernet = m_settings.channel == Channel::Ethernet;
    if (action == ClockAction::Broadcast && ethernet) {
        done(refused);  // the broadcast exists on the serial line only
        return;
    }
    m_action = action;
    m_done = std::move(done);
    if (action == ClockAction::Read) {
        if (ethernet)
            readTcp();
        else
            startWorker({});
        return;
    }
    if (action == ClockAction::Broadcast && portChanged())
        return;
    // The register values would wrap outside 2000–2099: such a time is never sent.
    const QDateTime now = m_clock();
    if (!IsSettableYear(now.date().year())) {
        ClockEnd end;
        end.action = action;
        end.status = ct::kWriteFailed;
        m_reporter.status(Text(ct::kWriteFailed), StatusIcon::Warning);
        finish(end);
        return;
    }
    if (action == ClockAction::Broadcast && !openForBroadcast())
        return;
    m_second.start(WholeSecondWaitMs(now.time().msec()));
}

void ClockOperation::readTcp()
{
    if (!m_session.tcpFieldsReady()) {
        ClockEnd end;
        finish(end);  // the link page shows its message and focuses the field
        return;
    }
    TcpTransferRequest request;
    request.address = m_settings.tcpAddress;
    request.port = m_settings.tcpPort;
    request.function = std::uint8_t(Function::ReadRegisters);
    request.start = regs::kClockRead.start;
    request.count = regs::kClockRead.count;
    const bool started = m_link.tcp().start(request, [this](const TcpTransferRecord& record) {
        ClockEnd end;
        end.aborted = record.aborted;
        if (record.aborted) {
            end.status = link_texts::kUserAbortPage;
            m_reporter.status(Text(end.status.c_str()), StatusIcon::Warning);
            finish(end);
            return;
        }
        if (!record.success || record.image.size() < 2 * end.relay.size()) {
            end.status = ct::kReadFailedTcp;
            m_reporter.status(Text(ct::kReadFailedTcp), StatusIcon::Warning);
            finish(end);
            return;
        }
        for (std::size_t k = 0; k < end.relay.size(); ++k)
            end.relay[k] = record.registerAt(k);
        end.computer = ToCalendarTime(m_clock());
        end.reading = true;
        end.valid = IsValidClock(end.relay, m_mModel());
        end.ok = true;
        end.relayText = end.valid ? FormatRelayClock(end.relay, m_mModel()) : ct::kInvalidPattern;
        end.computerText = FormatComputerClock(end.computer);
        end.status = end.valid ? ct::kRead : ct::kReadInvalid;
        m_reporter.status(Text(end.status.c_str()),
                          end.valid ? StatusIcon::Ok : StatusIcon::Warning);
        finish(end);
    });
    if (!started)
        finish({});
}

void ClockOperation::startWorker(const CalendarTime& at)
{
    m_result = std::make_shared<JobResult>();
    auto job = std::make_unique<ClockJob>(this, m_action, m_settings, at, m_clock, m_result);
    if (!m_link.startWorker(std::move(job))) {
        m_result.reset();
        ClockEnd end;
        end.action = m_action;
        finish(end);
    }
}

void ClockOperation::workerEnded(int workerEnd)
{
    if (!m_result || !m_done)
        return;
    const std::shared_ptr<JobResult> r = std::move(m_result);
    m_result.reset();
    // The worker had its own handle of the port: the next exchange connects first.
    m_link.state().setEstablished(false);
    const auto we = static_cast<WorkerEnd>(workerEnd);
    ClockEnd end;
    end.action = m_action;
    if (we == WorkerEnd::Aborted) {
        end.aborted = true;
        end.status = link_texts::kUserAbortPage;
        finish(end);
        return;
    }
    if (we == WorkerEnd::PortUnavailable) {
        finish(end);  // the port's own message has been shown
        return;
    }
    const bool m = m_mModel();
    end.reading = r->reading;
    end.relay = r->relay;
    end.computer = r->computer;
    end.valid = r->reading && IsValidClock(r->relay, m);
    if (r->reading) {
        end.relayText = FormatRelayClock(r->relay, m);
        end.computerText = FormatComputerClock(r->computer);
    }
    switch (m_action) {
        case ClockAction::Read:
            end.ok = r->reading;
            end.status = !r->reading ? ct::kReadFailedSerial
                         : end.valid ? ct::kRead
                                     : ct::kReadInvalid;
            break;
        case ClockAction::Set:
            end.ok = r->writeAcknowledged && r->reading;
            end.status = !r->writeAcknowledged ? ct::kWriteFailed
                         : !r->reading         ? ct::kReadFailedSerial
                                               : ct::kWritten;
            break;
        case ClockAction::Broadcast:
            break;  // never on the worker thread
    }
    m_reporter.status(Text(end.status.c_str()),
                      end.ok && (end.valid || m_action == ClockAction::Set) ? StatusIcon::Ok
                                                                            : StatusIcon::Warning);
    finish(end);
}

void ClockOperation::abort()
{
    if (!running())
        return;
    if (m_paced != Paced::None) {
        leave();  // the broadcast's path ends the same way for either
        return;
    }
    if (m_second.isActive()) {
        m_second.stop();
        ClockEnd end;
        end.action = m_action;
        end.aborted = true;
        end.status = link_texts::kUserAbortPage;
        m_reporter.status(Text(link_texts::kUserAbortPage), StatusIcon::Warning);
        finish(end);
        return;
    }
    m_link.worker().abort();
    m_link.tcp().abort();
}

void ClockOperation::finish(ClockEnd end)
{
    if (auto done = std::move(m_done)) {
        m_done = nullptr;
        done(end);
    }
}

}  // namespace tirv
