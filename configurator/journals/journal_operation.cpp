// The journal and oscillogram reads over the serial link and over Modbus TCP.
#include "configurator/journals/journal_operation.h"

#include "common/oscillogram_image.h"
#include "configurator/device/device_model.h"
#include "configurator/journals/journal_file_io.h"
#include "configurator/journals/journal_format.h"
#include "configurator/journals/journal_oscillograph.h"
#include "configurator/journals/journal_texts.h"
#include "configurator/link/chunked_transfer.h"
#include "configurator/link/connection_settings.h"
#include "configurator/link/frames.h"
#include "configurator/link/link_session.h"
#include "configurator/link/modbus_tcp_transfer.h"
#include "configurator/link/serial_link.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <array>

namespace tirv {
namespace {

namespace tx = journal_texts;

constexpr std::uint8_t kArchiveBusyCode = regs::kExceptionArchiveBusy;
constexpr int kJournalProgressMax = 10;
constexpr int kOscillogramProgressMax = 100;
constexpr ReplyRule kTextRule{ReplyShape::Text, 0, 0};

std::uint8_t Fn(Function f)
{
    return static_cast<std::uint8_t>(f);
}

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

std::vector<std::uint8_t> BytesOfRegisters(const std::vector<std::uint16_t>& regs)
{
    std::vector<std::uint8_t> out(regs.size() * 2);
    for (std::size_t k = 0; k < regs.size(); ++k) {
        out[2 * k] = static_cast<std::uint8_t>(regs[k]);
        out[2 * k + 1] = static_cast<std::uint8_t>(regs[k] >> 8);
    }
    return out;
}

}  // namespace

ViewerLauncher DetachedViewerLauncher()
{
    return [](const QString& program, const QString& folder) {
        return QProcess::startDetached(program, {}, folder);
    };
}

JournalOperations::JournalOperations(SerialLink& link, LinkSession& session, Reporter& reporter,
                                     const ConnectionSettings& settings, const DeviceModel& model,
                                     JournalStore& store, QObject* parent)
    : QObject(parent),
      m_link(link),
      m_session(session),
      m_reporter(reporter),
      m_settings(settings),
      m_model(model),
      m_store(store),
      m_launch(DetachedViewerLauncher())
{
    connect(&m_link.transfer(), &ChunkedTransfer::progressed, this,
            &JournalOperations::onProgressed);
}

JournalOperations::~JournalOperations()
{
    // The link still holds callbacks into this object: end them without telling anyone.
    m_done = nullptr;
    if (m_mode != Mode::Idle) {
        m_mode = Mode::Idle;
        m_link.abort();
    }
}

void JournalOperations::status(const char* text, StatusIcon icon)
{
    m_reporter.status(Utf8(text), icon);
}

void JournalOperations::statusWithNumber(const char* format, int n, StatusIcon icon)
{
    m_reporter.status(QString::fromStdString(FormatJournalText(format, n)), icon);
}

bool JournalOperations::startWorkingRead(Done done)
{
    return begin(Mode::Working, std::move(done));
}

bool JournalOperations::startEmergencyRead(Done done)
{
    return begin(Mode::Emergency, std::move(done));
}

bool JournalOperations::startOscillogramRead(OscillogramTarget target, Done done)
{
    if (busy())
        return false;
    m_target = std::move(target);
    return begin(Mode::OscSettings, std::move(done));
}

bool JournalOperations::begin(Mode mode, Done done)
{
    if (busy() || !done || m_link.transfer().busy() || m_link.tcp().running())
        return false;
    m_mode = mode;
    m_done = std::move(done);
    m_stop = false;
    m_inTransfer = false;
    m_blocks = 0;
    m_mClass = m_model.isM();
    m_modelCode = m_model.code();
    m_text = m_settings.protocol == Protocol::Tirv;
    m_framing.variant = m_settings.protocolVariant == 1 ? TextVariant::New : TextVariant::Old;
    m_framing.valuesPerFrame = m_settings.valuesPerFrame;
    m_address = static_cast<std::uint8_t>(m_settings.address);
    m_baudIndex = m_settings.baudIndex;

    // Over Ethernet a read opens its own TCP connection: only the address and port are needed.
    if (m_settings.channel == Channel::Ethernet) {
        if (!m_session.tcpFieldsReady()) {
            QTimer::singleShot(0, this, [this] { finish({JournalEnd::Failed}); });
            return true;
        }
        QTimer::singleShot(0, this, [this] { startTcp(); });
        return true;
    }
    const char* failure = mode == Mode::Working     ? tx::kWjFailed
                          : mode == Mode::Emergency ? tx::kEjFailed
                                                    : tx::kOscSettingsFailed;
    m_session.ensureLink({false, failure}, [this](LinkReady ready) {
        if (m_mode == Mode::Idle)
            return;
        if (ready == LinkReady::Ready && !m_stop) {
            // The link check may have found another model than the one selected.
            m_mClass = m_model.isM();
            m_modelCode = m_model.code();
            startSerial();
            return;
        }
        finish({ready == LinkReady::Aborted || m_stop ? JournalEnd::Stopped : JournalEnd::Failed});
    });
    return true;
}

void JournalOperations::startSerial()
{
    bool started = false;
    switch (m_mode) {
        case Mode::Working:
            started =
                startPlan(Fn(Function::ReadJournal), regs::kWorkingJournal, kJournalProgressMax,
                          tx::kWjReading, tx::kWjReadingProgress, tx::kWjRetry, tx::kWjFailed);
            break;
        case Mode::Emergency:
            started = startPlan(m_mClass ? Fn(Function::ReadJournal) : Fn(Function::ReadRegisters),
                                regs::kEmergencyJournal, kJournalProgressMax, tx::kEjReading,
                                tx::kEjReadingProgress, tx::kEjRetry, tx::kEjFailed);
            break;
        case Mode::OscSettings:
            started = startPlan(Fn(Function::ReadArchive), regs::kOscillographSettings,
                                kOscillogramProgressMax, nullptr, nullptr, tx::kOscSettingsRetry,
                                tx::kOscSettingsFailed);
            break;
        case Mode::Oscillogram:
            started =
                startPlan(Fn(Function::ReadArchive), regs::kOscillogram, kOscillogramProgressMax,
                          tx::kOscReading, tx::kOscReadingProgress, tx::kOscRetry, tx::kOscFailed);
            break;
        case Mode::Idle:
            return;
    }
    if (!started)
        finish({JournalEnd::Failed});
}

bool JournalOperations::startPlan(std::uint8_t function, RegisterBlock range, int progressMax,
                                  const char* opening, const char* progress, const char* repeat,
                                  const char* failure)
{
    m_function = function;
    m_blocks = 0;
    m_regs.assign(range.count, 0);
    m_values.assign(range.count, 0);

    TransferPlan plan;
    plan.function = function;
    plan.start = range.start;
    plan.total = range.count;
    plan.perBlock = m_text ? std::max(1, m_framing.valuesPerFrame) : kMaxReadCount;
    plan.progressMax = progressMax;
    plan.build = [this, range](int offset, int count) {
        std::array<std::uint8_t, kFrameBufferSize> buf{};
        const auto start = static_cast<std::uint16_t>(range.start + offset);
        const auto c = static_cast<std::uint16_t>(count);
        TransferBlock b;
        std::size_t n = 0;
        if (m_text) {
            n = BuildTextRead(m_framing, buf, m_address, start, static_cast<std::uint8_t>(c));
            b.waitMs = TextReplyWaitMs(m_baudIndex);
            b.reply = kTextRule;
        } else {
            n = m_function == Fn(Function::ReadJournal) ? BuildReadJournal(buf, m_address, start, c)
                : m_function == Fn(Function::ReadArchive)
                    ? BuildReadArchive(buf, m_address, start, c)
                    : BuildReadRegisters(buf, m_address, start, c);
            b.waitMs = ReadWaitMs(n, c, m_baudIndex);
            b.reply = ModbusReply(m_function, static_cast<int>(ReadReplyLength(c)));
        }
        m_request.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
        b.frame = QByteArray(reinterpret_cast<const char*>(buf.data()), static_cast<qsizetype>(n));
        return b;
    };
    plan.accept = [this](std::span<const std::uint8_t> reply, int offset, int count) {
        return acceptBlock(reply, offset, count);
    };
    plan.progressText = progress ? Utf8(progress) : QString();
    plan.failureText = Utf8(failure);
    const bool numbered = m_mode != Mode::OscSettings;
    plan.repeatText = [repeat, numbered](int block, int n) {
        return QString::fromStdString(numbered ? FormatJournalText(repeat, block, n)
                                               : FormatJournalText(repeat, n));
    };
    m_inTransfer = true;
    if (!m_link.transfer().start(std::move(plan),
                                 [this](const TransferOutcome& o) { onSerialEnded(o); })) {
        m_inTransfer = false;
        return false;
    }
    if (opening && m_link.transfer().busy())
        status(opening, StatusIcon::Info);
    return true;
}

LinkResult JournalOperations::acceptBlock(std::span<const std::uint8_t> reply, int offset,
                                          int count)
{
    if (offset < 0 || count <= 0 || static_cast<std::size_t>(offset + count) > m_regs.size())
        return LinkResult::LengthMismatch;
    const auto at = [offset](int k) { return static_cast<std::size_t>(offset + k); };
    if (m_text) {
        const std::size_t group =
            static_cast<std::size_t>(offset / std::max(1, m_framing.valuesPerFrame));
        const TextReply r = ParseTextRead(m_framing, reply, m_request, group, m_values);
        if (r.result != LinkResult::Good)
            return r.result;
        if (!r.crcMatches())
            return LinkResult::CrcMismatch;
        if (r.valueCount != static_cast<std::size_t>(count))
            return LinkResult::TextCountEcho;
        for (int k = 0; k < count; ++k)
            m_regs[at(k)] = static_cast<std::uint16_t>(m_values[at(k)]);
    } else {
        // Code 5 to 0x41: the relay is storing a new oscillogram; a repeat would not help.
        if (m_function == Fn(Function::ReadArchive) &&
            ReplyExceptionCode(reply) == kArchiveBusyCode)
            return LinkResult::ArchiveBusy;
        const LinkResult r = CheckReadReply(reply, m_address, static_cast<Function>(m_function),
                                            static_cast<std::uint16_t>(count));
        if (r != LinkResult::Good)
            return r;
        for (int k = 0; k < count; ++k)
            m_regs[at(k)] = ReadReplyRegister(reply, static_cast<std::size_t>(k));
    }
    ++m_blocks;
    return LinkResult::Good;
}

void JournalOperations::onProgressed(int moved, int total)
{
    if (!m_inTransfer || moved >= total)
        return;
    if (m_mode == Mode::Working)
        status(tx::kWjReadingProgress, StatusIcon::Info);
    else if (m_mode == Mode::Emergency)
        status(tx::kEjReadingProgress, StatusIcon::Info);
    else if (m_mode == Mode::Oscillogram)
        status(tx::kOscReadingProgress, StatusIcon::Info);
}

void JournalOperations::onSerialEnded(const TransferOutcome& outcome)
{
    m_inTransfer = false;
    if (m_mode == Mode::Idle)
        return;
    const bool journal = m_mode == Mode::Working || m_mode == Mode::Emergency;
    if (outcome.end == TransferEnd::Aborted) {
        if (m_mode == Mode::OscSettings)
            status(tx::kOscSettingsStopped, StatusIcon::Error);
        else
            statusWithNumber(journal ? tx::kStatusStopped : tx::kOscStopped, m_blocks,
                             StatusIcon::Error);
        finish({JournalEnd::Stopped, m_blocks});
        return;
    }
    if (outcome.end == TransferEnd::Refused && outcome.result == LinkResult::ArchiveBusy) {
        status(tx::kOscBusy, StatusIcon::Error);
        finish({JournalEnd::Busy, m_blocks});
        return;
    }
    if (outcome.end != TransferEnd::Done) {
        const char* failure = m_mode == Mode::Working       ? tx::kWjFailed
                              : m_mode == Mode::Emergency   ? tx::kEjFailed
                              : m_mode == Mode::OscSettings ? tx::kOscSettingsFailed
                                                            : tx::kOscFailed;
        status(failure, StatusIcon::Error);
        finish({JournalEnd::Failed, m_blocks});
        return;
    }
    switch (m_mode) {
        case Mode::Working:
            judgeWorking(false);
            return;
        case Mode::Emergency:
            judgeEmergency(false);
            return;
        case Mode::OscSettings:
            judgeSettings();
            return;
        case Mode::Oscillogram:
            status(tx::kOscRead, StatusIcon::Ok);
            writeOscillogram(BytesOfRegisters(m_regs));
            return;
        case Mode::Idle:
            return;
    }
}

void JournalOperations::abort()
{
    if (m_mode == Mode::Idle)
        return;
    m_stop = true;
    if (m_inTransfer)
        m_link.transfer().abort();
    else if (m_link.tcp().running())
        m_link.tcp().abort();
    else
        m_session.abort();
}

void JournalOperations::finish(JournalOutcome outcome)
{
    m_mode = Mode::Idle;
    m_inTransfer = false;
    m_request.clear();
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(outcome);
}

}  // namespace tirv
