#include "configurator/firmware/firmware_update_stm32.h"

#include "configurator/firmware/relay_loader_frames.h"
#include "configurator/firmware/stm32_update.h"
#include "configurator/link/byte_views.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/registers.h"
#include "configurator/link/reply_completion.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/texts.h"
#include "configurator/link/threaded_exchange.h"
#include "gui/reporter.h"

#include <QPointer>
#include <algorithm>
#include <atomic>

namespace tirv {
namespace {

namespace tx = firmware_texts;
using link_texts::Text;

constexpr int kEntryExtraMs = 200;
constexpr int kEntryAckLength = 8;
constexpr int kRestartMs = 100;  // the program restarts into system memory after pattern 3
constexpr int kSettleMarginMs = 50;
constexpr int kMinAnswerMs = 150;

// Milliseconds the bootloader's line (115200 bit/s, 11 bit times a character) needs for `bytes`.
int LineMs(std::size_t bytes)
{
    return int((bytes * 11 * 1000 + 115199) / 115200);
}

UpdateOutcome OutcomeOf(StmOutcome o)
{
    switch (o) {
        case StmOutcome::Succeeded:
            return UpdateOutcome::Done;
        case StmOutcome::Mismatch:
            return UpdateOutcome::Mismatch;
        case StmOutcome::Unverified:
            return UpdateOutcome::Unverified;
        case StmOutcome::Aborted:
            return UpdateOutcome::Aborted;
        case StmOutcome::Running:
        case StmOutcome::Failed:
            break;
    }
    return UpdateOutcome::Failed;
}

// A text with one printf mark filled in.
QString Fill(const char* text, const char* mark, const QString& value)
{
    return Text(text).replace(QLatin1String(mark), value);
}

QByteArray ToQt(std::span<const std::uint8_t> b)
{
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

}  // namespace

// What the job and the owner share: the outcome, and where the rows go (the owner may be gone
// by the time a row is posted).
struct Stm32FirmwareUpdate::Shared {
    QPointer<Stm32FirmwareUpdate> owner;
    bool logFrames = true;  // set before the job starts
    std::atomic<int> outcome{int(UpdateOutcome::Failed)};
    void step(const QString& text, bool timed)
    {
        QMetaObject::invokeMethod(
            owner.data(),
            [o = owner, text, timed] {
                if (o)
                    emit o->stepLogged(text, timed);
            },
            Qt::QueuedConnection);
    }
    void progress(int value, int max)
    {
        QMetaObject::invokeMethod(
            owner.data(),
            [o = owner, value, max] {
                if (o)
                    emit o->progressed(value, max);
            },
            Qt::QueuedConnection);
    }
    void frame(bool sent, const QByteArray& bytes)
    {
        if (!logFrames)
            return;
        QMetaObject::invokeMethod(
            owner.data(),
            [o = owner, sent, bytes] {
                if (o)
                    emit o->frameLogged(sent, bytes);
            },
            Qt::QueuedConnection);
    }
};

namespace {

class Stm32UpdateJob : public WorkerJob, private StmUpdateEvents {
public:
    Stm32UpdateJob(HexImage image, UpdateMode mode, ConnectionSettings settings, bool enterFirst,
                   std::shared_ptr<Stm32FirmwareUpdate::Shared> shared)
        : m_image(std::move(image)),
          m_mode(mode),
          m_settings(settings),
          m_enterFirst(enterFirst),
          m_shared(std::move(shared))
    {
    }

