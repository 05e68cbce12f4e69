// The I/O block's read (both modes), minimal set and write over the serial link, and its read
// over Modbus TCP.
#include "configurator/iocfg/io_operation.h"

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

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

}  // namespace

bool ReadNamesItsStart(const ConnectionSettings& settings)
{
    return settings.protocol != Protocol::Tirv || settings.protocolVariant != 0;
}

namespace {

RegisterCoding CodingOf(const SetpointLink& link)
{
    return link.text ? RegisterCoding::TextProtocol : RegisterCoding::Modbus;
}

}  // namespace

IoTransfer::IoTransfer(SerialLink& link, LinkSession* session, Reporter& reporter,
                       const ConnectionSettings& settings, IoImage& image, QObject* parent)
    : QObject(parent),
      m_link(link),
      m_session(session),
      m_reporter(reporter),
      m_settings(settings),
      m_image(image)
{
    MinimalSetOffer::Steps steps;
    steps.emptyStatus = io_texts::kIoReadEmptyStatus;
    steps.question = io_texts::kIoReadEmptyQuestion;
    steps.readAgain = [this] { serialRead(); };
    steps.finish = [this](IoTransferEnd end) { finish(end); };
    steps.abortRequested = [this] { return m_abortRequested; };
    steps.aborted = [this] {
        status(tx::kReadAborted[mode()], StatusIcon::Warning);
        finish(IoTransferEnd::Aborted);
    };
    m_offer =
        std::make_unique<MinimalSetOffer>(*this, m_link.transfer(), m_reporter, std::move(steps));
    connect(&m_link.transfer(), &ChunkedTransfer::progressed, this, [this](int moved, int total) {
        if (m_stage == Stage::Read && moved < total)
            status(tx::kReadNextBlock[mode()], StatusIcon::Info);
    });
}

IoTransfer::~IoTransfer()
{
    QObject::disconnect(m_tcpConnection);
    m_done = nullptr;  // nobody is told any more
    if (m_stage == Stage::TcpRead)
        m_link.tcp().abort();
    else if (m_stage != Stage::Idle && m_stage != Stage::Linking)
        m_link.transfer().abort();
}

void IoTransfer::status(const char* text, StatusIcon icon)
{
    m_reporter.status(Utf8(text), icon);
}

bool IoTransfer::startRead(IoMode mode, Done done)
{
    if (busy() || m_link.transfer().busy() || m_link.tcp().running() || !done)
        return false;
    m_mode = mode;
    m_done = std::move(done);
    m_abortRequested = false;
    m_offer->reset();
    if (m_settings.channel == Channel::Ethernet) {
        if (m_session && !m_session->tcpFieldsReady()) {
            QTimer::singleShot(0, this, [this] { finish(IoTransferEnd::Failed); });
            return true;
        }
        tcpRead();
        return true;
    }
    if (!ReadNamesItsStart(m_settings)) {
        QTimer::singleShot(0, this, [this] {
            status(tx::kReadNeedsStart[this->mode()], StatusIcon::Error);
            finish(IoTransferEnd::Failed);
        });
        return true;
    }
    beginSerial(false);
    return true;
}

bool IoTransfer::startWrite(Done done)
{
    if (busy() || m_link.transfer().busy() || m_link.tcp().running() || !done)
        return false;
    if (!ValidateIoImage(m_image).ok())
        return false;
    m_done = std::move(done);
    m_abortRequested = false;
    beginSerial(true);
    return true;
}

void IoTransfer::beginSerial(bool write)
{
    auto next = [this, write] {
        m_wire = SetpointLinkFor(m_settings);
        if (write)
            serialWrite();
        else
            serialRead();
    };
    if (!m_session) {
        QTimer::singleShot(0, this, next);
        m_stage = Stage::Linking;
        return;
    }
    m_stage = Stage::Linking;
    EnsureLinkRequest request{write, write ? tx::kWriteNoLink : nullptr};
    m_session->ensureLink(request, [this, next](LinkReady ready) {
        if (m_stage != Stage::Linking)
            return;
        if (ready == LinkReady::Ready)
            next();
        else
            finish(ready == LinkReady::Aborted ? IoTransferEnd::Aborted : IoTransferEnd::Failed);
    });
}

