// The transport against the relay simulator: a real pseudo-terminal and a real TCP port, faults
// requested through the simulator's control commands.
#include "link_rig.h"

#include "configurator/link/serial_link.h"
#include "configurator/link/text_frames.h"
#include "configurator/link/texts.h"
#include "support/sim_process.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace tirv::test {
namespace {

using link_texts::Text;

// A COM number outside the machine's fixed numbering: when the simulator's entry goes away,
// nothing else answers to it.
constexpr int kSimCom = 150;

class SimTransportTest : public CoreAppFirst, public ::testing::Test {
protected:
    explicit SimTransportTest(std::vector<std::string> args = {"--model", "715", "--tcp", "0"})
        : sim(std::move(args), kSimCom)
    {
        settings.port = kSimCom;
    }
    void SetUp() override
    {
        ASSERT_TRUE(sim.ready()) << sim.error();
        settings.repeatCount = 3;
        link = std::make_unique<SerialLink>(reporter, settings, [] { return true; }, nullptr,
                                            QString::fromStdString(sim.portsDir()));
    }
    void TearDown() override { link.reset(); }

    std::optional<TransferOutcome> Read(int start, int total, Function f = Function::ReadRegisters)
    {
        return RunTransfer(link->transfer(), ReadPlan(settings, start, total, sink, f));
    }
    QStringList RepeatTexts() const
    {
        QStringList l;
        for (const QString& s : reporter.statuses)
            if (s.contains(QRegularExpression(QStringLiteral("повтор \\d+$"))))
                l << s;
        return l;
    }
    bool RunTcp(const TcpTransferRequest& request)
    {
        bool done = false;
        QObject::connect(&link->tcp(), &ModbusTcpTransfer::completed, [&] { done = true; });
        if (!link->tcp().start(request))
            return false;
        return QTest::qWaitFor([&] { return done; }, kPatienceMs);
    }
    TcpTransferRequest Tcp(std::uint8_t function, int start, int count) const
    {
        return {{127, 0, 0, 1}, sim.tcpPort(), function, start, count};
    }

    SimProcess sim;
    RecordingReporter reporter;
    ConnectionSettings settings;
    std::unique_ptr<SerialLink> link;
    std::vector<std::uint16_t> sink;
};

// The serial chunked read and the TCP transfer of the same range must agree register by register.
TEST_F(SimTransportTest, ChunkedSerialReadAndTcpTransferAgree)
{
    const auto outcome = Read(regs::kWorkingJournal.start, 600, Function::ReadJournal);
    ASSERT_TRUE(outcome.has_value());
    ASSERT_EQ(outcome->end, TransferEnd::Done);
    EXPECT_EQ(outcome->moved, 600);
    EXPECT_TRUE(RepeatTexts().isEmpty());
    EXPECT_TRUE(std::any_of(sink.begin(), sink.end(), [](std::uint16_t v) { return v != 0; }))
        << "the simulator keeps a journal";

    ASSERT_TRUE(RunTcp(Tcp(0x51, regs::kWorkingJournal.start, 600)));
    const TcpTransferRecord& r = link->tcp().record();
    ASSERT_TRUE(r.success);
    EXPECT_EQ(r.frameIndex, 5);
    for (int k = 0; k < 600; ++k)
        ASSERT_EQ(r.registerAt(std::size_t(k)), sink[static_cast<std::size_t>(k)]) << k;
}

TEST_F(SimTransportTest, TcpTransferOf300RegistersArrivesWhole)
{
    std::vector<std::uint16_t> serial;
    ASSERT_TRUE(RunTransfer(link->transfer(), ReadPlan(settings, 0, 300, serial)).has_value());
    ASSERT_TRUE(RunTcp(Tcp(0x03, 0, 300)));
    const TcpTransferRecord& r = link->tcp().record();
    ASSERT_TRUE(r.success);
    EXPECT_EQ(r.frameIndex, 3);
    // Live registers (clock, measurements) change between reads; the setpoints do not.
    for (int k = 0; k < 115; ++k)
        ASSERT_EQ(r.registerAt(std::size_t(k)), serial[static_cast<std::size_t>(k)]) << k;
}

// Lost and damaged replies are repeated after a link check and the transfer completes.
TEST_F(SimTransportTest, LostAndDamagedRepliesAreRecovered)
{
    for (const char* fault : {"drop 1", "bad-crc 1"}) {
        SCOPED_TRACE(fault);
        reporter = RecordingReporter{};
        ASSERT_TRUE(Read(0, 20).has_value());  // link up, so the fault hits a block
        ASSERT_TRUE(sim.control(fault));
        const auto outcome = Read(0, 250);
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(outcome->end, TransferEnd::Done);
        EXPECT_EQ(RepeatTexts(), QStringList{QStringLiteral("  Чтение:   повтор 1")});
        EXPECT_TRUE(reporter.messages.empty());
    }
}

TEST_F(SimTransportTest, ExceptionReplyEndsWithTheWarning)
{
    ASSERT_TRUE(Read(0, 5).has_value());
    ASSERT_TRUE(sim.control("exception 2"));
    const auto outcome = Read(0, 5);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Refused);
    EXPECT_EQ(outcome->result, LinkResult::Exception);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, Text(link_texts::kDeviceCannotExecute));
    EXPECT_EQ(reporter.messages[0].caption, Text(link_texts::kCaptionWarning));

    ASSERT_TRUE(RunTcp(Tcp(0x03, 0, 5)));
    EXPECT_FALSE(link->tcp().record().success);
    EXPECT_EQ(link->tcp().record().result, 4);
}

