#include "configurator/firmware/firmware_update_relay.h"

#include "configurator/firmware/relay_loader_frames.h"
#include "configurator/link/byte_views.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/registers.h"
#include "configurator/link/reply_completion.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/texts.h"
#include "gui/reporter.h"

#include <QTimer>

namespace tirv {
namespace {

namespace tx = firmware_texts;
using link_texts::Text;

constexpr int kEntryExtraMs = 200;  // the relay's program restarts into its loader
constexpr int kAckLength = 8;       // the request's first six bytes and the CRC
constexpr int kProbeReplyLength = 5 + 2 * kLoaderProbeCount;
constexpr auto kCommand = static_cast<std::uint8_t>(Function::BootCommand);
constexpr auto kProbe = static_cast<std::uint8_t>(Function::BootRead);
constexpr auto kWrite = static_cast<std::uint8_t>(Function::BootWrite);

QString Hex(const char* format, std::uint32_t value)
{
    return Text(format).replace(QStringLiteral("%X"), QString::number(value, 16).toUpper());
}

}  // namespace

RelayFirmwareUpdate::RelayFirmwareUpdate(SerialLink& link, Reporter& reporter,
                                         const ConnectionSettings& settings, QObject* parent)
    : QObject(parent), m_link(link), m_reporter(reporter), m_settings(settings)
{
}

bool RelayFirmwareUpdate::start(const FirmwareImage& image, const RelayUpdateTiming& timing,
                                std::function<void(const UpdateEnd&)> done)
{
    if (running() || m_link.state().busy() || image.family != FirmwareFamily::Relay) {
        m_reporter.status(Text(link_texts::kLineBusy), StatusIcon::Warning);
        return false;
    }
    m_done = std::move(done);
    m_timing = timing;
    m_blocks = image.relay.usedBlocks;
    m_pages.clear();
    for (const auto& [base, page] : image.relay.pages.pages())
        m_pages.emplace_back(base, page.bytes);
    m_nextBlock = 0;
    m_nextPage = 0;
    m_attempt = 0;
    m_abortRequested = false;
    m_switched = m_link.state().bootloaderMode();

    Port& port = m_link.port();
    if ((!port.isOpen() || port.stale()) && !OpenPort(port, m_settings.port)) {
        ReportPortUnavailable(m_reporter, m_settings.port);
        finish(UpdateOutcome::Failed);
        return true;
    }
    m_link.state().setExchangeInProgress(true);
    if (m_switched) {
        log(Text(tx::kConfirmLoaderMode));
        sendProbe();
        return true;
    }
    log(Text(tx::kEnteringLoader));
    ConfigurePort(port, m_settings.baudIndex, Parity::None, StopBits::One, false);
    SetProtocolTimeouts(port, Protocol::Modbus, m_settings.baudIndex);
    sendEntry(0);
    return true;
}

void RelayFirmwareUpdate::log(const QString& text, bool timed)
{
    emit stepLogged(text, timed);
}

void RelayFirmwareUpdate::exchange(const QByteArray& frame, int waitMs, std::uint8_t function,
                                   int replyLength, std::function<void(const QByteArray&)> then)
{
    emit frameSent(frame);
    const bool started =
        m_link.paced().start({frame, waitMs, ModbusReply(function, replyLength)},
                             [this, then = std::move(then)](const ExchangeReply& r) {
                                 if (!running())
                                     return;
                                 if (r.end == ExchangeEnd::Aborted) {
                                     finish(UpdateOutcome::Aborted);
                                     return;
                                 }
                                 if (!r.bytes.isEmpty())
                                     emit replyReceived(r.bytes);
                                 then(r.end == ExchangeEnd::Reply ? r.bytes : QByteArray());
                             });
    if (!started)
        finish(UpdateOutcome::Failed);
}

void RelayFirmwareUpdate::sendEntry(int pattern)
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const std::uint8_t address = static_cast<std::uint8_t>(m_settings.address);
    const QByteArray frame = Frame(buf, BuildEnterLoader(buf, address, pattern));
    const int waitMs = WriteWaitMs(std::size_t(frame.size()), m_settings.baudIndex) + kEntryExtraMs;
    exchange(frame, waitMs, kCommand, kAckLength,
             [this, pattern, address](const QByteArray& reply) {
                 // A pattern is never sent twice: a repeat would be taken out of order.
                 if (CheckEnterLoaderReply(Bytes(reply), address) != LinkResult::Good) {
                     log(Text(tx::kEnterLoaderFailed), true);
                     finish(UpdateOutcome::Failed);
                     return;
                 }
                 if (pattern + 1 < kEnterLoaderSteps) {
                     sendEntry(pattern + 1);
                     return;
                 }
                 log(Text(tx::kEnterLoaderSent));
                 m_switched = true;
                 m_link.state().setBootloaderMode(true);
                 sendProbe();
             });
}

void RelayFirmwareUpdate::sendProbe()
{
    Port& port = m_link.port();
    ConfigurePort(port, m_settings.bootBaudIndex, Parity::None, StopBits::One, false);
    SetProtocolTimeouts(port, Protocol::Modbus, m_settings.bootBaudIndex);
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const QByteArray frame = Frame(buf, BuildLoaderProbe(buf));
    const int waitMs = LoaderProbeWaitMs(
        std::size_t(frame.size()), int(BaudRate(m_settings.bootBaudIndex)), m_timing.initialiseMs);
    exchange(frame, waitMs, kProbe, kProbeReplyLength, [this](const QByteArray& reply) {
        if (CheckLoaderProbeReply(Bytes(reply)) != LinkResult::Good) {
            if (++m_attempt < kLoaderAttempts)
                return sendProbe();
            log(Text(tx::kNoLoaderReady), true);
            finish(UpdateOutcome::Failed);
            return;
        }
        m_attempt = 0;
        log(Text(tx::kLoaderConfirmed));
        log(Text(tx::kErasingBlocks));
        eraseNext();
    });
}