void IoTransfer::serialRead()
{
    if (endIfAborted())
        return;
    m_stage = Stage::Read;
    m_block.assign(kIoBlockRegisters, 0);
    const int perBlock = m_wire.text ? std::max(1, m_wire.framing.valuesPerFrame)
                                     : static_cast<int>(kIoFirstReadCount);
    const int blocks = (kIoBlockRegisters + perBlock - 1) / perBlock;

    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::ReadRegisters);
    plan.start = kIoFirstRegister;
    plan.total = kIoBlockRegisters;
    plan.perBlock = perBlock;
    plan.build = [this](int offset, int count) {
        return ToTransferBlock(
            BuildBlockRead(m_wire, BlockKind::Io, kIoFirstRegister + offset, count), &m_request);
    };
    plan.accept = [this](std::span<const std::uint8_t> reply, int offset, int count) {
        return AcceptBlockRead(m_wire, m_request, reply, offset, count, m_block);
    };
    plan.repeatText = [this, blocks](int block, int repeat) {
        return Utf8(block >= blocks ? tx::kReadRepeatLast[mode()] : tx::kReadRepeat[mode()])
            .arg(block)
            .arg(repeat);
    };
    // The opening words are the operation's own; the next blocks announce themselves.
    plan.failureText = Utf8(tx::kReadFailed[mode()]);
    if (!startPlan(std::move(plan), &IoTransfer::onReadEnded))
        QTimer::singleShot(0, this, [this] { finish(IoTransferEnd::Failed); });
    else if (m_link.transfer().busy())
        status(tx::kReadStarted[mode()], StatusIcon::Info);
}

bool IoTransfer::startPlan(TransferPlan plan, void (IoTransfer::*ended)(const TransferOutcome&))
{
    return m_link.transfer().start(std::move(plan),
                                   [this, ended](const TransferOutcome& o) { (this->*ended)(o); });
}

void IoTransfer::onReadEnded(const TransferOutcome& o)
{
    switch (o.end) {
        case TransferEnd::Done:
            judge(false);
            return;
        case TransferEnd::Aborted:
            status(tx::kReadAborted[mode()], StatusIcon::Warning);
            finish(IoTransferEnd::Aborted);
            return;
        case TransferEnd::Failed:
        case TransferEnd::Refused: {
            // A failure on the last block has words of its own.
            const int perBlock = m_wire.text ? std::max(1, m_wire.framing.valuesPerFrame)
                                             : static_cast<int>(kIoFirstReadCount);
            const int lastOffset = (kIoBlockRegisters - 1) / perBlock * perBlock;
            if (o.moved >= lastOffset)
                status(tx::kReadFailedLast[mode()], StatusIcon::Error);
            finish(IoTransferEnd::Failed, o.end == TransferEnd::Refused);
            return;
        }
    }
}

void IoTransfer::judge(bool tcp)
{
    const RegisterCoding coding = tcp ? RegisterCoding::Modbus : CodingOf(m_wire);
    if (m_offer->takeEmpty(IoSettingsAllZero(m_block), tcp, m_wire, Utf8(tx::kReadFailed[mode()])))
        return;
    const IoBlockDecode d = DecodeIoBlock(m_block, coding);
    if (d.result != BlockResult::Ok) {
        status(tcp ? io_texts::kIoTcpReadInvalid : io_texts::kIoReadInvalid, StatusIcon::Error);
        finish(IoTransferEnd::Rejected);
        return;
    }
    m_image = d.block.image;
    m_inputStates = d.block.inputStates;
    m_outputStates = d.block.outputStates;
    emit imageReplaced();
    status(tx::kReadDone[mode()], StatusIcon::Ok);
    finish(IoTransferEnd::Read);
}

