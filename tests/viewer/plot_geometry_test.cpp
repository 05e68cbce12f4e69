#include "viewer/plot_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tirv {
namespace {

// A channel holding a 50 Hz sine of the given amplitude (display units) plus an offset.
PlotTrace Sine(int n, int amplitude, int offset = 0)
{
    PlotTrace t;
    t.recorded = true;
    t.values.resize(static_cast<std::size_t>(n));
    for (int s = 0; s < n; ++s)
        t.values[static_cast<std::size_t>(s)] =
            offset + static_cast<int>(std::lround(amplitude * std::sin(2 * std::numbers::pi * s / 16)));
    t.max = *std::max_element(t.values.begin(), t.values.end());
    t.min = *std::min_element(t.values.begin(), t.values.end());
    t.flat = t.max == t.min;
    return t;
}

PlotTrace Flat(int n, int value)
{
    PlotTrace t;
    t.recorded = true;
    t.flat = true;
    t.values.assign(static_cast<std::size_t>(n), value);
    t.max = t.min = value;
    return t;
}

std::array<bool, kPlotSignals> AllShown()
{
    std::array<bool, kPlotSignals> a;
    a.fill(true);
    return a;
}

// ---- time scale -------------------------------------------------------------------------

TEST(TimeScaleFit, FitsThreeQuartersOfTheScreenAndKeepsTheScrollRangeIn16Bits)
{
    struct Case { int n, screen, sExp, d; };
    const Case cases[] = {
        {9600, 1920, -3, 8},  // S = 1/8: 1,200 < 1,440; D = 8 keeps 5 + 9,599 × 4 ≤ 65,535
        {1600, 1280, -1, 1},  // S = 1/2: 1,600 ≥ 960 > 800; 5 + 1,599 × 32 = 51,173
        {4800, 1920, -2, 4},  // two channels
        {1600, 1920, -1, 1},  // six channels on a wide screen: 1,600 × 1 ≥ 1,440 > 800
        {9600, 800, -4, 8},   // never below 1/16 however narrow the screen
        {20, 1280, 5, 1},     // a tiny recording stays at the largest scale
    };
    for (const Case& c : cases) {
        const HorizontalState h = FitTimeScale(c.n, c.screen, 1000);
        EXPECT_EQ(h.sExp, c.sExp) << c.n << " on " << c.screen;
        EXPECT_EQ(h.s0Exp, c.sExp) << c.n << " on " << c.screen;
        EXPECT_EQ(h.d, c.d) << c.n << " on " << c.screen;
        EXPECT_EQ(h.pos, 0);
    }
}

TEST(TimeScaleFit, StretchStopsAt32AndCompressAtTheFittedScale)
{
    HorizontalState h = FitTimeScale(9600, 1920, 1850);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Stretch(h));
    EXPECT_EQ(h.scale(), 2.0);  // four stretches from 1/8
    EXPECT_TRUE(Stretch(h));
    EXPECT_TRUE(Stretch(h));
    EXPECT_TRUE(Stretch(h));
    EXPECT_TRUE(Stretch(h));
    EXPECT_EQ(h.scale(), 32.0);
    EXPECT_FALSE(Stretch(h));
    EXPECT_EQ(h.scale(), 32.0);
    int compressions = 0;
    while (Compress(h))
        ++compressions;
    EXPECT_EQ(compressions, 8);
    EXPECT_EQ(h.scale(), 0.125);
}

TEST(TimeScaleFit, ScrollRangeFollowsTheScale)
{
    // N = 9,600, W = 1,000, D = 8: at S = 1/8 the recording is 1,200 pixels = 150 units.
    HorizontalState h = FitTimeScale(9600, 1920, 1000);
    EXPECT_EQ(h.page, 125);
    EXPECT_EQ(h.maximum, 150 - 125);
    EXPECT_TRUE(h.scrollable());
    ASSERT_TRUE(Stretch(h));  // S = 1/4: 2,400 pixels = 300 units, and the last sample
    EXPECT_EQ(h.maximum, 300 - 125 + 1);  // (2,399 px) is not on a unit boundary: one more
    Scroll(h, ScrollAction::End);
    EXPECT_EQ(h.pos, h.maximum);
    ASSERT_TRUE(Compress(h));  // pos halves; 176 / 2 = 88 ≥ 25 → end of the shorter range
    EXPECT_EQ(h.maximum, 25);
    EXPECT_EQ(h.pos, 0);       // the maximum does not exceed a page, so back to the start
    // N = 1,600 fits W = 1,000 at S = 1/2: no scroll bar.
    const HorizontalState small = FitTimeScale(1600, 1280, 1000);
    EXPECT_FALSE(small.scrollable());
}