void RelayFirmwareUpdate::eraseNext()
{
    while (m_nextBlock < m_blocks.size() && !m_blocks[m_nextBlock])
        ++m_nextBlock;
    m_reporter.progress(int(m_nextBlock), int(m_blocks.size() + m_pages.size()));
    emit progressed(int(m_nextBlock), int(m_blocks.size() + m_pages.size()));
    if (m_nextBlock == m_blocks.size()) {
        log(Text(tx::kEraseDone));
        log(Text(tx::kWritingMemory));
        writeNext();
        return;
    }
    const std::size_t block = m_nextBlock;
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const QByteArray frame = Frame(buf, BuildEraseBlock(buf, block));
    const int waitMs = m_timing.eraseBlockMs +
                       ReplyWaitMs(std::size_t(frame.size()), kAckLength, m_settings.bootBaudIndex);
    exchange(frame, waitMs, kWrite, kAckLength, [this, block](const QByteArray& reply) {
        if (CheckEraseBlockReply(Bytes(reply), block) != LinkResult::Good) {
            if (++m_attempt < kLoaderAttempts)
                return eraseNext();
            log(Hex(tx::kBlockEraseFailed, std::uint32_t(block)), true);
            log(Text(tx::kMemoryEraseFailed), true);
            finish(UpdateOutcome::Failed);
            return;
        }
        log(Hex(tx::kBlockErased, std::uint32_t(block)));
        ++m_nextBlock;
        if (m_attempt == 0)
            return eraseNext();
        // An erase was sent again: the first one's late acknowledgement echoes the block's start
        // address exactly like a page write there would, so it must be gone before the writes.
        m_attempt = 0;
        QTimer::singleShot(m_timing.eraseBlockMs, this, [this] {
            if (!running())
                return;
            if (m_abortRequested)
                return finish(UpdateOutcome::Aborted);
            m_link.port().purge();
            eraseNext();
        });
    });
}

void RelayFirmwareUpdate::writeNext()
{
    m_reporter.progress(int(m_blocks.size() + m_nextPage), int(m_blocks.size() + m_pages.size()));
    emit progressed(int(m_blocks.size() + m_nextPage), int(m_blocks.size() + m_pages.size()));
    if (m_nextPage == m_pages.size()) {
        sendExit();
        return;
    }
    const auto& [base, bytes] = m_pages[m_nextPage];
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const QByteArray frame = Frame(buf, BuildPageWrite(buf, base, bytes));
    const int waitMs = m_timing.pageWriteMs +
                       ReplyWaitMs(std::size_t(frame.size()), kAckLength, m_settings.bootBaudIndex);
    exchange(frame, waitMs, kWrite, kAckLength, [this, base = base](const QByteArray& reply) {
        if (CheckPageWriteReply(Bytes(reply), base) != LinkResult::Good) {
            // Programming the same bytes again leaves them as they are: a repeat is harmless.
            if (++m_attempt < kLoaderAttempts)
                return writeNext();
            log(Hex(tx::kPageWriteFailed, base), true);
            log(Text(tx::kMemoryWriteFailed), true);
            finish(UpdateOutcome::Failed);
            return;
        }
        m_attempt = 0;
        ++m_nextPage;
        writeNext();
    });
}

void RelayFirmwareUpdate::sendExit()
{
    std::array<std::uint8_t, kFrameBufferSize> buf{};
    const QByteArray frame = Frame(buf, BuildExitLoader(buf));
    const int waitMs =
        WriteWaitMs(std::size_t(frame.size()), m_settings.bootBaudIndex) + kEntryExtraMs;
    // Sent once: after a lost acknowledgement the relay may run its program already, and a
    // repeat could not tell.
    exchange(frame, waitMs, kCommand, kAckLength, [this](const QByteArray& reply) {
        if (CheckExitLoaderReply(Bytes(reply)) != LinkResult::Good) {
            finish(UpdateOutcome::Failed);
            return;
        }
        m_switched = false;
        m_link.state().setBootloaderMode(false);
        finish(UpdateOutcome::Done);
    });
}

void RelayFirmwareUpdate::abort()
{
    if (!running())
        return;
    m_abortRequested = true;  // also ends a pause between two exchanges
    m_link.paced().abort();
}

void RelayFirmwareUpdate::finish(UpdateOutcome outcome)
{
    auto done = std::move(m_done);
    m_done = nullptr;
    if (!done)
        return;
    UpdateEnd end;
    end.mode = UpdateMode::Update;
    end.outcome = outcome;
    end.leftInLoader = m_switched;
    if (m_switched && outcome != UpdateOutcome::Done) {
        log(Text(tx::kUpdateNotFinished), true);
        log(Text(tx::kDeviceInLoader), true);
    }
    log(Text(end.finalText()), true);
    Port& port = m_link.port();
    if (port.isOpen()) {
        // Back to the working line; the next exchange checks the link there.
        ConfigurePort(port, m_settings.baudIndex, Parity::None, StopBits::One, false);
        SetProtocolTimeouts(port, m_settings.protocol, m_settings.baudIndex);
    }
    m_link.state().setEstablished(false);
    m_link.state().setExchangeInProgress(false);
    m_reporter.progress(0, 0);
    m_reporter.status(Text(end.finalText()),
                      outcome == UpdateOutcome::Done ? StatusIcon::Ok : StatusIcon::Warning);
    done(end);
}

}  // namespace tirv
