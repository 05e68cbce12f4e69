#include "configurator/journals/measurement_operation.h"
#include "configurator/link/register_read.h"

#include "configurator/journals/measurement_polling.h"
#include "configurator/journals/measurement_texts.h"
#include "configurator/link/chunked_transfer.h"
#include "configurator/link/frames.h"
#include "configurator/link/modbus_tcp_transfer.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/text_frames.h"
#include "configurator/link/texts.h"
#include "gui/reporter.h"

#include <algorithm>

namespace tirv {
namespace {

namespace tx = measurement_texts;

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// A ТИРВ-protocol reply whose own checksum does not match counts like a Modbus CRC failure.

TransferBlock Framed(const std::array<std::uint8_t, kFrameBufferSize>& buf, std::size_t n,
                     int waitMs, ReplyRule rule)
{
    TransferBlock b;
    b.frame = QByteArray(reinterpret_cast<const char*>(buf.data()), static_cast<qsizetype>(n));
    b.waitMs = waitMs;
    b.reply = rule;
    return b;
}

MeasurementReading Ended(MeasurementEnd end, LinkReady link = LinkReady::Ready)
{
    MeasurementReading r;
    r.end = end;
    r.link = link;
    return r;
}

}  // namespace

MeasurementOperation::MeasurementOperation(SerialLink& link, LinkSession& session,
                                           Reporter& reporter, const ConnectionSettings& settings,
                                           std::function<int()> modelCode,
                                           std::function<void()> toFirmware, QObject* parent)
    : QObject(parent),
      m_link(link),
      m_session(session),
      m_reporter(reporter),
      m_settings(settings),
      m_modelCode(std::move(modelCode)),
      m_toFirmware(std::move(toFirmware))
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, [this] { readSerial(true); });
}

MeasurementOperation::~MeasurementOperation()
{
    // The link's transfer may still hold callbacks into this object.
    m_listener = nullptr;
    ++m_run;
    m_link.transfer().abort();
}

bool MeasurementOperation::start(Listener listener, int periodMs)
{
    if (busy() || !listener)
        return false;
    m_listener = std::move(listener);
    m_layout = MeasurementLayoutOf(m_modelCode());
    m_tcp = m_settings.channel == Channel::Ethernet;
    // Over Modbus TCP each read command performs exactly one reading.
    m_periodMs =
        (periodMs > 0 && !m_tcp) ? ClampMeasurementPeriod(periodMs, m_settings.baudIndex) : 0;
    if (m_tcp) {
        // The link page's own messages tell what is wrong with the address or the port.
        if (!m_session.tcpFieldsReady()) {
            const quint64 run = ++m_run;
            QTimer::singleShot(0, this, [this, run] {
                if (run == m_run)
                    report(Ended(MeasurementEnd::NoLink, LinkReady::Failed));
            });
            return true;
        }
        readTcp();
        return true;
    }
    const quint64 run = ++m_run;
    m_session.ensureLink({false, tx::kStatusReadFailed}, [this, run](LinkReady ready) {
        if (run == m_run)
            linked(ready);
    });
    return true;
}

void MeasurementOperation::linked(LinkReady ready)
{
    if (ready != LinkReady::Ready) {
        MeasurementReading r;
        r.end = ready == LinkReady::Aborted ? MeasurementEnd::Aborted : MeasurementEnd::NoLink;
        r.link = ready;
        m_periodMs = 0;
        report(r);
        if (ready == LinkReady::ToFirmware && m_toFirmware)
            m_toFirmware();
        return;
    }
    // The link check may just have found another model, and with it the other layout.
    m_layout = MeasurementLayoutOf(m_modelCode());
    readSerial(false);
}

void MeasurementOperation::stopPolling()
{
    m_periodMs = 0;
    // Between two polls nothing is in flight: the polling ends here.
    if (m_pause.isActive()) {
        m_pause.stop();
        MeasurementReading r;
        r.end = MeasurementEnd::Read;
        r.table = m_table;
        report(r);
    }
}