TEST(TimeScaleFit, FirstVisibleSampleAndPixelsAreSampleIndexArithmetic)
{
    HorizontalState h = FitTimeScale(9600, 1920, 1000);  // S = 1/8, D = 8
    ScrollTo(h, 10);
    EXPECT_EQ(FirstVisibleSample(h), 640);  // 8 × 10 × 8
    EXPECT_DOUBLE_EQ(SampleToX(h, 648), 1.0);
    EXPECT_EQ(SampleUnderX(h, 3), 664);
    Scroll(h, ScrollAction::LineRight);
    EXPECT_EQ(h.pos, 11);
    Scroll(h, ScrollAction::LineLeft);
    Scroll(h, ScrollAction::PageLeft);
    EXPECT_EQ(h.pos, 0);  // clamped
    for (int i = 0; i < 5; ++i)
        Stretch(h);  // S = 4
    ScrollTo(h, 5);  // 40 pixels = 10 samples
    EXPECT_EQ(FirstVisibleSample(h), 10);
    Scroll(h, ScrollAction::LineRight);
    EXPECT_EQ(h.pos, 9);  // a line is one sample (S units) when S > 1
    EXPECT_EQ(FirstVisibleSample(h), 18);   // 9 × 8 = 72 pixels = 18 samples
    EXPECT_EQ(SampleUnderX(h, 5), 18 + 1);  // 5 px = 1.25 samples, half up → 1
    EXPECT_EQ(SampleUnderX(h, 6), 18 + 2);  // 1.5 samples → 2
}

TEST(TimeScaleFit, MarkersStartTwentyAndTenPixelsIntoTheWindow)
{
    HorizontalState h = FitTimeScale(9600, 1920, 1000);  // S = 1/8
    EXPECT_EQ(MarkerStartSample(h, 20), 160);
    EXPECT_EQ(MarkerStartSample(h, 10), 80);
    for (int i = 0; i < 6; ++i)
        Stretch(h);  // S = 8
    ScrollTo(h, 1);  // 8 pixels
    EXPECT_EQ(MarkerStartSample(h, 20), 4);  // 28 / 8 rounded up
    EXPECT_EQ(MarkerStartSample(h, 10), 3);  // 18 / 8 rounded up
}

// ---- axis --------------------------------------------------------------------------------

