// The setpoint read and write sequences over the serial link and the read over Modbus TCP.
#include "configurator/setpoints/setpoint_transfer.h"

#include "configurator/link/chunked_transfer.h"
#include "configurator/link/frames.h"
#include "configurator/link/modbus_tcp_transfer.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/texts.h"

#include <QByteArray>
#include <QTimer>
#include <algorithm>

namespace tirv {
namespace {

namespace tx = setpoint_texts;

QString Utf8(const char* text) { return QString::fromUtf8(text); }

bool TcpAddressEntered(const ConnectionSettings& s)
{
    return std::any_of(s.tcpAddress.begin(), s.tcpAddress.end(),
                       [](std::uint8_t octet) { return octet != 0; });
}

constexpr int kMaxTcpPort = 65535;

}  // namespace

SetpointTransfer::SetpointTransfer(ChunkedTransfer& serial, ModbusTcpTransfer& tcp,
                                   Reporter& reporter, const ConnectionSettings& settings,
                                   const ModelProfile& profile, SetpointImage& image,
                                   QObject* parent)
    : QObject(parent),
      m_serial(serial),
      m_tcp(tcp),
      m_reporter(reporter),
      m_settings(settings),
      m_currentProfile(profile),
      m_image(image)
{
    connect(&m_serial, &ChunkedTransfer::progressed, this, &SetpointTransfer::onProgress);
}

SetpointTransfer::~SetpointTransfer()
{
    QObject::disconnect(m_tcpConnection);
    // The link's transfer still holds callbacks into this object: end it without telling a
    // caller that may be going away too.
    m_done = nullptr;
    if (m_mode == Mode::TcpRead)
        m_tcp.abort();
    else if (m_mode != Mode::Idle)
        m_serial.abort();
}

void SetpointTransfer::status(const char* text, StatusIcon icon)
{
    m_reporter.status(Utf8(text), icon);
}

bool SetpointTransfer::startRead(Done done)
{
    if (busy() || m_serial.busy() || m_tcp.running())
        return false;
    m_profile = m_currentProfile;
    m_link = SetpointLinkFor(m_settings);
    m_abortRequested = false;
    m_done = std::move(done);
    const bool started =
        m_settings.channel == Channel::Ethernet ? startTcpRead() : startSerialRead();
    if (!started) {
        m_done = nullptr;
        m_mode = Mode::Idle;
    }
    return started;
}

bool SetpointTransfer::startSerialRead()
{
    m_mode = Mode::Read;
    m_check = m_image;
    m_nonZero = false;

    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::ReadRegisters);
    plan.start = 0;
    plan.total = m_profile.imageWords;
    plan.perBlock = SetpointReadBlockSize(m_link);
    plan.build = [this](int offset, int count) {
        const SetpointFrame f = BuildSetpointRead(m_link, offset, count);
        m_request = f.bytes;
        return ToTransferBlock(f);
    };
    plan.accept = [this](std::span<const std::uint8_t> reply, int offset, int count) {
        return AcceptSetpointRead(m_link, m_profile, m_request, reply, offset, count, m_check,
                                  m_nonZero);
    };
    plan.progressText = Utf8(tx::kReadRetryPrefix);
    plan.failureText = Utf8(tx::kReadFailed);
    return startPlan(std::move(plan), &SetpointTransfer::onReadEnded, tx::kReadStarted,
                     StatusIcon::Info);
}

bool SetpointTransfer::startPlan(TransferPlan plan,
                                 void (SetpointTransfer::*ended)(const TransferOutcome&),
                                 const char* opening, StatusIcon icon)
{
    if (!m_serial.start(std::move(plan),
                        [this, ended](const TransferOutcome& o) { (this->*ended)(o); }))
        return false;
    // The transfer opens with its repeat prefix; the operation's own opening words replace it
    // unless the transfer has already ended.
    if (m_serial.busy())
        status(opening, icon);
    return true;
}

