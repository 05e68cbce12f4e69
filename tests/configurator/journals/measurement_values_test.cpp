// Decoding of both measurement layouts against register images made by hand, value by value,
// and the display texts of the two layouts.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "common/crc16.h"
#include "configurator/journals/measurement_values.h"

namespace tirv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A function-3 reply from address 1 around `data`, CRC low byte first.
Bytes RtuReply(const Bytes& data)
{
    Bytes frame{0x01, 0x03, static_cast<std::uint8_t>(data.size())};
    frame.insert(frame.end(), data.begin(), data.end());
    const std::uint16_t crc = Crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

// Integer layout: raw register, the value it stands for, its text.
struct IntegerRow {
    std::uint16_t reg;
    double value;
    const char* text;
};
const IntegerRow kIntegerImage[25] = {
    {31, 31.0, "31.00"},                                  // temperature × 1.0, two decimals
    {123, 1.23, "1.23"},       {0xFFFB, -0.05, "-0.05"},  // Ia, Ib
    {32767, 327.67, "327.67"},                            // Ic
    {577, 57.7, "57.7"},       {576, 57.6, "57.6"},
    {0, 0.0, "0.0"},  // Ua, Ub, Uc
    {1000, 100.0, "100.0"},    {999, 99.9, "99.9"},
    {1001, 100.1, "100.1"},                        // line voltages
    {12, 0.012, "0.012"},                          // 3Io
    {15, 1.5, "1.5"},                              // 3Uo
    {320, 3.2, "3.20"},        {3, 0.03, "0.03"},  // I1, I2
    {0xFF06, -25.0, "-25.0"},  {0xFA56, -145.0, "-145.0"},
    {950, 95.0, "95.0"},  // angles
    {0, 0.0, "0.0"},           {0xFB50, -120.0, "-120.0"},
    {1200, 120.0, "120.0"},    {300, 30.0, "30.0"},
    {0xFC7C, -90.0, "-90.0"},  {1500, 150.0, "150.0"},
    {3599, 359.9, "359.9"},    {0x8000, -3276.8, "-3276.8"},
};

Bytes IntegerPayload()
{
    Bytes data;
    for (const IntegerRow& r : kIntegerImage) {
        data.push_back(static_cast<std::uint8_t>(r.reg >> 8));
        data.push_back(static_cast<std::uint8_t>(r.reg & 0xFF));
    }
    return data;
}

TEST(MeasurementDecoding, IntegerLayoutValueByValue)
{
    MeasurementTable t;
    ASSERT_EQ(
        DecodeModbusMeasurementReply(RtuReply(IntegerPayload()), 1, MeasurementLayout::Integer, t),
        LinkResult::Good);
    EXPECT_EQ(t.layout, MeasurementLayout::Integer);
    for (std::size_t i = 0; i < 25; ++i) {
        EXPECT_EQ(t.raw[i], static_cast<std::int16_t>(kIntegerImage[i].reg)) << i;
        EXPECT_NEAR(t.values[i], kIntegerImage[i].value, 1e-9) << i;
        EXPECT_EQ(FormatMeasurement(t, i), kIntegerImage[i].text) << i;
    }
    // The one table is zero beyond the integer layout's 25 values and shows nothing there.
    for (std::size_t i = 25; i < kMeasurementValues; ++i) {
        EXPECT_EQ(t.raw[i], 0) << i;
        EXPECT_EQ(t.values[i], 0.0) << i;
        EXPECT_EQ(FormatMeasurement(t, i), "") << i;
    }
}

// Float layout: each value's four wire bytes are bits 15–8, 7–0, 31–24, 23–16.
TEST(MeasurementDecoding, FloatLayoutWireOrderFromLiteralBytes)
{
    Bytes data(176, 0);
    const Bytes first = {0x00, 0x00, 0x41, 0xF8,   // 31.0f = 0x41F80000
                         0xCC, 0xCD, 0x3F, 0x8C,   // 1.1f = 0x3F8CCCCD
                         0x00, 0x00, 0xC2, 0xF1};  // -120.5f = 0xC2F10000
    std::copy(first.begin(), first.end(), data.begin());
    MeasurementTable t;
    ASSERT_EQ(DecodeModbusMeasurementReply(RtuReply(data), 1, MeasurementLayout::Float, t),
              LinkResult::Good);
    EXPECT_EQ(t.values[0], 31.0);
    EXPECT_EQ(t.values[1], static_cast<double>(1.1f));
    EXPECT_EQ(t.values[2], -120.5);
    EXPECT_EQ(FormatMeasurement(t, 0), "31");
    EXPECT_EQ(FormatMeasurement(t, 1), "1.10");
    EXPECT_EQ(FormatMeasurement(t, 2), "-120.50");
}

// The 44 float values with their list-view format (decimals by coefficient 1.0/0.1/0.01/0.001).
struct FloatRow {
    float value;
    const char* text;
};
const FloatRow kFloatImage[44] = {
    {31.0f, "31"},  // temperature "%.0f"
    {3.25f, "3.25"},
    {3.5f, "3.50"},
    {0.0f, "0.00"},  // Ia, Ib, Ic
    {57.5f, "57.5"},
    {100.0f, "100.0"},
    {-1.0f, "-1.0"},                                   // Ua, Ub, Uc
    {99.5f, "99.5"},                                   // Uab
    {std::numeric_limits<float>::quiet_NaN(), "NaN"},  // Ubc: a NaN shown as text
    {std::numeric_limits<float>::infinity(), "+Inf"},  // Uca
    {0.125f, "0.125"},                                 // 3Io
    {1e38f, "1.000e+38"},                              // 3Uo: huge, exponent form
    {2.0f, "2.00"},
    {-std::numeric_limits<float>::infinity(), "-Inf"},  // I1, I2
    {90.0f, "90.0"},
    {-120.0f, "-120.0"},
    {120.5f, "120.5"},  // angles
    {0.0f, "0.0"},
    {-119.5f, "-119.5"},
    {119.5f, "119.5"},
    {30.0f, "30.0"},
    {-90.0f, "-90.0"},
    {150.0f, "150.0"},
    {-25.5f, "-25.5"},
    {180.0f, "180.0"},
    {0.004f, "0.004"},
    {0.003f, "0.003"},
    {0.002f, "0.002"},  // harmonics
    {0.0015f, "0.002"},
    {0.001f, "0.001"},
    {0.0008f, "0.001"},
    {0.00525f, "0.005"},  // their RMS
    {3.25f, "3.25"},
    {3.5f, "3.50"},
    {3.75f, "3.75"},  // RMS currents
    {3.0f, "3.00"},
    {3.125f, "3.12"},
    {3.375f, "3.38"},  // averaged (ties to even)
    {1523.5f, "1523.50"},
    {1498.25f, "1498.25"},
    {1510.75f, "1510.75"},  // breaking current
    {47.0f, "47"},          // operations "%.0f"
    {3.0f, "3.0"},          // battery "%.1f"
    {50.0f, "50.00"},       // frequency "%.2f"
};

// Registers of the float image, built as the relay sends them: low half first.
std::vector<std::uint16_t> FloatRegisters()
{
    std::vector<std::uint16_t> regs;
    for (const FloatRow& r : kFloatImage) {
        const auto bits = std::bit_cast<std::uint32_t>(r.value);
        regs.push_back(static_cast<std::uint16_t>(bits & 0xFFFF));
        regs.push_back(static_cast<std::uint16_t>(bits >> 16));
    }
    return regs;
}

TEST(MeasurementDecoding, FloatLayoutValueByValue)
{
    Bytes data;
    for (std::uint16_t r : FloatRegisters()) {
        data.push_back(static_cast<std::uint8_t>(r >> 8));
        data.push_back(static_cast<std::uint8_t>(r & 0xFF));
    }
    MeasurementTable t;
    ASSERT_EQ(DecodeModbusMeasurementReply(RtuReply(data), 1, MeasurementLayout::Float, t),
              LinkResult::Good);
    EXPECT_EQ(t.layout, MeasurementLayout::Float);
    for (std::size_t i = 0; i < 44; ++i) {
        const double expected = kFloatImage[i].value;
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(t.values[i])) << i;
        } else {
            EXPECT_EQ(t.values[i], expected) << i;
        }
        EXPECT_EQ(t.raw[i], 0) << i;
        EXPECT_EQ(FormatMeasurement(t, i), kFloatImage[i].text) << i;
    }
}

