// The painted vector diagram, checked on its pixels: scale per kind, arrowheads only on phasors
// longer than 40 pixels, angles counter-clockwise from the right, nothing but axes when there is
// nothing to scale, and the widget showing the same picture as an exported image.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <limits>

#include "configurator/journals/vector_diagram_view.h"
#include "support/gui_app.h"

namespace tirv {
namespace {

constexpr std::size_t kIa = 0, kIb = 1, kUa = 3, kUb = 4, kUc = 5;  // in the relays' order

QRgb Pixel(Rgb c)
{
    return qRgb(c.r, c.g, c.b);
}

std::array<PhasorInput, kPhasorCount> Phasors()
{
    std::array<PhasorInput, kPhasorCount> p{};
    for (std::size_t k = 0; k < kPhasorCount; ++k)
        p[k].colour = kDefaultPhasorColours[k];
    return p;
}

void Select(std::array<PhasorInput, kPhasorCount>& p, std::size_t k, double magnitude,
            double angleTenths)
{
    p[k].selected = true;
    p[k].magnitude = magnitude;
    p[k].angleTenths = angleTenths;
}

// Smoothing blends the edges of slanted lines into the black field.
bool NearColour(QRgb px, Rgb c)
{
    return std::abs(qRed(px) - c.r) <= 40 && std::abs(qGreen(px) - c.g) <= 40 &&
           std::abs(qBlue(px) - c.b) <= 40;
}

// The distance from the centre of the farthest pixel painted exactly in `colour` (−1: none).
double FarthestOfColour(const QImage& image, Rgb colour)
{
    const double cx = image.width() / 2, cy = image.height() / 2;
    double farthest = -1.0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == Pixel(colour))
                farthest = std::max(farthest, std::hypot(x - cx, y - cy));
    return farthest;
}

TEST(VectorDiagramPicture, LongestSelectedOfAKindReachesTheRadiusAndUnselectedAreNotDrawn)
{
    tirv::test::GuiApp();
    auto p = Phasors();
    Select(p, kUa, 200.0, 300.0);
    Select(p, kUb, 50.0, 1500.0);
    p[kIa] = {false, 999.0, 0.0, kDefaultPhasorColours[kIa]};  // a large current, not selected
    const QImage image = RenderVectorDiagram(QSize(300, 280), p);
    const double radius = 280 / 2 - kDiagramRadiusInset;  // 130
    EXPECT_NEAR(FarthestOfColour(image, kDefaultPhasorColours[kUa]), radius, 2.0);
    // Ub is a quarter of Ua: a quarter of the radius, so it has no arrowhead either.
    EXPECT_NEAR(FarthestOfColour(image, kDefaultPhasorColours[kUb]), radius / 4, 2.0);
    EXPECT_LT(FarthestOfColour(image, kDefaultPhasorColours[kIa]), 0.0);
}

TEST(VectorDiagramPicture, ArrowheadOnlyOnPhasorsLongerThanFortyPixels)
{
    tirv::test::GuiApp();
    // 240 × 220: centre (120, 110), radius 100, so magnitude m of 100 is m pixels long.
    struct Row {
        double magnitude;
        bool arrowhead;
    };
    for (const Row row : {Row{40.0, false}, Row{41.0, true}, Row{60.0, true}}) {
        SCOPED_TRACE(row.magnitude);
        auto p = Phasors();
        Select(p, kIa, 100.0, 1800.0);  // pointing left sets the scale
        Select(p, kIb, row.magnitude, 0.0);
        const QImage image = RenderVectorDiagram(QSize(240, 220), p);
        // 18 pixels back from the tip and 3 above the line: inside the 24° wedge, outside the
        // 2-pixel line.
        const int x = 120 + static_cast<int>(row.magnitude) - 18;
        const QRgb beside = image.pixel(x, 110 - 3);
        EXPECT_EQ(beside == Pixel(kDefaultPhasorColours[kIb]), row.arrowhead);
        if (!row.arrowhead) {
            EXPECT_EQ(beside, Pixel(kDiagramBackground));
        }
        EXPECT_EQ(image.pixel(120 + 10, 110 - 1), Pixel(kDefaultPhasorColours[kIb]));
    }
}

TEST(VectorDiagramPicture, AnglesRunCounterClockwiseFromTheRight)
{
    tirv::test::GuiApp();
    struct Row {
        double angleTenths;
        int dx, dy;  // the pixel half-way out, from the centre
    };
    // 900 (the integer layout's raw tenths) points straight up.
    for (const Row row : {Row{900.0, 0, -50}, Row{-900.0, 0, 50}, Row{1800.0, -50, 0},
                          Row{2700.0, 0, 50}, Row{450.0, 35, -35}}) {
        SCOPED_TRACE(row.angleTenths);
        auto p = Phasors();
        Select(p, kUc, 7.0, row.angleTenths);
        const QImage image = RenderVectorDiagram(QSize(240, 220), p);
        // A two-pixel line covers the column (row) left of (above) its centre line too.
        const int x = 120 + row.dx - (row.dx == 0 ? 1 : 0);
        const int y = 110 + row.dy - (row.dy == 0 ? 1 : 0);
        EXPECT_TRUE(NearColour(image.pixel(x, y), kDefaultPhasorColours[kUc]));
        // The opposite half stays grey or black.
        EXPECT_FALSE(NearColour(
            image.pixel(120 - row.dx - (row.dx == 0 ? 1 : 0), 110 - row.dy - (row.dy == 0 ? 1 : 0)),
            kDefaultPhasorColours[kUc]));
    }
}

TEST(VectorDiagramPicture, NothingToScaleDrawsOnlyTheAxes)
{
    tirv::test::GuiApp();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* what;
        double magnitude;
        double angle;
    };
    for (const Row row : {Row{"zero", 0.0, 300.0}, Row{"NaN magnitude", nan, 0.0},
                          Row{"infinite magnitude", std::numeric_limits<double>::infinity(), 0.0},
                          Row{"negative", -5.0, 0.0}, Row{"huge", 1e30, 0.0}}) {
        SCOPED_TRACE(row.what);
        auto p = Phasors();
        for (std::size_t k = 0; k < kDrawnPhasorCount; ++k)
            Select(p, k, row.magnitude, row.angle);
        const QImage image = RenderVectorDiagram(QSize(300, 280), p);
        int grey = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb px = image.pixel(x, y);
                ASSERT_TRUE(px == Pixel(kDiagramBackground) || px == Pixel(kDiagramAxisColour))
                    << x << "," << y;
                grey += px == Pixel(kDiagramAxisColour);
            }
        // Both axes, two pixels wide: 280 − 2·(10 + 5) long across, 280 − 2·5 up.
        EXPECT_GT(grey, 2 * (250 + 270) - 8);
    }
}

TEST(VectorDiagramPicture, NanAmongValidPhasorsIsLeftOutOfTheScale)
{
    tirv::test::GuiApp();
    auto p = Phasors();
    Select(p, kUa, std::numeric_limits<double>::quiet_NaN(), 0.0);
    Select(p, kUb, 30.0, 300.0);
    Select(p, kIb, 5.0, std::numeric_limits<double>::infinity());  // a current without angle
    const QImage image = RenderVectorDiagram(QSize(300, 280), p);
    EXPECT_NEAR(FarthestOfColour(image, kDefaultPhasorColours[kUb]), 130.0, 2.0);
    EXPECT_LT(FarthestOfColour(image, kDefaultPhasorColours[kIb]), 0.0);
}

TEST(VectorDiagramPicture, WidgetShowsTheExportedPicture)
{
    tirv::test::GuiApp();
    auto p = Phasors();
    Select(p, kIa, 3.0, 100.0);
    Select(p, kUa, 60.0, 2500.0);
    VectorDiagramView view;
    view.resize(260, 230);
    view.setPhasors(p);
    const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, RenderVectorDiagram(QSize(260, 230), p));
}

}  // namespace
}  // namespace tirv
