// The worker-thread exchange against the relay simulator: steps, abort, completion and texts.
#include "link_rig.h"

#include "configurator/link/serial_link.h"
#include "configurator/link/texts.h"
#include "support/sim_process.h"

#include "common/crc16.h"

#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

namespace tirv::test {
namespace {

using link_texts::Text;

constexpr int kSimCom = 151;

// Reads the identity registers `rounds` times (0: until aborted) through WorkerContext::transact.
class IdentityJob : public WorkerJob {
public:
    explicit IdentityJob(int rounds, std::vector<std::uint16_t>& identity)
        : m_rounds(rounds), m_identity(identity)
    {
    }
    WorkerEnd run(WorkerContext& context) override
    {
        std::array<std::uint8_t, kFrameBufferSize> buffer{};
        const auto n = BuildReadRegisters(buffer, 1, regs::kIdentity.start, regs::kIdentity.count);
        const QByteArray frame = Frame(buffer, n);
        const auto replyLength = ReadReplyLength(regs::kIdentity.count);
        for (int round = 0; m_rounds == 0 || round < m_rounds; ++round) {
            QByteArray reply;
            const auto step = context.transact(
                frame, ModbusReply(3, static_cast<int>(replyLength)),
                ThreadReplyWaitMs(replyLength, context.baudIndex()),
                ThreadReplyWaitMs(replyLength, context.baudIndex()), reply);
            if (step == WorkerContext::Step::Aborted)
                return WorkerEnd::Aborted;
            if (step == WorkerContext::Step::NotSent)
                return WorkerEnd::Failed;
            if (step != WorkerContext::Step::Reply)
                continue;  // the simulator may be told to keep silent
            if (CheckReadReply(Bytes(reply), 1, Function::ReadRegisters, regs::kIdentity.count) !=
                LinkResult::Good)
                return WorkerEnd::Failed;
            m_identity.clear();
            for (std::size_t k = 0; k < regs::kIdentity.count; ++k)
                m_identity.push_back(ReadReplyRegister(Bytes(reply), k));
            context.progress(round + 1, m_rounds);
        }
        return WorkerEnd::Success;
    }

private:
    int m_rounds;
    std::vector<std::uint16_t>& m_identity;
};

class ThreadedExchangeTest : public CoreAppFirst, public ::testing::Test {
protected:
    ThreadedExchangeTest() : sim({"--model", "706", "--serial", "5150"}, kSimCom)
    {
        settings.port = kSimCom;
    }
    void SetUp() override
    {
        ASSERT_TRUE(sim.ready()) << sim.error();
        link = std::make_unique<SerialLink>(reporter, settings, [] { return false; }, nullptr,
                                            QString::fromStdString(sim.portsDir()));
    }

    std::optional<WorkerEnd> WaitEnd(QSignalSpy& spy)
    {
        if (!spy.wait(kPatienceMs) && spy.isEmpty())
            return std::nullopt;
        return spy.takeFirst().at(0).value<WorkerEnd>();
    }