TEST_F(SimTransportTest, RetryLimitAndRepeatCountZero)
{
    struct Case {
        int repeatCount;
        const char* fault;
        QStringList repeats;
        bool linkCheckFails;
    };
    // A silent relay also fails the link check between the repeats, which ends the transfer
    // after the first repeat (the check itself has tried the repeat count of times).
    const std::vector<Case> cases{
        {2, "silent", {QStringLiteral("  Чтение:   повтор 1")}, true},
        {0, "drop 1", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_TRUE(sim.control("clear"));
        settings.repeatCount = c.repeatCount;
        ASSERT_TRUE(Read(0, 5).has_value());
        reporter = RecordingReporter{};
        ASSERT_TRUE(sim.control(c.fault));
        const auto outcome = Read(0, 5);
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(outcome->end, TransferEnd::Failed);
        EXPECT_EQ(RepeatTexts(), c.repeats);
        EXPECT_EQ(reporter.statuses.contains(Text(link_texts::kLinkCheckFailed)), c.linkCheckFails);
        EXPECT_EQ(reporter.lastStatus(), QStringLiteral("Операцию чтения из устр-ва выполнить не удалось"));
        EXPECT_EQ(reporter.lastLinkState(), Text(link_texts::kNoLink));
        ASSERT_FALSE(reporter.messages.empty());
        EXPECT_EQ(reporter.messages.back().text, Text(link_texts::kCannotConnect));
        EXPECT_EQ(reporter.messages.back().caption, Text(link_texts::kCaptionReadWrite));
        EXPECT_FALSE(link->state().established());
    }
}

// A reply that comes after its wait is still queued when the next transfer starts; it must be
// purged, not taken for the new reply.
TEST_F(SimTransportTest, LateReplyFailsAndIsPurgedBeforeTheNextFrame)
{
    settings.repeatCount = 0;
    ASSERT_TRUE(Read(0, 5).has_value());
    ASSERT_TRUE(sim.control("late 400"));
    const auto late = Read(300, 5);  // different registers: a mix-up would show
    ASSERT_TRUE(late.has_value());
    EXPECT_EQ(late->end, TransferEnd::Failed);
    const qint64 lateLength = static_cast<qint64>(ReadReplyLength(5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->port().bytesAvailable() >= lateLength; },
                                kPatienceMs))
        << "the late reply arrives whole on the still open port";
    ASSERT_TRUE(sim.control("late 0"));
    std::vector<std::uint16_t> setpoints;
    const auto outcome = RunTransfer(link->transfer(), ReadPlan(settings, 0, 20, setpoints));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Done);
    std::vector<std::uint16_t> again;
    ASSERT_TRUE(RunTransfer(link->transfer(), ReadPlan(settings, 0, 20, again)).has_value());
    EXPECT_EQ(setpoints, again);
}

TEST_F(SimTransportTest, WrongLineSpeedGetsNoAnswer)
{
    settings.baudIndex = 7;  // 115200 against the relay's 57600
    settings.repeatCount = 1;
    const auto outcome = Read(0, 5);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Failed);
    EXPECT_EQ(reporter.lastStatus(), Text(link_texts::kLinkCheckFailed));
    EXPECT_EQ(reporter.lastLinkState(), Text(link_texts::kNoLink));

    settings.baudIndex = 6;
    reporter = RecordingReporter{};
    const auto right = Read(0, 5);
    ASSERT_TRUE(right.has_value());
    EXPECT_EQ(right->end, TransferEnd::Done);
    EXPECT_TRUE(reporter.linkStates.contains(Text(link_texts::kLinkEstablished)));
}

