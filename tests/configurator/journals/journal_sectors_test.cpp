#include "configurator/journals/journal_sectors.h"

#include <gtest/gtest.h>

#include "configurator/journals/journal_settings.h"

namespace tirv {
namespace {

constexpr std::array<bool, 4> kAllBoxes{true, true, true, true};

struct Setpoint {
    const char* name;
    int value;
};

SetpointImage ImageWith(const ModelProfile& p, std::initializer_list<Setpoint> values)
{
    SetpointImage image{};
    for (const auto& v : values) {
        const int index = p.find(v.name);
        EXPECT_GE(index, 0) << v.name;
        if (index >= 0)
            image[static_cast<std::size_t>(index)] = v.value;
    }
    return image;
}

// Angles Ia … 3Uo in degrees: Uab 30, Ubc −90, Uca 150, 3Uo 200.
constexpr std::array<double, 11> kAngles{0, -120, 120, 0, -120, 120, 30, -90, 150, 10, 200};

TEST(OperatingSectors, PhaseSectorsTurnWithTheLineVoltages)
{
    const ModelProfile p = ProfileForModel(705);
    const auto image = ImageWith(
        p,
        {{"МТЗ-1 Вкл.", 1}, {"МТЗ-общие Угол макс.чувств.", -30}, {"МТЗ-общие Угол сектора", 1}});
    const auto s = LayOutOperatingSectors(300, 200, kAngles, image, p, kAllBoxes);
    ASSERT_EQ(s.count, 3u);
    const OperatingSector& ic = s.sectors[0];
    EXPECT_EQ(ic.kind, SectorKind::Ic);
    EXPECT_EQ(ic.colourPhasor, 6u);  // the colour of Uab
    EXPECT_DOUBLE_EQ(ic.centreDegrees, 0.0);
    EXPECT_DOUBLE_EQ(ic.halfWidthDegrees, 30.0);  // (position 1 + 1) × 15
    EXPECT_DOUBLE_EQ(ic.startDegrees, 330.0);
    EXPECT_DOUBLE_EQ(ic.spanDegrees, 60.0);
    EXPECT_EQ(ic.radius, 90);  // min(150, 100) − 10
    EXPECT_EQ(ic.centre, (SectorPoint{150, 100}));
    EXPECT_EQ(ic.squareTopLeft, (SectorPoint{60, 10}));
    EXPECT_EQ(ic.squareSize, 180);
    EXPECT_EQ(ic.centreLineEnd, (SectorPoint{240, 100}));
    EXPECT_EQ(ic.startEdgeEnd, (SectorPoint{150 + 78, 100 + 45}));  // at −30°
    EXPECT_EQ(ic.endEdgeEnd, (SectorPoint{150 + 78, 100 - 45}));    // at +30°

    EXPECT_EQ(s.sectors[1].kind, SectorKind::Ia);
    EXPECT_EQ(s.sectors[1].colourPhasor, 7u);
    EXPECT_DOUBLE_EQ(s.sectors[1].centreDegrees, 240.0);  // −30 + (−90)
    EXPECT_EQ(s.sectors[2].kind, SectorKind::Ib);
    EXPECT_DOUBLE_EQ(s.sectors[2].centreDegrees, 120.0);
}

TEST(OperatingSectors, PhaseSectorsNeedAnMtzStageAndTheirBox)
{
    const ModelProfile p = ProfileForModel(715);
    for (const char* stage : {"МТЗ-1 Вкл.", "МТЗ-2 Вкл.", "МТЗ-3 Вкл."}) {
        const auto image = ImageWith(p, {{stage, 1}, {"МТЗ-общие Угол сектора", 10}});
        const auto s = LayOutOperatingSectors(200, 200, kAngles, image, p, kAllBoxes);
        ASSERT_EQ(s.count, 3u) << stage;
        EXPECT_DOUBLE_EQ(s.sectors[0].halfWidthDegrees, 165.0);
    }
    const auto none = ImageWith(p, {{"МТЗ-4 Вкл.", 1}, {"МТЗ-общие Угол сектора", 3}});
    EXPECT_EQ(LayOutOperatingSectors(200, 200, kAngles, none, p, kAllBoxes).count, 0u);

    const auto on = ImageWith(p, {{"МТЗ-2 Вкл.", 1}});
    const auto s = LayOutOperatingSectors(200, 200, kAngles, on, p, {false, true, false, true});
    ASSERT_EQ(s.count, 1u);
    EXPECT_EQ(s.sectors[0].kind, SectorKind::Ia);
    EXPECT_DOUBLE_EQ(s.sectors[0].halfWidthDegrees, 15.0);
}

struct EarthCase {
    const char* what;
    int model;
    std::vector<Setpoint> setpoints;
    bool drawn;
};

TEST(OperatingSectors, The3IoSectorFollowsTheRuleOfItsClass)
{
    const EarthCase cases[] = {
        {"non-M, algorithm 1", 706, {{"ОЗЗ Алг.защиты", 1}}, true},
        {"non-M, algorithm 0", 706, {{"ОЗЗ Алг.защиты", 0}}, false},
        {"non-M, algorithm 2", 306, {{"ОЗЗ Алг.защиты", 2}}, false},
        {"M, on and directional", 716, {{"ОЗЗ-1Г Вкл.", 1}, {"ОЗЗ-1Г Направ.", 1}}, true},
        {"M, on only", 716, {{"ОЗЗ-1Г Вкл.", 1}}, false},
        {"M, directional only", 717, {{"ОЗЗ-1Г Направ.", 1}}, false},
    };
    for (const auto& c : cases) {
        const ModelProfile p = ProfileForModel(c.model);
        SetpointImage image{};
        for (const auto& v : c.setpoints)
            image[static_cast<std::size_t>(p.find(v.name))] = v.value;
        const char* angle = p.isM ? "ОЗЗ-1Г Угол макс.чувств." : "ОЗЗ Угол макс.чувств.";
        image[static_cast<std::size_t>(p.find(angle))] = 90;
        image[static_cast<std::size_t>(p.find("ОЗЗ Угол сектора"))] = 5;
        const auto s = LayOutOperatingSectors(200, 200, kAngles, image, p, kAllBoxes);
        ASSERT_EQ(s.count, c.drawn ? 1u : 0u) << c.what;
        if (c.drawn) {
            EXPECT_EQ(s.sectors[0].kind, SectorKind::I0) << c.what;
            EXPECT_EQ(s.sectors[0].colourPhasor, 9u) << c.what;             // the colour of 3Io
            EXPECT_DOUBLE_EQ(s.sectors[0].centreDegrees, 290.0) << c.what;  // 90 + 3Uo 200
            EXPECT_DOUBLE_EQ(s.sectors[0].halfWidthDegrees, 90.0) << c.what;
        }
    }
}

TEST(OperatingSectors, NoSectorWithoutRoomOrWithoutItsBox)
{
    const ModelProfile p = ProfileForModel(705);
    const auto image = ImageWith(p, {{"МТЗ-1 Вкл.", 1}, {"ОЗЗ Алг.защиты", 1}});
    EXPECT_EQ(LayOutOperatingSectors(20, 200, kAngles, image, p, kAllBoxes).count, 0u);
    EXPECT_EQ(LayOutOperatingSectors(200, 200, kAngles, image, p, {}).count, 0u);
    EXPECT_EQ(LayOutOperatingSectors(200, 200, kAngles, image, p, kAllBoxes).count, 4u);
}

TEST(JournalSettingsWords, PackAndUnpackKeepColoursAndFlags)
{
    EmergencyJournalSettings s;
    const auto defaults = PackJournalSettings(s);
    EXPECT_EQ(defaults[0], 0x0000FFu);   // Ia red, stored 0x00BBGGRR
    EXPECT_EQ(defaults[10], 0x0080FFu);  // 3Uo (255, 128, 0)
    EXPECT_EQ(UnpackJournalSettings(defaults), s);

    s.colours[3] = JournalColourRef(1, 2, 3);
    s.phasors[4] = false;
    s.sectors[3] = false;
    const auto words = PackJournalSettings(s);
    EXPECT_EQ(words[3], 0x030201u);
    EXPECT_EQ(words[11 + 4], 0u);
    EXPECT_EQ(words[22 + 3], 0u);
    EXPECT_EQ(UnpackJournalSettings(words), s);

    JournalSettingsWords stored{};
    stored[0] = 0xFF123456;  // the high byte is no part of a colour
    stored[12] = 7;          // any non-zero flag word is on
    const auto read = UnpackJournalSettings(stored);
    EXPECT_EQ(read.colours[0], 0x123456u);
    EXPECT_FALSE(read.phasors[0]);
    EXPECT_TRUE(read.phasors[1]);
    EXPECT_FALSE(read.sectors[0]);
}

}  // namespace
}  // namespace tirv
