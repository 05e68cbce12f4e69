// The operating sectors of the emergency page's diagram, judged on rendered pixels: where the
// hatched pie of a sector's colour lies, and whether it is drawn at all under each class's rule.
#include "configurator/journals/journal_emergency_page_diagram.h"
#include "configurator/journals/journal_settings.h"
#include "support/gui_app.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tirv {
namespace {

constexpr int kSide = 300;

struct Setpoint {
    const char* name;
    int value;
};

Rgb RgbOf(std::uint32_t ref)
{
    return {RedOf(ref), GreenOf(ref), BlueOf(ref)};
}

// Angles (degrees) of the pixels of `colour` between 0.4 r and 0.9 r (a 2-pixel edge line stays
// within 3° there) from the centre.
std::vector<double> PixelAngles(int model, const std::vector<Setpoint>& values,
                                std::array<bool, 4> boxes, Rgb colour)
{
    test::GuiApp();
    const ModelProfile profile = ProfileForModel(model);
    SetpointImage image{};
    for (const Setpoint& v : values) {
        const int index = profile.find(v.name);
        EXPECT_GE(index, 0) << v.name;
        if (index >= 0)
            image[std::size_t(index)] = v.value;
    }
    EmergencyDiagramContent c;
    c.hasEvent = true;
    c.anglesDegrees = {0, -120, 120, 0, -120, 120, 30, -90, 150, 0, 0};  // Uab 30°, 3Uo 0°
    for (std::size_t k = 0; k < kJournalPhasors; ++k)
        c.colours[k] = RgbOf(kDefaultJournalColours[k]);
    c.sectorBoxes = boxes;
    c.setpoints = &image;
    c.profile = &profile;
    const QImage picture = RenderEmergencyDiagram(QSize(kSide, kSide), c);
    const double centre = kSide / 2.0;
    const double r = kSide / 2.0 - 10;
    std::vector<double> angles;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const QColor p = picture.pixelColor(x, y);
            if (p != QColor(colour.r, colour.g, colour.b))
                continue;
            const double dx = x - centre, dy = centre - y;
            const double d = std::hypot(dx, dy);
            if (d < 0.4 * r || d > 0.9 * r)
                continue;
            angles.push_back(std::atan2(dy, dx) * 180.0 / std::numbers::pi);
        }
    return angles;
}

int CountIn(const std::vector<double>& angles, double from, double to)
{
    return int(std::count_if(angles.begin(), angles.end(),
                             [&](double a) { return a >= from && a <= to; }));
}

TEST(EmergencyDiagramSectors, TheIcSectorCentresOnTheAngleWithItsWidth)
{
    // МТЗ-1 on, maximum sensitivity −30°, Uab at 30°: centre 0°; position 1 → half-width 30°.
    const Rgb uab = RgbOf(kDefaultJournalColours[6]);
    const auto angles = PixelAngles(
        705,
        {{"МТЗ-1 Вкл.", 1}, {"МТЗ-общие Угол макс.чувств.", -30}, {"МТЗ-общие Угол сектора", 1}},
        {true, false, false, false}, uab);
    ASSERT_FALSE(angles.empty());
    EXPECT_EQ(CountIn(angles, -180, -33) + CountIn(angles, 33, 180), 0);
    EXPECT_GT(CountIn(angles, -29, -20), 10);  // hatch and edge on both sides of the centre
    EXPECT_GT(CountIn(angles, 20, 29), 10);
    EXPECT_GT(CountIn(angles, -1, 1), 5);  // the centre line at 0°
}

TEST(EmergencyDiagramSectors, SectorsOnlyUnderTheirRules)
{
    const Rgb uab = RgbOf(kDefaultJournalColours[6]);
    const Rgb i0 = RgbOf(kDefaultJournalColours[9]);
    struct Case {
        const char* what;
        int model;
        std::vector<Setpoint> values;
        std::array<bool, 4> boxes;
        Rgb colour;
        bool drawn;
    };
    const std::vector<Case> cases{
        {"no МТЗ stage on",
         705,
         {{"МТЗ-общие Угол сектора", 1}},
         {true, true, true, true},
         uab,
         false},
        {"МТЗ-3 on, box cleared", 705, {{"МТЗ-3 Вкл.", 1}}, {false, true, true, true}, uab, false},
        {"МТЗ-3 on", 716, {{"МТЗ-3 Вкл.", 1}}, {true, false, false, false}, uab, true},
        {"non-M, algorithm 1", 706, {{"ОЗЗ Алг.защиты", 1}}, {false, false, false, true}, i0, true},
        {"non-M, algorithm 0",
         706,
         {{"ОЗЗ Алг.защиты", 0}},
         {false, false, false, true},
         i0,
         false},
        {"M, on and directional",
         716,
         {{"ОЗЗ-1Г Вкл.", 1}, {"ОЗЗ-1Г Направ.", 1}},
         {false, false, false, true},
         i0,
         true},
        {"M, on only", 716, {{"ОЗЗ-1Г Вкл.", 1}}, {false, false, false, true}, i0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto angles = PixelAngles(c.model, c.values, c.boxes, c.colour);
        EXPECT_EQ(!angles.empty(), c.drawn) << angles.size();
    }
}

}  // namespace
}  // namespace tirv
