// ТИРВ-protocol frames: number digits, requests of both variants against frames worked out by
// hand, and the reply parsers' failures, grouping and destination bounds.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "common/crc16.h"
#include "configurator/link/text_frames.h"

namespace tirv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string S(const Bytes& b) { return std::string(b.begin(), b.end()); }

// Independent of the codec: digits of a 16-bit number, leading zeros dropped.
std::string Num(unsigned v)
{
    std::string out;
    for (unsigned d : {v >> 10, (v >> 5) & 31u, v & 31u})
        if (d != 0 || !out.empty())
            out.push_back(static_cast<char>(60 + d));
    return out;
}

// Closes a crafted frame (":" … last separator) with its CRC field and "#".
std::string Close(const std::string& body)
{
    const Bytes after(body.begin() + 1, body.end());
    return body + Num(Crc16(after)) + "#";
}

TextFraming Old(int perFrame = 34) { return {TextVariant::Old, perFrame}; }
TextFraming New(int perFrame = 34) { return {TextVariant::New, perFrame}; }

struct Frame {
    std::array<std::uint8_t, kFrameBufferSize + 16> bytes;
    std::size_t length = 0;
    Frame() { bytes.fill(0xEE); }
    std::span<std::uint8_t> out() { return std::span(bytes).first(kFrameBufferSize); }
    std::string text() const { return std::string(bytes.begin(), bytes.begin() + length); }
    Bytes sent() const { return Bytes(bytes.begin(), bytes.begin() + length); }
};

TEST(TextNumbers, DigitsAreBase32FromTheCharacter60)
{
    struct Case {
        std::uint16_t value;
        const char* text;
    };
    const Case cases[] = {
        {0, ""}, {1, "="}, {31, "["}, {32, "=<"}, {1024, "=<<"}, {1055, "=<["},
        {0x8000, "\\<<"}, {65535, "{[["},
    };
    for (const Case& c : cases) {
        std::array<std::uint8_t, 8> out{};
        const std::size_t end = AppendTextNumber(out, 2, c.value);
        const std::string text(out.begin() + 2, out.begin() + static_cast<std::ptrdiff_t>(end));
        EXPECT_EQ(text, c.text) << c.value;
        EXPECT_EQ(DecodeTextNumber(B(c.text)), c.value) << c.value;
    }
}

TEST(TextNumbers, AppendRefusesWhenTheDigitsDoNotFit)
{
    std::array<std::uint8_t, 4> out{};
    out.fill('x');
    EXPECT_EQ(AppendTextNumber(std::span(out).first(3), 1, 1024), 0u);
    EXPECT_EQ(AppendTextNumber(std::span(out).first(3), 4, 1), 0u);
    EXPECT_EQ(S(Bytes(out.begin(), out.end())), "xxxx");
    EXPECT_EQ(AppendTextNumber(std::span(out).first(4), 1, 1024), 4u);
}

TEST(TextNumbers, DecodingKeepsSixteenBits)
{
    // Five digits run past 16 bits: the value wraps modulo 65536 instead of overflowing.
    EXPECT_EQ(DecodeTextNumber(B("=<<<")), 32768u);
    EXPECT_EQ(DecodeTextNumber(B("=<<<<")), 0u);
    EXPECT_EQ(DecodeTextNumber(B("=<<<=")), 1u);
}