bool SetpointTransfer::startTcpRead()
{
    // The connection panel owns the messages of these fields; the window shows it with the
    // offending field focused.
    m_mode = Mode::TcpRead;
    int invalidField = 0;
    if (!TcpAddressEntered(m_settings))
        invalidField = kTcpAddressField;
    else if (m_settings.tcpPort < 1 || m_settings.tcpPort > kMaxTcpPort)
        invalidField = kTcpPortField;
    if (invalidField != 0) {
        // Reported from the event loop like every other ending, never from inside startRead.
        QTimer::singleShot(0, this, [this, invalidField] {
            finish({SetpointTransferEnd::TcpSettings, invalidField});
        });
        return true;
    }
    TcpTransferRequest request;
    request.address = m_settings.tcpAddress;
    request.port = m_settings.tcpPort;
    request.function = static_cast<std::uint8_t>(Function::ReadRegisters);
    request.start = 0;
    request.count = m_profile.imageWords;
    m_tcpConnection =
        connect(&m_tcp, &ModbusTcpTransfer::completed, this, &SetpointTransfer::onTcpCompleted);
    // A refused start has already told the user why ("Не удалось открыть поток соединения …").
    if (!m_tcp.start(request)) {
        QObject::disconnect(m_tcpConnection);
        return false;
    }
    return true;
}

void SetpointTransfer::onProgress(int moved, int total)
{
    // Over Modbus every further block announces itself; the ТИРВ protocol keeps the first text.
    if (m_link.text || moved >= total)
        return;
    if (m_mode == Mode::Read)
        status(tx::kReadNextBlock, StatusIcon::Info);
    else if (m_mode == Mode::Write)
        status(tx::kWriteNextBlock, StatusIcon::Info);
}

void SetpointTransfer::onReadEnded(const TransferOutcome& outcome)
{
    if (endUnlessDone(outcome, tx::kReadAborted))
        return;

    switch (JudgeSetpointRead(m_profile, m_check, m_link.text, m_nonZero)) {
    case ReadVerdict::Empty: {
        status(tx::kReadEmpty, StatusIcon::Warning);
        Message question;
        question.caption = tx::kCaptionWarning;
        question.text = tx::kAskMinimalSet;
        question.icon = MsgIcon::Question;
        question.buttons = MsgButtons::OkCancel;
        if (m_reporter.ask(question) != Answer::Ok) {
            finish({SetpointTransferEnd::Empty});
            return;
        }
        // From the event loop: the transfer that just ended is still unwinding.
        QTimer::singleShot(0, this, [this] {
            if (endIfAborted())
                return;
            if (!sendMinimalSet())
                finish({SetpointTransferEnd::Failed});
        });
        return;
    }
    case ReadVerdict::Rejected:
        status(tx::kReadRejected, StatusIcon::Warning);
        finish({SetpointTransferEnd::Rejected});
        return;
    case ReadVerdict::Accepted:
        accept();
        return;
    }
}

bool SetpointTransfer::sendMinimalSet()
{
    m_mode = Mode::MinimalSet;
    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::RestoreMinimalSet);
    plan.total = 0;
    plan.perBlock = 1;
    plan.noReply = true;
    plan.build = [this](int, int) { return ToTransferBlock(BuildMinimalSetRequest(m_link)); };
    // Nothing comes back: the pause after the request is all there is to wait for.
    plan.accept = [](std::span<const std::uint8_t>, int, int) { return LinkResult::Good; };
    plan.progressText = Utf8(tx::kReadRetryPrefix);
    plan.failureText = Utf8(tx::kReadFailed);
    return startPlan(std::move(plan), &SetpointTransfer::onMinimalSetEnded, tx::kReadEmpty,
                     StatusIcon::Warning);
}

void SetpointTransfer::onMinimalSetEnded(const TransferOutcome& outcome)
{
    if (endUnlessDone(outcome, tx::kReadAborted))
        return;
    // The relay now holds its minimal set: read it as if the user had asked again.
    QTimer::singleShot(0, this, [this] {
        if (endIfAborted())
            return;
        if (!startSerialRead())
            finish({SetpointTransferEnd::Failed});
    });
}

