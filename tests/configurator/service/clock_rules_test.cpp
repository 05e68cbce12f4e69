// The clock's rules: which readings are valid, what the fields show, how long the wait for a
// whole second is, and the read, set and broadcast frames byte for byte (CRC by the bitwise
// routine, not the link's table).
#include "configurator/service/clock_rules.h"
#include "configurator/service/clock_texts.h"
#include "support/reference_crc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tirv {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ClockRules, ValidityFollowsTheCalendarAndTheModelsFraction)
{
    struct Case {
        const char* what;
        ClockRecord record;
        bool nonM;
        bool m;
    };
    const Case cases[] = {
        {"29.02.24 leap year", {29, 2, 24, 12, 0, 0, 0}, true, true},
        {"29.02.23", {29, 2, 23, 12, 0, 0, 0}, false, false},
        {"28.02.23", {28, 2, 23, 12, 0, 0, 0}, true, true},
        {"31.04", {31, 4, 26, 0, 0, 0, 0}, false, false},
        {"30.04", {30, 4, 26, 0, 0, 0, 0}, true, true},
        {"31.12 last moment", {31, 12, 99, 23, 59, 59, 99}, true, true},
        {"day 0", {0, 1, 26, 0, 0, 0, 0}, false, false},
        {"month 0", {1, 0, 26, 0, 0, 0, 0}, false, false},
        {"month 13", {1, 13, 26, 0, 0, 0, 0}, false, false},
        {"hour 24", {1, 1, 26, 24, 0, 0, 0}, false, false},
        {"minute 60", {1, 1, 26, 0, 60, 0, 0}, false, false},
        {"second 60", {1, 1, 26, 0, 0, 60, 0}, false, false},
        {"fraction 150", {1, 1, 26, 0, 0, 0, 150}, false, true},
        {"fraction 999", {1, 1, 26, 0, 0, 0, 999}, false, true},
        {"fraction 1000", {1, 1, 26, 0, 0, 0, 1000}, false, false},
        {"raw 0xFFFF day", {0xFFFF, 1, 26, 0, 0, 0, 0}, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidClock(c.record, false), c.nonM) << c.what;
        EXPECT_EQ(IsValidClock(c.record, true), c.m) << c.what;
    }
    EXPECT_EQ(MonthLength(2, 0), 29);
    EXPECT_EQ(MonthLength(11, 1), 30);
    EXPECT_EQ(MonthLength(0, 1), 0);
}

TEST(ClockRules, FieldsShowMillisecondsOnEveryModel)
{
    const ClockRecord r{5, 3, 26, 10, 20, 30, 50};
    EXPECT_EQ(FormatRelayClock(r, false), "05.03.26    10:20:30.500");  // hundredths × 10
    EXPECT_EQ(FormatRelayClock(r, true), "05.03.26    10:20:30.050");
    EXPECT_EQ(FormatComputerClock({2026, 3, 5, 10, 20, 30, 7}), "05.03.26    10:20:30.007");
    EXPECT_EQ(std::string(clock_texts::kInvalidPattern).size(), FormatRelayClock(r, true).size());
    // The diagnostics keep the raw values.
    EXPECT_EQ(FormatInvalidClock({31, 4, 26, 1, 2, 3, 150}),
              "Недопустимые данные календаря\\часов: 31.04.26  01:02:03.150");
}

TEST(ClockRules, WaitEndsOneMillisecondPastTheNextWholeSecond)
{
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1000}, {250, 751}, {500, 501}, {999, 2}};
    for (auto [ms, wait] : cases)
        EXPECT_EQ(WholeSecondWaitMs(ms), wait) << ms;
    EXPECT_TRUE(IsSettableYear(2000));
    EXPECT_TRUE(IsSettableYear(2099));
    EXPECT_FALSE(IsSettableYear(1999));
    EXPECT_FALSE(IsSettableYear(2100));
}

TEST(ClockRules, ModbusReadAndSetFrames)
{
    ConnectionSettings s;
    s.address = 1;
    const ClockRequest read = BuildClockReadRequest(s);
    EXPECT_EQ(read.frame, test::WithBitwiseCrc({0x01, 0x03, 0x01, 0x5E, 0x00, 0x07}));
    EXPECT_EQ(read.replyLength, 19);

    const ClockRequest set = BuildClockSetRequest(s, {2026, 3, 5, 10, 20, 30, 0});
    EXPECT_EQ(set.frame, test::WithBitwiseCrc({0x01, 0x10, 0x01, 0x65, 0x00, 0x06, 0x0C, 0x00, 5,
                                               0x00, 3, 0x00, 26, 0x00, 10, 0x00, 20, 0x00, 30}));
    EXPECT_EQ(set.frame.size(), 21u);
    EXPECT_EQ(set.replyLength, 8);
    EXPECT_TRUE(BuildClockSetRequest(s, {2100, 1, 1, 0, 0, 0, 0}).frame.empty());
    EXPECT_TRUE(BuildClockSetRequest(s, {1999, 12, 31, 0, 0, 0, 0}).frame.empty());
}