    SimProcess sim;
    RecordingReporter reporter;
    ConnectionSettings settings;
    std::unique_ptr<SerialLink> link;
    std::vector<std::uint16_t> identity;
};

TEST_F(ThreadedExchangeTest, StepsRunOnTheWorkerAndTheCompletionComesBack)
{
    QSignalSpy finished(&link->worker(), &ThreadedExchange::finished);
    ASSERT_TRUE(link->startWorker(std::make_unique<IdentityJob>(3, identity)));
    EXPECT_TRUE(link->state().exchangeInProgress());
    EXPECT_FALSE(link->startWorker(std::make_unique<IdentityJob>(1, identity)))
        << "one worker at a time";
    const auto end = WaitEnd(finished);
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(*end, WorkerEnd::Success);
    ASSERT_EQ(identity.size(), 5u);
    EXPECT_EQ(identity[0], regs::kSignatureNonM);
    EXPECT_EQ(identity[1], 706);
    EXPECT_EQ(identity[4], 5150);
    EXPECT_FALSE(link->state().exchangeInProgress());
    EXPECT_FALSE(link->worker().running());
    EXPECT_EQ(reporter.lastProgressMax, 0) << "the progress bar is hidden at the end";
}

TEST_F(ThreadedExchangeTest, AbortEndsEveryWaitAndReportsBothTexts)
{
    ASSERT_TRUE(sim.control("silent"));
    QSignalSpy finished(&link->worker(), &ThreadedExchange::finished);
    ASSERT_TRUE(link->startWorker(std::make_unique<IdentityJob>(0, identity)));
    QTest::qWait(100);
    EXPECT_TRUE(link->worker().running());
    EXPECT_TRUE(link->worker().stop(500)) << "closing the page waits at most 500 ms";
    const auto end = WaitEnd(finished);
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(*end, WorkerEnd::Aborted);
    EXPECT_TRUE(reporter.statuses.contains(Text(link_texts::kUserAbortThread)));
    EXPECT_EQ(reporter.lastStatus(), Text(link_texts::kUserAbortPage));
    EXPECT_FALSE(link->state().exchangeInProgress());
}

TEST_F(ThreadedExchangeTest, FailedCheckAndMissingPortAreReported)
{
    ASSERT_TRUE(sim.control("bad-crc 1"));
    QSignalSpy finished(&link->worker(), &ThreadedExchange::finished);
    ASSERT_TRUE(link->startWorker(std::make_unique<IdentityJob>(1, identity)));
    auto end = WaitEnd(finished);
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(*end, WorkerEnd::Failed);
    EXPECT_EQ(reporter.lastStatus(), Text(link_texts::kOperationFailed));

    settings.port = 250;  // nothing answers to this number
    ASSERT_TRUE(link->startWorker(std::make_unique<IdentityJob>(1, identity)));
    end = WaitEnd(finished);
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(*end, WorkerEnd::PortUnavailable);
    ASSERT_FALSE(reporter.messages.empty());
    EXPECT_EQ(reporter.messages.back().text,
              QStringLiteral("Выбранный порт COM250 недоступен или занят другой программой"));
}

// The worker opens the port itself, so the link's own handle must be closed first.
TEST_F(ThreadedExchangeTest, TheLinkPortIsClosedWhileTheWorkerOwnsTheLine)
{
    std::vector<std::uint16_t> sink;
    ASSERT_TRUE(RunTransfer(link->transfer(), ReadPlan(settings, 0, 5, sink)).has_value());
    ASSERT_TRUE(link->port().isOpen());
    QSignalSpy finished(&link->worker(), &ThreadedExchange::finished);
    ASSERT_TRUE(link->startWorker(std::make_unique<IdentityJob>(1, identity)));
    EXPECT_FALSE(link->port().isOpen());
    EXPECT_FALSE(link->state().established());
    const auto end = WaitEnd(finished);
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(*end, WorkerEnd::Success);
}

TEST_F(ThreadedExchangeTest, DestroyingTheOwnerWhileTheWorkerRunsIsSafe)
{
    ASSERT_TRUE(sim.control("silent"));
    ASSERT_TRUE(link->startWorker(std::make_unique<IdentityJob>(0, identity)));
    QTest::qWait(50);
    link.reset();  // must abort and join, not leave a thread running on freed memory
    // The worker's port is closed with it: the line opens again for exclusive use.
    ASSERT_TRUE(sim.control("clear"));
    link = std::make_unique<SerialLink>(reporter, settings, [] { return false; }, nullptr,
                                        QString::fromStdString(sim.portsDir()));
    std::vector<std::uint16_t> sink;
    const auto outcome = RunTransfer(link->transfer(), ReadPlan(settings, 130, 5, sink));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Done);
    EXPECT_EQ(sink[1], 706);
}

// A port whose writes never complete (a line that takes no bytes).
class StuckPort : public Port {
public:
    bool open(int number) override { m_number = number; return true; }
    void close() override { m_number = 0; }
    bool isOpen() const override { return m_number != 0; }
    int number() const override { return m_number; }
    bool configure(const LineSettings&) override { return true; }
    bool isPseudoTerminal() const override { return false; }
    bool write(std::span<const std::uint8_t>) override { ++writes; return true; }
    QByteArray read(int) override { return {}; }
    qint64 bytesAvailable() const override { return 0; }
    void purge() override {}
    bool waitForReadyRead(int) override { return false; }
    bool waitForBytesWritten(int) override { return false; }
    QString describe() const override { return QStringLiteral("stuck"); }
    PortError lastError() const override { return PortError::Io; }

