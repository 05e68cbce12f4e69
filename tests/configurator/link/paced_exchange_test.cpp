// The paced exchange over a real pseudo-terminal with a scripted relay on the other side.
#include "link_rig.h"

#include "configurator/link/port_setup.h"

#include <gtest/gtest.h>

namespace tirv::test {
namespace {

class PacedExchangeTest : public CoreAppFirst, public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(relay.ok());
        ASSERT_TRUE(OpenPort(rig.port, 1));
        ASSERT_TRUE(ConfigurePort(rig.port, LineSettings{}));
        SetProtocolTimeouts(rig.port, Protocol::Modbus, 6);
    }

    ExchangeRequest ReadRequest(int start, int count, int waitMs)
    {
        std::array<std::uint8_t, kFrameBufferSize> buffer{};
        const auto n = BuildReadRegisters(buffer, 1, static_cast<std::uint16_t>(start),
                                          static_cast<std::uint16_t>(count));
        return {Frame(buffer, n), waitMs,
                ModbusReply(3, static_cast<int>(ReadReplyLength(static_cast<std::uint16_t>(count))))};
    }

    std::optional<ExchangeReply> Run(const ExchangeRequest& request)
    {
        std::optional<ExchangeReply> got;
        EXPECT_TRUE(rig.paced.start(request, [&](const ExchangeReply& r) { got = r; }));
        (void)QTest::qWaitFor([&] { return got.has_value(); }, kPatienceMs);
        return got;
    }

    PtyRelay relay;
    LinkRig rig{relay.portsFolder()};
};

// The computed wait is only the upper bound: a whole reply ends the exchange at once. The waits
// here are far longer than the test's patience, so only early completion can pass.
TEST_F(PacedExchangeTest, CompletesAsSoonAsTheReplyIsWhole)
{
    const int hugeWaitMs = 10 * kPatienceMs;
    struct Case {
        const char* name;
        RelayAction (*answer)(SerialRelay&, const QByteArray&);
        ExchangeRequest request;
        int replyLength;
    };
    const std::vector<Case> cases{
        {"full read", [](SerialRelay& counting, const QByteArray& r) { return counting.answer(r); },
         ReadRequest(0, 125, hugeWaitMs), 255},
        {"exception",
         [](SerialRelay&, const QByteArray& r) { return RelayAction{PtyRelay::ExceptionReply(r, 2)}; },
         ReadRequest(0, 10, hugeWaitMs), 5},
        {"text terminator",
         [](SerialRelay&, const QByteArray&) { return RelayAction{QByteArray(":=;?;<;>#")}; },
         {QByteArray(":=;<;<;>#"), hugeWaitMs, TextFrameReply()}, 9},
    };
    for (const Case& c : cases) {
        relay.setScript([&](const QByteArray& r, int) { return c.answer(relay, r); });
        const auto got = Run(c.request);
        ASSERT_TRUE(got.has_value()) << c.name;
        EXPECT_EQ(got->end, ExchangeEnd::Reply) << c.name;
        EXPECT_EQ(got->bytes.size(), c.replyLength) << c.name;
    }
}

TEST_F(PacedExchangeTest, SilenceIsNoReplyNeverAnEmptyReply)
{
    relay.setScript([](const QByteArray&, int) { return RelayAction{}; });
    const auto got = Run(ReadRequest(0, 5, 50));
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->end, ExchangeEnd::NoReply);
    EXPECT_TRUE(got->bytes.isEmpty());
}

// A reply with no recognisable end (open rule) is collected until the character gap after the
// computed wait, then handed over whole.
TEST_F(PacedExchangeTest, OpenReplyEndsAtTheGapAfterTheWait)
{
    relay.setScript([](const QByteArray&, int) { return RelayAction{QByteArray("ABCDEFG")}; });
    ExchangeRequest request = ReadRequest(0, 5, 200);
    request.reply = ReplyRule{};
    const auto got = Run(request);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->end, ExchangeEnd::Reply);
    EXPECT_EQ(got->bytes, QByteArray("ABCDEFG"));
}

// A reply that came after its wait must not be taken for the next request's reply.
TEST_F(PacedExchangeTest, LateBytesArePurgedBeforeTheNextFrame)
{
    relay.setScript([this](const QByteArray& r, int index) {
        RelayAction action = relay.answer(r);
        if (index == 0)
            action.delayMs = 400;  // late: the wait is 50 ms
        return action;
    });
    const auto first = Run(ReadRequest(0, 5, 50));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->end, ExchangeEnd::NoReply);
    // Let the late reply land in the input queue.
    (void)QTest::qWaitFor([&] { return rig.port.bytesAvailable() > 0; }, kPatienceMs);
    ASSERT_GT(rig.port.bytesAvailable(), 0);

    const ExchangeRequest second = ReadRequest(40, 3, kPatienceMs);
    const auto got = Run(second);
    ASSERT_TRUE(got.has_value());
    ASSERT_EQ(got->end, ExchangeEnd::Reply);
    EXPECT_EQ(CheckReadReply(Bytes(got->bytes), 1, Function::ReadRegisters, 3), LinkResult::Good);
    EXPECT_EQ(ReadReplyRegister(Bytes(got->bytes), 0), RelayMemory::CountedValue(40));
}

TEST_F(PacedExchangeTest, AbortEndsTheExchangeAndFreesIt)
{
    relay.setScript([](const QByteArray&, int) { return RelayAction{}; });
    std::optional<ExchangeReply> got;
    ASSERT_TRUE(rig.paced.start(ReadRequest(0, 5, 10 * kPatienceMs),
                                [&](const ExchangeReply& r) { got = r; }));
    EXPECT_FALSE(rig.paced.start(ReadRequest(0, 5, 100), [](const ExchangeReply&) {}))
        << "a second exchange must not start while one is in flight";
    rig.paced.abort();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->end, ExchangeEnd::Aborted);
    EXPECT_FALSE(rig.paced.busy());
}

TEST_F(PacedExchangeTest, ClosedOrVanishedPortEndsAsPortLost)
{
    rig.port.close();
    auto got = Run(ReadRequest(0, 5, 10 * kPatienceMs));
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->end, ExchangeEnd::PortLost);

    ASSERT_TRUE(OpenPort(rig.port, 1));
    relay.setScript([&](const QByteArray&, int) {
        QTimer::singleShot(50, [&] { relay.unplug(); });
        return RelayAction{};
    });
    got = Run(ReadRequest(0, 5, 10 * kPatienceMs));
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->end, ExchangeEnd::PortLost);
}

}  // namespace
}  // namespace tirv::test
