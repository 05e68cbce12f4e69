// The renderer draws what the plot arithmetic computes: pixels at computed positions.
#include "viewer/plot_renderer.h"
#include "viewer/print_export.h"
#include "viewer_test_support.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace tirv {
namespace {

using test::CountColour;

const QSize kSurface(800, 600);

// Ia: a triangle wave 0 … 160 with a period of 32 samples; Ua: flat at 57.
PlotSource Source()
{
    PlotSource src;
    src.n = 1600;
    src.rangeFactor = 1;
    src.start = {5, 3, 14, 8, 7, 6, 5};
    src.event = src.start;
    src.tripName = "МТЗ-1    ";
    PlotTrace& ia = src.channels[ChIa];
    ia.recorded = true;
    for (int s = 0; s < src.n; ++s)
        ia.values.push_back(s % 32 < 16 ? (s % 32) * 10 : (32 - s % 32) * 10);
    ia.max = 160;
    ia.min = 0;
    PlotTrace& ua = src.channels[ChUa];
    ua.recorded = true;
    ua.flat = true;
    ua.values.assign(static_cast<std::size_t>(src.n), 57);
    ua.max = ua.min = 57;
    src.digitalValid = true;
    src.digital = {{0, 0x0001, 0}, {100, 0x0000, 0}};
    return src;
}

struct Scene {
    PlotSource src = Source();
    VerticalLayout layout;
    PlotView view;
    std::array<bool, kPlotSignals> shown{};

