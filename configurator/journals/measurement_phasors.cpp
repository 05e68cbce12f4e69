#include "configurator/journals/measurement_phasors.h"

namespace tirv {

std::array<PhasorInput, kPhasorCount> MeasurementPhasors(const MeasurementTable& table,
                                                         const MeasurementSettings& settings)
{
    std::array<PhasorInput, kPhasorCount> phasors{};
    for (std::size_t k = 0; k < kPhasorCount; ++k) {
        PhasorInput& p = phasors[k];
        const std::size_t angle = kFirstAngleValue + k;
        p.selected = settings.selected(k);
        p.colour = settings.colours[k];
        p.magnitude = table.values[kFirstMagnitudeValue + k];
        p.angleTenths = table.layout == MeasurementLayout::Float ? table.values[angle] * 10.0
                                                                 : table.raw[angle];
    }
    return phasors;
}

}  // namespace tirv
