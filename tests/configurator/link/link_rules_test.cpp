// Pure link rules: when a serial reply is whole, and the Modbus TCP framing of register reads.
#include "configurator/link/mbap_frames.h"
#include "configurator/link/reply_completion.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tirv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(ReplyCompletion, DecidesWhenAReplyIsWhole)
{
    struct Case {
        const char* name;
        ReplyRule rule;
        Bytes bytes;
        bool complete;
    };
    const ReplyRule read5 = ModbusReply(3, 15);
    const std::vector<Case> cases{
        {"nothing yet", read5, {}, false},
        {"one byte short", read5, Bytes(14, 0x01), false},
        {"normal length", read5, Bytes(15, 0x01), true},
        {"exception form, 4 bytes", read5, {1, 0x83, 2, 0}, false},
        {"exception form, 5 bytes", read5, {1, 0x83, 2, 0, 0}, true},
        {"exception of another function is not an exception", read5, {1, 0x90, 2, 0, 0}, false},
        {"text: no terminator", TextFrameReply(), Text(":=;?;<"), false},
        {"text: terminator before the start", TextFrameReply(), Text("#:=;?"), false},
        {"text: noise, start, terminator", TextFrameReply(), Text("xx:=;?;#"), true},
        {"no reply awaited never completes", NoReply(), Bytes(20, 0), false},
        {"open rule never completes", ReplyRule{}, Bytes(255, 0), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplyComplete(c.rule, c.bytes), c.complete) << c.name;
}

TEST(MbapFrames, ReadRequestIsTwelveBytesHighByteFirst)
{
    const auto frame = BuildMbapRead(0x41, 0x1234, 125);
    const Bytes expected{0, 0, 0, 0, 0, 6, 1, 0x41, 0x12, 0x34, 0, 125};
    EXPECT_EQ(Bytes(frame.begin(), frame.end()), expected);
    EXPECT_TRUE(IsTcpReadFunction(0x03));
    EXPECT_TRUE(IsTcpReadFunction(0x51));
    EXPECT_FALSE(IsTcpReadFunction(0x10));
    EXPECT_FALSE(IsTcpReadFunction(0x64));
}

// A reply of `count` registers to `function`, data k = 0x0100 + k.
Bytes Reply(std::uint8_t function, int count)
{
    Bytes r{0, 0, 0, 0, 0, static_cast<std::uint8_t>(3 + 2 * count), 1, function,
            static_cast<std::uint8_t>(2 * count)};
    for (int k = 0; k < count; ++k) {
        r.push_back(1);
        r.push_back(static_cast<std::uint8_t>(k));
    }
    return r;
}

TEST(MbapFrames, ReplyChecksReportTheFirstFailure)
{
    struct Case {
        const char* name;
        Bytes reply;
        std::uint8_t function;
        int count;
        int result;
        std::uint8_t exceptionCode;
    };
    auto mutate = [](Bytes b, std::size_t at, std::uint8_t v) {
        b[at] = v;
        return b;
    };
    Bytes longer = Reply(3, 4);
    longer.push_back(0);
    Bytes shorter = Reply(3, 4);
    shorter.pop_back();
    const std::vector<Case> cases{
        {"good", Reply(3, 4), 3, 4, 0, 0},
        {"good, 125 registers", Reply(0x51, 125), 0x51, 125, 0, 0},
        {"wrong unit", mutate(Reply(3, 4), 6, 2), 3, 4, 1, 0},
        {"one byte short", shorter, 3, 4, 2, 0},
        {"one byte long", longer, 3, 4, 2, 0},
        {"exception", {0, 0, 0, 0, 0, 3, 1, 0x83, 2}, 3, 4, 4, 2},
        {"archive busy", {0, 0, 0, 0, 0, 3, 1, 0xC1, 5}, 0x41, 4, 25, 5},
        {"other code to 0x41", {0, 0, 0, 0, 0, 3, 1, 0xC1, 3}, 0x41, 4, 4, 3},
        {"exception of 10 bytes", {0, 0, 0, 0, 0, 3, 1, 0x83, 2, 0}, 3, 4, 2, 0},
        {"other function", Reply(4, 4), 3, 4, 5, 0},
        {"byte count above 250", mutate(Reply(3, 126), 8, 252), 3, 126, 6, 0},
        {"byte count not twice the count", mutate(Reply(3, 4), 8, 6), 3, 4, 7, 0},
    };
    for (const auto& c : cases) {
        const MbapCheck check = CheckMbapReply(c.reply, c.function, c.count);
        EXPECT_EQ(check.result, c.result) << c.name;
        EXPECT_EQ(check.exceptionCode, c.exceptionCode) << c.name;
    }
}

TEST(MbapFrames, PartialRepliesAreJudgedWhileArriving)
{
    const Bytes full = Reply(3, 4);
    EXPECT_EQ(ClassifyMbapPartial(Bytes(full.begin(), full.begin() + 7), 3, 4),
              MbapProgress::NeedMore);
    EXPECT_EQ(ClassifyMbapPartial(Bytes(full.begin(), full.end() - 1), 3, 4),
              MbapProgress::NeedMore);
    EXPECT_EQ(ClassifyMbapPartial(full, 3, 4), MbapProgress::Complete);
    Bytes extra = full;
    extra.push_back(0);
    EXPECT_EQ(ClassifyMbapPartial(extra, 3, 4), MbapProgress::Bad);
    EXPECT_EQ(ClassifyMbapPartial(Reply(0x51, 4), 3, 4), MbapProgress::Bad);
    const Bytes exception{0, 0, 0, 0, 0, 3, 1, 0x83, 2};
    EXPECT_EQ(ClassifyMbapPartial(Bytes(exception.begin(), exception.end() - 1), 3, 4),
              MbapProgress::NeedMore);
    EXPECT_EQ(ClassifyMbapPartial(exception, 3, 4), MbapProgress::Complete);
}

TEST(MbapFrames, DataIsStoredLowByteFirstAtTheFrameOffset)
{
    Bytes image(10, 0xEE);
    ASSERT_TRUE(StoreMbapData(Reply(3, 3), 3, image, 2));
    const Bytes expected{0xEE, 0xEE, 0, 1, 1, 1, 2, 1, 0xEE, 0xEE};
    EXPECT_EQ(image, expected);
    EXPECT_FALSE(StoreMbapData(Reply(3, 3), 3, image, 6)) << "would run past the image";
    EXPECT_FALSE(StoreMbapData(Bytes(12, 0), 3, image, 0)) << "reply shorter than its count";
}

}  // namespace
}  // namespace tirv
