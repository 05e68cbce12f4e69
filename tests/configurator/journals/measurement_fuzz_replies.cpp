// Any bytes as the reply to a measurement reading, Modbus RTU or ТИРВ protocol, in either layout:
// the decoders must stay within the bytes, and whatever they accept must format within 15
// characters and lay out a diagram whose tips stay inside the field.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "configurator/journals/measurement_phasors.h"
#include "configurator/journals/measurement_values.h"
#include "configurator/journals/vector_diagram_geometry.h"

namespace {

void Use(const tirv::MeasurementTable& table, std::uint8_t selection)
{
    for (std::size_t i = 0; i < tirv::kMeasurementValues; ++i)
        if (tirv::FormatMeasurement(table, i).size() > tirv::kMaxValueTextLength)
            __builtin_trap();
    tirv::MeasurementSettings settings;
    for (std::size_t k = 0; k < tirv::kPhasorCount; ++k)
        settings.selection[k] = (selection >> (k % 8)) & 1;
    const auto phasors = tirv::MeasurementPhasors(table, settings);
    const tirv::VectorDiagramGeometry g = tirv::LayOutVectorDiagram(340, 300, phasors);
    for (const tirv::PhasorShape& s : g.shapes()) {
        const int dx = s.line.to.x - g.centre.x;
        const int dy = s.line.to.y - g.centre.y;
        if (dx * dx + dy * dy > g.radius * g.radius || !(s.length <= g.radius))
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    // Header bytes: protocol and layout, values per frame or address, diagram selection.
    const bool text = data[0] & 1;
    const auto layout =
        data[0] & 2 ? tirv::MeasurementLayout::Float : tirv::MeasurementLayout::Integer;
    const std::span<const std::uint8_t> reply(data + 3, size - 3);
    tirv::MeasurementTable table;
    if (!text) {
        if (tirv::DecodeModbusMeasurementReply(reply, data[1], layout, table) ==
            tirv::LinkResult::Good)
            Use(table, data[2]);
        // The payload decoder takes the bytes as they are.
        if (tirv::UnpackMeasurementPayload(reply, layout, table))
            Use(table, data[2]);
        return 0;
    }
    const tirv::TextFraming framing{static_cast<tirv::TextVariant>(data[0] >> 2 & 1),
                                    8 + data[1] % 248};
    std::array<std::int32_t, tirv::kMaxMeasurementRegisters> values{};
    const std::size_t chunks = tirv::TextMeasurementChunkCount(layout, framing.valuesPerFrame);
    const std::size_t index = (data[0] >> 3) % (chunks == 0 ? 1 : chunks);
    const tirv::RegisterBlock c = tirv::TextMeasurementChunk(layout, framing.valuesPerFrame, index);
    std::vector<std::uint8_t> request(tirv::kFrameBufferSize);
    request.resize(
        tirv::BuildTextRead(framing, request, 1, c.start, static_cast<std::uint8_t>(c.count)));
    if (!tirv::ParseTextMeasurementChunk(layout, framing, reply, request, index, values).good())
        return 0;
    const std::size_t count = tirv::MeasurementBlock(layout).count;
    if (tirv::UnpackTextMeasurementValues(std::span(values).first(count), layout, table))
        Use(table, data[2]);
    return 0;
}
