// The ТИРВ-protocol reading of the measurements: its chunks, and replies crafted from the
// requests (values in base 32 from the character 60) decoded into the table.
#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "common/crc16.h"
#include "configurator/journals/measurement_values.h"

namespace tirv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Digits of a 16-bit number, leading zeros dropped (independent of the codec).
std::string Num(unsigned v)
{
    std::string out;
    for (unsigned d : {v >> 10, (v >> 5) & 31u, v & 31u})
        if (d != 0 || !out.empty())
            out.push_back(static_cast<char>(60 + d));
    return out;
}

// The reply to `request`: its header, the values, ";", the CRC of all after ":", "#".
Bytes TextReply(const Bytes& request, const std::vector<std::uint16_t>& values)
{
    const std::string text(request.begin(), request.end());
    std::string body = text.substr(0, text.find_last_of(";,") + 1);
    for (std::size_t i = 0; i < values.size(); ++i)
        body += (i ? "," : "") + Num(values[i]);
    body += ";";
    const Bytes after(body.begin() + 1, body.end());
    body += Num(Crc16(after)) + "#";
    return Bytes(body.begin(), body.end());
}

// Reads the whole block chunk by chunk, the relay answering with `registers`.
bool ReadAll(MeasurementLayout layout, const TextFraming& framing,
             const std::vector<std::uint16_t>& registers, MeasurementTable& table)
{
    std::array<std::int32_t, kMaxMeasurementRegisters> values{};
    const std::size_t chunks = TextMeasurementChunkCount(layout, framing.valuesPerFrame);
    const std::uint16_t first = MeasurementBlock(layout).start;
    for (std::size_t i = 0; i < chunks; ++i) {
        const RegisterBlock c = TextMeasurementChunk(layout, framing.valuesPerFrame, i);
        Bytes request(kFrameBufferSize);
        request.resize(
            BuildTextRead(framing, request, 1, c.start, static_cast<std::uint8_t>(c.count)));
        const std::vector<std::uint16_t> part(registers.begin() + (c.start - first),
                                              registers.begin() + (c.end() - first));
        if (!ParseTextMeasurementChunk(layout, framing, TextReply(request, part), request, i,
                                       values)
                 .good())
            return false;
    }
    return UnpackTextMeasurementValues(std::span(values).first(MeasurementBlock(layout).count),
                                       layout, table);
}