    Scene()
    {
        test::GuiApp();
        shown[0] = true;
        layout = LayOut(src, GraphsAtLoad(src), shown, true);
        view.source = &src;
        view.layout = &layout;
        view.channelOn[ChIa] = view.channelOn[ChUa] = true;
        const PlotRects r = ComputePlotRects(kSurface, view.labelMargin, false);
        view.h = FitTimeScale(src.n, 1280, r.w);  // S = 1/2
        view.t1 = 40;
        view.t0 = 20;
    }
    QImage render(const PlotPalette& pal) const { return RenderPlotImage(kSurface, view, pal); }
    QImage render() const { return render(ScreenPalette(ViewerSettings::Defaults().colours)); }
};

const QColor kClear(0xF0, 0xF0, 0xF0);
const QColor kIaRed(255, 0, 0);
const QColor kGrid(0x7F, 0x7F, 0x7F);

TEST(PlotRegions, MarginsStripsAndHeaderHaveTheirFixedSizes)
{
    const struct { int margin; bool markers; QRect plot, header, axis; } cases[] = {
        {60, false, {60, 20, 730, 530}, {60, 20, 730, 25}, {0, 550, 800, 50}},
        {60, true, {60, 20, 730, 530}, {60, 20, 730, 60}, {0, 550, 800, 50}},
        {LabelMargin(144), false, {90, 20, 700, 530}, {90, 20, 700, 25}, {0, 550, 800, 50}},
    };
    for (const auto& c : cases) {
        const PlotRects r = ComputePlotRects(kSurface, c.margin, c.markers);
        EXPECT_EQ(r.plot, c.plot);
        EXPECT_EQ(r.header, c.header);
        EXPECT_EQ(r.axis, c.axis);
        EXPECT_EQ(r.curves.top(), c.header.bottom() + 1);
        EXPECT_EQ(r.curves.bottom(), c.plot.bottom());
    }
}

TEST(PlotPicture, WithoutAnOscillogramOnlyTheBackgroundIsDrawn)
{
    test::GuiApp();
    PlotView empty;
    const QImage img = RenderPlotImage(kSurface, empty, ScreenPalette(ViewerSettings::Defaults().colours));
    EXPECT_EQ(CountColour(img, QRect(60, 20, 730, 530), Qt::black), 730 * 530);
    EXPECT_EQ(CountColour(img, QRect(0, 0, 800, 20), kClear), 800 * 20);  // no title
    EXPECT_EQ(CountColour(img, QRect(0, 550, 800, 50), kClear), 800 * 50);  // no axis
}

TEST(PlotPicture, CurvePixelsLieWhereTheSamplesMapTo)
{
    Scene s;
    const QImage img = s.render();
    const PlotRects r = ComputePlotRects(kSurface, 60, false);
    // S = 1/2: sample 32 (a trough, value 0) at x = 60 + 16; sample 16 (peak 160) at x = 68.
    // The Ia lane is 100 px high: y = top + (160 − v) × 100 / 160.
    const int top = r.curves.top() + s.layout.lanes[0].top;
    EXPECT_EQ(QColor(img.pixel(60 + 8, top)), kIaRed);         // sample 16, the peak
    EXPECT_EQ(QColor(img.pixel(60 + 16, top + 100)), kIaRed);  // sample 32, the trough
    EXPECT_NE(QColor(img.pixel(60 + 16, top)), kIaRed);        // no peak at a trough
    // The flat Ua lane is a line at its top, in Ua's colour, across the plot.
    const int uaY = r.curves.top() + s.layout.lanes[1].top;
    EXPECT_EQ(CountColour(img, QRect(60, uaY, 730, 1), QColor(0, 255, 255)), 730);
}

TEST(PlotPicture, LineWidthThickensTheCurve)
{
    Scene s;
    const PlotRects r = ComputePlotRects(kSurface, 60, false);
    const int uaY = r.curves.top() + s.layout.lanes[1].top;
    for (int width = 1; width <= 4; ++width) {
        s.view.lineWidth = width;
        const QImage img = s.render();
        EXPECT_EQ(CountColour(img, QRect(300, uaY - 5, 1, 11), QColor(0, 255, 255)), width) << width;
    }
}

TEST(PlotPicture, GridIsStippledCoarseAtTicksAndFineBetween)
{
    Scene s;
    s.view.channelOn = {};
    s.view.digitalOn = false;
    const QImage img = s.render();
    const PlotRects r = ComputePlotRects(kSurface, 60, false);
    // Below the last guide line nothing but the grid: a column of 64 pixels at a tick is half
    // grid (two on, two off), one 16 pixels on is an eighth (one on, seven off).
    const int y = r.curves.top() + s.layout.contentHeight + 30;
    const QRect tick(60 + 128, y, 1, 64), fine(60 + 144, y, 1, 64), none(60 + 150, y, 1, 64);
    ASSERT_LT(y + 64, r.curves.bottom());
    EXPECT_EQ(CountColour(img, tick, kGrid), 0);  // the grid ends at the content bottom
    s.layout.contentHeight = 500;
    const QImage tall = s.render();
    EXPECT_EQ(CountColour(tall, tick, kGrid), 32);
    EXPECT_EQ(CountColour(tall, fine, kGrid), 8);
    EXPECT_EQ(CountColour(tall, none, kGrid), 0);
}

TEST(PlotPicture, AxisTicksEvery64PixelsBelowThePlot)
{
    Scene s;
    const QImage img = s.render();
    for (int x : {60, 124, 188, 252}) {
        EXPECT_EQ(CountColour(img, QRect(x, 550, 1, 5), Qt::black), 5) << x;
        EXPECT_EQ(QColor(img.pixel(x, 550 + 7)), kClear) << x;
    }
    EXPECT_EQ(CountColour(img, QRect(61, 550, 63, 5), Qt::black), 0);
    // Each label has black pixels centred on its tick, 20 pixels below the strip top.
    EXPECT_GT(test::CountDark(img, QRect(124 - 12, 562, 24, 16)), 10);
}

TEST(PlotPicture, MarkerLinesCrossTheCurveRegionAndFiveMore)
{
    Scene s;
    s.view.markers = true;
    s.view.t1 = 200;  // x = 60 + 100
    s.view.t0 = 100;  // x = 60 + 50
    const QImage img = s.render();
    const PlotRects r = ComputePlotRects(kSurface, 60, true);
    const QColor magenta(255, 0, 255);
    EXPECT_EQ(QColor(img.pixel(160, r.plot.bottom() + 5)), magenta);
    EXPECT_EQ(QColor(img.pixel(160, r.plot.bottom() - 3)), magenta);
    EXPECT_EQ(QColor(img.pixel(110, r.plot.bottom() - 3)), QColor(Qt::white));
    EXPECT_NE(QColor(img.pixel(160, r.plot.bottom() + 6)), magenta);
    // The header shows channel names and both marker values in their colours.
    EXPECT_GT(CountColour(img, QRect(60, 20, 60, 16), kIaRed), 5);
    EXPECT_GT(CountColour(img, QRect(60, 36, 60, 16), magenta), 5);
}

TEST(PlotPicture, PrintStyleIsBlackOnWhiteWithAGreyGrid)
{
    Scene s;
    s.view.markers = true;
    s.view.t1 = 200;
    const QImage img = s.render(PrintPalette());
    const PlotRects r = ComputePlotRects(kSurface, 60, true);
    const int top = r.curves.top() + s.layout.lanes[0].top;
    EXPECT_EQ(QColor(img.pixel(60 + 8, top)), QColor(Qt::black));
    EXPECT_EQ(QColor(img.pixel(160, r.plot.bottom() - 3)), QColor(Qt::black));  // marker t1
    EXPECT_EQ(QColor(img.pixel(5, 300)), QColor(Qt::white));
    EXPECT_EQ(CountColour(img, r.plot, kIaRed), 0);
}

TEST(PlotPicture, DigitalRowsHaveLabelsAndStepTraces)
{
    Scene s;
    const QImage img = s.render();
    const PlotRects r = ComputePlotRects(kSurface, 60, false);
    const DigitalRow& row = s.layout.rows.at(0);
    const int high = r.curves.top() + row.top, low = high + kDigitalLow;
    const QColor green(0, 255, 0);
    // Input 1 is 1 until sample 100 (x = 50) and 0 after it.
    EXPECT_EQ(QColor(img.pixel(60 + 20, high)), green);
    EXPECT_EQ(QColor(img.pixel(60 + 80, low)), green);
    EXPECT_NE(QColor(img.pixel(60 + 80, high)), green);
    EXPECT_EQ(CountColour(img, QRect(60 + 50, high, 1, 11), green), 11);  // the step
    // Label "Вх.1" right-aligned left of the plot with its tick.
    EXPECT_EQ(CountColour(img, QRect(55, low, 5, 1), Qt::black), 5);
    EXPECT_GT(test::CountDark(img, QRect(20, low - 8, 34, 16)), 10);
}

TEST(PreviewPage, PageHasTheRootTwoAspectAndThePictureKeepsItsOwn)
{
    const struct { QSize area, picture; bool landscape; QRect page, fitted; } cases[] = {
        {{340, 340}, {800, 600}, false, {57, 10, 226, 320}, {57, 85, 226, 170}},
        {{340, 340}, {800, 600}, true, {10, 57, 320, 226}, {19, 57, 301, 226}},
        {{500, 340}, {100, 800}, false, {137, 10, 226, 320}, {230, 10, 40, 320}},
    };
    for (const auto& c : cases) {
        const PreviewGeometry g = ComputePreviewGeometry(c.area, c.picture, c.landscape);
        EXPECT_EQ(g.page, c.page);
        EXPECT_EQ(g.picture, c.fitted);
    }
}

}  // namespace
}  // namespace tirv
