// The link session's frame: one sequence at a time, abort, the link check (2012, 495, TCP), the
// settings block (3005), "Откл. от порта" and the connection procedure of the pages.
#include "configurator/link/link_session.h"

#include "gui/reporter.h"
#include "configurator/device/device_model.h"
#include "configurator/link/byte_views.h"
#include "configurator/link/frames.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/registers.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/text_frames.h"
#include "configurator/link/texts.h"

namespace tirv {

namespace tp = panel_texts;
using link_texts::Text;

LinkSession::LinkSession(SerialLink& link, Reporter& reporter, ConnectionSettings& settings,
                         DeviceModel& model, QObject* parent)
    : QObject(parent), m_link(link), m_reporter(reporter), m_settings(settings), m_model(model)
{
    LinkContext ctx{link.port(), link.state(), reporter, settings, [this] { return mModel(); }};
    m_check = std::make_unique<DefaultLinkCheck>(ctx, link.paced());
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, [this] {
        if (auto next = std::move(m_afterPause)) {
            m_afterPause = nullptr;
            next();
        }
    });
    // After an automatic connection the speed found is taken through an ordinary link check
    // once the line is free; over Modbus TCP there is no serial link to check.
    m_followUp.setSingleShot(true);
    connect(&m_followUp, &QTimer::timeout, this, [this] {
        if (m_settings.channel == Channel::Ethernet)
            return;
        if (busy()) {
            m_followUp.start(LinkCheckWaitMs(m_settings.baudIndex));
            return;
        }
        check();
    });
    connect(&link.state(), &LinkState::portClosed, this, [this] { clearIdentity(); });
    link.setLinkChecker(this);
}

LinkSession::~LinkSession()
{
    m_link.setLinkChecker(nullptr);
}

bool LinkSession::mModel() const { return m_model.isM(); }

bool LinkSession::linkEstablished() const { return m_link.state().established(); }

bool LinkSession::busy() const
{
    return m_seq != Seq::None || m_link.state().busy() || m_link.paced().busy() ||
           m_link.transfer().busy() || m_link.tcp().running();
}

// A second request never disappears silently: the user sees why nothing happens.
bool LinkSession::refuseWhenBusy()
{
    if (!busy())
        return false;
    m_reporter.status(Text(link_texts::kLineBusy), StatusIcon::Warning);
    return true;
}

bool LinkSession::begin(Seq seq)
{
    if (refuseWhenBusy())
        return false;
    m_seq = seq;
    m_aborted = false;
    ++m_run;
    m_followUp.stop();
    // The connection procedure runs inside a page's exchange, which holds the window's lock
    // itself; the panel's own sequences lock the window through this signal.
    m_announced = seq != Seq::Ensure;
    if (m_announced)
        emit runningChanged(true);
    return true;
}

void LinkSession::end()
{
    if (m_seq == Seq::None)
        return;
    m_seq = Seq::None;
    m_pause.stop();
    m_afterPause = nullptr;
    ++m_run;
    if (m_announced) {
        m_announced = false;
        emit runningChanged(false);
    }
}

void LinkSession::abort()
{
    m_followUp.stop();
    if (m_seq == Seq::None)
        return;
    m_aborted = true;
    const Seq seq = m_seq;
    // An exchange or check in flight ends synchronously through its own callback, which sees
    // m_aborted; a pause has no callback of its own, so the session ends here.
    if (m_link.paced().busy())
        m_link.paced().abort();
    m_check->abortCheck();
    if (m_seq == seq && seq == Seq::Tcp)
        m_link.tcp().abort();  // its completion reports the abort
    if (m_seq == Seq::None || seq == Seq::Tcp)
        return;
    m_reporter.status(Text(link_texts::kUserAbortPage), StatusIcon::Warning);
    m_reporter.progress(0, 0);
    m_reporter.linkState(Text(m_link.state().established() ? link_texts::kLinkEstablished
                                                           : link_texts::kNoLink),
                         m_link.state().established() ? StatusIcon::Ok : StatusIcon::Warning);
    // The port goes back to the speed of the settings, which an aborted search leaves as they were.
    if (m_link.port().isOpen())
        configureAt(m_settings.baudIndex);
    if (seq == Seq::Ensure)
        finishEnsure(LinkReady::Aborted);
    else
        end();
}

// --- Exchanges of the sequences ------------------------------------------------------------------