TEST(MeasurementDecoding, DamagedRepliesLeaveTheTableAlone)
{
    const Bytes good = RtuReply(IntegerPayload());
    struct Case {
        const char* what;
        Bytes reply;
        std::uint8_t address;
        MeasurementLayout layout;
        LinkResult expected;
    };
    Bytes badCrc = good;
    badCrc.back() ^= 0x01;
    Bytes shortReply(good.begin(), good.end() - 1);
    const Case cases[] = {
        {"CRC", badCrc, 1, MeasurementLayout::Integer, LinkResult::CrcMismatch},
        {"address", good, 2, MeasurementLayout::Integer, LinkResult::AddressMismatch},
        {"one byte short", shortReply, 1, MeasurementLayout::Integer, LinkResult::LengthMismatch},
        {"25 registers for the float layout", good, 1, MeasurementLayout::Float,
         LinkResult::LengthMismatch},
        {"empty", Bytes{}, 1, MeasurementLayout::Integer, LinkResult::LengthMismatch},
    };
    for (const Case& c : cases) {
        MeasurementTable t;
        t.values[5] = 42.0;
        EXPECT_EQ(DecodeModbusMeasurementReply(c.reply, c.address, c.layout, t), c.expected)
            << c.what;
        EXPECT_EQ(t.values[5], 42.0) << c.what;
    }
}

