// The M update against tirv-sim's STM32 bootloader over its pseudo-terminal: update and
// verify-only compared byte for byte with the simulated flash, and every fault word of the
// bootloader at its step — another PID, version 0x30, read and write protection with their
// restart, NACKs, a slow erase, a flipped read-back byte, silence — and abort during the write.
#include "configurator/firmware/firmware_update_stm32.h"
#include "support/core_app.h"

#include "configurator/firmware/stm32_boot_frames.h"
#include "configurator/link/link_state.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/threaded_exchange.h"
#include "firmware_records.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"
#include "support/texts.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

namespace tirv {
namespace {

using test::U;

namespace tx = firmware_texts;
using test::RecordingReporter;
using test::SimProcess;

constexpr int kAddress = 3;

// 2 KiB + 6 bytes at the flash start: the last block is short and gets padded.
FirmwareImage TestImage()
{
    std::string text = test::HexBase(0x0800);
    for (std::uint16_t offset = 0; offset < 2048; offset += 16)
        text += test::HexData(offset, test::Ramp(16, std::uint8_t(offset / 16 * 3)));
    text += test::HexData(2048, test::Ramp(6, 0x50));
    text += test::kHexEnd;
    auto parsed = ParseFirmwareFile(test::ToBytes(text), FirmwareFamily::Stm32);
    EXPECT_TRUE(parsed.ok());
    FirmwareImage image = parsed.ok() ? parsed.value() : FirmwareImage{};
    image.path = "test.hex";
    return image;
}

struct Rig {
    explicit Rig(std::vector<std::string> more = {})
        : sim(Args(std::move(more))),
          settings(Settings(sim)),
          link(
              reporter, settings, [] { return true; }, nullptr,
              QString::fromStdString(sim.portsDir())),
          update(link, reporter, settings)
    {
        QObject::connect(&update, &Stm32FirmwareUpdate::stepLogged,
                         [this](const QString& text, bool) { steps << text; });
        QObject::connect(&update, &Stm32FirmwareUpdate::frameLogged,
                         [this](bool sent, const QByteArray&) { ++(sent ? sentFrames : replies); });
        update.setFrameLogging(true);
    }
    static std::vector<std::string> Args(std::vector<std::string> more)
    {
        std::vector<std::string> args{"--model", "715", "--address", std::to_string(kAddress)};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    static ConnectionSettings Settings(const SimProcess& sim)
    {
        ConnectionSettings s;
        s.channel = Channel::Rs485;
        s.port = sim.com();
        s.address = kAddress;
        s.baudIndex = 6;
        s.repeatCount = 2;
        return s;
    }

    std::optional<UpdateEnd> run(const FirmwareImage& image, UpdateMode mode,
                                 std::function<void()> onWriting = nullptr)
    {
        std::optional<UpdateEnd> end;
        steps.clear();
        QObject scope;
        if (onWriting)
            QObject::connect(&update, &Stm32FirmwareUpdate::stepLogged, &scope,
                             [onWriting](const QString& text, bool) {
                                 if (text == U(tx::kWritingProgram))
                                     QTimer::singleShot(20, onWriting);
                             });
        if (!update.start(image, mode, 715, [&end](const UpdateEnd& e) { end = e; }))
            return std::nullopt;
        QElapsedTimer clock;
        clock.start();
        while (!end && clock.elapsed() < 90000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return end;
    }

    void ExpectFlashHolds(const FirmwareImage& image)
    {
        const std::string path = sim.workDir() + "/flash.bin";
        ASSERT_TRUE(sim.control("flash-dump " + path));
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> flash{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        ASSERT_EQ(flash.size(), 1024u * 1024u);
        const auto& bytes = image.stm32.bytes;
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), flash.begin()));
        EXPECT_EQ(flash[bytes.size() + 2], 0xFF) << "padding is erased flash";
    }

    std::string Steps() const { return steps.join('\n').toStdString(); }

    SimProcess sim;
    RecordingReporter reporter;
    ConnectionSettings settings;
    SerialLink link;
    Stm32FirmwareUpdate update;
    QStringList steps;
    int sentFrames = 0;
    int replies = 0;
};

class Stm32UpdateTest : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureCoreApp(); }
};