bool LinkSession::openSelected()
{
    Port& port = m_link.port();
    if (port.isOpen() && (port.number() != m_settings.port || port.stale()))
        port.close();
    if (!port.isOpen() && !OpenPort(port, m_settings.port)) {
        emit portStateChanged(Text(link_texts::kPortUnavailableField));
        ReportPortUnavailable(m_reporter, m_settings.port);
        m_link.state().setEstablished(false);
        return false;
    }
    emit portStateChanged(Text(link_texts::kPortOpen));
    return true;
}

void LinkSession::configureAt(int baudIndex)
{
    ConfigurePort(m_link.port(), baudIndex, m_settings.parity, m_settings.stopBits, mModel());
    SetProtocolTimeouts(m_link.port(), m_settings.protocol, baudIndex);
}

// `reply` gets the bytes (empty: no reply); it is not called for a sequence that has ended or
// been aborted meanwhile — abort() ends those itself.
void LinkSession::send(const QByteArray& frame, int waitMs, ReplyRule rule,
                       std::function<void(const QByteArray&)> reply)
{
    const quint64 run = m_run;
    auto deliver = [this, run, reply](const QByteArray& bytes) {
        if (run == m_run && !m_aborted)
            reply(bytes);
    };
    ExchangeRequest request{frame, waitMs, rule};
    const bool started = m_link.paced().start(request, [deliver](const ExchangeReply& r) {
        deliver(r.end == ExchangeEnd::Reply ? r.bytes : QByteArray());
    });
    if (!started)
        deliver({});
}

void LinkSession::pause(int ms, std::function<void()> next)
{
    m_afterPause = std::move(next);
    m_pause.start(ms);
}

QByteArray LinkSession::identityRequest() const
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const auto address = std::uint8_t(m_settings.address);
    const std::size_t n = m_settings.protocol == Protocol::Tirv
                              ? BuildTextLinkCheck(buf, address)
                              : BuildReadRegisters(buf, address, regs::kIdentity.start,
                                                   regs::kIdentity.count);
    return Frame(buf, n);
}

void LinkSession::sendIdentityCheck(int baudIndex, std::function<void(const QByteArray&)> reply)
{
    constexpr int kIdentityMarginMs = 20;
    const ReplyRule rule = m_settings.protocol == Protocol::Tirv
                               ? TextFrameReply()
                               : ModbusReply(0x03, int(ReadReplyLength(regs::kIdentity.count)));
    send(identityRequest(), LinkCheckWaitMs(baudIndex) + kIdentityMarginMs, rule,
         std::move(reply));
}

// The stricter check of the speed search: a Modbus reply must carry a known family signature;
// a ТИРВ-protocol reply must echo the request's first five characters, start its value with
// "<" or "Y" as the loopback selector says, and carry a correct CRC (a line at the wrong speed
// can garble a frame into something that still looks like an echo).
bool LinkSession::identityGood(const QByteArray& reply, std::optional<panel::Identity>* out) const
{
    if (reply.isEmpty())
        return false;
    if (m_settings.protocol == Protocol::Tirv) {
        const QByteArray request = identityRequest();
        const char expected = m_loopback == 0 ? '<' : 'Y';
        return reply.startsWith(':') && reply.size() > 5 && reply.left(5) == request.left(5) &&
               reply.at(5) == expected && CheckTextFrameCrc(Bytes(reply)).good();
    }
    if (CheckReadReply(Bytes(reply), std::uint8_t(m_settings.address), Function::ReadRegisters,
                       regs::kIdentity.count) != LinkResult::Good)
        return false;
    std::array<std::uint16_t, 5> r{};
    for (std::size_t k = 0; k < r.size(); ++k)
        r[k] = ReadReplyRegister(Bytes(reply), k);
    const auto id = panel::DecodeIdentity(r);
    if (out)
        *out = id;
    return id.has_value();
}

// The identity of the relay found selects the model tables (one rule from the family signature
// and the code together).
void LinkSession::adoptIdentity(const std::optional<panel::Identity>& id)
{
    m_identity = id;
    emit identityChanged();
    if (!id)
        return;
    if (const auto code = panel::ModelFromIdentity(*id))
        m_model.setCode(*code);
}

void LinkSession::clearIdentity()
{
    if (!m_identity)
        return;
    m_identity.reset();
    emit identityChanged();
}

// --- Link check (2012, 495) ----------------------------------------------------------------------

bool LinkSession::check()
{
    const bool readBlockAfter = m_readBlockOnCheck;
    if (m_settings.channel == Channel::Ethernet) {
        if (!begin(Seq::Tcp))
            return false;
        startTcpCheck();
        return true;
    }
    if (!begin(Seq::Check))
        return false;
    const quint64 run = m_run;
    m_check->checkLink([this, run, readBlockAfter](const LinkCheckResult& r) {
        if (run == m_run)
            checkEnded(r, readBlockAfter);
    });
    return true;
}