    static inline std::atomic<int> writes{0};

private:
    int m_number = 0;
};

TEST(ThreadedExchangeWrites, AnUnfinishedWriteIsRepeatedThenTheStepFails)
{
    EnsureCoreApp();
    RecordingReporter reporter;
    LinkState state;
    ThreadedExchange worker(reporter, state, [] { return std::make_unique<StuckPort>(); });
    QSignalSpy finished(&worker, &ThreadedExchange::finished);
    std::vector<std::uint16_t> identity;
    StuckPort::writes = 0;
    ASSERT_TRUE(worker.start(std::make_unique<IdentityJob>(1, identity), PortOpening{}, 2));
    ASSERT_TRUE(finished.wait(kPatienceMs));
    EXPECT_EQ(finished.at(0).at(0).value<WorkerEnd>(), WorkerEnd::Failed);
    EXPECT_EQ(StuckPort::writes.load(), 3) << "the first write and two repeats";
    EXPECT_EQ(reporter.lastStatus(), Text(link_texts::kOperationFailed));
    EXPECT_EQ(reporter.statuses.count(Text(link_texts::kRequestNotSent)), 3);
    EXPECT_TRUE(identity.empty());
}

// A port whose received bytes wait in the driver's queue until a wait fetches them, as a real
// serial port's do. Its first answer has a tail that comes late: it is still in the driver's
// queue when the next request goes out.
class DriverQueuePort : public Port {
public:
    bool open(int number) override { m_number = number; return true; }
    void close() override { m_number = 0; }
    bool isOpen() const override { return m_number != 0; }
    int number() const override { return m_number; }
    bool configure(const LineSettings&) override { return true; }
    bool isPseudoTerminal() const override { return false; }
    bool write(std::span<const std::uint8_t>) override
    {
        // The relay answers the identity read: address 1, function 3, five registers.
        QByteArray reply("\x01\x03\x0A", 3);
        for (std::uint16_t v : {0x5555, 706, 121, 57, 5150})
            reply += char(v >> 8), reply += char(v & 0xFF);
        const std::uint16_t crc = Crc16(Bytes(reply));
        reply += char(crc & 0xFF), reply += char(crc >> 8);
        m_driver += reply;
        return true;
    }
    QByteArray read(int max) override
    {
        const QByteArray out = m_buffer.left(max);
        m_buffer.remove(0, out.size());
        return out;
    }
    qint64 bytesAvailable() const override { return m_buffer.size(); }
    void purge() override { m_driver.clear(), m_buffer.clear(); }
    bool waitForReadyRead(int ms) override
    {
        if (m_driver.isEmpty()) {
            QThread::msleep(static_cast<unsigned long>(std::min(ms, 5)));
            return false;
        }
        m_buffer += std::exchange(m_driver, {});
        if (std::exchange(m_tailToCome, false))
            m_driver = QByteArray("\x90\x1F", 2);
        return true;
    }
    bool waitForBytesWritten(int) override { return true; }
    QString describe() const override { return QStringLiteral("queued"); }
    PortError lastError() const override { return PortError::None; }

private:
    int m_number = 0;
    bool m_tailToCome = true;
    QByteArray m_driver;
    QByteArray m_buffer;
};

TEST(ThreadedExchangeWrites, LateBytesStillInTheDriverAreDroppedBeforeTheRequest)
{
    EnsureCoreApp();
    RecordingReporter reporter;
    LinkState state;
    ThreadedExchange worker(reporter, state, [] { return std::make_unique<DriverQueuePort>(); });
    QSignalSpy finished(&worker, &ThreadedExchange::finished);
    std::vector<std::uint16_t> identity;
    ASSERT_TRUE(worker.start(std::make_unique<IdentityJob>(2, identity), PortOpening{}, 0));
    ASSERT_TRUE(finished.wait(kPatienceMs));
    EXPECT_EQ(finished.at(0).at(0).value<WorkerEnd>(), WorkerEnd::Success)
        << "the second answer was read behind the first one's tail";
    EXPECT_EQ(identity, (std::vector<std::uint16_t>{0x5555, 706, 121, 57, 5150}));
}

}  // namespace
}  // namespace tirv::test