TEST_F(Stm32UpdateTest, UpdateFromTheProgramThenVerifyOnly)
{
    Rig rig;
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    const FirmwareImage image = TestImage();
    auto end = rig.run(image, UpdateMode::Update);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome, UpdateOutcome::Done) << rig.Steps();
    ASSERT_GE(rig.steps.size(), 4);
    EXPECT_EQ(rig.steps[0], U("Открыт файл ПО test.hex"));
    EXPECT_EQ(rig.steps[1], U("Обновление ПО ТИРВ-705M:"));
    for (const char* row :
         {tx::kEnterLoaderSent, tx::kPidGood, tx::kVersionGood, tx::kReadable, tx::kWritable,
          tx::kProgramWritten, tx::kProgramMatches, tx::kJumpDone, tx::kUpdateVerified})
        EXPECT_TRUE(rig.steps.contains(U(row))) << row << "\n" << rig.Steps();
    EXPECT_EQ(rig.steps.back(), U(tx::kFinalUpdateDone));
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kFinalUpdateDone));
    EXPECT_GT(rig.sentFrames, 3 * 17) << "every frame is announced for the protocol";
    rig.ExpectFlashHolds(image);
    ASSERT_TRUE(rig.sim.control("loader"));
    EXPECT_NE(rig.sim.lastStatus().find("program"), std::string::npos) << "GO ran the program";

    rig.update.setFrameLogging(false);  // as without a protocol file
    rig.sentFrames = 0;
    end = rig.run(image, UpdateMode::Verify);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome, UpdateOutcome::Done) << rig.Steps();
    EXPECT_EQ(rig.sentFrames, 0);
    EXPECT_TRUE(rig.steps.contains(U(tx::kVerifyMatches))) << rig.Steps();
    EXPECT_FALSE(rig.steps.contains(U(tx::kProgramWritten)));
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kFinalVerifyDone));
}

// One fault word each; `rows` must all appear, `final` is the last row and the status.
TEST_F(Stm32UpdateTest, EachBootloaderFaultEndsAsItShould)
{
    struct Case {
        const char* what;
        std::vector<std::string> faults;
        UpdateMode mode;
        UpdateOutcome outcome;
        std::vector<const char*> rows;
        const char* final;
        bool flashHoldsImage;
    };
    const Case cases[] = {
        {"another product id",
         {"stm32-pid 0x419"},
         UpdateMode::Update,
         UpdateOutcome::Failed,
         {"Получен PID=4.25, что не соответствует требованиям"},
         tx::kFinalUpdateFailed,
         false},
        {"bootloader version 3.0",
         {"stm32-version 0x30"},
         UpdateMode::Update,
         UpdateOutcome::Failed,
         {tx::kVersionWrong},
         tx::kFinalUpdateFailed,
         false},
        {"read protection is removed once, then the run starts again",
         {"stm32-rdp 0xBB"},
         UpdateMode::Update,
         UpdateOutcome::Done,
         {tx::kReadProtected, tx::kReadUnprotected},
         tx::kFinalUpdateDone,
         true},
        {"write protection of sector 0",
         {"stm32-wrp 1"},
         UpdateMode::Update,
         UpdateOutcome::Done,
         {tx::kWriteProtected, tx::kWriteUnprotected},
         tx::kFinalUpdateDone,
         true},
        {"two refused commands are repeated",
         {"stm32-nack 2"},
         UpdateMode::Update,
         UpdateOutcome::Done,
         {},
         tx::kFinalUpdateDone,
         true},
        {"an erase far slower than the 20 ms formula",
         {"stm32-erase-extra 2500"},
         UpdateMode::Update,
         UpdateOutcome::Done,
         {tx::kEraseStepDone},
         tx::kFinalUpdateDone,
         true},
        {"a flipped byte on read-back",
         {"stm32-flip on"},
         UpdateMode::Update,
         UpdateOutcome::Mismatch,
         {tx::kDataMismatch, tx::kDeviceDiffers},
         tx::kFinalUpdateMismatch,
         false},
        {"verify-only never removes read protection",
         {"stm32-rdp 0xBB"},
         UpdateMode::Verify,
         UpdateOutcome::Failed,
         {tx::kReadProtected},
         tx::kFinalVerifyFailed,
         false},
        {"a silent bootloader",
         {"bootloader on", "stm32-silent on"},
         UpdateMode::Update,
         UpdateOutcome::Failed,
         {tx::kConfirmLoaderMode},
         tx::kFinalUpdateFailed,
         false},
    };
    const FirmwareImage image = TestImage();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        for (const std::string& f : c.faults)
            ASSERT_TRUE(rig.sim.control(f)) << f;
        const auto end = rig.run(image, c.mode);
        ASSERT_TRUE(end);
        EXPECT_EQ(end->outcome, c.outcome) << rig.Steps();
        for (const char* row : c.rows)
            EXPECT_TRUE(rig.steps.contains(U(row))) << row << "\n" << rig.Steps();
        ASSERT_FALSE(rig.steps.isEmpty());
        EXPECT_EQ(rig.steps.back(), U(c.final));
        EXPECT_EQ(rig.reporter.lastStatus(), U(c.final));
        if (c.flashHoldsImage)
            rig.ExpectFlashHolds(image);
    }
}