    WorkerEnd run(WorkerContext& ctx) override
    {
        m_ctx = &ctx;
        m_shared->step(Fill(tx::kPortOpened, "%i", QString::number(m_settings.port)), false);
        m_shared->step(Text(tx::kStreamOpened), false);
        if (m_enterFirst && !enterBootloader(ctx))
            return end(ctx.aborted() ? UpdateOutcome::Aborted : UpdateOutcome::Failed);
        const LineSettings boot{kStm32BootBaudIndex, Parity::Even, m_settings.stopBits, true};
        if (!ctx.reconfigure(boot))
            return end(UpdateOutcome::Failed);
        StmUpdate machine(m_image,
                          m_mode == UpdateMode::Verify ? StmMode::VerifyOnly : StmMode::Update,
                          *this, 115200, kStm32UpdateBlock);
        StmOutcome outcome = StmOutcome::Running;
        const StmRequest* request = &machine.start();
        while (outcome == StmOutcome::Running) {
            if (request->pauseMs > 0 && !ctx.sleep(request->pauseMs)) {
                outcome = machine.abort();
                break;
            }
            const QByteArray frame = ToQt(request->bytes);
            m_shared->frame(true, frame);
            QByteArray reply;
            // The answer ends as soon as it is whole, so a busy line may take longer than the
            // settle time without costing a healthy one anything.
            const int settleMs =
                std::max(request->settleMs, LineMs(request->expect) * 2 + kSettleMarginMs);
            // The first byte ends the wait, so a floor under the formula's 20 ms costs a healthy
            // line nothing and keeps a loaded computer from failing a good bootloader.
            const int answerMs = std::max(request->answerTimeoutMs, kMinAnswerMs);
            const WorkerContext::Step step =
                ctx.transact(frame, ExactReply(int(request->expect)), answerMs, settleMs, reply);
            if (!reply.isEmpty())
                m_shared->frame(false, reply);
            if (reply.size() > 1 && std::size_t(reply.size()) < request->expect) {
                // A cut answer: let its rest go by, or it is taken for the answer to the repeat.
                if (!ctx.sleep(LineMs(request->expect) + kSettleMarginMs))
                    outcome = machine.abort();
                ctx.port().purge();
                if (outcome != StmOutcome::Running)
                    break;
            }
            switch (step) {
                case WorkerContext::Step::Aborted:
                    outcome = machine.abort();
                    break;
                case WorkerContext::Step::NotSent:
                    outcome = machine.writeFailed();
                    break;
                case WorkerContext::Step::Reply:
                case WorkerContext::Step::NoReply:
                    outcome = machine.answer(Bytes(reply));
                    break;
            }
            request = &machine.request();
        }
        return end(OutcomeOf(outcome));
    }

private:
    // The three patterns at the relay's own line. No answer to the first: the relay is taken to
    // wait in its bootloader already (a restart after a failed update leaves it there).
    bool enterBootloader(WorkerContext& ctx)
    {
        m_shared->step(Text(tx::kEnteringLoader), false);
        const auto address = static_cast<std::uint8_t>(m_settings.address);
        for (int pattern = 0; pattern < kEnterLoaderSteps; ++pattern) {
            std::array<std::uint8_t, kFrameBufferSize> buf{};
            const QByteArray frame = Frame(buf, BuildEnterLoader(buf, address, pattern));
            QByteArray reply;
            const auto step = ctx.transact(
                frame, ModbusReply(std::uint8_t(Function::BootCommand), kEntryAckLength),
                ReplyWaitMs(std::size_t(frame.size()), kEntryAckLength, ctx.baudIndex()) +
                    kEntryExtraMs,
                kEntryExtraMs, reply);
            if (step == WorkerContext::Step::Aborted)
                return false;
            const bool good = CheckEnterLoaderReply(Bytes(reply), address) == LinkResult::Good;
            if (!good && pattern == 0 && reply.isEmpty()) {
                m_shared->step(Text(tx::kConfirmLoaderMode), false);
                return true;
            }
            if (!good) {
                m_shared->step(Text(tx::kEnterLoaderFailed), true);
                return false;
            }
        }
        m_shared->step(Text(tx::kEnterLoaderSent), false);
        return ctx.sleep(kRestartMs);
    }

