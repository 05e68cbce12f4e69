// The LED layout both the page and the picture generator use: every lamp and label inside the
// picture, no two click areas of a panel overlapping (a click would pick the wrong LED), each
// lamp beside its own label in the panel's order, nothing outside the panel.
#include "configurator/iocfg/led_panel_layout.h"

#include <gtest/gtest.h>

namespace tirv {
namespace {

bool Inside(const PanelBox& b)
{
    return b.width > 0 && b.height > 0 && b.x >= 0 && b.y >= 0 && b.x + b.width <= kPanelWidth &&
           b.y + b.height <= kPanelHeight;
}

bool Overlap(const PanelBox& a, const PanelBox& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

TEST(LedPanelLayout, BothPanelsFitThePictureWithSeparateLedsInPanelOrder)
{
    for (const int leds : {5, 8}) {
        SCOPED_TRACE(leds);
        const bool column = leds == 8;
        for (int k = 0; k < leds; ++k) {
            SCOPED_TRACE(k);
            const LedPlace p = LedPlaceOf(leds, k);
            EXPECT_TRUE(Inside(p.lamp));
            EXPECT_TRUE(Inside(p.label));
            EXPECT_FALSE(Overlap(p.lamp, p.label));
            // The lamp sits left of its label in the column, above it in the row.
            if (column) {
                EXPECT_LT(p.lamp.x + p.lamp.width, p.label.x);
                EXPECT_GT(p.lamp.centerY(), p.label.y);
                EXPECT_LT(p.lamp.centerY(), p.label.y + p.label.height);
            } else {
                EXPECT_LT(p.lamp.y + p.lamp.height, p.label.y);
                EXPECT_GT(p.lamp.centerX(), p.label.x);
                EXPECT_LT(p.lamp.centerX(), p.label.x + p.label.width);
            }
            for (int j = k + 1; j < leds; ++j) {
                const LedPlace q = LedPlaceOf(leds, j);
                EXPECT_FALSE(Overlap(p.label, q.label)) << "labels " << k << " and " << j;
                EXPECT_FALSE(Overlap(p.lamp, q.lamp)) << "lamps " << k << " and " << j;
                // Top to bottom in the column, left to right in the row.
                EXPECT_LT(column ? p.label.y : p.label.x, column ? q.label.y : q.label.x);
            }
        }
        for (const int outside : {-1, leds})
            EXPECT_EQ(LedPlaceOf(leds, outside).label.width, 0) << outside;
    }
}

}  // namespace
}  // namespace tirv