// An independent AN3155 host reads back what our updater wrote: a misreading shared by the
// simulator and the updater would show here.
TEST_F(Stm32UpdateTest, Stm32flashReadsBackTheImageOurUpdateWrote)
{
    if (std::system("command -v stm32flash >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "stm32flash is not installed (scripts/install-deps installs it)";
    Rig rig;
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    const FirmwareImage image = TestImage();
    const auto end = rig.run(image, UpdateMode::Update);
    ASSERT_TRUE(end);
    ASSERT_EQ(end->outcome, UpdateOutcome::Done) << rig.Steps();
    ASSERT_TRUE(rig.sim.control("bootloader on"));
    const std::string back = rig.sim.workDir() + "/back.bin";
    const std::string command = "stm32flash -m 8n1 -b 115200 -r " + back +
                                " -S 0x08000000:" + std::to_string(image.stm32.bytes.size()) + " " +
                                rig.sim.portPath() + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(back, std::ios::binary);
    const std::vector<std::uint8_t> read{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
    EXPECT_EQ(read, image.stm32.bytes);
}

// Reads 256 bytes of flash once for each rule and keeps how many bytes the worker's exchange
// returned for the answer (ACK and data: 257).
class ReadBlocksJob : public WorkerJob {
public:
    ReadBlocksJob(std::vector<ReplyRule> rules, std::vector<qsizetype>& sizes, QString& trace)
        : m_rules(std::move(rules)), m_sizes(sizes), m_trace(trace)
    {
    }
    WorkerEnd run(WorkerContext& ctx) override
    {
        if (!ctx.reconfigure({kStm32BootBaudIndex, Parity::Even, StopBits::One, true}))
            return WorkerEnd::Failed;
        std::array<std::uint8_t, 8> b{};
        QByteArray answer;
        const auto acked = [&](std::size_t n) {
            const QByteArray frame(reinterpret_cast<const char*>(b.data()), qsizetype(n));
            const auto step = ctx.transact(frame, ExactReply(1), 500, 100, answer);
            m_trace += QStringLiteral("W:%1 R:%2 (%3)\n")
                           .arg(QString::fromLatin1(frame.toHex(' ')),
                                QString::fromLatin1(answer.toHex(' ')))
                           .arg(int(step));
            return step == WorkerContext::Step::Reply && answer == QByteArray(1, char(kStmAck));
        };
        if (!acked(BuildStmSync(b)))
            return WorkerEnd::Failed;
        for (const ReplyRule& rule : m_rules) {
            if (!acked(BuildStmCommand(b, StmCommand::ReadMemory)) ||
                !acked(BuildStmAddress(b, 0x08000000)))
                return WorkerEnd::Failed;
            const std::size_t n = BuildStmReadLength(b, 256);
            const QByteArray frame(reinterpret_cast<const char*>(b.data()), qsizetype(n));
            ctx.transact(frame, rule, 500, 300, answer);
            m_sizes.push_back(answer.size());
            // What a cut answer left on the line goes by, as the update does after one.
            if (!ctx.sleep(60))
                return WorkerEnd::Aborted;
            ctx.port().purge();
        }
        return WorkerEnd::Success;
    }

private:
    std::vector<ReplyRule> m_rules;
    std::vector<qsizetype>& m_sizes;
    QString& m_trace;
};

// Only an exact-length answer may run past the 255-byte receive buffer: a relay's reply that
// long is cut there (and fails its check) as before.
TEST_F(Stm32UpdateTest, OnlyTheBootloaderBlockAnswerPassesTheReceiveBufferSize)
{
    Rig rig;
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_TRUE(rig.sim.control("bootloader on"));
    std::vector<qsizetype> sizes;
    QString trace;
    const std::vector<ReplyRule> rules{ExactReply(257), ModbusReply(0x11, 300), ReplyRule{},
                                       ExactReply(257)};
    std::optional<WorkerEnd> end;
    QObject::connect(&rig.link.worker(), &ThreadedExchange::finished,
                     [&end](WorkerEnd e) { end = e; });
    ASSERT_TRUE(rig.link.startWorker(std::make_unique<ReadBlocksJob>(rules, sizes, trace)));
    QElapsedTimer clock;
    clock.start();
    while (!end && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(end, WorkerEnd::Success) << trace.toStdString();
    EXPECT_EQ(sizes, (std::vector<qsizetype>{257, 255, 255, 257}));
}

TEST_F(Stm32UpdateTest, AbortDuringTheWriteEndsAsAborted)
{
    Rig rig;
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    const auto end = rig.run(TestImage(), UpdateMode::Update, [&rig] { rig.update.abort(); });
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome, UpdateOutcome::Aborted) << rig.Steps();
    EXPECT_TRUE(rig.steps.contains(U(tx::kUserAborted))) << rig.Steps();
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kFinalUpdateAborted));
    EXPECT_FALSE(rig.link.worker().running());
}

}  // namespace
}  // namespace tirv
