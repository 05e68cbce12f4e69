#include "configurator/journals/measurement_check.h"

#include <cstdio>
#include <cstdlib>

#include "configurator/journals/measurement_texts.h"

namespace tirv {
namespace {

namespace tx = measurement_texts;

template <typename... Args>
std::string Filled(const char* pattern, Args... args)
{
    std::array<char, 160> text{};
    std::snprintf(text.data(), text.size(), pattern, args...);
    return text.data();
}

void Add(MeasurementCheck& check, MeasurementPath path, Message message)
{
    check.valid = false;
    if (path == MeasurementPath::Serial)
        check.messages[check.messageCount++] = std::move(message);
}

}  // namespace

MeasurementCheck CheckMeasurements(const MeasurementTable& table, MeasurementPath path)
{
    MeasurementCheck check;
    if (table.layout != MeasurementLayout::Integer)
        return check;
    const std::int32_t temperature = table.raw[kTemperatureValue];
    if (std::abs(temperature) > kMaxTemperatureRaw)
        Add(check, path,
            {tx::kCaptionError, Filled(tx::kTemperatureInvalid, temperature), MsgIcon::Warning});
    for (std::size_t slot = 1; slot <= kIntegerLayoutAngles; ++slot) {
        const std::int32_t angle = table.raw[kFirstAngleValue + slot - 1];
        if (std::abs(angle) > kMaxAngleRaw)
            Add(check, path,
                {tx::kCaptionDataError, Filled(tx::kAngleInvalid, static_cast<int>(slot), angle),
                 MsgIcon::Warning});
    }
    if (!check.valid)
        check.status = path == MeasurementPath::Serial ? tx::kStatusInvalidValues
                                                       : tx::kTcpStatusInvalidValues;
    return check;
}

}  // namespace tirv
