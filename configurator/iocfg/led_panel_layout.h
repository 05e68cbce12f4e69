#pragma once
// Where the LEDs sit on the relay's front: one table for the LED page (labels, click areas, the
// plain panel) and for the program that draws the front-panel pictures, so that a picture and
// the page cannot disagree. Units are pixels of the 520 × 340 picture; the page stretches them
// with its panel control.
#include <array>
#include <cstddef>

namespace tirv {

struct PanelBox {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    constexpr double centerX() const { return x + width / 2; }
    constexpr double centerY() const { return y + height / 2; }
};

inline constexpr double kPanelWidth = 520;
inline constexpr double kPanelHeight = 340;

// Each LED: its lamp window, and the label window beside it where the assignment is written
// (also the LED's click area and its position control).
struct LedPlace {
    PanelBox lamp;
    PanelBox label;
};

// Below model 715: five LEDs in one row under the display, each label below its lamp.
inline constexpr std::array<LedPlace, 5> kLedRow{{
    {{64, 196, 20, 20}, {30, 230, 88, 28}},
    {{158, 196, 20, 20}, {124, 230, 88, 28}},
    {{252, 196, 20, 20}, {218, 230, 88, 28}},
    {{346, 196, 20, 20}, {312, 230, 88, 28}},
    {{440, 196, 20, 20}, {406, 230, 88, 28}},
}};

// M modification: eight LEDs in one column on the right, each label right of its lamp.
inline constexpr std::array<LedPlace, 8> kLedColumn{{
    {{296, 44, 20, 20}, {326, 40, 176, 28}},
    {{296, 78, 20, 20}, {326, 74, 176, 28}},
    {{296, 112, 20, 20}, {326, 108, 176, 28}},
    {{296, 146, 20, 20}, {326, 142, 176, 28}},
    {{296, 180, 20, 20}, {326, 176, 176, 28}},
    {{296, 214, 20, 20}, {326, 210, 176, 28}},
    {{296, 248, 20, 20}, {326, 244, 176, 28}},
    {{296, 282, 20, 20}, {326, 278, 176, 28}},
}};

// LED `led` (0-based) of a panel with `ledCount` LEDs (8: the column, otherwise the row); an
// index outside the panel gives an empty place.
constexpr LedPlace LedPlaceOf(int ledCount, int led)
{
    if (ledCount == static_cast<int>(kLedColumn.size()))
        return led >= 0 && led < 8 ? kLedColumn[static_cast<std::size_t>(led)] : LedPlace{};
    return led >= 0 && led < 5 ? kLedRow[static_cast<std::size_t>(led)] : LedPlace{};
}

}  // namespace tirv