TEST(ClockRules, BroadcastCarriesTheTimeToAddressZero)
{
    const ClockRequest b = BuildClockBroadcastRequest({2026, 3, 5, 10, 20, 30, 1});
    EXPECT_EQ(b.frame,
              test::WithBitwiseCrc({0x00, 0x42, 0x06, 0x05, 0x03, 0x1A, 0x0A, 0x14, 0x1E}));
    EXPECT_EQ(b.frame.size(), 11u);
    EXPECT_TRUE(BuildClockBroadcastRequest({2100, 3, 5, 10, 20, 30, 0}).frame.empty());
}

TEST(ClockRules, TextReadNeedsTheVariantThatCarriesAStart)
{
    ConnectionSettings s;
    s.protocol = Protocol::Tirv;
    s.protocolVariant = 0;
    EXPECT_TRUE(BuildClockReadRequest(s).frame.empty());
    s.protocolVariant = 1;
    const ClockRequest r = BuildClockReadRequest(s);
    ASSERT_FALSE(r.frame.empty());
    EXPECT_EQ(r.frame.front(), ':');
    EXPECT_EQ(r.frame.back(), '#');
}

TEST(ClockRules, ReadReplyIsCheckedAgainstTheRequest)
{
    ConnectionSettings s;
    s.address = 1;
    const ClockRequest read = BuildClockReadRequest(s);
    const Bytes good =
        test::WithBitwiseCrc({0x01, 0x03, 14, 0, 29, 0, 2, 0, 24, 0, 23, 0, 59, 0, 58, 0x03, 0xE7});
    ClockRecord r{};
    ASSERT_EQ(ParseClockReadReply(s, read.frame, good, r), LinkResult::Good);
    EXPECT_EQ(r, (ClockRecord{29, 2, 24, 23, 59, 58, 999}));

    struct Bad {
        const char* what;
        Bytes reply;
        LinkResult result;
    };
    Bytes damaged = good;
    damaged[5] ^= 1;
    const Bad bad[] = {
        {"other address",
         test::WithBitwiseCrc({0x02, 0x03, 14, 0, 29, 0, 2, 0, 24, 0, 23, 0, 59, 0, 58, 0, 0}),
         LinkResult::AddressMismatch},
        {"damaged", damaged, LinkResult::CrcMismatch},
        {"short", test::WithBitwiseCrc({0x01, 0x03, 2, 0, 1}), LinkResult::LengthMismatch},
        {"exception", test::WithBitwiseCrc({0x01, 0x83, 0x02}), LinkResult::Exception},
    };
    for (const Bad& b : bad) {
        ClockRecord untouched{};
        EXPECT_EQ(ParseClockReadReply(s, read.frame, b.reply, untouched), b.result) << b.what;
    }

    const ClockRequest set = BuildClockSetRequest(s, {2026, 3, 5, 10, 20, 30, 0});
    EXPECT_EQ(CheckClockSetReply(s, set.frame,
                                 test::WithBitwiseCrc({0x01, 0x10, 0x01, 0x65, 0x00, 0x06})),
              LinkResult::Good);
    EXPECT_NE(CheckClockSetReply(s, set.frame,
                                 test::WithBitwiseCrc({0x01, 0x10, 0x01, 0x5E, 0x00, 0x06})),
              LinkResult::Good);
}

// The loopback stand-in is a whole ТИРВ-protocol reply to the clock read: it passes the same
// check a relay's reply passes, and only for the request it answers.
TEST(ClockRules, LoopbackReplyIsAGoodAnswerToTheClockRead)
{
    const std::string sample = kLoopbackClockReply;
    ASSERT_EQ(sample.size(), 26u);
    EXPECT_EQ(sample.front(), ':');
    EXPECT_EQ(sample.back(), '#');
    const Bytes reply(sample.begin(), sample.end());

    ConnectionSettings s;
    s.protocol = Protocol::Tirv;
    s.protocolVariant = 1;
    s.address = 1;
    ClockRecord r{};
    ASSERT_EQ(ParseClockReadReply(s, BuildClockReadRequest(s).frame, reply, r), LinkResult::Good);
    EXPECT_EQ(r, (ClockRecord{5, 3, 26, 12, 0, 30, 0}));
    EXPECT_TRUE(IsValidClock(r, false));
    EXPECT_TRUE(IsValidClock(r, true));

    Bytes damaged = reply;
    damaged[12] = '>';  // the month 3 becomes 2: the CRC no longer matches
    ClockRecord untouched{};
    EXPECT_EQ(ParseClockReadReply(s, BuildClockReadRequest(s).frame, damaged, untouched),
              LinkResult::CrcMismatch);
    s.address = 2;  // not the relay it stands in for
    EXPECT_NE(ParseClockReadReply(s, BuildClockReadRequest(s).frame, reply, untouched),
              LinkResult::Good);
    EXPECT_EQ(untouched, ClockRecord{});
}

}  // namespace
}  // namespace tirv