void LinkSession::checkEnded(const LinkCheckResult& result, bool readBlockAfter)
{
    if (result.end == LinkCheckEnd::Aborted)
        return;  // abort() reports and ends
    emit portStateChanged(Text(result.end == LinkCheckEnd::PortUnavailable
                                   ? link_texts::kPortUnavailableField
                                   : link_texts::kPortOpen));
    bool up = result.end == LinkCheckEnd::Established;
    if (up && result.haveIdentity) {
        const auto id = panel::DecodeIdentity(result.identity);
        if (!id) {
            // A relay of another family answered: the link counts as failed.
            up = false;
            m_link.state().setEstablished(false);
            m_reporter.status(Text(link_texts::kLinkCheckFailed), StatusIcon::Warning);
            m_reporter.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
            clearIdentity();
        } else {
            adoptIdentity(id);
        }
    }
    if (up) {
        emit modeTextChanged(Text(tp::kDeviceAddress).arg(m_settings.address));
        m_link.state().setBootloaderMode(false);
    }
    emit linkChanged();
    if (up && readBlockAfter && m_settings.protocol == Protocol::Modbus) {
        m_seq = Seq::Block;
        readBlock();
        return;
    }
    end();
}

// With 3005 checked a link check also reads the relay's settings block.
void LinkSession::readBlock()
{
    readBlockThen([this](bool read) {
        end();
        if (read)
            emit deviceSettingsRead();
    });
}

void LinkSession::readBlockThen(std::function<void(bool read)> next)
{
    const bool m = mModel();
    const RegisterBlock block = m ? regs::kCommSettingsM : regs::kCommSettings;
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const auto address = std::uint8_t(m_settings.address);
    const std::size_t n = BuildReadRegisters(buf, address, block.start, block.count);
    send(Frame(buf, n), ReadWaitMs(n, block.count, m_settings.baudIndex),
         ModbusReply(0x03, int(ReadReplyLength(block.count))),
         [this, block, address, m, next](const QByteArray& reply) {
             if (CheckReadReply(Bytes(reply), address, Function::ReadRegisters, block.count) !=
                 LinkResult::Good) {
                 next(false);
                 return;
             }
             std::vector<std::uint16_t> regsRead(block.count);
             for (std::size_t k = 0; k < regsRead.size(); ++k)
                 regsRead[k] = ReadReplyRegister(Bytes(reply), k);
             const auto s = m ? panel::DecodeM(regsRead) : panel::DecodeNonM(regsRead);
             if (s)
                 m_device = s;
             next(s.has_value());
         });
}

void LinkSession::startTcpCheck()
{
    const quint64 run = m_run;
    auto done = [this, run](const TcpTransferRecord& r) {
        if (run != m_run)
            return;
        std::array<std::uint16_t, 5> regsRead{};
        const bool whole = r.success && r.image.size() >= 10;
        if (whole)
            for (std::size_t k = 0; k < regsRead.size(); ++k)
                regsRead[k] = r.registerAt(k);
        end();
        if (!r.aborted)
            tcpIdentityArrived(whole, regsRead);
    };
    TcpTransferRequest request{m_settings.tcpAddress, m_settings.tcpPort, 3,
                               regs::kIdentity.start, regs::kIdentity.count};
    if (!m_link.tcp().start(request, done))
        end();
}

// Ethernet: the identity arrives from the Modbus TCP read of 130–134. A relay that connects but
// never answers ends like any failed check: the link cell must not keep "Соедин. установлено".
void LinkSession::tcpIdentityArrived(bool success, std::span<const std::uint16_t, 5> regsRead)
{
    if (!success) {
        m_reporter.status(Text(link_texts::kLinkCheckFailed), StatusIcon::Warning);
        m_reporter.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
        clearIdentity();
        emit linkChanged();
        return;
    }
    const auto id = panel::DecodeIdentity(regsRead);
    if (!id || !panel::ModelFromIdentity(*id) || id->mModel != IsMModel(id->modelCode)) {
        m_reporter.status(Text(tp::kBadIdentity), StatusIcon::Warning);
        m_reporter.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
        clearIdentity();
        return;
    }
    adoptIdentity(id);
    m_reporter.linkState(Text(link_texts::kTcpConnected), StatusIcon::Ok);
    emit linkChanged();
}

void LinkSession::disconnect()
{
    abort();
    m_link.closePort();
    emit portStateChanged({});
    emit linkChanged();
}

// --- The check between a transfer's repeats ------------------------------------------------------