TEST(TimeAxis, LabelsInRelativeAndAbsoluteMode)
{
    StampTime start;
    start.second = 59;
    start.hundredths = 99;
    struct Case { double sample; bool absolute; const char* text; };
    const Case cases[] = {
        {0, false, "0"},       {64, false, "80"},         {5, false, "6.25"},
        {0.5, false, "0.62"},  // 0.625 ms printed by "%.2f" (exact binary half: to even)
        {16, true, "0.0100"},  // 59.99 s + 20 ms wraps past the minute
        {0, true, "59.9900"},  {8, true, "0.0000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AxisLabel(c.sample, c.absolute, start), c.text) << c.sample;
}

TEST(TimeAxis, TicksEvery64PixelsAnchoredToTheScrolledPlot)
{
    HorizontalState h = FitTimeScale(1600, 1280, 300);  // S = 1/2, D = 1
    auto ticks = AxisTicks(h, false, {});
    ASSERT_EQ(ticks.size(), 5u);  // 0, 64, 128, 192, 256
    EXPECT_EQ(ticks[1].x, 64);
    EXPECT_EQ(ticks[1].label, "160");  // 128 samples
    ScrollTo(h, 10);
    ticks = AxisTicks(h, false, {});
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks[0].x, 54);
    EXPECT_EQ(ticks[0].label, "160");  // the tick stays on the same sample when scrolling
}

// ---- lanes and rows ---------------------------------------------------------------------

PlotSource ThreeCurrents()
{
    PlotSource src;
    src.n = 3200;
    src.channels[ChIa] = Sine(src.n, 100);
    src.channels[ChIb] = Sine(src.n, 50);
    src.channels[ChIc] = Sine(src.n, 200, 300);
    return src;
}

TEST(Lanes, AtLoadEveryChannelHasItsOwnLaneScaledAgainstItsGroup)
{
    PlotSource src = ThreeCurrents();
    src.channels[Ch3Io] = Sine(src.n, 40);
    const VerticalLayout v = LayOut(src, GraphsAtLoad(src), AllShown(), false);
    ASSERT_EQ(v.lanes.size(), 4u);
    EXPECT_EQ(v.lanes[3].graph, 7);  // 3Io lane, voltage group
    EXPECT_EQ(v.groupMax[0], 400);
    EXPECT_EQ(v.groupMax[1], 80);
    const int heights[] = {50, 25, 100, 100};
    const int tops[] = {1, 71, 116, 236};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(v.lanes[i].height, heights[i]) << i;
        EXPECT_EQ(v.lanes[i].top, tops[i]) << i;
    }
    EXPECT_EQ(v.contentHeight, 275 + 80 + 60);
    EXPECT_EQ(v.laneOf(Ch3Io), 3);
    // The 3Io curve spans its own lane from top (maximum) to bottom (minimum).
    const auto& ys = v.ys[Ch3Io];
    EXPECT_FLOAT_EQ(*std::min_element(ys.begin(), ys.end()), 236.0f);
    EXPECT_FLOAT_EQ(*std::max_element(ys.begin(), ys.end()), 336.0f);
}

TEST(Lanes, IaAndIcOnGraph3ShareOneLaneWithTheCommonRange)
{
    const PlotSource src = ThreeCurrents();
    GraphChoice g{3, 2, 3, 0, 0, 0, 0};
    const VerticalLayout v = LayOut(src, g, AllShown(), false);
    ASSERT_EQ(v.lanes.size(), 2u);
    EXPECT_EQ(v.lanes[0].graph, 2);
    EXPECT_EQ(v.lanes[1].graph, 3);
    EXPECT_TRUE(v.lanes[1].members[ChIa]);
    EXPECT_TRUE(v.lanes[1].members[ChIc]);
    EXPECT_EQ(v.laneOf(ChIa), 1);
    EXPECT_EQ(v.lanes[1].max, 500);
    EXPECT_EQ(v.lanes[1].min, -100);
    EXPECT_EQ(v.groupMax[0], 600);
    EXPECT_EQ(v.lanes[0].height, 100 * 100 / 600);
    EXPECT_EQ(v.lanes[1].height, 100);
    // Ia's zero lies (500 − 0) × 100 / 600 below the shared lane's top.
    const float top = static_cast<float>(v.lanes[1].top);
    EXPECT_FLOAT_EQ(v.ys[ChIa][0], top + 500.0f * 100.0f / 600.0f);
    EXPECT_FLOAT_EQ(v.ys[ChIc][4], top + 0.0f);  // Ic's peak is the lane maximum
    EXPECT_TRUE(v.ys[ChIb].size() == 3200u);
}

TEST(Lanes, AFlatChannelIsALaneOfHeightZeroDrawnAtItsTop)
{
    PlotSource src = ThreeCurrents();
    src.channels[ChUa] = Flat(src.n, 57);
    const VerticalLayout v = LayOut(src, GraphsAtLoad(src), AllShown(), false);
    const int lane = v.laneOf(ChUa);
    ASSERT_EQ(lane, 3);
    EXPECT_EQ(v.lanes[3].height, 0);
    EXPECT_EQ(v.groupMax[1], 0);
    for (float y : v.ys[ChUa])
        ASSERT_FLOAT_EQ(y, static_cast<float>(v.lanes[3].top));
}