TEST(TextRequests, FramesMatchHandWorkedText)
{
    struct Case {
        const char* name;
        std::size_t (*build)(std::span<std::uint8_t>);
        const char* expected;
    };
    const Case cases[] = {
        {"read, variant 1 always carries start and count",
         [](auto o) { return BuildTextRead(New(), o, 1, 40, 34); }, ":=;?;=D;=>;CER#"},
        {"read, variant 0, count equal to values per frame: no count",
         [](auto o) { return BuildTextRead(Old(), o, 1, 40, 34); }, ":=;?;<,IXH#"},
        {"read, variant 0, other count",
         [](auto o) { return BuildTextRead(Old(), o, 1, 40, 10); }, ":=;?;<,F,fTR#"},
        {"write L, variant 1, values 0, 1 and 1024",
         [](auto o) {
             const std::array<std::int32_t, 3> v{0, 1, 1024};
             return BuildTextWrite(New(), o, 2, 130, 3, v);
         },
         ":>;L;@>;?;,=,=<<;UFF#"},
        {"write L, variant 0, a full frame carries no count",
         [](auto o) {
             const std::array<std::int32_t, 8> v{1, 2, 3, 4, 5, 6, 7, 8};
             return BuildTextWrite(Old(8), o, 1, 40, 8, v);
         },
         ":=;L;=D,=,>,?,@,A,B,C,D;rWP#"},
        {"write L, variant 0, other count; values as their low 16 bits",
         [](auto o) {
             const std::array<std::int32_t, 2> v{100, -1};
             return BuildTextWrite(Old(8), o, 1, 170, 2, v);
         },
         ":=;L;AF,>,?@,{[[;^=H#"},
        {"breaker command K",
         [](auto o) {
             const std::array<std::int32_t, 1> v{0x8000};
             return BuildTextWrite(New(), o, 1, 135, 1, v, kTextBreakerCommand);
         },
         ":=;K;@C;=;\\<<;h?E#"},
        {"link check, address 1 as one character",
         [](auto o) { return BuildTextLinkCheck(o, 1); }, ":=;<;<;[JH#"},
        {"link check, address 0", [](auto o) { return BuildTextLinkCheck(o, 0); },
         ":<;<;<;gBI#"},
    };
    for (const Case& c : cases) {
        Frame f;
        f.length = c.build(f.out());
        EXPECT_EQ(f.text(), c.expected) << c.name;
    }
}

TEST(TextRequests, WriteThroughTheConversionCallback)
{
    // The setpoint conversion gives register k of the block; the frame equals the raw one.
    Frame viaCallback, viaRaw;
    viaCallback.length = BuildTextWrite(New(), viaCallback.out(), 2, 130, 3,
                                        RegisterValueFn([](std::size_t k) {
                                            return static_cast<std::uint16_t>(k == 2 ? 1024 : k);
                                        }));
    const std::array<std::int32_t, 3> raw{0, 1, 1024};
    viaRaw.length = BuildTextWrite(New(), viaRaw.out(), 2, 130, 3, raw);
    EXPECT_EQ(viaCallback.text(), ":>;L;@>;?;,=,=<<;UFF#");
    EXPECT_EQ(viaCallback.text(), viaRaw.text());
}

// Counts the numbers after the start field of a write frame: what a relay sees when it decides
// whether the first of them is a count.
std::size_t NumbersAfterStart(const std::string& frame)
{
    std::size_t fields = 0;
    std::size_t separators = 0;  // ";" ";" after address and command, ";"/"," after start
    for (std::size_t i = 1; i < frame.size() && frame[i] != '#'; ++i) {
        const char c = frame[i];
        if (c != ';' && c != ',')
            continue;
        if (++separators > 3)
            ++fields;
    }
    return fields;  // each number ends with "," or the closing ";"; the CRC ends with "#"
}

TEST(TextRequests, WriteBlocksNeverLookLikeAFullFrame)
{
    for (const TextVariant v : {TextVariant::Old, TextVariant::New})
        for (int perFrame = kMinValuesPerFrame; perFrame <= 60; ++perFrame)
            for (int total = 1; total <= 130; ++total) {
                const TextFraming f{v, perFrame};
                int sent = 0;
                while (sent < total) {
                    const int count = TextWriteBlockCount(f, total - sent);
                    ASSERT_GE(count, 1);
                    ASSERT_LE(count, std::min(perFrame, total - sent));
                    if (v == TextVariant::Old) {
                        std::vector<std::int32_t> values(static_cast<std::size_t>(count), 7);
                        Frame fr;
                        fr.length = BuildTextWrite(f, fr.out(), 1, 100, static_cast<std::uint8_t>(count),
                                                   values);
                        ASSERT_GT(fr.length, 0u);
                        // A frame of perFrame numbers is read as a full block without a count.
                        const std::size_t numbers = NumbersAfterStart(fr.text());
                        EXPECT_EQ(numbers == static_cast<std::size_t>(perFrame), count == perFrame)
                            << perFrame << " " << total << " " << fr.text();
                    }
                    sent += count;
                }
                // Only variant 0 ever sends a block shorter than it could.
                if (v == TextVariant::New) {
                    EXPECT_EQ(TextWriteBlockCount(f, total), std::min(total, perFrame));
                }
            }
    EXPECT_EQ(TextWriteBlockCount(Old(16), 15), 14);
    EXPECT_EQ(TextWriteBlockCount(Old(16), 1), 1);
    EXPECT_EQ(TextWriteBlockCount(Old(34), 25), 25);
}

