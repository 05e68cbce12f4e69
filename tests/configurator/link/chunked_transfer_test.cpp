// The chunked transfer with its repeats and link checks, against a scripted relay on a pty.
#include "link_rig.h"

#include "configurator/link/port_setup.h"

#include <QFile>
#include "configurator/link/texts.h"

#include <gtest/gtest.h>

namespace tirv::test {
namespace {

using link_texts::Text;

class ChunkedTransferTest : public CoreAppFirst, public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(relay.ok()); }

    // Requests of the transfer itself (link checks left out), as (start, count).
    std::vector<std::pair<int, int>> BlockRequests() const
    {
        std::vector<std::pair<int, int>> blocks;
        for (const QByteArray& r : relay.requests())
            if (!PtyRelay::IsIdentityRead(r))
                blocks.emplace_back(PtyRelay::Start(r), PtyRelay::Count(r));
        return blocks;
    }
    int LinkChecks() const
    {
        return static_cast<int>(std::count_if(relay.requests().begin(), relay.requests().end(),
                                              PtyRelay::IsIdentityRead));
    }

    PtyRelay relay;
    LinkRig rig{relay.portsFolder()};
    std::vector<std::uint16_t> sink;
};

TEST_F(ChunkedTransferTest, ReadsALongRangeInBlocksOf125AfterOneLinkCheck)
{
    const auto outcome = RunTransfer(rig.transfer, ReadPlan(rig.settings, 1000, 600, sink));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Done);
    EXPECT_EQ(outcome->moved, 600);
    const std::vector<std::pair<int, int>> expected{
        {1000, 125}, {1125, 125}, {1250, 125}, {1375, 125}, {1500, 100}};
    EXPECT_EQ(BlockRequests(), expected);
    EXPECT_EQ(LinkChecks(), 1) << "the link was not established, so it is checked first";
    for (int k = 0; k < 600; ++k)
        ASSERT_EQ(sink[static_cast<std::size_t>(k)], RelayMemory::CountedValue(1000 + k)) << k;
    EXPECT_TRUE(rig.state.established());
    EXPECT_FALSE(rig.state.exchangeInProgress());
    EXPECT_TRUE(rig.reporter.messages.empty());
}

TEST_F(ChunkedTransferTest, WritesGoInBlocksOf123)
{
    std::vector<std::int32_t> values(250);
    for (std::size_t k = 0; k < values.size(); ++k)
        values[k] = static_cast<std::int32_t>(7 * k);
    TransferPlan plan;
    plan.function = 16;
    plan.total = 250;
    plan.perBlock = kMaxWriteCount;
    plan.build = [&](int offset, int count) {
        std::array<std::uint8_t, kFrameBufferSize> buffer{};
        const auto n = BuildWriteRegisters(
            buffer, 1, static_cast<std::uint16_t>(170 + offset), static_cast<std::uint16_t>(count),
            std::span<const std::int32_t>(values).subspan(static_cast<std::size_t>(offset)));
        return TransferBlock{Frame(buffer, n),
                             WriteWaitMs(n, rig.settings.baudIndex),
                             ModbusReply(16, static_cast<int>(kWriteAckLength))};
    };
    plan.accept = [](std::span<const std::uint8_t> reply, int offset, int count) {
        return CheckWriteReply(reply, 1, Function::WriteRegisters,
                               static_cast<std::uint16_t>(170 + offset),
                               static_cast<std::uint16_t>(count));
    };
    const auto outcome = RunTransfer(rig.transfer, std::move(plan));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Done);
    const std::vector<std::pair<int, int>> expected{{170, 123}, {293, 123}, {416, 4}};
    EXPECT_EQ(BlockRequests(), expected);
    // The last block carries values 246..249, high byte first.
    const QByteArray& last = relay.requests().back();
    ASSERT_EQ(last.size(), 9 + 8);
    EXPECT_EQ((quint8(last[7]) << 8) | quint8(last[8]), 7 * 246);
}