void MeasurementOperation::abort()
{
    if (!busy())
        return;
    m_periodMs = 0;
    if (m_pause.isActive()) {
        m_pause.stop();
        status(tx::kStatusAborted, StatusIcon::Error);
        report(Ended(MeasurementEnd::Aborted));
        return;
    }
    if (m_tcp) {
        m_link.tcp().abort();
        return;
    }
    if (m_link.transfer().busy()) {
        m_link.transfer().abort();
        return;
    }
    m_session.abort();
}

void MeasurementOperation::readSerial(bool again)
{
    const bool text = m_settings.protocol == Protocol::Tirv;
    const TextFraming framing = TextFramingOf(m_settings);
    const RegisterBlock block = MeasurementBlock(m_layout);
    const auto address = static_cast<std::uint8_t>(m_settings.address);
    m_textValues = {};

    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::ReadRegisters);
    plan.start = block.start;
    plan.total = block.count;
    plan.perBlock = text ? std::max(framing.valuesPerFrame, 1) : block.count;
    plan.build = [this, text, framing, block, address](int offset, int count) {
        std::array<std::uint8_t, kFrameBufferSize> buf{};
        const auto start = static_cast<std::uint16_t>(block.start + offset);
        const auto n16 = static_cast<std::uint16_t>(count);
        std::size_t n = 0;
        TransferBlock b;
        if (text) {
            n = BuildTextRead(framing, buf, address, start, static_cast<std::uint8_t>(count));
            b = Framed(buf, n,
                       MeasurementReplyWaitMs(MeasurementProtocol::Tirv, m_layout, n,
                                              m_settings.baudIndex),
                       TextFrameReply());
        } else {
            n = BuildReadRegisters(buf, address, start, n16);
            b = Framed(buf, n,
                       MeasurementReplyWaitMs(MeasurementProtocol::Modbus, m_layout, n,
                                              m_settings.baudIndex),
                       ModbusReply(static_cast<std::uint8_t>(Function::ReadRegisters),
                                   static_cast<int>(ReadReplyLength(n16))));
        }
        if (offset == 0)
            m_replyWaitMs = b.waitMs;
        m_request.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
        return b;
    };
    plan.accept = [this, text, framing, address](std::span<const std::uint8_t> reply, int offset,
                                                 int count) {
        if (!text)
            return DecodeModbusMeasurementReply(reply, address, m_layout, m_table);
        const auto index = static_cast<std::size_t>(offset / std::max(framing.valuesPerFrame, 1));
        const TextReply r =
            ParseTextMeasurementChunk(m_layout, framing, reply, m_request, index, m_textValues);
        if (r.result != LinkResult::Good)
            return r.result;
        if (!r.crcMatches())
            return LinkResult::CrcMismatch;
        if (r.valueCount != static_cast<std::size_t>(count))
            return LinkResult::TextValueCount;
        return LinkResult::Good;
    };
    plan.repeatText = [](int, int repeat) {
        return Utf8(tx::kStatusRetry).replace(QStringLiteral("%i"), QString::number(repeat));
    };
    plan.failureText = Utf8(tx::kStatusReadFailed);
    // A lost reading says so in the status; the cyclic polling must not stop on message boxes.
    plan.userStarted = false;
    const quint64 run = ++m_run;
    if (!m_link.transfer().start(std::move(plan), [this, run](const TransferOutcome& o) {
            if (run == m_run)
                serialEnded(o);
        })) {
        m_periodMs = 0;
        report(Ended(MeasurementEnd::Failed));
        return;
    }
    if (m_link.transfer().busy())
        status(again ? tx::kStatusReadingAgain : tx::kStatusReading, StatusIcon::Info);
}