void LinkSession::checkLink(Done done)
{
    if (m_transferDone || !done) {
        if (done)
            done({LinkCheckEnd::Failed, {}, false});
        return;
    }
    m_transferDone = std::move(done);
    m_check->checkLink([this](const LinkCheckResult& r) {
        LinkCheckResult result = r;
        if (r.end == LinkCheckEnd::Established && r.haveIdentity) {
            const auto id = panel::DecodeIdentity(r.identity);
            if (id)
                adoptIdentity(id);
            else
                result.end = LinkCheckEnd::Failed;
        }
        emit portStateChanged(Text(r.end == LinkCheckEnd::PortUnavailable
                                       ? link_texts::kPortUnavailableField
                                       : link_texts::kPortOpen));
        Done d = std::move(m_transferDone);
        m_transferDone = nullptr;
        d(result);
    });
}

void LinkSession::abortCheck() { m_check->abortCheck(); }

// --- The connection procedure of the pages --------------------------------------------------------

void LinkSession::ensureLink(EnsureLinkRequest request, std::function<void(LinkReady)> then)
{
    if (m_link.state().established()) {
        then(LinkReady::Ready);
        return;
    }
    if (!begin(Seq::Ensure)) {
        then(LinkReady::Failed);
        return;
    }
    m_ensure = request;
    m_ensureThen = std::move(then);
    m_link.closePort();
    ensureAttempt();
}

// One connection attempt of the procedure: the link check, then the rules of its outcome.
void LinkSession::ensureAttempt()
{
    const quint64 run = m_run;
    m_check->checkLink([this, run](const LinkCheckResult& r) {
        if (run != m_run || r.end == LinkCheckEnd::Aborted)
            return;
        bool up = r.end == LinkCheckEnd::Established;
        if (up && r.haveIdentity) {
            const auto id = panel::DecodeIdentity(r.identity);
            up = id.has_value();
            if (id)
                adoptIdentity(id);
            else
                m_link.state().setEstablished(false);
        }
        emit portStateChanged(Text(r.end == LinkCheckEnd::PortUnavailable
                                       ? link_texts::kPortUnavailableField
                                       : link_texts::kPortOpen));
        if (up)
            emit modeTextChanged(Text(tp::kDeviceAddress).arg(m_settings.address));
        emit linkChanged();
        ensureCheckEnded(up);
    });
}

void LinkSession::ensureCheckEnded(bool established)
{
    if (established) {
        finishEnsure(LinkReady::Ready);
        return;
    }
    const QString failed = Text(m_ensure.failureText ? m_ensure.failureText
                                : m_ensure.write   ? link_texts::kWriteFailed
                                                   : link_texts::kReadFailed);
    if (mModel()) {
        m_failedOnce = true;
        m_reporter.status(failed, StatusIcon::Warning);
        m_reporter.linkState(Text(link_texts::kNoLink), StatusIcon::Error);
        m_link.closePort();
        finishEnsure(LinkReady::Failed);
        return;
    }
    if (m_failedOnce) {
        // The failure was reported once already: one more attempt before reporting it again.
        m_failedOnce = false;
        m_link.closePort();
        ensureAttempt();
        return;
    }
    if (m_link.state().bootloaderMode()) {
        m_reporter.status(Text(tp::kBootloaderWaiting), StatusIcon::Warning);
        emit modeTextChanged(Text(tp::kBootloaderMode));
        m_reporter.linkState(Text(link_texts::kLinkEstablished), StatusIcon::Ok);
        const auto then = std::move(m_ensureThen);
        m_ensureThen = nullptr;
        end();
        const Answer a = m_reporter.ask(Box(Text(link_texts::kCaptionWarning),
                                         Text(link_texts::kAskGoToBootloader), MsgIcon::Warning,
                                         MsgButtons::OkCancel));
        if (then)
            then(a == Answer::Ok ? LinkReady::ToFirmware : LinkReady::Failed);
        return;
    }
    m_reporter.status(failed, StatusIcon::Warning);
    m_reporter.linkState(Text(link_texts::kNoLink), StatusIcon::Error);
    m_failedOnce = true;
    m_link.closePort();
    const auto then = std::move(m_ensureThen);
    m_ensureThen = nullptr;
    end();
    m_reporter.ask(Box(Text(link_texts::kCaptionReadWrite), Text(link_texts::kCannotConnect),
                    MsgIcon::Warning, MsgButtons::Ok));
    if (then)
        then(LinkReady::Failed);
}

void LinkSession::finishEnsure(LinkReady ready)
{
    const auto then = std::move(m_ensureThen);
    m_ensureThen = nullptr;
    end();
    if (then)
        then(ready);
}

}  // namespace tirv