// Lost and damaged replies are repeated after the port is reopened and the link checked again.
TEST_F(ChunkedTransferTest, AFailedBlockIsRepeatedAfterALinkCheck)
{
    struct Case {
        const char* name;
        std::function<RelayAction(const QByteArray&)> fault;
    };
    const std::vector<Case> cases{
        {"lost reply", [](const QByteArray&) { return RelayAction{}; }},
        {"bad CRC",
         [this](const QByteArray& r) {
             QByteArray reply = relay.answer(r).reply;
             reply[reply.size() - 1] = static_cast<char>(reply[reply.size() - 1] ^ 0x5A);
             return RelayAction{reply};
         }},
        {"wrong address",
         [this](const QByteArray& r) {
             QByteArray reply = relay.answer(r).reply;
             reply[0] = 9;
             return RelayAction{PtyRelay::WithCrc(reply.left(reply.size() - 2))};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        relay.clearLog();
        rig.reporter.statuses.clear();
        bool faulted = false;
        relay.setScript([&](const QByteArray& r, int) {
            // The second block fails once.
            if (!PtyRelay::IsIdentityRead(r) && PtyRelay::Start(r) == 125 && !faulted) {
                faulted = true;
                return c.fault(r);
            }
            return relay.answer(r);
        });
        rig.settings.baudIndex = 3;  // lost replies cost the full wait: keep it short
        const auto outcome = RunTransfer(rig.transfer, ReadPlan(rig.settings, 0, 300, sink));
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(outcome->end, TransferEnd::Done);
        const std::vector<std::pair<int, int>> expected{{0, 125}, {125, 125}, {125, 125}, {250, 50}};
        EXPECT_EQ(BlockRequests(), expected);
        EXPECT_TRUE(rig.reporter.statuses.contains(QStringLiteral("  Чтение:   повтор 1")));
        EXPECT_EQ(sink[200], RelayMemory::CountedValue(200));
        // A link check sits between the failed block and its repeat.
        auto it = std::find_if(relay.requests().begin(), relay.requests().end(),
                               [](const QByteArray& r) { return r.size() == 8 && PtyRelay::Start(r) == 125; });
        ASSERT_NE(it, relay.requests().end());
        EXPECT_TRUE(PtyRelay::IsIdentityRead(*(it + 1)));
        EXPECT_TRUE(rig.reporter.messages.empty());
    }
}

// A relay that answers link checks but never the block: the repeats run out.
TEST_F(ChunkedTransferTest, RepeatsRunOutWithTheStandardWords)
{
    struct Case {
        int repeatCount;
        QStringList repeatTexts;
    };
    const std::vector<Case> cases{
        {2, {QStringLiteral("  Чтение:   повтор 1"), QStringLiteral("  Чтение:   повтор 2")}},
        {0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.repeatCount);
        relay.clearLog();
        rig.reporter = RecordingReporter{};
        rig.settings.repeatCount = c.repeatCount;
        rig.settings.baudIndex = 3;
        relay.setScript([this](const QByteArray& r, int) {
            return PtyRelay::IsIdentityRead(r) ? relay.answer(r) : RelayAction{};
        });
        const auto outcome = RunTransfer(rig.transfer, ReadPlan(rig.settings, 0, 10, sink));
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(outcome->end, TransferEnd::Failed);
        EXPECT_EQ(BlockRequests().size(), static_cast<std::size_t>(c.repeatCount + 1));
        QStringList repeats;
        for (const QString& s : rig.reporter.statuses)
            if (s.contains(QStringLiteral("повтор")))
                repeats << s;
        EXPECT_EQ(repeats, c.repeatTexts);
        EXPECT_EQ(rig.reporter.lastStatus(), QStringLiteral("Операцию чтения из устр-ва выполнить не удалось"));
        EXPECT_EQ(rig.reporter.lastLinkState(), Text(link_texts::kNoLink));
        ASSERT_EQ(rig.reporter.messages.size(), 1u);
        EXPECT_EQ(rig.reporter.messages[0].caption, Text(link_texts::kCaptionReadWrite));
        EXPECT_EQ(rig.reporter.messages[0].text, Text(link_texts::kCannotConnect));
        EXPECT_EQ(rig.reporter.messages[0].icon, MsgIcon::Warning);
        EXPECT_FALSE(rig.state.established());
        EXPECT_FALSE(rig.state.exchangeInProgress());
        rig.port.close();
    }
}

TEST_F(ChunkedTransferTest, AnExceptionReplyEndsAtOnceWithTheWarning)
{
    relay.setScript([this](const QByteArray& r, int) {
        return PtyRelay::IsIdentityRead(r) ? relay.answer(r)
                                           : RelayAction{PtyRelay::ExceptionReply(r, 2)};
    });
    const auto outcome = RunTransfer(rig.transfer, ReadPlan(rig.settings, 0, 10, sink));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Refused);
    EXPECT_EQ(outcome->result, LinkResult::Exception);
    EXPECT_EQ(BlockRequests().size(), 1u) << "the relay answered: no repeat";
    ASSERT_EQ(rig.reporter.messages.size(), 1u);
    EXPECT_EQ(rig.reporter.messages[0].caption, Text(link_texts::kCaptionWarning));
    EXPECT_EQ(rig.reporter.messages[0].text, Text(link_texts::kDeviceCannotExecute));
    EXPECT_TRUE(rig.state.established()) << "an exception reply is no link failure";
}

TEST_F(ChunkedTransferTest, AbortStopsTheTransferAndKeepsWhatArrived)
{
    relay.setScript([&](const QByteArray& r, int) {
        if (!PtyRelay::IsIdentityRead(r) && PtyRelay::Start(r) == 250)
            QTimer::singleShot(20, [&] { rig.transfer.abort(); });  // the user presses Esc
        else
            return relay.answer(r);
        return RelayAction{};
    });
    const auto outcome = RunTransfer(rig.transfer, ReadPlan(rig.settings, 0, 600, sink));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Aborted);
    EXPECT_EQ(outcome->moved, 250);
    EXPECT_EQ(sink[249], RelayMemory::CountedValue(249));
    EXPECT_EQ(rig.reporter.lastStatus(), Text(link_texts::kUserAbortPage));
    EXPECT_FALSE(rig.state.exchangeInProgress());
    EXPECT_FALSE(rig.paced.busy());
}