    void step(std::string_view text) override
    {
        m_shared->step(QString::fromUtf8(text.data(), qsizetype(text.size())), true);
    }
    void progress(int value, int max) override
    {
        m_ctx->progress(value, max);
        m_shared->progress(value, max);
    }

    WorkerEnd end(UpdateOutcome outcome)
    {
        m_shared->outcome = int(outcome);
        if (outcome == UpdateOutcome::Aborted)
            return WorkerEnd::Aborted;
        return outcome == UpdateOutcome::Done ? WorkerEnd::Success : WorkerEnd::Failed;
    }

    HexImage m_image;
    UpdateMode m_mode;
    ConnectionSettings m_settings;
    bool m_enterFirst;
    std::shared_ptr<Stm32FirmwareUpdate::Shared> m_shared;
    WorkerContext* m_ctx = nullptr;
};

}  // namespace

Stm32FirmwareUpdate::Stm32FirmwareUpdate(SerialLink& link, Reporter& reporter,
                                         const ConnectionSettings& settings, QObject* parent)
    : QObject(parent), m_link(link), m_reporter(reporter), m_settings(settings)
{
}

Stm32FirmwareUpdate::~Stm32FirmwareUpdate()
{
    if (running())
        m_link.worker().stop(500);
    disconnect(m_finished);
}

bool Stm32FirmwareUpdate::start(const FirmwareImage& image, UpdateMode mode, int modelCode,
                                std::function<void(const UpdateEnd&)> done)
{
    if (running() || image.family != FirmwareFamily::Stm32 || m_link.worker().running() ||
        m_link.state().busy()) {
        m_reporter.status(Text(link_texts::kLineBusy), StatusIcon::Warning);
        return false;
    }
    m_mode = mode;
    m_shared = std::make_shared<Shared>();
    m_shared->owner = this;
    m_shared->logFrames = m_logFrames;
    emit stepLogged(Fill(tx::kFileOpened, "%s", QString::fromStdString(image.path)), false);
    emit stepLogged(Fill(tx::kUpdateOfModel, "%i", QString::number(modelCode - 10)), false);
    auto job = std::make_unique<Stm32UpdateJob>(image.stm32, mode, m_settings, true, m_shared);
    m_done = std::move(done);
    m_finished = connect(&m_link.worker(), &ThreadedExchange::finished, this,
                         [this](WorkerEnd end) { onFinished(end); });
    if (!m_link.startWorker(std::move(job))) {
        disconnect(m_finished);
        emit stepLogged(Text(tx::kWriteStreamFailed), true);
        onFinished(WorkerEnd::Failed);
    }
    return true;
}

void Stm32FirmwareUpdate::abort()
{
    if (running())
        m_link.worker().abort();
}

void Stm32FirmwareUpdate::onFinished(WorkerEnd workerEnd)
{
    disconnect(m_finished);
    auto done = std::move(m_done);
    m_done = nullptr;
    if (!done)
        return;
    UpdateEnd end;
    end.mode = m_mode;
    end.outcome = workerEnd == WorkerEnd::PortUnavailable
                      ? UpdateOutcome::Failed
                      : static_cast<UpdateOutcome>(m_shared->outcome.load());
    if (workerEnd == WorkerEnd::PortUnavailable) {
        emit stepLogged(Fill(tx::kPortOpenFailed, "%i", QString::number(m_settings.port)), true);
        emit stepLogged(Text(tx::kUpdateImpossible), true);
    }
    emit stepLogged(Text(end.finalText()), true);
    m_link.state().setEstablished(false);
    // GO started the new program: nothing waits in a bootloader any more.
    if (end.mode == UpdateMode::Update && end.outcome == UpdateOutcome::Done)
        m_link.state().setBootloaderMode(false);
    m_reporter.status(Text(end.finalText()),
                      end.outcome == UpdateOutcome::Done ? StatusIcon::Ok : StatusIcon::Warning);
    done(end);
}

}  // namespace tirv