TEST(MeasurementTextRead, ChunksFollowEachOther)
{
    struct Case {
        MeasurementLayout layout;
        int perFrame;
        std::vector<RegisterBlock> chunks;
    };
    const Case cases[] = {
        {MeasurementLayout::Integer, 34, {{300, 25}}},
        {MeasurementLayout::Integer, 8, {{300, 8}, {308, 8}, {316, 8}, {324, 1}}},
        {MeasurementLayout::Float, 34, {{800, 34}, {834, 34}, {868, 20}}},
        {MeasurementLayout::Float, 88, {{800, 88}}},
        {MeasurementLayout::Float, 0, {}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(TextMeasurementChunkCount(c.layout, c.perFrame), c.chunks.size()) << c.perFrame;
        for (std::size_t i = 0; i < c.chunks.size(); ++i) {
            const RegisterBlock b = TextMeasurementChunk(c.layout, c.perFrame, i);
            EXPECT_EQ(b.start, c.chunks[i].start) << c.perFrame << " chunk " << i;
            EXPECT_EQ(b.count, c.chunks[i].count) << c.perFrame << " chunk " << i;
        }
        EXPECT_EQ(TextMeasurementChunk(c.layout, c.perFrame, c.chunks.size()).count, 0);
    }
}

TEST(MeasurementTextRead, IntegerLayoutValuesAreSigned)
{
    std::vector<std::uint16_t> regs(25, 0);
    regs[0] = 31;       // temperature
    regs[1] = 0xFFFB;   // Ia −0.05 A
    regs[14] = 0xFB50;  // −120.0 degrees
    regs[24] = 3599;
    MeasurementTable t;
    ASSERT_TRUE(ReadAll(MeasurementLayout::Integer, {TextVariant::New, 8}, regs, t));
    EXPECT_EQ(t.raw[0], 31);
    EXPECT_EQ(t.raw[1], -5);
    EXPECT_EQ(FormatMeasurement(t, 1), "-0.05");
    EXPECT_EQ(t.raw[14], -1200);
    EXPECT_EQ(FormatMeasurement(t, 14), "-120.0");
    EXPECT_EQ(t.raw[24], 3599);
}

TEST(MeasurementTextRead, FloatLayoutPairsEightyEightRegistersLikeModbus)
{
    const float floats[3] = {31.0f, 1.1f, -120.5f};
    std::vector<std::uint16_t> regs(88, 0);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto bits = std::bit_cast<std::uint32_t>(floats[i]);
        regs[2 * i] = static_cast<std::uint16_t>(bits & 0xFFFF);
        regs[2 * i + 1] = static_cast<std::uint16_t>(bits >> 16);
    }
    // Value 43 (frequency) sits in registers 86 and 87, the last chunk's end.
    regs[86] = 0x0000;
    regs[87] = 0x4248;  // 50.0f
    for (const TextFraming framing :
         {TextFraming{TextVariant::New, 34}, TextFraming{TextVariant::Old, 34}}) {
        MeasurementTable t;
        ASSERT_TRUE(ReadAll(MeasurementLayout::Float, framing, regs, t));
        EXPECT_EQ(t.values[0], 31.0);
        EXPECT_EQ(t.values[1], static_cast<double>(1.1f));
        EXPECT_EQ(t.values[2], -120.5);
        EXPECT_EQ(t.values[43], 50.0);
        EXPECT_EQ(FormatMeasurement(t, 43), "50.00");
    }
}

TEST(MeasurementTextRead, ValuesThatAreNotSixteenBitNumbersAreRefused)
{
    struct Case {
        std::size_t count;
        MeasurementLayout layout;
        std::int32_t odd;
        bool accepted;
    };
    const Case cases[] = {
        {25, MeasurementLayout::Integer, 65535, true},
        {25, MeasurementLayout::Integer, -32768, true},
        {25, MeasurementLayout::Integer, 65536, false},
        {25, MeasurementLayout::Integer, -32769, false},
        {24, MeasurementLayout::Integer, 0, false},
        {88, MeasurementLayout::Float, 0, true},
        {44, MeasurementLayout::Float, 0, false},
    };
    for (const Case& c : cases) {
        std::vector<std::int32_t> values(c.count, 0);
        values[0] = c.odd;
        MeasurementTable t;
        t.values[1] = 7.0;
        EXPECT_EQ(UnpackTextMeasurementValues(values, c.layout, t), c.accepted) << c.odd;
        EXPECT_EQ(t.values[1], c.accepted ? 0.0 : 7.0) << c.odd;
        if (c.accepted && c.layout == MeasurementLayout::Integer) {
            EXPECT_EQ(t.raw[0], static_cast<std::int16_t>(c.odd & 0xFFFF));
        }
    }
}

TEST(MeasurementTextRead, DamagedChunkStoresNothing)
{
    const TextFraming framing{TextVariant::New, 34};
    Bytes request(kFrameBufferSize);
    request.resize(BuildTextRead(framing, request, 1, 300, 25));
    Bytes reply = TextReply(request, std::vector<std::uint16_t>(25, 9));
    reply[reply.size() - 2] ^= 0x01;  // a CRC digit
    std::array<std::int32_t, kMaxMeasurementRegisters> values{};
    EXPECT_FALSE(
        ParseTextMeasurementChunk(MeasurementLayout::Integer, framing, reply, request, 0, values)
            .good());
    EXPECT_EQ(values[0], 0);
}

}  // namespace
}  // namespace tirv