// The relay goes away in the middle of a transfer (simulator ends, its port entry vanishes).
TEST_F(SimTransportTest, UnpluggedPortEndsTheTransfer)
{
    QObject::connect(&link->transfer(), &ChunkedTransfer::progressed, [&](int moved, int) {
        if (moved == 125)
            sim.stop();
    });
    const auto outcome = Read(0, 600);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Failed);
    EXPECT_EQ(outcome->moved, 125);
    EXPECT_EQ(reporter.lastLinkState(), Text(link_texts::kNoLink));
    EXPECT_TRUE(reporter.statuses.contains(Text(link_texts::kPortUnavailableStatus)))
        << reporter.statuses.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(link->state().exchangeInProgress());
    EXPECT_FALSE(link->state().established());
}

TEST_F(SimTransportTest, SilentTcpRelayEndsTheTransferAndAbortStopsIt)
{
    ASSERT_TRUE(sim.control("silent"));
    ASSERT_TRUE(RunTcp(Tcp(0x03, 0, 10)));
    EXPECT_FALSE(link->tcp().record().success);
    EXPECT_FALSE(link->tcp().record().aborted);

    QTimer::singleShot(100, [&] { link->abort(); });  // Esc while the relay keeps silent
    ASSERT_TRUE(RunTcp(Tcp(0x03, 0, 300)));
    EXPECT_TRUE(link->tcp().record().aborted);
    EXPECT_EQ(reporter.lastStatus(), Text(link_texts::kUserAbortPage));
}

TEST_F(SimTransportTest, ArchiveBusyOverTcpGives25)
{
    ASSERT_TRUE(sim.control("archive-busy on"));
    ASSERT_TRUE(RunTcp(Tcp(0x41, 0, 200)));
    EXPECT_FALSE(link->tcp().record().success);
    EXPECT_EQ(link->tcp().record().result, 25);
}

class SimTextProtocolTest : public SimTransportTest {
protected:
    SimTextProtocolTest()
        : SimTransportTest({"--model", "715", "--protocol", "tirv", "--variant", "1",
                            "--values-per-frame", "34"})
    {
        settings.protocol = Protocol::Tirv;
        settings.protocolVariant = 1;
        settings.valuesPerFrame = 34;
    }
};

// The same chunked mechanism moves ТИРВ-protocol values in groups of the values per frame;
// value k of group g lands at g × 34 + k.
TEST_F(SimTextProtocolTest, ValuesMoveInGroupsOfTheValuesPerFrame)
{
    const TextFraming framing{TextVariant::New, settings.valuesPerFrame};
    std::vector<std::int32_t> values(115, -1);
    std::vector<QByteArray> frames;
    TransferPlan plan;
    plan.total = 115;
    plan.perBlock = settings.valuesPerFrame;
    plan.progressText = QStringLiteral("  Чтение:   ");
    plan.build = [&](int offset, int count) {
        std::array<std::uint8_t, kFrameBufferSize> buffer{};
        const auto n = BuildTextRead(framing, buffer, 1, static_cast<std::uint16_t>(offset),
                                     static_cast<std::uint8_t>(count));
        frames.push_back(Frame(buffer, n));
        return TransferBlock{frames.back(), TextReplyWaitMs(settings.baudIndex), TextFrameReply()};
    };
    plan.accept = [&](std::span<const std::uint8_t> reply, int offset, int) {
        const TextReply r = ParseTextRead(framing, reply, Bytes(frames.back()),
                                          static_cast<std::size_t>(offset / settings.valuesPerFrame),
                                          values);
        if (r.good())
            return LinkResult::Good;
        return r.result != LinkResult::Good ? r.result : LinkResult::CrcMismatch;
    };
    const auto outcome = RunTransfer(link->transfer(), std::move(plan));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Done);
    EXPECT_EQ(outcome->moved, 115);
    ASSERT_EQ(frames.size(), 4u) << "34 + 34 + 34 + 13 values";
    EXPECT_TRUE(RepeatTexts().isEmpty());
    EXPECT_TRUE(std::none_of(values.begin(), values.end(), [](std::int32_t v) { return v == -1; }))
        << "every value of every group arrived";
}

TEST_F(SimTextProtocolTest, TextLinkCheckEstablishesTheLink)
{
    settings.protocol = Protocol::Tirv;
    std::optional<LinkCheckResult> result;
    link->linkChecker().checkLink([&](const LinkCheckResult& r) { result = r; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kPatienceMs));
    EXPECT_EQ(result->end, LinkCheckEnd::Established);
    EXPECT_TRUE(link->state().established());
}

}  // namespace
}  // namespace tirv::test
