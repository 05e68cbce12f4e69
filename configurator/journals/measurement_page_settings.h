#pragma once
// The measurement page's words 0–27 of "ТИРВ.cfg": taken from the settings record when the page
// is built, given back when the file is written.
#include "configurator/journals/measurement_settings.h"
#include "configurator/shell/program_settings.h"

namespace tirv {

// Without a usable file the page starts with the default colours (black on the black field
// would hide every phasor), nothing selected and the default period.
MeasurementSettings MeasurementPageSettings(const ProgramSettings& loaded, SettingsSource source);
void KeepMeasurementPageSettings(const MeasurementSettings& page, ProgramSettings& out);

}  // namespace tirv
