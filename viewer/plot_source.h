#pragma once
// What the plot draws, taken from a loaded oscillogram image: the integer display values per
// recorded channel, the chronological digital records, the start and event times, the title and
// the range factor of the marker values.
#include "common/oscillogram_image.h"
#include "viewer/plot_geometry.h"

namespace tirv {

// An empty source (n = 9,600, nothing recorded) when the image is not loaded.
PlotSource MakePlotSource(const OscillogramImage& image);

}  // namespace tirv
