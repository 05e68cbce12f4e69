// The vector-diagram geometry: field, axes, the per-kind scale, tips by truncation, the
// arrowhead threshold, angles, and the phasors that must be left out.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "configurator/journals/measurement_phasors.h"
#include "configurator/journals/vector_diagram_geometry.h"

namespace tirv {
namespace {

enum : std::size_t { Ia, Ib, Ic, Ua, Ub, Uc, Uab, Ubc, Uca, I0, U0, I2, I1 };

// A square field of 340 pixels: centre (170, 170), radius 160.
constexpr int kSide = 340;

struct Phasors {
    std::array<PhasorInput, kPhasorCount> p{};
    Phasors& set(std::size_t k, double magnitude, double angleTenths)
    {
        p[k] = {true, magnitude, angleTenths, kDefaultPhasorColours[k]};
        return *this;
    }
    VectorDiagramGeometry layOut(int w = kSide, int h = kSide) const
    {
        return LayOutVectorDiagram(w, h, p);
    }
};

const PhasorShape* Find(const VectorDiagramGeometry& g, std::size_t k)
{
    for (const PhasorShape& s : g.shapes())
        if (s.phasor == k)
            return &s;
    return nullptr;
}

TEST(VectorDiagram, FieldCentreRadiusAndAxes)
{
    const VectorDiagramGeometry g = Phasors{}.layOut(400, 300);
    EXPECT_EQ(g.centre, (PixelPoint{200, 150}));
    EXPECT_EQ(g.radius, 140);
    EXPECT_EQ(g.horizontalAxis.from, (PixelPoint{55, 150}));  // margin 50 + 5
    EXPECT_EQ(g.horizontalAxis.to, (PixelPoint{345, 150}));
    EXPECT_EQ(g.verticalAxis.from, (PixelPoint{200, 5}));
    EXPECT_EQ(g.verticalAxis.to, (PixelPoint{200, 295}));
    EXPECT_EQ(g.phasorCount, 0u);
}

TEST(VectorDiagram, OnlyVoltagesSelectedTheLongestReachesTheRadius)
{
    Phasors in;
    in.set(Ua, 100.0, 0).set(Ub, 50.0, 900).set(U0, 25.0, 1800);
    in.p[Ia] = {false, 1000.0, 0, {}};  // not selected: no part in any scale
    const VectorDiagramGeometry g = in.layOut();
    ASSERT_EQ(g.phasorCount, 3u);
    EXPECT_EQ(Find(g, Ua)->line.to, (PixelPoint{170 + 160, 170}));
    EXPECT_EQ(Find(g, Ub)->line.to, (PixelPoint{170, 170 - 80}));
    EXPECT_EQ(Find(g, U0)->line.to, (PixelPoint{170 - 40, 170}));
    EXPECT_EQ(Find(g, Ia), nullptr);
    EXPECT_EQ(Find(g, Ua)->line.from, g.centre);
    EXPECT_EQ(Find(g, Ua)->colour, kDefaultPhasorColours[Ua]);
}

TEST(VectorDiagram, EachKindHasItsOwnScale)
{
    Phasors in;
    in.set(Ia, 5.0, 0).set(I0, 0.5, 1800).set(Ua, 100.0, 900).set(Uab, 173.0, -900);
    const VectorDiagramGeometry g = in.layOut();
    EXPECT_EQ(Find(g, Ia)->line.to, (PixelPoint{330, 170}));   // longest current
    EXPECT_EQ(Find(g, I0)->line.to, (PixelPoint{154, 170}));   // 16 pixels
    EXPECT_EQ(Find(g, Uab)->line.to, (PixelPoint{170, 330}));  // longest voltage, straight down
    EXPECT_EQ(Find(g, Ua)->line.to.x, 170);
    EXPECT_EQ(Find(g, Ua)->line.to.y, 170 - static_cast<int>(160.0 * 100.0 / 173.0));
}

TEST(VectorDiagram, AnglesInTenthsAndTipsTruncatedTowardsTheCentre)
{
    struct Case {
        double angleTenths;
        PixelPoint tip;
    };
    const Case cases[] = {
        // clang-format off
        {0, {330, 170}}, {900, {170, 10}}, {1800, {10, 170}}, {-900, {170, 330}},
        {2700, {170, 330}}, {3600, {330, 170}},
        {450, {283, 57}},   // 160·cos 45° = 113.14 → 113
        {2250, {57, 283}},  // −113.14 → −113, not −114
        {-450, {283, 283}},
        {300, {308, 91}},   // 138.56 → 138, not 139; 160·sin 30° = 79.99999… → 79
        {1200, {91, 32}},   // −79.99999… → −79
        // clang-format on
    };
    for (const Case& c : cases) {
        const VectorDiagramGeometry g = Phasors{}.set(Ua, 1.0, c.angleTenths).layOut();
        ASSERT_EQ(g.phasorCount, 1u) << c.angleTenths;
        EXPECT_EQ(g.phasors[0].line.to, c.tip) << c.angleTenths;
    }
}

TEST(VectorDiagram, ArrowheadOnlyAboveFortyPixels)
{
    Phasors in;
    in.set(Ua, 160.0, 0).set(Ub, 40.0, 900).set(Uc, 41.0, 1800);
    const VectorDiagramGeometry g = in.layOut();
    ASSERT_EQ(g.phasorCount, 3u);
    EXPECT_DOUBLE_EQ(Find(g, Ub)->length, 40.0);
    EXPECT_FALSE(Find(g, Ub)->hasArrowhead);
    EXPECT_TRUE(Find(g, Uc)->hasArrowhead);
    // A 24° pie of the 40 × 40 square on the tip, pointing back to the centre.
    const PhasorShape& ua = *Find(g, Ua);
    ASSERT_TRUE(ua.hasArrowhead);
    EXPECT_EQ(ua.arrowhead.topLeft, (PixelPoint{310, 150}));
    EXPECT_EQ(ua.arrowhead.size, 40);
    EXPECT_DOUBLE_EQ(ua.arrowhead.startDegrees, 168.0);
    EXPECT_DOUBLE_EQ(ua.arrowhead.spanDegrees, 24.0);
    const PhasorShape& uc = *Find(g, Uc);
    EXPECT_EQ(uc.arrowhead.topLeft, (PixelPoint{uc.line.to.x - 20, uc.line.to.y - 20}));
    EXPECT_DOUBLE_EQ(uc.arrowhead.startDegrees, 348.0);
    // Straight up points back down: 270 ± 12.
    const VectorDiagramGeometry up = Phasors{}.set(Ua, 1.0, 900).layOut();
    EXPECT_DOUBLE_EQ(up.phasors[0].arrowhead.startDegrees, 258.0);
    const VectorDiagramGeometry down = Phasors{}.set(Ua, 1.0, -900).layOut();
    EXPECT_DOUBLE_EQ(down.phasors[0].arrowhead.startDegrees, 78.0);
}

TEST(VectorDiagram, AllZeroDrawsOnlyTheAxes)
{
    Phasors in;
    for (std::size_t k = 0; k < kPhasorCount; ++k)
        in.set(k, 0.0, 0);
    const VectorDiagramGeometry g = in.layOut();
    EXPECT_EQ(g.phasorCount, 0u);
    EXPECT_EQ(g.horizontalAxis.from, (PixelPoint{5, 170}));
    EXPECT_EQ(g.verticalAxis.to, (PixelPoint{170, 335}));
    // Currents all 0 draw nothing of that kind; voltages still are, a 0 among them at the centre.
    const VectorDiagramGeometry v =
        Phasors{}.set(Ia, 0.0, 0).set(Ua, 10.0, 0).set(Ub, 0.0, 900).layOut();
    ASSERT_EQ(v.phasorCount, 2u);
    EXPECT_EQ(Find(v, Ua)->line.to, (PixelPoint{330, 170}));
    EXPECT_EQ(Find(v, Ub)->line.to, v.centre);
    EXPECT_EQ(Find(v, Ia), nullptr);
}

TEST(VectorDiagram, UnusableValuesAreLeftOutOfScaleAndDrawing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        double magnitude;
        double angleTenths;
    };
    const Case cases[] = {
        {"NaN magnitude", nan, 0},       {"infinite magnitude", inf, 0},
        {"negative magnitude", -5.0, 0}, {"huge magnitude", 1e7, 0},
        {"largest float", 3.4e38, 0},    {"NaN angle", 50.0, nan},
        {"infinite angle", 50.0, -inf},
    };
    for (const Case& c : cases) {
        Phasors in;
        in.set(Ua, 10.0, 0).set(Ub, c.magnitude, c.angleTenths);
        const VectorDiagramGeometry g = in.layOut();
        ASSERT_EQ(g.phasorCount, 1u) << c.what;
        EXPECT_EQ(g.phasors[0].phasor, Ua) << c.what;
        EXPECT_EQ(g.phasors[0].line.to, (PixelPoint{330, 170})) << c.what;
    }
    // Left out alone, nothing of the kind remains.
    EXPECT_EQ(Phasors{}.set(Ia, nan, 0).layOut().phasorCount, 0u);
}

TEST(VectorDiagram, I2AndI1AreNeverDrawnNorScaled)
{
    Phasors in;
    in.set(Ia, 1.0, 0).set(I2, 10.0, 900).set(I1, 20.0, 1800);
    const VectorDiagramGeometry g = in.layOut();
    ASSERT_EQ(g.phasorCount, 1u);
    EXPECT_EQ(g.phasors[0].line.to, (PixelPoint{330, 170}));
}

TEST(VectorDiagram, FieldsTooSmallForARadiusDrawNoPhasors)
{
    for (const auto& [w, h] : {std::pair{20, 20}, std::pair{0, 0}, std::pair{-5, 300}}) {
        const VectorDiagramGeometry g = Phasors{}.set(Ua, 1.0, 0).layOut(w, h);
        EXPECT_LE(g.radius, 0) << w << "x" << h;
        EXPECT_EQ(g.phasorCount, 0u) << w << "x" << h;
    }
}

TEST(MeasurementPhasorInputs, MagnitudesAnglesAndSelectionsFromAReading)
{
    MeasurementSettings settings;
    settings.selection[Ia] = 1;
    settings.selection[U0] = 1;
    MeasurementTable integer;
    integer.layout = MeasurementLayout::Integer;
    integer.values[1] = 3.2;  // Ia
    integer.raw[14] = 900;    // Ia angle, tenths
    integer.values[14] = 90.0;
    integer.values[11] = 1.5;  // 3Uo
    integer.raw[24] = -1200;
    integer.values[12] = 7.0;  // I1's value, which the I2 phasor takes
    const auto pi = MeasurementPhasors(integer, settings);
    EXPECT_TRUE(pi[Ia].selected);
    EXPECT_FALSE(pi[Ib].selected);
    EXPECT_EQ(pi[Ia].magnitude, 3.2);
    EXPECT_EQ(pi[Ia].angleTenths, 900.0);
    EXPECT_EQ(pi[U0].magnitude, 1.5);
    EXPECT_EQ(pi[U0].angleTenths, -1200.0);
    EXPECT_EQ(pi[I2].magnitude, 7.0);
    EXPECT_EQ(pi[U0].colour, settings.colours[U0]);

    MeasurementTable floats;
    floats.layout = MeasurementLayout::Float;
    floats.values[1] = 3.25;
    floats.values[14] = 90.0;  // degrees in the float layout
    const auto pf = MeasurementPhasors(floats, settings);
    EXPECT_EQ(pf[Ia].angleTenths, 900.0);
    const VectorDiagramGeometry g = LayOutVectorDiagram(kSide, kSide, pf);
    ASSERT_EQ(g.phasorCount, 1u);  // 3Uo is 0: nothing of the voltages
    EXPECT_EQ(g.phasors[0].line.to, (PixelPoint{170, 10}));
}

}  // namespace
}  // namespace tirv