TEST(Lanes, ThreeIoJoinsAVoltageLaneOrDisappears)
{
    PlotSource src = ThreeCurrents();
    src.channels[ChUa] = Sine(src.n, 1000);
    src.channels[Ch3Io] = Sine(src.n, 10);
    struct Case { int graph3Io; std::size_t lanes; int laneOf3Io; };
    const Case cases[] = {{7, 5, 4}, {4, 4, 3}, {0, 4, -1}};
    for (const Case& c : cases) {
        GraphChoice g{1, 2, 3, 4, 0, 0, c.graph3Io};
        const VerticalLayout v = LayOut(src, g, AllShown(), false);
        EXPECT_EQ(v.lanes.size(), c.lanes) << c.graph3Io;
        EXPECT_EQ(v.laneOf(Ch3Io), c.laneOf3Io) << c.graph3Io;
        EXPECT_EQ(v.ys[Ch3Io].empty(), c.laneOf3Io < 0);
    }
}

TEST(DigitalRows, RowsFollowTheLanesAndTracesStepAtChanges)
{
    PlotSource src = ThreeCurrents();
    src.digitalValid = true;
    src.digital = {{0, 0x0001, 0x0000}, {100, 0x0000, 0x0000}, {250, 0x0000, 0x8000}};
    std::array<bool, kPlotSignals> shown{};
    shown[0] = true;   // input 1
    shown[31] = true;  // output 16
    const VerticalLayout v = LayOut(src, GraphsAtLoad(src), shown, true);
    ASSERT_EQ(v.rows.size(), 2u);
    const int rowsTop = v.lanes.back().top + v.lanes.back().height + 20;
    EXPECT_EQ(v.rows[0].top, rowsTop);
    EXPECT_EQ(v.rows[1].top, rowsTop + 20);
    EXPECT_EQ(v.rows[1].signal, 31);
    const std::vector<std::int32_t> xs0 = {0, 100, 100, 3199};
    EXPECT_EQ(v.traces[0].samples, xs0);
    const float hi = static_cast<float>(rowsTop), lo = hi + 10;
    EXPECT_EQ(v.traces[0].ys, (std::vector<float>{hi, hi, lo, lo}));
    const std::vector<std::int32_t> xs1 = {0, 250, 250, 3199};
    EXPECT_EQ(v.traces[1].samples, xs1);
    EXPECT_EQ(v.contentHeight, rowsTop - 1 + 60 + 2 * 20 + 10);
    // Switching the display off or an invalid digital part removes the rows.
    EXPECT_TRUE(LayOut(src, GraphsAtLoad(src), shown, false).rows.empty());
    src.digitalValid = false;
    EXPECT_TRUE(LayOut(src, GraphsAtLoad(src), shown, true).rows.empty());
}

TEST(DigitalRows, VerticalScrollAppearsWhenTheContentIsTallerThanThePlot)
{
    EXPECT_EQ(VerticalRange(500, 600).maximum, 0);
    EXPECT_EQ(VerticalRange(900, 600).maximum, 300);
    EXPECT_EQ(VerticalRange(900, 600).page, 540);
}

// ---- markers ---------------------------------------------------------------------------

TEST(MarkerValues, RmsNeedsAWholePeriodBeforeTheMarker)
{
    PlotSource src;
    src.n = 1600;
    src.rangeFactor = 2;
    src.channels[ChUa] = Sine(src.n, 1000);
    src.channels[ChIa] = Sine(src.n, 1000);
    src.channels[Ch3Io] = Sine(src.n, 1000);
    // The sine's samples are rounded to integers, so the fundamental is 1000 within 0.1.
    EXPECT_EQ(FormatMarkerValue(src, ChUa, 15, true), "");
    EXPECT_FALSE(MarkerValue(src, ChUa, 15, true).has_value());
    const struct { int channel, factor; double expect; int decimals; } cases[] = {
        {ChUa, 2, 100.0, 2}, {ChIa, 2, 10.0, 3}, {Ch3Io, 2, 1.0, 3}, {ChIa, 1, 100.0, 2},
    };
    for (const auto& c : cases) {
        src.rangeFactor = c.factor;
        const auto v = MarkerValue(src, c.channel, 16, true);
        ASSERT_TRUE(v.has_value()) << c.channel;
        EXPECT_NEAR(*v, c.expect, c.expect * 1e-4) << c.channel;
        const std::string text = FormatMarkerValue(src, c.channel, 16, true);
        EXPECT_EQ(text.size() - text.find('.') - 1, static_cast<std::size_t>(c.decimals)) << text;
    }
    // Sample 16 reads samples 0–15 only: changing sample 16 leaves it alone, sample 0 does not.
    const std::string before = FormatMarkerValue(src, ChUa, 16, true);
    src.channels[ChUa].values[16] = 30000;
    EXPECT_EQ(FormatMarkerValue(src, ChUa, 16, true), before);
    src.channels[ChUa].values[0] = 800;
    EXPECT_NE(FormatMarkerValue(src, ChUa, 16, true), before);
}