TEST(TextRequests, LinkCheckLengthIsEightPlusCrcDigits)
{
    for (int address : {0, 1, 31, 100, 195}) {
        Frame f;
        f.length = BuildTextLinkCheck(f.out(), static_cast<std::uint8_t>(address));
        const std::string body = std::string(":") + static_cast<char>(60 + address) + ";<;<;";
        EXPECT_EQ(f.text(), Close(body)) << address;
        EXPECT_EQ(f.length, 8 + Num(Crc16(Bytes(body.begin() + 1, body.end()))).size());
    }
}

TEST(TextRequests, RefusedArguments)
{
    const std::array<std::int32_t, 3> v{1, 2, 3};
    Frame f;
    EXPECT_EQ(BuildTextRead(New(), f.out(), 1, 0, 0), 0u) << "count 0";
    EXPECT_EQ(BuildTextRead(New(7), f.out(), 1, 0, 5), 0u) << "values per frame below 8";
    EXPECT_EQ(BuildTextRead(New(256), f.out(), 1, 0, 5), 0u) << "values per frame above 255";
    EXPECT_EQ(BuildTextRead({static_cast<TextVariant>(2), 34}, f.out(), 1, 0, 5), 0u);
    EXPECT_EQ(BuildTextWrite(New(), f.out(), 1, 0, 4, v), 0u) << "values missing";
    EXPECT_EQ(BuildTextWrite(New(), f.out(), 1, 0, 0, v), 0u) << "count 0";
    EXPECT_EQ(BuildTextWrite(New(), f.out(), 1, 0, 3, RegisterValueFn{}), 0u);
    for (char bad : {';', ',', ':', '#', ' ', '\0'})
        EXPECT_EQ(BuildTextWrite(New(), f.out(), 1, 0, 3, v, bad), 0u) << int(bad);
    EXPECT_EQ(BuildTextLinkCheck(f.out(), 196), 0u) << "no single character for address 196";
}

TEST(TextRequests, LongFramesAreRefusedWithinTheExchangeBuffer)
{
    // 255 values of three digits need about 1,000 bytes: refused, nothing written past 272
    // bytes even when the caller's buffer is larger.
    const std::vector<std::int32_t> values(255, 0xFFFF);
    std::vector<std::uint8_t> big(1200, 0xEE);
    EXPECT_EQ(BuildTextWrite(New(255), big, 1, 0, 255, values), 0u);
    for (std::size_t i = kFrameBufferSize; i < big.size(); ++i)
        ASSERT_EQ(big[i], 0xEE) << i;

    // A small buffer: refused without writing past it.
    std::array<std::uint8_t, 16> small;
    small.fill(0xEE);
    EXPECT_EQ(BuildTextRead(New(), std::span(small).first(8), 1, 1024, 34), 0u);
    for (std::size_t i = 8; i < small.size(); ++i)
        EXPECT_EQ(small[i], 0xEE) << i;

    // The largest frame that fits is built whole.
    std::vector<std::uint8_t> exact(kFrameBufferSize, 0);
    const std::vector<std::int32_t> ones(120, 1);  // "=," per value
    const std::size_t n = BuildTextWrite(New(255), exact, 1, 0, 120, ones);
    EXPECT_GT(n, 240u);
    EXPECT_LE(n, kFrameBufferSize);
    EXPECT_EQ(exact[n - 1], '#');
}

// A read exchange: the request the codec builds and a reply crafted from its header.
struct ReadExchange {
    TextFraming framing;
    Frame request;
    std::string header;  // request without its CRC field and "#"

    ReadExchange(TextFraming f, std::uint16_t start, std::uint8_t count) : framing(f)
    {
        request.length = BuildTextRead(f, request.out(), 1, start, count);
        const std::string text = request.text();
        header = text.substr(0, text.find_last_of(";,") + 1);
    }
    static std::string Values(const std::vector<unsigned>& values)
    {
        std::string list;
        for (std::size_t i = 0; i < values.size(); ++i)
            list += (i ? "," : "") + Num(values[i]);
        return list;
    }
    std::string reply(const std::vector<unsigned>& values) const
    {
        return Close(header + Values(values) + ";");
    }
};

