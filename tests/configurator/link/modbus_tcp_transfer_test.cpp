// The Modbus TCP transfer worker against a scripted relay on a loopback port.
#include "configurator/link/link_state.h"
#include "configurator/link/modbus_tcp_transfer.h"
#include "configurator/link/texts.h"
#include "support/core_app.h"
#include "support/recording_reporter.h"
#include "support/tcp_relay.h"

#include <gtest/gtest.h>

namespace tirv::test {
namespace {

using link_texts::Text;

class ModbusTcpTransferTest : public CoreAppFirst, public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_GT(relay.port(), 0);
        QObject::connect(&transfer, &ModbusTcpTransfer::completed, [this] { ++completions; });
        QObject::connect(&transfer, &ModbusTcpTransfer::sendTimedOut, [this] { ++sendTimeouts; });
    }

    TcpTransferRequest Request(std::uint8_t function, int start, int count)
    {
        return {{127, 0, 0, 1}, relay.port(), function, start, count};
    }

    // Runs a transfer to its completion (command 197).
    bool Run(const TcpTransferRequest& request)
    {
        const int before = completions;
        if (!transfer.start(request))
            return false;
        return QTest::qWaitFor([&] { return completions > before; }, kPatienceMs);
    }

    std::uint16_t ImageRegister(std::size_t k) const { return transfer.record().registerAt(k); }

    TcpRelay relay;
    RecordingReporter reporter;
    LinkState state;
    ModbusTcpTransfer transfer{reporter, state};
    int completions = 0;
    int sendTimeouts = 0;
};

TEST_F(ModbusTcpTransferTest, ReadsARangeIn125RegisterFramesOverOneConnection)
{
    ASSERT_TRUE(Run(Request(0x03, 400, 300)));
    const TcpTransferRecord& r = transfer.record();
    EXPECT_TRUE(r.success);
    EXPECT_FALSE(r.aborted);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.frameIndex, 3);
    EXPECT_EQ(r.remaining, 0);
    ASSERT_EQ(relay.requests.size(), 3u);
    const std::vector<std::pair<int, int>> frames{{400, 125}, {525, 125}, {650, 50}};
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(TcpRelay::Start(relay.requests[i]), frames[i].first);
        EXPECT_EQ(TcpRelay::Count(relay.requests[i]), frames[i].second);
        EXPECT_EQ(quint8(relay.requests[i][6]), 1) << "unit identifier";
    }
    ASSERT_EQ(r.image.size(), 600u);
    for (int k = 0; k < 300; ++k)
        ASSERT_EQ(ImageRegister(k), TcpRelay::RegisterValue(400 + k)) << k;
    EXPECT_EQ(r.image[0], 0x90) << "low byte first";  // 0x1200 + 400 = 0x1390
    EXPECT_EQ(relay.connections, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return relay.disconnections == 1; }, kPatienceMs))
        << "the connection does not outlive the transfer";
    EXPECT_TRUE(reporter.statuses.contains(Text(link_texts::kTcpThreadOpened)));
    EXPECT_TRUE(reporter.linkStates.contains(Text(link_texts::kTcpConnected)));
    EXPECT_FALSE(state.exchangeInProgress());
    EXPECT_EQ(sendTimeouts, 0);

    ASSERT_TRUE(Run(Request(0x51, 2100, 5)));
    EXPECT_EQ(relay.connections, 2) << "each transfer opens its own connection";
}

TEST_F(ModbusTcpTransferTest, RepliesSplitIntoSegmentsAreCompleted)
{
    relay.setScript([](const QByteArray& request, int) {
        const QByteArray reply = TcpRelay::NormalReply(request);
        return TcpAction{{reply.left(3), reply.mid(3, 6), reply.mid(9, 100), reply.mid(109)}, 30};
    });
    ASSERT_TRUE(Run(Request(0x41, 0, 130)));
    EXPECT_TRUE(transfer.record().success);
    EXPECT_EQ(ImageRegister(129), TcpRelay::RegisterValue(129));
}

