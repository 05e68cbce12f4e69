#pragma once
// The relay's front as a picture of kPanelWidth × kPanelHeight pixels: housing with its screws,
// the display window, the keys, and the LED lamps and label windows where led_panel_layout.h
// puts them (5 in a row below model 715, 8 in a column on the M modification).
#include <QImage>

namespace tirv {

QImage DrawFrontPanel(int ledCount);

}  // namespace tirv
