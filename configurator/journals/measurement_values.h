#pragma once
// The relay's measured values in its two layouts: 25 signed 16-bit registers scaled by a
// per-value coefficient (models below 715), or 44 IEEE-754 singles in two registers each, low
// register first (the M modification). Both decode into one 44-value table; pure functions.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/relay_family.h"
#include "configurator/link/frames.h"
#include "configurator/link/registers.h"
#include "configurator/link/text_frames.h"

namespace tirv {

enum class MeasurementLayout : std::uint8_t { Integer, Float };

inline constexpr int kFirstFloatLayoutModel = kFirstMModelCode;
constexpr MeasurementLayout MeasurementLayoutOf(int modelCode)
{
    return modelCode >= kFirstFloatLayoutModel ? MeasurementLayout::Float
                                               : MeasurementLayout::Integer;
}

inline constexpr std::size_t kMeasurementValues = 44;
inline constexpr std::size_t kIntegerLayoutValues = 25;
inline constexpr std::size_t kMaxMeasurementRegisters = 88;

constexpr std::size_t MeasurementValueCount(MeasurementLayout layout)
{
    return layout == MeasurementLayout::Float ? kMeasurementValues : kIntegerLayoutValues;
}
// The register block read in one Modbus request (and, value by value, under the ТИРВ protocol,
// where the float layout's 88 registers are paired like Modbus).
constexpr RegisterBlock MeasurementBlock(MeasurementLayout layout)
{
    return layout == MeasurementLayout::Float ? regs::kMeasurementsM : regs::kMeasurements;
}

// Coefficient of a value: the integer layout multiplies the raw value by it; in both layouts it
// chooses the number of decimals shown.
enum class ValueScale : std::uint8_t { One, Tenth, Hundredth, Thousandth };

constexpr double ScaleFactor(ValueScale s)
{
    constexpr std::array<double, 4> kFactors{1.0, 0.1, 0.01, 0.001};
    return kFactors[static_cast<std::size_t>(s)];
}
// Integer layout: 0.1 → one decimal, 0.001 → three, anything else (1.0 included) → two.
constexpr int IntegerLayoutDecimals(ValueScale s)
{
    constexpr std::array<int, 4> kDecimals{2, 1, 2, 3};
    return kDecimals[static_cast<std::size_t>(s)];
}
// Float layout: as many decimals as the coefficient has.
constexpr int FloatLayoutDecimals(ValueScale s)
{
    return static_cast<int>(s);
}

// Where the float layout shows a value in its list view (column 1 "Модуль", 2 "Фаза, гр.").
struct MeasurementValueInfo {
    ValueScale scale;
    std::uint8_t listRow;
    std::uint8_t listColumn;
};

// Integer layout: value i is shown in edit field 1348 + i.
inline constexpr int kFirstValueField = 1348;

namespace measurement_detail {
using VS = ValueScale;
inline constexpr std::array<MeasurementValueInfo, kMeasurementValues> kValueTable{{
    {VS::One, 49, 1},                                                           // temperature
    {VS::Hundredth, 1, 1},   {VS::Hundredth, 2, 1},   {VS::Hundredth, 3, 1},    // Ia, Ib, Ic
    {VS::Tenth, 6, 1},       {VS::Tenth, 7, 1},       {VS::Tenth, 8, 1},        // Ua, Ub, Uc
    {VS::Tenth, 11, 1},      {VS::Tenth, 12, 1},      {VS::Tenth, 13, 1},       // Uab, Ubc, Uca
    {VS::Thousandth, 15, 1},                                                    // 3Io
    {VS::Tenth, 16, 1},                                                         // 3Uo
    {VS::Hundredth, 18, 1},  {VS::Hundredth, 19, 1},                            // I1, I2
    {VS::Tenth, 1, 2},       {VS::Tenth, 2, 2},       {VS::Tenth, 3, 2},        // angles Ia…Ic
    {VS::Tenth, 6, 2},       {VS::Tenth, 7, 2},       {VS::Tenth, 8, 2},        // Ua…Uc
    {VS::Tenth, 11, 2},      {VS::Tenth, 12, 2},      {VS::Tenth, 13, 2},       // Uab…Uca
    {VS::Tenth, 15, 2},      {VS::Tenth, 16, 2},                                // 3Io, 3Uo
    {VS::Thousandth, 22, 1}, {VS::Thousandth, 23, 1}, {VS::Thousandth, 24, 1},  // harmonics
    {VS::Thousandth, 25, 1}, {VS::Thousandth, 26, 1}, {VS::Thousandth, 27, 1},
    {VS::Thousandth, 28, 1},                                                   // their RMS
    {VS::Hundredth, 31, 1},  {VS::Hundredth, 32, 1},  {VS::Hundredth, 33, 1},  // RMS currents
    {VS::Hundredth, 36, 1},  {VS::Hundredth, 37, 1},  {VS::Hundredth, 38, 1},  // averaged
    {VS::Hundredth, 41, 1},  {VS::Hundredth, 42, 1},  {VS::Hundredth, 43, 1},  // breaking current
    {VS::One, 47, 1},                                                          // operations
    {VS::Tenth, 51, 1},                                                        // battery
    {VS::Hundredth, 45, 1},                                                    // frequency
}};
}  // namespace measurement_detail
inline constexpr const auto& kMeasurementValueTable = measurement_detail::kValueTable;

inline constexpr std::size_t kTemperatureValue = 0;
inline constexpr std::size_t kFirstAngleValue = 14;

// One reading. Values beyond the layout's count stay 0.
struct MeasurementTable {
    MeasurementLayout layout = MeasurementLayout::Integer;
    // Integer layout: the registers read as signed; the float layout has no raw integers (0).
    std::array<std::int32_t, kMeasurementValues> raw{};
    // Engineering units: raw × coefficient, or the float as sent (NaN and infinities kept).
    std::array<double, kMeasurementValues> values{};
};

// Registers → table; false (table untouched) unless there are exactly 25 or 88 registers as the
// layout asks.
bool UnpackMeasurementRegisters(std::span<const std::uint16_t> registers, MeasurementLayout layout,
                                MeasurementTable& table);
// The data bytes of a function-3 reply (two per register, high byte first).
bool UnpackMeasurementPayload(std::span<const std::uint8_t> data, MeasurementLayout layout,
                              MeasurementTable& table);
// A whole Modbus RTU reply to the layout's read: checked (address, function, byte count, CRC)
// and, when good, unpacked. The table is only written on LinkResult::Good.
LinkResult DecodeModbusMeasurementReply(std::span<const std::uint8_t> reply, std::uint8_t address,
                                        MeasurementLayout layout, MeasurementTable& table);

// ТИРВ protocol: the read is split into chunks of at most values-per-frame registers, each
// starting where the previous one ended.
std::size_t TextMeasurementChunkCount(MeasurementLayout layout, int valuesPerFrame);
// Register start and count of chunk `index` (count 0 past the end).
RegisterBlock TextMeasurementChunk(MeasurementLayout layout, int valuesPerFrame, std::size_t index);
// Parses the reply to chunk `index` into `registers` (the whole read's register values; nothing
// lands beyond the layout's register count).
TextReply ParseTextMeasurementChunk(MeasurementLayout layout, const TextFraming& framing,
                                    std::span<const std::uint8_t> received,
                                    std::span<const std::uint8_t> request, std::size_t index,
                                    std::array<std::int32_t, kMaxMeasurementRegisters>& registers);
// The register values the text parser delivered (16-bit numbers, read as signed in the integer
// layout, paired low register first in the float layout) → table. False (table untouched) when
// the count is not the layout's or a value is not a 16-bit number.
bool UnpackTextMeasurementValues(std::span<const std::int32_t> values, MeasurementLayout layout,
                                 MeasurementTable& table);

// Display text, at most this many characters.
inline constexpr std::size_t kMaxValueTextLength = 15;
// `value` with `decimals` fixed decimals (a point, whatever the process locale); NaN and the
// infinities as words, a number too long for fixed notation in exponent form.
std::string FormatValue(double value, int decimals);
// Value `index` of the table in its layout's format; empty past the layout's count.
std::string FormatMeasurement(const MeasurementTable& table, std::size_t index);

}  // namespace tirv