TEST(MarkerValues, InstantaneousValuesScaleBySqrt2AndTheChannelDivisor)
{
    PlotSource src;
    src.n = 100;
    src.rangeFactor = 1;
    src.channels[ChUb] = Flat(src.n, 100);
    src.channels[ChIc] = Flat(src.n, -50);
    src.channels[Ch3Io] = Flat(src.n, 1000);
    EXPECT_EQ(FormatMarkerValue(src, ChUb, 3, false), "14.14");
    EXPECT_EQ(FormatMarkerValue(src, ChIc, 0, false), "-7.07");
    EXPECT_EQ(FormatMarkerValue(src, Ch3Io, 99, false), "1.414");
    EXPECT_EQ(FormatMarkerValue(src, ChUb, 100, false), "");  // past the recording
    EXPECT_EQ(FormatMarkerValue(src, ChUa, 3, false), "");    // not recorded
}

TEST(MarkerTimes, AbsoluteTimeCarriesIntoTheDateByTheMonthRule)
{
    struct Case { StampTime start; int sample; FineTime expect; };
    const Case cases[] = {
        {{31, 12, 15, 23, 59, 59, 99}, 8, {1, 1, 16, 0, 0, 0, 0}},
        {{28, 2, 16, 23, 59, 59, 99}, 8, {29, 2, 16, 0, 0, 0, 0}},
        {{28, 2, 15, 23, 59, 59, 99}, 8, {1, 3, 15, 0, 0, 0, 0}},
        {{30, 4, 15, 23, 59, 59, 99}, 9, {1, 5, 15, 0, 0, 0, 125}},
        {{5, 6, 15, 10, 20, 30, 40}, 1, {5, 6, 15, 10, 20, 30, 40125}},
        {{5, 6, 15, 10, 20, 30, 40}, 9600, {5, 6, 15, 10, 20, 42, 40000}},
    };
    for (const Case& c : cases) {
        const FineTime t = AddSamples(c.start, c.sample);
        EXPECT_EQ(t.day, c.expect.day);
        EXPECT_EQ(t.month, c.expect.month);
        EXPECT_EQ(t.year, c.expect.year);
        EXPECT_EQ(t.hour, c.expect.hour);
        EXPECT_EQ(t.minute, c.expect.minute);
        EXPECT_EQ(t.second, c.expect.second);
        EXPECT_EQ(t.fraction, c.expect.fraction);
    }
}

TEST(MarkerTimes, TextsOfMarkerTimesAndTheTitle)
{
    const StampTime start{5, 6, 15, 9, 8, 7, 6};
    EXPECT_EQ(MarkerTimeText(start, 17, false), "21.25");
    EXPECT_EQ(MarkerTimeText(start, 17, true), "09:08:07.08125");
    EXPECT_EQ(MarkerTimeText(start, 8000, true), "09:08:17.06000");
    EXPECT_EQ(MarkerDifferenceText(30, 10), "0.02500");
    EXPECT_EQ(MarkerDifferenceText(10, 30), "-0.02500");
    PlotSource src;
    src.tripName = "МТЗ-1    ";
    src.event = {3, 7, 9, 14, 5, 6, 70};
    EXPECT_EQ(TitleText(src), "МТЗ-1    03.07.09   14:05:06.70");
}

}  // namespace
}  // namespace tirv
