// The broadcast's paced path: the 0x42 frame on the link's own port at a whole second, the pause
// after it, then one paced read of the addressed relay (connecting first when the link is down),
// repeated after a reconnect up to the repeat count.
#include "configurator/link/byte_views.h"
#include "configurator/link/link_session.h"
#include "configurator/link/link_state.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/registers.h"
#include "configurator/link/reply_completion.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/texts.h"
#include "configurator/service/clock_operation.h"
#include "configurator/service/clock_texts.h"

namespace tirv {

namespace ct = clock_texts;
using link_texts::Text;

namespace {

constexpr int kBroadcastPauseMs = 500;
// Before the reconnect that repeats a failed read, as before any reconnect attempt.
constexpr int kReconnectMarginMs = 300;

QByteArray ToBytes(std::span<const std::uint8_t> v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

}  // namespace

bool ClockOperation::timerActive(int id) const
{
    switch (id) {
        case TimerClockReadReply:
            return m_paced == Paced::Reading;
        case TimerClockReadRepeat:
            return m_repeat.isActive();
        default:
            return false;  // 415/416: no paced write on this page
    }
}

bool ClockOperation::portChanged()
{
    Port& port = m_link.port();
    if (!port.isOpen() || port.number() == m_settings.port)
        return false;
    // The panel names another port now: the open one is let go the way the panel lets a port
    // go, and nothing is sent to either; the next link check opens the new one.
    m_session.disconnect();
    m_reporter.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
    ClockEnd end;
    end.action = ClockAction::Broadcast;
    end.portChanged = true;
    finish(end);
    return true;
}

bool ClockOperation::openForBroadcast()
{
    Port& port = m_link.port();
    if (port.isOpen() && port.stale())
        m_link.closePort();
    if (!port.isOpen() && !OpenPort(port, m_settings.port)) {
        m_link.state().setEstablished(false);
        ReportPortUnavailable(m_reporter, m_settings.port);
        ClockEnd end;
        end.action = ClockAction::Broadcast;
        finish(end);
        return false;
    }
    ConfigurePort(port, m_settings.baudIndex, m_settings.parity, m_settings.stopBits, m_mModel());
    SetProtocolTimeouts(port, m_settings.protocol, m_settings.baudIndex);
    m_paced = Paced::Second;
    m_repeats = 0;
    ++m_run;
    return true;
}

void ClockOperation::sendBroadcast()
{
    const ClockRequest b = BuildClockBroadcastRequest(ToCalendarTime(m_clock()));
    Port& port = m_link.port();
    ClockEnd failed;
    failed.action = ClockAction::Broadcast;
    failed.status = ct::kPacedWriteFailed;
    if (b.frame.empty() || !port.isOpen()) {
        endPaced(failed, StatusIcon::Warning);
        return;
    }
    // Bytes of an earlier late reply must not be taken for the read that follows.
    if (port.bytesAvailable() > 0)
        port.purge();
    const QByteArray frame = ToBytes(b.frame);
    const quint64 run = m_run;
    emit requestSent(frame);
    if (run != m_run)
        return;  // the page was left meanwhile
    if (!port.write(b.frame)) {
        endPaced(failed, StatusIcon::Warning);
        return;
    }
    // Nobody answers a broadcast; the relays take the time while the line rests.
    m_link.state().setExchangeInProgress(true);
    m_reporter.status(Text(ct::kPacedWritten), StatusIcon::Info);
    m_paced = Paced::Pause;
    m_pause.start(kBroadcastPauseMs);
}

void ClockOperation::afterPause()
{
    m_link.state().setExchangeInProgress(false);
    const Port& port = m_link.port();
    if (m_link.state().established() && port.isOpen() && port.number() == m_settings.port)
        readPaced();
    else
        connectThenRead();
}

// The connection procedure; the read goes when it has ended with the link up.
void ClockOperation::connectThenRead()
{
    m_paced = Paced::Connect;
    const quint64 run = m_run;
    m_session.ensureLink({false, ct::kPacedReadFailed}, [this, run](LinkReady ready) {
        if (run != m_run)
            return;
        if (ready == LinkReady::Ready) {
            readPaced();
            return;
        }
        ClockEnd end;
        end.action = ClockAction::Broadcast;
        end.aborted = ready == LinkReady::Aborted;
        end.toFirmware = ready == LinkReady::ToFirmware;
        endPaced(end, StatusIcon::Warning);  // the procedure has told the user why
    });
}

void ClockOperation::readPaced()
{
    const ClockRequest r = BuildClockReadRequest(m_settings);
    if (r.frame.empty()) {
        ClockEnd end;
        end.action = ClockAction::Broadcast;
        end.status = ct::kPacedReadFailed;
        endPaced(end, StatusIcon::Warning);
        return;
    }
    const QByteArray frame = ToBytes(r.frame);
    const bool text = m_settings.protocol == Protocol::Tirv;
    const int waitMs =
        text ? TextReplyWaitMs(m_settings.baudIndex)
             : ReadWaitMs(r.frame.size(), regs::kClockRead.count, m_settings.baudIndex);
    const ReplyRule rule =
        text ? TextFrameReply() : ModbusReply(std::uint8_t(Function::ReadRegisters), r.replyLength);
    m_paced = Paced::Reading;
    m_link.state().setExchangeInProgress(true);
    const quint64 run = m_run;
    emit requestSent(frame);
    if (run != m_run)
        return;  // the page was left meanwhile
    const QDateTime before = m_clock();
    const bool started = m_link.paced().start(
        {frame, waitMs, rule}, [this, run, frame, before](const ExchangeReply& reply) {
            if (run == m_run)
                pacedReply(frame, before, reply);
        });
    if (!started) {
        m_link.state().setExchangeInProgress(false);
        pacedFailed();
    }
}

void ClockOperation::pacedReply(const QByteArray& frame, const QDateTime& before,
                                const ExchangeReply& r)
{
    m_link.state().setExchangeInProgress(false);
    if (r.end == ExchangeEnd::Aborted) {
        ClockEnd end;
        end.action = ClockAction::Broadcast;
        end.aborted = true;
        end.status = link_texts::kUserAbortPage;
        endPaced(end, StatusIcon::Warning);
        return;
    }
    if (r.end != ExchangeEnd::Reply || r.bytes.isEmpty()) {
        pacedFailed();
        return;
    }
    emit replyReceived(r.bytes);
    // With the port's pins 2 and 3 joined the port hears its own request: a stored reply
    // stands in for the relay's, so the page can be tried without one.
    const bool loopback = m_settings.protocol == Protocol::Tirv && m_loopback && m_loopback() == 0;
    const QByteArray text = loopback ? QByteArray(kLoopbackClockReply) : r.bytes;
    ClockRecord record{};
    const LinkResult result = ParseClockReadReply(m_settings, Bytes(frame), Bytes(text), record);
    if (result != LinkResult::Good) {
        // Over the ТИРВ protocol the same number means a command that was not echoed.
        if (result == LinkResult::Exception && m_settings.protocol == Protocol::Modbus)
            ShowExceptionWarning(m_reporter);
        pacedFailed();
        return;
    }
    const bool m = m_mModel();
    ClockEnd end;
    end.action = ClockAction::Broadcast;
    end.reading = true;
    end.relay = record;
    end.valid = IsValidClock(record, m);
    end.ok = true;
    // The computer's time of the reading is when the request had left.
    const qint64 sendMs =
        qint64(13u * std::size_t(frame.size()) * 1000u / BaudRate(m_settings.baudIndex));
    end.computer = ToCalendarTime(before.addMSecs(sendMs));
    end.computerText = FormatComputerClock(end.computer);
    end.relayText = end.valid ? FormatRelayClock(record, m) : ct::kInvalidPattern;
    end.status = end.valid ? ct::kRead : FormatInvalidClock(record);
    endPaced(end, end.valid ? StatusIcon::Ok : StatusIcon::Warning);
}

// A read that brought nothing usable is repeated after a reconnect while repeats are left.
void ClockOperation::pacedFailed()
{
    if (m_repeats < m_settings.repeatCount) {
        ++m_repeats;
        m_reporter.status(Text(ct::kPacedReadFailed) + Text(ct::kRepeatSeparator) +
                              Text(link_texts::kRepeatSuffix).arg(m_repeats),
                          StatusIcon::Warning);
        m_link.closePort();
        m_paced = Paced::Repeat;
        m_repeat.start(LinkCheckWaitMs(m_settings.baudIndex) + kReconnectMarginMs);
        return;
    }
    m_link.state().setEstablished(false);
    m_reporter.linkState(Text(link_texts::kNoLink), StatusIcon::Error);
    ClockEnd end;
    end.action = ClockAction::Broadcast;
    end.status = ct::kPacedReadFailed;
    endPaced(end, StatusIcon::Warning);
    m_reporter.ask(Box(Text(link_texts::kCaptionReadWrite), Text(link_texts::kCannotConnect),
                       MsgIcon::Warning, MsgButtons::Ok));
}

bool ClockOperation::stopPaced()
{
    if (m_paced == Paced::None)
        return false;
    const Paced stage = m_paced;
    m_paced = Paced::None;
    ++m_run;  // whatever is still on its way back is let go
    m_second.stop();
    m_pause.stop();
    m_repeat.stop();
    if (stage == Paced::Reading && m_link.paced().busy())
        m_link.paced().abort();  // timer 413
    if (stage == Paced::Connect)
        m_session.abort();
    if (m_link.port().isOpen())
        m_link.port().purge();
    m_link.state().setExchangeInProgress(false);
    return true;
}

void ClockOperation::leave()
{
    if (!running() || !stopPaced())
        return;
    ClockEnd end;
    end.action = m_action;
    end.aborted = true;
    end.status = link_texts::kUserAbortPage;
    endPaced(end, StatusIcon::Warning);
}

void ClockOperation::endPaced(ClockEnd end, StatusIcon icon)
{
    m_paced = Paced::None;
    ++m_run;
    m_pause.stop();
    m_repeat.stop();
    if (!end.status.empty())
        m_reporter.status(Text(end.status.c_str()), icon);
    finish(end);
}

}  // namespace tirv