TEST(TextReadReply, VariantOneValuesLandInTheirGroup)
{
    ReadExchange x(New(8), 40, 3);
    ASSERT_EQ(x.header, ":=;?;=D;?;");
    const std::string reply = x.reply({1, 2, 1024});
    ASSERT_EQ(reply, ":=;?;=D;?;=,>,=<<;aYJ#");  // worked out by hand
    std::vector<std::int32_t> dest(40, -7);
    const TextReply r = ParseTextRead(x.framing, B(reply), x.request.sent(), 2, dest);
    EXPECT_EQ(r.result, LinkResult::Good);
    EXPECT_TRUE(r.crcMatches());
    EXPECT_TRUE(r.good());
    EXPECT_EQ(r.valueCount, 3u);
    EXPECT_EQ(dest[15], -7);
    EXPECT_EQ(dest[16], 1);
    EXPECT_EQ(dest[17], 2);
    EXPECT_EQ(dest[18], 1024);
    EXPECT_EQ(dest[19], -7);
}

TEST(TextReadReply, VariantZeroFullFrameAndZeroValues)
{
    ReadExchange x(Old(8), 0, 8);
    ASSERT_EQ(x.header, ":=;?;<,");
    // Zero values are empty fields.
    const std::string reply = x.reply({0, 5, 0, 65535, 0, 0, 7, 0});
    std::vector<std::int32_t> dest(8, -1);
    const TextReply r = ParseTextRead(x.framing, B(reply), x.request.sent(), 0, dest);
    EXPECT_TRUE(r.good());
    EXPECT_EQ(dest, (std::vector<std::int32_t>{0, 5, 0, 65535, 0, 0, 7, 0}));
}

TEST(TextReadReply, FrameIsFoundAnywhereInTheReceiveBuffer)
{
    ReadExchange x(Old(8), 0, 2);
    Bytes buffer = B("\x01\x02garbage" + x.reply({9, 10}));
    buffer.resize(kReceiveBufferSize, 0);  // the zeroed rest of the receive buffer
    std::vector<std::int32_t> dest(16, 0);
    const TextReply r = ParseTextRead(x.framing, buffer, x.request.sent(), 1, dest);
    EXPECT_TRUE(r.good());
    EXPECT_EQ(dest[8], 9);
    EXPECT_EQ(dest[9], 10);
}

TEST(TextReadReply, ConversionGetsTheDestinationIndex)
{
    ReadExchange x(New(8), 8, 2);
    std::vector<std::int32_t> dest(16, 0);
    std::vector<std::size_t> seen;
    const TextValueFn convert = [&](std::size_t index, std::uint16_t value) {
        seen.push_back(index);
        return static_cast<std::int32_t>(value) - 100;  // e.g. an offset setting
    };
    const TextReply r = ParseTextRead(x.framing, B(x.reply({150, 90})), x.request.sent(), 1, dest,
                                      convert);
    EXPECT_TRUE(r.good());
    EXPECT_EQ(seen, (std::vector<std::size_t>{8, 9}));
    EXPECT_EQ(dest[8], 50);
    EXPECT_EQ(dest[9], -10);
}

TEST(TextReadReply, CrcMismatchIsReportedAndStoresNothing)
{
    ReadExchange x(New(8), 0, 2);
    std::string reply = x.reply({3, 4});
    reply[reply.size() - 2] = static_cast<char>(reply[reply.size() - 2] ^ 1);
    std::vector<std::int32_t> dest(8, -1);
    const TextReply r = ParseTextRead(x.framing, B(reply), x.request.sent(), 0, dest);
    EXPECT_EQ(r.result, LinkResult::Good);
    EXPECT_FALSE(r.crcMatches());
    EXPECT_FALSE(r.good());
    EXPECT_EQ(dest, std::vector<std::int32_t>(8, -1));
}