TEST(MeasurementDecoding, RegisterAndPayloadCountsMustMatchTheLayout)
{
    MeasurementTable t;
    EXPECT_FALSE(
        UnpackMeasurementRegisters(std::vector<std::uint16_t>(24), MeasurementLayout::Integer, t));
    EXPECT_FALSE(
        UnpackMeasurementRegisters(std::vector<std::uint16_t>(44), MeasurementLayout::Float, t));
    EXPECT_FALSE(UnpackMeasurementPayload(Bytes(51), MeasurementLayout::Integer, t));
    EXPECT_TRUE(UnpackMeasurementRegisters(FloatRegisters(), MeasurementLayout::Float, t));
    EXPECT_EQ(t.values[43], 50.0);
}

TEST(MeasurementFormat, FixedDecimalsNonFiniteAndOverlongValues)
{
    struct Case {
        double value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {0.0, 0, "0"},
        {12.5, 1, "12.5"},
        {-0.05, 2, "-0.05"},
        {1234567.891, 3, "1234567.891"},
        {99999999999999.0, 0, "99999999999999"},
        {123456789012345.0, 0, "123456789012345"},  // exactly 15 characters
        {1234567890123456.0, 0, "1.235e+15"},       // 16 would not fit
        {12345678901.5, 3, "12345678901.500"},
        {12345678901.5, 4, "1.235e+10"},  // 16 characters in fixed notation
        {-3.4e38, 2, "-3.400e+38"},
        {std::numeric_limits<double>::max(), 2, "1.798e+308"},
        {std::nan(""), 1, "NaN"},
        {-std::numeric_limits<double>::infinity(), 1, "-Inf"},
    };
    for (const Case& c : cases) {
        const std::string text = FormatValue(c.value, c.decimals);
        EXPECT_EQ(text, c.text) << c.value;
        EXPECT_LE(text.size(), kMaxValueTextLength);
    }
}

}  // namespace
}  // namespace tirv
