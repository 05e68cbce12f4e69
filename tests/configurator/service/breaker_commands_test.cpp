// The breaker commands' frames and the meaning of every reply, checked against bytes worked out
// by hand (CRC by the bitwise routine of the file-format tests, not the link's table).
#include "configurator/service/breaker_commands.h"
#include "configurator/link/frames.h"
#include "configurator/service/breaker_texts.h"
#include "support/reference_crc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tirv {
namespace {

namespace bt = breaker_texts;

TEST(BreakerFrames, ModbusWritesOneRegisterWithTheCommandsValue)
{
    ConnectionSettings s;
    s.address = 7;
    const std::pair<BreakerCommand, std::vector<std::uint8_t>> cases[] = {
        {BreakerCommand::Close, {7, 0x10, 0x00, 135, 0x00, 0x01, 0x02, 0x80, 0x00}},
        {BreakerCommand::Open, {7, 0x10, 0x00, 135, 0x00, 0x01, 0x02, 0x00, 0x01}},
        {BreakerCommand::Unblock, {7, 0x10, 0x00, 136, 0x00, 0x01, 0x02, 0x00, 0x01}},
    };
    for (const auto& [command, body] : cases) {
        const BreakerRequest r = BuildBreakerRequest(s, command);
        EXPECT_EQ(r.frame, test::WithBitwiseCrc(body)) << int(command);
        // (26 × 11 + 120) bits at 57600 bit/s = 7.05 ms, + 20.
        EXPECT_EQ(r.waitMs, 27);
        // The relay's acknowledgement echoes start and count.
        const auto ack = test::WithBitwiseCrc({7, 0x10, 0x00, body[3], 0x00, 0x01});
        EXPECT_EQ(CheckBreakerReply(s, r.frame, ack), LinkResult::Good);
        EXPECT_NE(
            CheckBreakerReply(s, r.frame, test::WithBitwiseCrc({7, 0x10, 0x00, 137, 0x00, 0x01})),
            LinkResult::Good);
        const auto refused = test::WithBitwiseCrc({7, 0x90, 0x04});
        EXPECT_EQ(CheckBreakerReply(s, r.frame, refused), LinkResult::WriteRefused);
    }
}

TEST(BreakerFrames, TirvProtocolUsesTheBreakerCommandCharacter)
{
    ConnectionSettings s;
    s.protocol = Protocol::Tirv;
    s.protocolVariant = 1;
    const BreakerRequest r = BuildBreakerRequest(s, BreakerCommand::Close);
    const std::string text(r.frame.begin(), r.frame.end());
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.front(), ':');
    EXPECT_EQ(text.back(), '#');
    EXPECT_NE(text.find(";K;"), std::string::npos) << text;
    EXPECT_EQ(text.find('L'), std::string::npos) << text;
    EXPECT_EQ(r.waitMs, 60);  // the text reply wait at 57600
}

TEST(BreakerResults, EveryOutcomeHasItsText)
{
    struct Case {
        BreakerCommand command;
        Protocol protocol;
        bool received;
        LinkResult result;
        const char* status;
        bool ok, linkLost, warning;
        bool refused = false;  // the relay answered no: tirv-cli exits with its refusal code
    };
    using C = BreakerCommand;
    const auto M = Protocol::Modbus;
    const Case cases[] = {
        {C::Close, M, true, LinkResult::Good, bt::kDone, true, false, false},
        {C::Unblock, M, true, LinkResult::Good, bt::kDone, true, false, false},
        {C::Close, M, false, LinkResult::Good, bt::kNoAcknowledgement, false, true, false},
        {C::Close, M, true, LinkResult::WriteRefused, bt::kBlocked, false, false, false, true},
        {C::Open, M, true, LinkResult::WriteRefused, bt::kBlocked, false, false, false, true},
        {C::Unblock, M, true, LinkResult::WriteRefused, bt::kFailed, false, false, true, true},
        {C::Open, M, true, LinkResult::Exception, bt::kFailed, false, true, true, true},
        {C::Open, M, true, LinkResult::CrcMismatch, bt::kFailed, false, true, false},
        {C::Unblock, M, true, LinkResult::CrcMismatch, bt::kFailed, false, false, false},
        // Text-protocol result 4 is an echo mismatch, not an exception reply.
        {C::Close, Protocol::Tirv, true, LinkResult::TextCommandEcho, bt::kFailed, false, true,
         false},
    };
    for (const Case& c : cases) {
        const BreakerOutcome o = BreakerResult(c.command, c.protocol, c.received, c.result);
        EXPECT_STREQ(o.status, c.status) << int(c.command) << " " << int(c.result);
        EXPECT_EQ(o.ok, c.ok);
        EXPECT_EQ(o.linkLost, c.linkLost) << int(c.command) << " " << int(c.result);
        EXPECT_EQ(o.exceptionWarning, c.warning) << int(c.command) << " " << int(c.result);
        EXPECT_EQ(o.refused, c.refused) << int(c.command) << " " << int(c.result);
    }
}

}  // namespace
}  // namespace tirv
