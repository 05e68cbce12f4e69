// The LED block's read, minimal set and write over the serial link, and its Modbus TCP read.
#include "configurator/iocfg/led_operation.h"

#include "configurator/iocfg/io_operation_frames.h"
#include "configurator/iocfg/io_operation_texts.h"
#include "configurator/iocfg/io_registers.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/iocfg/minimal_set_offer.h"
#include "configurator/link/chunked_transfer.h"
#include "configurator/link/frames.h"
#include "configurator/link/link_session.h"
#include "configurator/link/modbus_tcp_transfer.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/text_frames.h"

#include <QByteArray>
#include <QTimer>
#include <algorithm>

namespace tirv {
namespace {

namespace tx = io_operation_texts;

}  // namespace

LedTransfer::LedTransfer(SerialLink& link, LinkSession* session, Reporter& reporter,
                         const ConnectionSettings& settings, std::function<int()> modelCode,
                         LedImage& image, QObject* parent)
    : QObject(parent),
      m_link(link),
      m_session(session),
      m_reporter(reporter),
      m_settings(settings),
      m_modelCode(std::move(modelCode)),
      m_image(image)
{
    MinimalSetOffer::Steps steps;
    steps.emptyStatus = io_texts::kLedReadEmptyStatus;
    steps.question = io_texts::kLedReadEmptyQuestion;
    steps.readAgain = [this] { serialRead(); };
    steps.finish = [this](IoTransferEnd end) { finish(end); };
    steps.abortRequested = [this] { return m_abortRequested; };
    steps.aborted = [this] { finish(IoTransferEnd::Aborted); };
    m_offer =
        std::make_unique<MinimalSetOffer>(*this, m_link.transfer(), m_reporter, std::move(steps));
}

LedTransfer::~LedTransfer()
{
    QObject::disconnect(m_tcpConnection);
    m_done = nullptr;
    if (m_stage == Stage::TcpRead)
        m_link.tcp().abort();
    else if (m_stage != Stage::Idle && m_stage != Stage::Linking)
        m_link.transfer().abort();
}

void LedTransfer::status(const char* text, StatusIcon icon)
{
    m_reporter.status(QString::fromUtf8(text), icon);
}

bool LedTransfer::startRead(Done done)
{
    if (busy() || m_link.transfer().busy() || m_link.tcp().running() || !done)
        return false;
    const int code = m_modelCode ? m_modelCode() : 0;
    m_leds = LedCountForModel(code);
    m_first = LedFirstRegister(m_leds == kLedCountM);
    m_done = std::move(done);
    m_abortRequested = false;
    m_offer->reset();
    if (m_settings.channel != Channel::Ethernet) {
        if (!ReadNamesItsStart(m_settings)) {
            QTimer::singleShot(0, this, [this] {
                status(tx::kLedReadNeedsStart, StatusIcon::Error);
                finish(IoTransferEnd::Failed);
            });
            return true;
        }
        beginSerial(false);
        return true;
    }
    if (m_session && !m_session->tcpFieldsReady()) {
        QTimer::singleShot(0, this, [this] { finish(IoTransferEnd::Failed); });
        return true;
    }
    m_stage = Stage::TcpRead;
    TcpTransferRequest request;
    request.address = m_settings.tcpAddress;
    request.port = m_settings.tcpPort;
    request.function = static_cast<std::uint8_t>(Function::ReadRegisters);
    request.start = m_first;
    request.count = LedWordCount(m_leds);
    m_tcpConnection =
        connect(&m_link.tcp(), &ModbusTcpTransfer::completed, this, &LedTransfer::onTcpCompleted);
    if (!m_link.tcp().start(request)) {
        QObject::disconnect(m_tcpConnection);
        QTimer::singleShot(0, this, [this] { finish(IoTransferEnd::Failed); });
    }
    return true;
}

bool LedTransfer::startWrite(Done done)
{
    if (busy() || m_link.transfer().busy() || m_link.tcp().running() || !done)
        return false;
    if (m_settings.channel == Channel::Ethernet)
        return false;  // writes travel over the serial link only
    m_leds = LedCountForModel(m_modelCode ? m_modelCode() : 0);
    m_first = LedFirstRegister(m_leds == kLedCountM);
    if (!ValidateLedImage(m_image, m_leds).ok())
        return false;
    m_done = std::move(done);
    m_abortRequested = false;
    beginSerial(true);
    return true;
}

void LedTransfer::beginSerial(bool write)
{
    m_stage = Stage::Linking;
    auto next = [this, write] {
        if (m_abortRequested) {
            finish(IoTransferEnd::Aborted);
            return;
        }
        m_wire = SetpointLinkFor(m_settings);
        // The connection procedure may have found another model than the one selected.
        m_leds = LedCountForModel(m_modelCode ? m_modelCode() : 0);
        m_first = LedFirstRegister(m_leds == kLedCountM);
        if (write && !ValidateLedImage(m_image, m_leds).ok()) {
            finish(IoTransferEnd::Rejected);
            return;
        }
        if (write)
            serialWrite();
        else
            serialRead();
    };
    if (!m_session) {
        QTimer::singleShot(0, this, next);
        return;
    }
    EnsureLinkRequest request{write, write ? tx::kLedWriteFailed : tx::kLedReadNoLink};
    m_session->ensureLink(request, [this, next](LinkReady ready) {
        if (m_stage != Stage::Linking)
            return;
        if (ready == LinkReady::Ready)
            next();
        else
            finish(ready == LinkReady::Aborted ? IoTransferEnd::Aborted : IoTransferEnd::Failed);
    });
}

bool LedTransfer::startPlan(TransferPlan plan, void (LedTransfer::*ended)(const TransferOutcome&))
{
    return m_link.transfer().start(std::move(plan),
                                   [this, ended](const TransferOutcome& o) { (this->*ended)(o); });
}

void LedTransfer::serialRead()
{
    m_stage = Stage::Read;
    const int words = LedWordCount(m_leds);
    m_block.assign(static_cast<std::size_t>(words), 0);
    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::ReadRegisters);
    plan.start = m_first;
    plan.total = words;
    plan.perBlock = m_wire.text ? std::max(1, m_wire.framing.valuesPerFrame) : words;
    plan.build = [this](int offset, int count) {
        return ToTransferBlock(BuildBlockRead(m_wire, BlockKind::Led, m_first + offset, count),
                               &m_request);
    };
    plan.accept = [this](std::span<const std::uint8_t> reply, int offset, int count) {
        return AcceptBlockRead(m_wire, m_request, reply, offset, count, m_block);
    };
    plan.repeatLimit = 0;  // the LED read is not repeated
    if (!startPlan(std::move(plan), &LedTransfer::onReadEnded)) {
        QTimer::singleShot(0, this, [this] { finish(IoTransferEnd::Failed); });
        return;
    }
    if (m_link.transfer().busy())
        status(tx::kLedReadStarted, StatusIcon::Info);
}