void SetpointTransfer::onTcpCompleted()
{
    QObject::disconnect(m_tcpConnection);
    const TcpTransferRecord& record = m_tcp.record();
    if (record.aborted) {
        // The TCP transfer has already said so.
        finish({SetpointTransferEnd::Aborted});
        return;
    }
    m_check = m_image;
    if (!record.success || !TcpRegistersToImage(m_profile, record.image, m_check)) {
        status(tx::kReadFailed, StatusIcon::Warning);
        finish({SetpointTransferEnd::Failed});
        return;
    }
    std::vector<CheckFinding> messages;
    const bool ok = CheckImage(m_profile, m_check, &messages);
    for (const CheckFinding& f : messages)
        m_reporter.ask(CheckFindingBox(f));
    if (!ok) {
        status(tx::kTcpReadRejected, StatusIcon::Warning);
        finish({SetpointTransferEnd::Rejected});
        return;
    }
    accept();
}

void SetpointTransfer::accept()
{
    m_image = m_check;
    emit imageReplaced();  // the tabs are refilled and shown before the status says so
    status(tx::kReadDone, StatusIcon::Ok);
    finish({SetpointTransferEnd::Read});
}

bool SetpointTransfer::startWrite(Done done)
{
    if (busy() || m_serial.busy() || m_tcp.running())
        return false;
    if (m_settings.channel == Channel::Ethernet)
        return false;
    m_profile = m_currentProfile;
    m_link = SetpointLinkFor(m_settings);
    m_check = m_image;  // what is written stays fixed while the blocks go out
    m_abortRequested = false;
    m_mode = Mode::Write;
    m_done = std::move(done);

    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::WriteRegisters);
    plan.start = 0;
    plan.total = m_profile.imageWords;
    plan.perBlock = SetpointWriteBlockSize(m_link);
    plan.build = [this](int offset, int count) {
        const SetpointFrame f = BuildSetpointWrite(m_link, m_profile, m_check, offset, count);
        m_request = f.bytes;
        return ToTransferBlock(f);
    };
    plan.accept = [this](std::span<const std::uint8_t> reply, int offset, int count) {
        return AcceptSetpointWriteAck(m_link, m_request, reply, offset, count);
    };
    plan.progressText = Utf8(tx::kWriteRetryPrefix);
    plan.failureText = Utf8(tx::kWriteFailed);
    if (!startPlan(std::move(plan), &SetpointTransfer::onWriteEnded, tx::kWriteStarted,
                   StatusIcon::Info)) {
        m_done = nullptr;
        m_mode = Mode::Idle;
        return false;
    }
    return true;
}

void SetpointTransfer::onWriteEnded(const TransferOutcome& outcome)
{
    if (endUnlessDone(outcome, tx::kWriteAborted))
        return;
    status(tx::kWriteDone, StatusIcon::Ok);
    finish({SetpointTransferEnd::Written});
}

bool SetpointTransfer::endUnlessDone(const TransferOutcome& outcome, const char* abortedText)
{
    if (outcome.end == TransferEnd::Done)
        return false;
    if (outcome.end == TransferEnd::Aborted) {
        status(abortedText, StatusIcon::Warning);
        finish({SetpointTransferEnd::Aborted});
    } else {
        SetpointTransferOutcome failed{SetpointTransferEnd::Failed};
        failed.refused = outcome.end == TransferEnd::Refused;
        finish(failed);
    }
    return true;
}

bool SetpointTransfer::endIfAborted()
{
    if (!m_abortRequested)
        return false;
    status(tx::kReadAborted, StatusIcon::Warning);
    finish({SetpointTransferEnd::Aborted});
    return true;
}

void SetpointTransfer::abort()
{
    if (m_mode != Mode::Idle)
        m_abortRequested = true;
    switch (m_mode) {
    case Mode::Read:
    case Mode::MinimalSet:
    case Mode::Write:
        m_serial.abort();
        break;
    case Mode::TcpRead:
        m_tcp.abort();
        break;
    case Mode::Idle:
        break;
    }
}

void SetpointTransfer::finish(SetpointTransferOutcome outcome)
{
    m_mode = Mode::Idle;
    m_request.clear();
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(outcome);
}

}  // namespace tirv
