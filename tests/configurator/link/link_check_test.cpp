// The built-in link check: identity read (Modbus) or link-check frame (ТИРВ protocol), its repeats
// and its words.
#include "link_rig.h"

#include "configurator/link/text_frames.h"
#include "configurator/link/texts.h"

#include <gtest/gtest.h>

namespace tirv::test {
namespace {

using link_texts::Text;

class LinkCheckTest : public CoreAppFirst, public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(relay.ok()); }

    std::optional<LinkCheckResult> Check()
    {
        std::optional<LinkCheckResult> result;
        rig.check.checkLink([&](const LinkCheckResult& r) { result = r; });
        (void)QTest::qWaitFor([&] { return result.has_value(); }, kPatienceMs);
        return result;
    }

    PtyRelay relay;
    LinkRig rig{relay.portsFolder()};
};

TEST_F(LinkCheckTest, ModbusCheckReadsTheIdentity)
{
    rig.settings.address = 17;
    relay.setScript([](const QByteArray& r, int) {
        QByteArray reply = r.left(2);
        reply.append(char(10));
        for (std::uint16_t v : {0xAABB, 715, 123, 45, 6789}) {
            reply.append(static_cast<char>(v >> 8));
            reply.append(static_cast<char>(v & 0xFF));
        }
        return RelayAction{PtyRelay::WithCrc(reply)};
    });
    const auto result = Check();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->end, LinkCheckEnd::Established);
    ASSERT_TRUE(result->haveIdentity);
    const std::array<std::uint16_t, 5> expected{0xAABB, 715, 123, 45, 6789};
    EXPECT_EQ(result->identity, expected);
    ASSERT_EQ(relay.requests().size(), 1u);
    EXPECT_EQ(quint8(relay.requests()[0][0]), 17);
    EXPECT_TRUE(PtyRelay::IsIdentityRead(relay.requests()[0]));
    EXPECT_EQ(rig.reporter.linkStates,
              QStringList({Text(link_texts::kLinkChecking), Text(link_texts::kLinkEstablished)}));
    EXPECT_TRUE(rig.state.established());
    EXPECT_FALSE(rig.state.linkCheckAttempt());
}

TEST_F(LinkCheckTest, TextProtocolCheckTakesAnyReply)
{
    rig.settings.protocol = Protocol::Tirv;
    rig.settings.address = 1;
    relay.setScript([](const QByteArray&, int) { return RelayAction{QByteArray(":?#")}; });
    const auto result = Check();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->end, LinkCheckEnd::Established);
    EXPECT_FALSE(result->haveIdentity);
    std::array<std::uint8_t, kFrameBufferSize> frame{};
    const auto n = BuildTextLinkCheck(frame, 1);
    ASSERT_EQ(relay.requests().size(), 1u);
    EXPECT_EQ(relay.requests()[0], Frame(frame, n));
}

// Silence and a reply that fails the function-3 check both count as failed attempts.
TEST_F(LinkCheckTest, FailedAttemptsAreRepeatedThenReported)
{
    struct Case {
        const char* name;
        RelayAction (*answer)(SerialRelay&, const QByteArray&);
    };
    const std::vector<Case> cases{
        {"silence", [](SerialRelay&, const QByteArray&) { return RelayAction{}; }},
        {"five registers short",
         [](SerialRelay& counting, const QByteArray& r) {
             QByteArray reply = counting.answer(r).reply;
             reply[2] = 8;  // byte count of four registers
             return RelayAction{PtyRelay::WithCrc(reply.left(reply.size() - 4))};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        relay.clearLog();
        rig.reporter = RecordingReporter{};
        rig.settings.repeatCount = 2;
        relay.setScript([&](const QByteArray& r, int) { return c.answer(relay, r); });
        const auto result = Check();
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->end, LinkCheckEnd::Failed);
        EXPECT_EQ(relay.requests().size(), 3u);
        EXPECT_EQ(rig.reporter.linkStates,
                  QStringList({Text(link_texts::kLinkChecking), QStringLiteral("Проверка связи: 1"),
                               QStringLiteral("Проверка связи: 2"), Text(link_texts::kNoLink)}));
        EXPECT_EQ(rig.reporter.lastStatus(), Text(link_texts::kLinkCheckFailed));
        EXPECT_FALSE(rig.state.established());
        EXPECT_FALSE(rig.state.linkCheckAttempt());
    }
}

TEST_F(LinkCheckTest, AbortEndsTheCheckInFlight)
{
    rig.settings.repeatCount = 1000;
    relay.setScript([&](const QByteArray&, int index) {
        if (index == 2)
            QTimer::singleShot(0, [&] { rig.check.abortCheck(); });
        return RelayAction{};
    });
    const auto result = Check();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->end, LinkCheckEnd::Aborted);
    EXPECT_FALSE(rig.state.linkCheckAttempt());
    EXPECT_FALSE(rig.paced.busy());
}

}  // namespace
}  // namespace tirv::test
