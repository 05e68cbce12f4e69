#pragma once
// The list view of the float layout: its columns and the texts of column 0. Short names under a
// group heading are padded on the left so that they stand at the right edge of the column.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tirv {

inline constexpr int kMeasurementListRows = 52;
// Column widths at 96 pixels per inch; the page multiplies them by the screen's scale factor.
inline constexpr std::array<int, 3> kMeasurementListColumnWidths{175, 58, 59};

struct MeasurementListLabel {
    std::uint8_t row;
    std::uint8_t padding;  // spaces before the text
    const char* text;
};

extern const std::array<MeasurementListLabel, 40> kMeasurementListLabels;

// Column-0 text of `row`; empty for the rows between the groups and outside 0–51.
std::string MeasurementListRowText(int row);

}  // namespace tirv
