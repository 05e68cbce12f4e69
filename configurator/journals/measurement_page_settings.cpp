#include "configurator/journals/measurement_page_settings.h"

#include <algorithm>

namespace tirv {

MeasurementSettings MeasurementPageSettings(const ProgramSettings& loaded, SettingsSource source)
{
    if (source != SettingsSource::Loaded) {
        MeasurementSettings s = DefaultMeasurementSettings(loaded.connection.baudIndex,
                                                           source == SettingsSource::Missing
                                                               ? SettingsAbsence::Missing
                                                               : SettingsAbsence::Unusable);
        s.periodMs =
            loaded.measurementPoll.periodMs > 0 ? loaded.measurementPoll.periodMs : s.periodMs;
        return s;
    }
    MeasurementSettingsWords words{};
    std::copy(loaded.measurementPage.begin(), loaded.measurementPage.end(), words.begin());
    words[loaded.measurementPage.size()] = loaded.measurementPoll.on ? 1 : 0;
    words[loaded.measurementPage.size() + 1] =
        static_cast<std::uint32_t>(loaded.measurementPoll.periodMs);
    return UnpackMeasurementSettings(words);
}

void KeepMeasurementPageSettings(const MeasurementSettings& page, ProgramSettings& out)
{
    const MeasurementSettingsWords words = PackMeasurementSettings(page);
    std::copy_n(words.begin(), out.measurementPage.size(), out.measurementPage.begin());
    out.measurementPoll.on = page.polling;
    out.measurementPoll.periodMs = page.periodMs;
}

}  // namespace tirv