void MeasurementOperation::serialEnded(const TransferOutcome& o)
{
    switch (o.end) {
        case TransferEnd::Done:
            break;
        case TransferEnd::Aborted:
            m_periodMs = 0;
            status(tx::kStatusAborted, StatusIcon::Error);
            report(Ended(MeasurementEnd::Aborted));
            return;
        case TransferEnd::Failed:
        case TransferEnd::Refused:
            m_periodMs = 0;
            status(tx::kStatusReadFailed, StatusIcon::Error);
            if (m_link.port().isOpen())
                m_link.port().purge();
            m_link.closePort();
            m_link.state().setEstablished(false);
            m_reporter.linkState(QString(), StatusIcon::None);
            report(Ended(MeasurementEnd::Failed));
            return;
    }
    if (m_settings.protocol == Protocol::Tirv) {
        const std::size_t count = MeasurementBlock(m_layout).count;
        if (!UnpackTextMeasurementValues(std::span(m_textValues).first(count), m_layout, m_table)) {
            m_periodMs = 0;
            status(tx::kStatusReadFailed, StatusIcon::Error);
            report(Ended(MeasurementEnd::Failed));
            return;
        }
    }
    received();
}

void MeasurementOperation::readTcp()
{
    const RegisterBlock block = MeasurementBlock(m_layout);
    TcpTransferRequest request;
    request.address = m_settings.tcpAddress;
    request.port = m_settings.tcpPort;
    request.function = static_cast<std::uint8_t>(Function::ReadRegisters);
    request.start = block.start;
    request.count = block.count;
    const quint64 run = ++m_run;
    // A refused start has told the user why ("Не удалось открыть поток соединения …").
    if (!m_link.tcp().start(request, [this, run](const TcpTransferRecord& rec) {
            if (run == m_run)
                tcpEnded(rec.success, rec.aborted, rec.image);
        }))
        QTimer::singleShot(0, this, [this, run] {
            if (run == m_run)
                report(Ended(MeasurementEnd::Failed));
        });
}

void MeasurementOperation::tcpEnded(bool success, bool aborted,
                                    const std::vector<std::uint8_t>& image)
{
    if (aborted) {
        status(link_texts::kUserAbortPage, StatusIcon::Error);
        report(Ended(MeasurementEnd::Aborted));
        return;
    }
    const RegisterBlock block = MeasurementBlock(m_layout);
    std::array<std::uint16_t, kMaxMeasurementRegisters> registers{};
    const bool complete = success && image.size() >= 2u * block.count;
    for (std::size_t k = 0; complete && k < block.count; ++k)
        registers[k] = static_cast<std::uint16_t>(image[2 * k] | image[2 * k + 1] << 8);
    if (!complete ||
        !UnpackMeasurementRegisters(std::span(registers).first(block.count), m_layout, m_table)) {
        status(tx::kTcpStatusReadFailed, StatusIcon::Error);
        report(Ended(MeasurementEnd::Failed));
        return;
    }
    received();
}

void MeasurementOperation::received()
{
    MeasurementReading r;
    r.table = m_table;
    r.check = CheckMeasurements(m_table, m_tcp ? MeasurementPath::Tcp : MeasurementPath::Serial);
    if (!r.check.valid) {
        for (const Message& m : r.check.shownMessages())
            m_reporter.ask(m);
        status(r.check.status, StatusIcon::Error);
        r.end = MeasurementEnd::Invalid;
        m_periodMs = 0;
        report(r);
        return;
    }
    r.end = MeasurementEnd::Read;
    status(m_tcp ? tx::kTcpStatusRead : tx::kStatusRead, StatusIcon::Ok);
    if (m_periodMs > 0) {
        // Polling goes on: the listener stays, the next reading starts after the pause.
        m_listener(r, false);
        if (m_periodMs > 0 && busy())
            m_pause.start(PollPauseMs(m_periodMs, m_replyWaitMs));
        else if (busy())
            report(r);  // stopped from inside the listener: this reading was the last
        return;
    }
    report(r);
}

void MeasurementOperation::status(const char* text, StatusIcon icon)
{
    m_reporter.status(Utf8(text), icon);
}

void MeasurementOperation::report(MeasurementReading r)
{
    Listener listener = std::move(m_listener);
    m_listener = nullptr;
    m_periodMs = 0;
    if (listener)
        listener(r, true);
}

}  // namespace tirv