void LedTransfer::onReadEnded(const TransferOutcome& o)
{
    if (o.end == TransferEnd::Done) {
        judge(false);
        return;
    }
    if (o.end == TransferEnd::Aborted) {
        finish(IoTransferEnd::Aborted);
        return;
    }
    // A reply that failed its check, or none while the link was down.
    status(o.result != LinkResult::Good ? tx::kLedReadFailed : tx::kLedReadNoLink,
           StatusIcon::Error);
    finish(IoTransferEnd::Failed, o.end == TransferEnd::Refused);
}

void LedTransfer::judge(bool tcp)
{
    const bool allZero =
        std::all_of(m_block.begin(), m_block.end(), [](std::uint16_t w) { return w == 0; });
    if (m_offer->takeEmpty(allZero, tcp, m_wire, QString()))
        return;
    const LedBlockDecode d = DecodeLedBlock(m_block, m_leds);
    if (d.result != BlockResult::Ok) {
        status(tcp ? io_texts::kLedTcpReadInvalid : io_texts::kLedReadInvalid, StatusIcon::Error);
        finish(IoTransferEnd::Rejected);
        return;
    }
    m_image = d.image;
    emit imageReplaced();
    status(tcp ? tx::kLedTcpReadDone : tx::kLedReadDone, StatusIcon::Ok);
    finish(IoTransferEnd::Read);
}

void LedTransfer::serialWrite()
{
    m_stage = Stage::Write;
    const RegisterCoding coding =
        m_wire.text ? RegisterCoding::TextProtocol : RegisterCoding::Modbus;
    m_block = LedRegisters(m_image, m_leds, coding);
    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::WriteRegisters);
    plan.start = m_first;
    plan.total = static_cast<int>(m_block.size());
    plan.perBlock = m_wire.text ? std::max(1, m_wire.framing.valuesPerFrame) : plan.total;
    plan.build = [this](int offset, int count) {
        const std::span<const std::uint16_t> values(m_block.data() + offset,
                                                    static_cast<std::size_t>(count));
        return ToTransferBlock(
            BuildBlockWrite(m_wire, BlockKind::Led, m_first + offset, values, false), &m_request);
    };
    plan.accept = [this](std::span<const std::uint8_t> reply, int offset, int count) {
        return AcceptSetpointWriteAck(m_wire, m_request, reply, m_first + offset, count);
    };
    plan.repeatLimit = 0;
    if (!startPlan(std::move(plan), &LedTransfer::onWriteEnded)) {
        QTimer::singleShot(0, this, [this] {
            status(tx::kLedWriteFailed, StatusIcon::Error);
            finish(IoTransferEnd::Failed);
        });
        return;
    }
    if (m_link.transfer().busy())
        status(tx::kLedWriteStarted, StatusIcon::Info);
}

void LedTransfer::onWriteEnded(const TransferOutcome& o)
{
    if (o.end == TransferEnd::Done) {
        status(tx::kLedWriteDone, StatusIcon::Ok);
        finish(IoTransferEnd::Written);
        return;
    }
    if (o.end == TransferEnd::Aborted) {
        finish(IoTransferEnd::Aborted);
        return;
    }
    status(tx::kLedWriteFailed, StatusIcon::Error);
    finish(IoTransferEnd::Failed, o.end == TransferEnd::Refused);
}

void LedTransfer::onTcpCompleted()
{
    QObject::disconnect(m_tcpConnection);
    const TcpTransferRecord& record = m_link.tcp().record();
    if (record.aborted) {
        finish(IoTransferEnd::Aborted);
        return;
    }
    const auto words = static_cast<std::size_t>(LedWordCount(m_leds));
    if (!record.success || record.image.size() < 2 * words) {
        status(tx::kLedTcpReadFailed, StatusIcon::Error);
        finish(IoTransferEnd::Failed);
        return;
    }
    m_block.assign(words, 0);
    for (std::size_t k = 0; k < words; ++k)
        m_block[k] = record.registerAt(k);
    judge(true);
}

void LedTransfer::abort()
{
    if (!busy())
        return;
    m_abortRequested = true;
    if (m_stage == Stage::Linking && m_session)
        m_session->abort();
    else if (m_stage == Stage::TcpRead)
        m_link.tcp().abort();
    else if (m_stage != Stage::Idle && m_stage != Stage::Linking)
        m_link.transfer().abort();
}

void LedTransfer::finish(IoTransferEnd end, bool refused)
{
    m_stage = Stage::Idle;
    m_request.clear();
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done({end, refused});
}

}  // namespace tirv