TEST(TextReadReply, EachFailureIsReported)
{
    const ReadExchange v1(New(8), 40, 3);
    const ReadExchange v0(Old(8), 0, 3);
    struct Case {
        const char* name;
        const ReadExchange& x;
        std::string reply;
        LinkResult expected;
    };
    const Case cases[] = {
        {"no start", v1, "=;?;=D;?;=,>,?;aa#", LinkResult::TextNoStart},
        {"empty", v1, "", LinkResult::TextNoStart},
        {"no terminator after the start", v1, "#:=;?;=D;?;=,>,?;aa", LinkResult::TextNoEnd},
        {"other address", v1, Close(":>;?;=D;?;=,>,?;"), LinkResult::TextAddressEcho},
        {"longer address", v1, Close(":=<;?;=D;?;=,>,?;"), LinkResult::TextAddressEcho},
        {"empty address", v1, Close(":;?;=D;?;=,>,?;"), LinkResult::TextAddressEcho},
        {"other command", v1, Close(":=;L;=D;?;=,>,?;"), LinkResult::TextCommandEcho},
        {"other start", v1, Close(":=;?;=E;?;=,>,?;"), LinkResult::TextStartEcho},
        {"other count", v1, Close(":=;?;=D;@;=,>,?,@;"), LinkResult::TextCountEcho},
        {"variant 0 separator in a variant 1 reply", v1, Close(":=;?;=D,?;=,>,?;"),
         LinkResult::TextLayoutEcho},
        {"start instead of the variant 0 placeholder", v0, Close(":=;?;=D,?,=,>,?;"),
         LinkResult::TextLayoutEcho},
        {"variant 1 separator in a variant 0 reply", v0, Close(":=;?;<;?,=,>,?;"),
         LinkResult::TextLayoutEcho},
        {"reply cut inside the header", v1, ":=;?;=D#", LinkResult::TextStartEcho},
        {"no CRC field", v1, ":=;?;=D;?;=,>,?#", LinkResult::TextNoEnd},
        {"fewer values than asked", v1, Close(":=;?;=D;?;=,>;"), LinkResult::TextValueCount},
        {"more values than asked", v1, Close(":=;?;=D;?;=,>,?,@;"), LinkResult::TextValueCount},
        {"variant 0 fewer values", v0, Close(":=;?;<,?,=,>;"), LinkResult::TextValueCount},
    };
    for (const Case& c : cases) {
        std::vector<std::int32_t> dest(64, -1);
        const TextReply r = ParseTextRead(c.x.framing, B(c.reply), c.x.request.sent(), 0, dest);
        EXPECT_EQ(r.result, c.expected) << c.name << ": " << c.reply;
        EXPECT_EQ(dest, std::vector<std::int32_t>(64, -1)) << c.name;
    }
}

TEST(TextReadReply, MoreValuesThanAFrameCarries)
{
    // Variant 1 may ask for more than the values per frame; such a reply is refused (8).
    ReadExchange x(New(8), 0, 9);
    std::vector<std::int32_t> dest(64, -1);
    const TextReply r =
        ParseTextRead(x.framing, B(x.reply({1, 2, 3, 4, 5, 6, 7, 8, 9})), x.request.sent(), 0, dest);
    EXPECT_EQ(r.result, LinkResult::TextTooManyValues);
    EXPECT_EQ(r.valueCount, 9u);
    EXPECT_EQ(dest, std::vector<std::int32_t>(64, -1));
}

TEST(TextReadReply, DestinationBounds)
{
    ReadExchange x(Old(8), 0, 8);
    const Bytes reply = B(x.reply({1, 2, 3, 4, 5, 6, 7, 8}));
    struct Case {
        std::size_t size;
        std::size_t group;
        LinkResult expected;
    };
    const Case cases[] = {
        {24, 2, LinkResult::Good},                   // 16..23: the last fitting group
        {23, 2, LinkResult::TextBeyondDestination},  // 23 is one past the end
        {7, 0, LinkResult::TextBeyondDestination},
        {0, 0, LinkResult::TextBeyondDestination},
        {24, 3, LinkResult::TextBeyondDestination},
        {24, std::numeric_limits<std::size_t>::max(), LinkResult::TextBeyondDestination},
        {24, std::numeric_limits<std::size_t>::max() / 8 + 1, LinkResult::TextBeyondDestination},
    };
    for (const Case& c : cases) {
        // Exactly sized, so the sanitizer build would catch a store past the end.
        std::vector<std::int32_t> dest(c.size, -1);
        const TextReply r = ParseTextRead(x.framing, reply, x.request.sent(), c.group, dest);
        EXPECT_EQ(r.result, c.expected) << c.size << " " << c.group;
        if (c.expected == LinkResult::Good)
            EXPECT_EQ(dest[23], 8);
        else
            EXPECT_EQ(dest, std::vector<std::int32_t>(c.size, -1));
    }
}

TEST(TextWriteAck, BothEchoFormsAreAccepted)
{
    struct Case {
        const char* name;
        TextFraming framing;
        std::string ack;  // "" = the whole request echoed back
    };
    const Case cases[] = {
        {"variant 1, header and the fifth ';'", New(), ":>;L;@>;?;;QCL#"},
        {"variant 1, whole request echoed", New(), ""},
        {"variant 0, header and ';'", Old(8), Close(":>;L;@>,;")},
        {"variant 0, whole request echoed", Old(8), ""},
        {"variant 0 answered in the variant-1 layout", Old(8), Close(":>;L;@>;?;;")},
    };
    for (const Case& c : cases) {
        Frame request;
        const std::array<std::int32_t, 3> v{0, 1, 1024};
        request.length = BuildTextWrite(c.framing, request.out(), 2, 130, 3, v);
        const Bytes ack = c.ack.empty() ? request.sent() : B(c.ack);
        const TextReply r = ParseTextWriteAck(c.framing, ack, request.sent());
        EXPECT_EQ(r.result, LinkResult::Good) << c.name;
        EXPECT_TRUE(r.crcMatches()) << c.name;
    }
}