void IoTransfer::serialWrite()
{
    if (endIfAborted())
        return;
    m_stage = Stage::Write;
    const auto regs = IoSettingsRegisters(m_image, CodingOf(m_wire));
    m_writeRegs.assign(regs.begin(), regs.end());

    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::WriteRegisters);
    plan.start = kIoFirstRegister;
    plan.total = kIoSettingsRegisters;
    plan.perBlock = m_wire.text ? std::max(1, m_wire.framing.valuesPerFrame)
                                : static_cast<int>(kIoFirstWriteCount);
    plan.build = [this](int offset, int count) {
        const std::span<const std::uint16_t> values(m_writeRegs.data() + offset,
                                                    static_cast<std::size_t>(count));
        return ToTransferBlock(
            BuildBlockWrite(m_wire, BlockKind::Io, kIoFirstRegister + offset, values, offset == 0),
            &m_request);
    };
    plan.accept = [this](std::span<const std::uint8_t> reply, int offset, int count) {
        return AcceptSetpointWriteAck(m_wire, m_request, reply, kIoFirstRegister + offset, count);
    };
    plan.repeatLimit = 0;  // a write is never repeated
    if (!startPlan(std::move(plan), &IoTransfer::onWriteEnded))
        QTimer::singleShot(0, this, [this] {
            status(tx::kWriteNoLink, StatusIcon::Error);
            finish(IoTransferEnd::Failed);
        });
    else if (m_link.transfer().busy())
        status(tx::kWriteStarted, StatusIcon::Info);
}

void IoTransfer::onWriteEnded(const TransferOutcome& o)
{
    switch (o.end) {
        case TransferEnd::Done:
            status(tx::kWriteDone, StatusIcon::Ok);
            finish(IoTransferEnd::Written);
            return;
        case TransferEnd::Aborted:
            finish(IoTransferEnd::Aborted);
            return;
        case TransferEnd::Failed:
        case TransferEnd::Refused:
            // A reply that came but failed its check, or none at all (the link is down).
            status(o.result != LinkResult::Good ? tx::kWriteFailedReply : tx::kWriteNoLink,
                   StatusIcon::Error);
            finish(IoTransferEnd::Failed, o.end == TransferEnd::Refused);
            return;
    }
}

void IoTransfer::tcpRead()
{
    m_stage = Stage::TcpRead;
    TcpTransferRequest request;
    request.address = m_settings.tcpAddress;
    request.port = m_settings.tcpPort;
    request.function = static_cast<std::uint8_t>(Function::ReadRegisters);
    request.start = kIoFirstRegister;
    request.count = kIoBlockRegisters;
    m_tcpConnection =
        connect(&m_link.tcp(), &ModbusTcpTransfer::completed, this, &IoTransfer::onTcpCompleted);
    // A refused start has already told the user why ("Не удалось открыть поток соединения …").
    if (!m_link.tcp().start(request)) {
        QObject::disconnect(m_tcpConnection);
        QTimer::singleShot(0, this, [this] { finish(IoTransferEnd::Failed); });
    }
}

void IoTransfer::onTcpCompleted()
{
    QObject::disconnect(m_tcpConnection);
    const TcpTransferRecord& record = m_link.tcp().record();
    if (record.aborted) {
        finish(IoTransferEnd::Aborted);  // the TCP transfer has already said so
        return;
    }
    if (!record.success || record.image.size() < 2u * kIoBlockRegisters) {
        status(tx::kTcpReadFailed[mode()], StatusIcon::Error);
        finish(IoTransferEnd::Failed);
        return;
    }
    m_block.assign(kIoBlockRegisters, 0);
    for (int k = 0; k < kIoBlockRegisters; ++k)
        m_block[static_cast<std::size_t>(k)] = record.registerAt(static_cast<std::size_t>(k));
    judge(true);
}

bool IoTransfer::endIfAborted()
{
    if (!m_abortRequested)
        return false;
    status(tx::kReadAborted[mode()], StatusIcon::Warning);
    finish(IoTransferEnd::Aborted);
    return true;
}

void IoTransfer::abort()
{
    if (!busy())
        return;
    m_abortRequested = true;
    switch (m_stage) {
        case Stage::Linking:
            if (m_session)
                m_session->abort();
            break;
        case Stage::Read:
        case Stage::Write:
            m_link.transfer().abort();
            break;
        case Stage::TcpRead:
            m_link.tcp().abort();
            break;
        case Stage::Idle:
            break;
    }
}

void IoTransfer::finish(IoTransferEnd end, bool refused)
{
    m_stage = Stage::Idle;
    m_request.clear();
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done({end, refused});
}

}  // namespace tirv
