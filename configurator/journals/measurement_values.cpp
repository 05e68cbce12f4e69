#include "configurator/journals/measurement_values.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>

#include "configurator/journals/measurement_texts.h"

namespace tirv {
namespace {

void UnpackInteger(std::span<const std::uint16_t> registers, MeasurementTable& table)
{
    table = MeasurementTable{};
    table.layout = MeasurementLayout::Integer;
    for (std::size_t i = 0; i < kIntegerLayoutValues; ++i) {
        const std::int32_t raw = static_cast<std::int16_t>(registers[i]);
        table.raw[i] = raw;
        table.values[i] = raw * ScaleFactor(kMeasurementValueTable[i].scale);
    }
}

void UnpackFloat(std::span<const std::uint16_t> registers, MeasurementTable& table)
{
    table = MeasurementTable{};
    table.layout = MeasurementLayout::Float;
    for (std::size_t i = 0; i < kMeasurementValues; ++i) {
        // The first register of a value carries the low half of the single.
        const std::uint32_t bits = registers[2 * i] | std::uint32_t{registers[2 * i + 1]} << 16;
        table.values[i] = std::bit_cast<float>(bits);
    }
}

}  // namespace

bool UnpackMeasurementRegisters(std::span<const std::uint16_t> registers, MeasurementLayout layout,
                                MeasurementTable& table)
{
    if (registers.size() != MeasurementBlock(layout).count)
        return false;
    if (layout == MeasurementLayout::Float)
        UnpackFloat(registers, table);
    else
        UnpackInteger(registers, table);
    return true;
}

bool UnpackMeasurementPayload(std::span<const std::uint8_t> data, MeasurementLayout layout,
                              MeasurementTable& table)
{
    const std::size_t count = MeasurementBlock(layout).count;
    if (data.size() != 2 * count)
        return false;
    std::array<std::uint16_t, kMaxMeasurementRegisters> registers{};
    for (std::size_t k = 0; k < count; ++k)
        registers[k] = static_cast<std::uint16_t>(data[2 * k] << 8 | data[2 * k + 1]);
    return UnpackMeasurementRegisters(std::span(registers).first(count), layout, table);
}

LinkResult DecodeModbusMeasurementReply(std::span<const std::uint8_t> reply, std::uint8_t address,
                                        MeasurementLayout layout, MeasurementTable& table)
{
    const std::uint16_t count = MeasurementBlock(layout).count;
    const LinkResult r = CheckReadReply(reply, address, Function::ReadRegisters, count);
    if (r != LinkResult::Good)
        return r;
    constexpr std::size_t kHeaderLength = 3;  // address, function, byte count
    UnpackMeasurementPayload(reply.subspan(kHeaderLength, 2u * count), layout, table);
    return LinkResult::Good;
}

std::size_t TextMeasurementChunkCount(MeasurementLayout layout, int valuesPerFrame)
{
    if (valuesPerFrame <= 0)
        return 0;
    return BlockCount(MeasurementBlock(layout).count, static_cast<std::size_t>(valuesPerFrame));
}

RegisterBlock TextMeasurementChunk(MeasurementLayout layout, int valuesPerFrame, std::size_t index)
{
    const RegisterBlock whole = MeasurementBlock(layout);
    if (valuesPerFrame <= 0)
        return {whole.end(), 0};
    const Block b = BlockAt(index, whole.count, static_cast<std::size_t>(valuesPerFrame));
    return {static_cast<std::uint16_t>(whole.start + b.offset),
            static_cast<std::uint16_t>(b.count)};
}

TextReply ParseTextMeasurementChunk(MeasurementLayout layout, const TextFraming& framing,
                                    std::span<const std::uint8_t> received,
                                    std::span<const std::uint8_t> request, std::size_t index,
                                    std::array<std::int32_t, kMaxMeasurementRegisters>& registers)
{
    const std::span<std::int32_t> destination =
        std::span(registers).first(MeasurementBlock(layout).count);
    return ParseTextRead(framing, received, request, index, destination);
}

bool UnpackTextMeasurementValues(std::span<const std::int32_t> values, MeasurementLayout layout,
                                 MeasurementTable& table)
{
    const std::size_t count = MeasurementBlock(layout).count;
    if (values.size() != count)
        return false;
    std::array<std::uint16_t, kMaxMeasurementRegisters> registers{};
    for (std::size_t k = 0; k < count; ++k) {
        // The parser hands over each register as a 16-bit number; take it signed or unsigned.
        if (values[k] < -32768 || values[k] > 65535)
            return false;
        registers[k] = static_cast<std::uint16_t>(values[k] & 0xFFFF);
    }
    return UnpackMeasurementRegisters(std::span(registers).first(count), layout, table);
}

std::string FormatValue(double value, int decimals)
{
    namespace tx = measurement_texts;
    if (std::isnan(value))
        return tx::kNotANumber;
    if (std::isinf(value))
        return value > 0 ? tx::kPlusInfinity : tx::kMinusInfinity;
    // Fixed notation of the largest double needs 309 digits before the point.
    std::array<char, 400> text{};
    std::to_chars_result r = std::to_chars(text.data(), text.data() + text.size(), value,
                                           std::chars_format::fixed, decimals);
    if (r.ec != std::errc{} ||
        static_cast<std::size_t>(r.ptr - text.data()) > kMaxValueTextLength) {
        // A corrupt float can be as large as 3.4e38: show its size rather than 15 of its digits.
        constexpr int kMantissaDecimals = 3;
        r = std::to_chars(text.data(), text.data() + text.size(), value,
                          std::chars_format::scientific, kMantissaDecimals);
    }
    const std::size_t length =
        r.ec == std::errc{} ? static_cast<std::size_t>(r.ptr - text.data()) : 0;
    return std::string(text.data(), std::min(length, kMaxValueTextLength));
}

std::string FormatMeasurement(const MeasurementTable& table, std::size_t index)
{
    if (index >= MeasurementValueCount(table.layout))
        return {};
    const ValueScale scale = kMeasurementValueTable[index].scale;
    const int decimals = table.layout == MeasurementLayout::Float ? FloatLayoutDecimals(scale)
                                                                  : IntegerLayoutDecimals(scale);
    return FormatValue(table.values[index], decimals);
}

}  // namespace tirv