TEST(TextWriteAck, EachFailureIsReported)
{
    Frame request;
    const std::array<std::int32_t, 3> v{0, 1, 1024};
    request.length = BuildTextWrite(New(), request.out(), 2, 130, 3, v);
    ASSERT_EQ(request.text(), ":>;L;@>;?;,=,=<<;UFF#");
    struct Case {
        const char* name;
        std::string ack;
        LinkResult expected;
    };
    const Case cases[] = {
        {"no start", "", LinkResult::TextNoStart},
        {"no terminator", ":>;L;@>;?;;QCL", LinkResult::TextNoEnd},
        {"other address", Close(":=;L;@>;?;;"), LinkResult::TextAddressEcho},
        {"breaker command echoed to a register write", Close(":>;K;@>;?;;"),
         LinkResult::TextCommandEcho},
        {"other start", Close(":>;L;@?;?;;"), LinkResult::TextStartEcho},
        {"other count", Close(":>;L;@>;@;;"), LinkResult::TextCountEcho},
        {"no CRC separator after the header", ":>;L;@>;?;QCL#", LinkResult::TextNoEnd},
    };
    for (const Case& c : cases) {
        const TextReply r = ParseTextWriteAck(New(), B(c.ack), request.sent());
        EXPECT_EQ(r.result, c.expected) << c.name;
    }

    Bytes damaged = B(":>;L;@>;?;;QCL#");
    damaged[12] = 'D';
    const TextReply r = ParseTextWriteAck(New(), damaged, request.sent());
    EXPECT_EQ(r.result, LinkResult::Good);
    EXPECT_FALSE(r.crcMatches());
}

TEST(TextWriteAck, VariantZeroStillComparesAddressCommandAndStart)
{
    Frame request;
    const std::array<std::int32_t, 3> v{0, 1, 1024};
    request.length = BuildTextWrite(Old(8), request.out(), 2, 130, 3, v);
    ASSERT_EQ(request.text().substr(0, 10), ":>;L;@>,?,");
    struct Case {
        std::string ack;
        LinkResult expected;
    };
    const Case cases[] = {
        {Close(":=;L;@>,;"), LinkResult::TextAddressEcho},
        {Close(":>;K;@>;?;;"), LinkResult::TextCommandEcho},
        {Close(":>;L;@?,;"), LinkResult::TextStartEcho},
        {Close(":>;L;@>=;"), LinkResult::TextStartEcho},
        {":>;L;@>,QCL#", LinkResult::TextNoEnd},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseTextWriteAck(Old(8), B(c.ack), request.sent()).result, c.expected) << c.ack;
}

TEST(TextFrameCrc, CrcFieldAfterTheLastSeparator)
{
    const std::string loopback = Close(":=;<;Y;");
    const TextReply good = CheckTextFrameCrc(B("\x7f" + loopback));
    EXPECT_EQ(good.result, LinkResult::Good);
    EXPECT_TRUE(good.crcMatches());

    std::string damaged = loopback;
    damaged[5] = '<';
    EXPECT_FALSE(CheckTextFrameCrc(B(damaged)).crcMatches());
    EXPECT_EQ(CheckTextFrameCrc(B("=;<;Y;x#")).result, LinkResult::TextNoStart);
    EXPECT_EQ(CheckTextFrameCrc(B(":=;<;Y;x")).result, LinkResult::TextNoEnd);
    EXPECT_EQ(CheckTextFrameCrc(B(":=<Yx#")).result, LinkResult::TextNoEnd);
}

TEST(TextParsers, RequestThatIsNotAFrameFailsEveryReply)
{
    const Bytes notARequest = B("hello");
    std::vector<std::int32_t> dest(8, 0);
    EXPECT_NE(ParseTextRead(New(8), B(Close(":=;?;;=;;")), notARequest, 0, dest).result,
              LinkResult::Good);
    EXPECT_NE(ParseTextWriteAck(New(8), B(Close(":=;L;;=;;")), notARequest).result,
              LinkResult::Good);
}

}  // namespace
}  // namespace tirv