TEST_F(ChunkedTransferTest, AMissingPortFailsWithThePortWords)
{
    rig.settings.port = 250;  // nothing published as COM250, no machine port numbered so
    const auto outcome = RunTransfer(rig.transfer, ReadPlan(rig.settings, 0, 10, sink));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Failed);
    EXPECT_TRUE(relay.requests().empty());
    EXPECT_TRUE(rig.reporter.statuses.contains(Text(link_texts::kPortUnavailableStatus)));
    EXPECT_EQ(rig.reporter.lastLinkState(), Text(link_texts::kNoLink));
    ASSERT_FALSE(rig.reporter.messages.empty());
    EXPECT_EQ(rig.reporter.messages[0].text,
              QStringLiteral("Выбранный порт COM250 недоступен или занят другой программой"));
    EXPECT_FALSE(rig.state.exchangeInProgress());
}

TEST_F(ChunkedTransferTest, ASecondTransferCannotStartWhileOneRuns)
{
    std::optional<TransferOutcome> first;
    ASSERT_TRUE(rig.transfer.start(ReadPlan(rig.settings, 0, 300, sink),
                                   [&](const TransferOutcome& o) { first = o; }));
    std::vector<std::uint16_t> other;
    EXPECT_FALSE(rig.transfer.start(ReadPlan(rig.settings, 0, 10, other), [](const TransferOutcome&) {}));
    (void)QTest::qWaitFor([&] { return first.has_value(); }, kPatienceMs);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->end, TransferEnd::Done);
}

// The user picked another port while the link on the old one was up: the transfer goes to the
// selected port, after a link check there.
TEST_F(ChunkedTransferTest, AChangedPortSelectionIsCheckedBeforeUse)
{
    ASSERT_TRUE(RunTransfer(rig.transfer, ReadPlan(rig.settings, 0, 5, sink)).has_value());
    ASSERT_TRUE(rig.state.established());
    PtyRelay other(9);
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(QFile::link(other.slavePath(), relay.portsFolder() + QStringLiteral("/COM2")));
    relay.clearLog();
    rig.settings.port = 2;
    const auto outcome = RunTransfer(rig.transfer, ReadPlan(rig.settings, 40, 5, sink));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Done);
    EXPECT_TRUE(relay.requests().empty()) << "nothing more goes to the old port";
    ASSERT_EQ(other.requests().size(), 2u);
    EXPECT_TRUE(PtyRelay::IsIdentityRead(other.requests()[0]));
    EXPECT_EQ(PtyRelay::Start(other.requests()[1]), 40);
    EXPECT_EQ(rig.port.number(), 2);
}

// A link checker that answers only when the test says so, and does not flag its attempt, like a
// panel that keeps its own books.
class HeldChecker : public LinkChecker {
public:
    void checkLink(Done done) override { held.push_back(std::move(done)); }
    void abortCheck() override {}
    std::vector<Done> held;
};

TEST_F(ChunkedTransferTest, ALateLinkCheckAnswerAfterAbortIsIgnored)
{
    HeldChecker checker;
    rig.transfer.setLinkChecker(checker);
    std::optional<TransferOutcome> first;
    ASSERT_TRUE(rig.transfer.start(ReadPlan(rig.settings, 0, 10, sink),
                                   [&](const TransferOutcome& o) { first = o; }));
    ASSERT_EQ(checker.held.size(), 1u);
    rig.transfer.abort();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->end, TransferEnd::Aborted);

    // The checker answers long after: nothing may be sent for the ended transfer.
    ASSERT_TRUE(OpenPort(rig.port, 1));
    checker.held[0]({LinkCheckEnd::Established, {}, false});
    QTest::qWait(200);
    EXPECT_TRUE(relay.requests().empty());
    EXPECT_FALSE(rig.paced.busy());

    // A new transfer runs normally and is not disturbed by the old answer.
    rig.state.setEstablished(true);
    std::vector<std::uint16_t> second;
    const auto outcome = RunTransfer(rig.transfer, ReadPlan(rig.settings, 5, 3, second));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->end, TransferEnd::Done);
    EXPECT_EQ(second[0], RelayMemory::CountedValue(5));
}

}  // namespace
}  // namespace tirv::test