TEST_F(ModbusTcpTransferTest, FailedChecksEndTheTransferAndKeepEarlierFrames)
{
    struct Case {
        const char* name;
        std::uint8_t function;
        std::function<QByteArray(const QByteArray&)> second;  // reply to the second frame
        int result;
        std::uint8_t exceptionCode;
    };
    // The regular reply with its byte `at` (unit 6, function 7, byte count 8) set to `value`.
    const auto alteredAt = [](int at, char value) {
        return [at, value](const QByteArray& r) {
            QByteArray reply = TcpRelay::NormalReply(r);
            reply[at] = value;
            return reply;
        };
    };
    const std::vector<Case> cases{
        {"exception", 0x03, [](const QByteArray& r) { return TcpRelay::ExceptionReply(r, 2); }, 4, 2},
        {"archive busy", 0x41, [](const QByteArray& r) { return TcpRelay::ExceptionReply(r, 5); }, 25, 5},
        {"wrong unit", 0x03, alteredAt(6, 2), 1, 0},
        {"wrong byte count", 0x03, alteredAt(8, 10), 7, 0},
        {"other function", 0x03, alteredAt(7, 4), 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        relay.setScript([&](const QByteArray& request, int index) {
            return TcpAction{{index % 2 == 1 ? c.second(request) : TcpRelay::NormalReply(request)}};
        });
        relay.requests.clear();
        ASSERT_TRUE(Run(Request(c.function, 0, 200)));
        const TcpTransferRecord& r = transfer.record();
        EXPECT_FALSE(r.success);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.exceptionCode, c.exceptionCode);
        EXPECT_EQ(r.frameIndex, 1);
        EXPECT_EQ(r.remaining, 75);
        EXPECT_EQ(ImageRegister(124), TcpRelay::RegisterValue(124)) << "the first frame stays";
        EXPECT_EQ(relay.requests.size(), 2u);
    }
}

TEST_F(ModbusTcpTransferTest, ARelayThatNeverAnswersEndsTheTransfer)
{
    relay.setScript([](const QByteArray&, int) { return TcpAction{}; });
    ASSERT_TRUE(Run(Request(0x03, 130, 5)));
    const TcpTransferRecord& r = transfer.record();
    EXPECT_FALSE(r.success);
    EXPECT_FALSE(r.aborted);
    EXPECT_EQ(r.remaining, 5);
    EXPECT_EQ(sendTimeouts, 0) << "the request went out; only the reply timed out";
    EXPECT_FALSE(state.exchangeInProgress());
}

TEST_F(ModbusTcpTransferTest, AbortStopsTheTransferAtOnce)
{
    relay.setScript([&](const QByteArray& request, int index) {
        if (index == 1) {
            QTimer::singleShot(10, [&] { transfer.abort(); });
            return TcpAction{};
        }
        return TcpAction{{TcpRelay::NormalReply(request)}};
    });
    ASSERT_TRUE(Run(Request(0x03, 0, 300)));
    const TcpTransferRecord& r = transfer.record();
    EXPECT_TRUE(r.aborted);
    EXPECT_FALSE(r.success);
    EXPECT_EQ(r.frameIndex, 1);
    EXPECT_EQ(reporter.lastStatus(), Text(link_texts::kUserAbortPage));
}

TEST_F(ModbusTcpTransferTest, RefusedConnectionIsReportedWithItsCode)
{
    TcpTransferRequest request = Request(0x03, 130, 5);
    {
        QTcpServer closed;  // a port that was free a moment ago and has no listener now
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
        request.port = closed.serverPort();
    }
    ASSERT_TRUE(Run(request));
    EXPECT_FALSE(transfer.record().success);
    EXPECT_EQ(reporter.lastStatus(), Text(link_texts::kTcpConnectFailed).arg(ECONNREFUSED));
    EXPECT_FALSE(reporter.linkStates.contains(Text(link_texts::kTcpConnected)));
}

TEST_F(ModbusTcpTransferTest, OnlyReadFunctionsTravelOverTcp)
{
    EXPECT_FALSE(transfer.start(Request(0x10, 0, 10)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return completions == 1; }, kPatienceMs));
    EXPECT_FALSE(transfer.record().success);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, Text(link_texts::kCaptionProtocol));
    EXPECT_EQ(reporter.messages[0].text, Text(link_texts::kUnsupportedFunction));
    EXPECT_EQ(relay.connections, 0);
}

TEST_F(ModbusTcpTransferTest, OneTransferAtATime)
{
    relay.setScript([](const QByteArray& request, int) {
        return TcpAction{{TcpRelay::NormalReply(request)}, 0};
    });
    ASSERT_TRUE(transfer.start(Request(0x03, 0, 10)));
    EXPECT_FALSE(transfer.start(Request(0x03, 0, 10)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return completions == 1; }, kPatienceMs));
    EXPECT_TRUE(transfer.record().success);
}

}  // namespace
}  // namespace tirv::test
