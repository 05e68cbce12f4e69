#include "configurator/setpoints/model_profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace tirv {
namespace {

constexpr int kAllCodes[] = {0, 306, 705, 706, 707, 715, 716, 717};

TEST(RegisterOrder, NamesEverySetpointExactlyOnce)
{
    for (bool isM : {false, true}) {
        const ModelProfile p = ProfileForModel(isM ? 715 : 705);
        const auto order = RegisterOrder(isM);
        ASSERT_EQ(static_cast<int>(order.size()), p.imageWords) << isM;
        ASSERT_EQ(p.numericCount() + p.flagCount() + p.choiceCount(), p.imageWords) << isM;
        std::set<int> seen;
        for (auto i : order) {
            EXPECT_LT(i, p.imageWords) << isM;
            EXPECT_TRUE(seen.insert(i).second) << "image index " << int(i) << " twice, M=" << isM;
        }
        EXPECT_EQ(static_cast<int>(seen.size()), p.imageWords);
    }
}

TEST(RegisterOrder, LandmarkRegisters)
{
    struct Case {
        int code;
        int reg;
        const char* name;
    };
    const Case cases[] = {
        {705, 0, "МТЗ-1 Вкл."},          {705, 1, "МТЗ-1 гр.А I"},
        {705, 14, "МТЗ-2 Врем.х-ка"},    {705, 41, "МТЗ-общие Угол макс.чувств."},
        {705, 50, "ЗОФ Алг.защиты"},     {705, 114, "Tпредыст."},
        {705, 113, "В АЖ фикс. 3Io"},    {715, 47, "ЗОФ Вкл."},
        {715, 55, "ОЗЗ-1Г Действ.защиты"}, {715, 103, "АЧР Функция"},
        {715, 118, "Общие Кнопка F2"},   {715, 126, "Tпредыст."},
        {715, 125, "В АЖ фикс. 3Io"},    {715, 111, "Общие Ктт"},
    };
    for (const auto& c : cases) {
        const ModelProfile p = ProfileForModel(c.code);
        EXPECT_EQ(p.registerOrder[static_cast<std::size_t>(c.reg)], p.find(c.name))
            << c.code << " register " << c.reg;
    }
}

TEST(ModelProfile, ClassConstants)
{
    struct Case {
        int code;
        int words, numeric, flags, choices, angleBase, signals, bauds;
        NumericSet set;
    };
    const Case cases[] = {
        {0, 115, 52, 50, 13, 32800, 38, 7, NumericSet::Set705},
        {306, 115, 52, 50, 13, 32800, 38, 7, NumericSet::Set306},
        {705, 115, 52, 50, 13, 32800, 38, 7, NumericSet::Set705},
        {706, 115, 52, 50, 13, 32800, 38, 7, NumericSet::Set705},
        {707, 115, 52, 50, 13, 32800, 39, 7, NumericSet::Set705},
        {715, 127, 56, 53, 18, 32803, 44, 10, NumericSet::SetM},
        {716, 127, 56, 53, 18, 32803, 44, 10, NumericSet::SetM},
        {717, 127, 56, 53, 18, 32803, 44, 10, NumericSet::SetM},
    };
    for (const auto& c : cases) {
        const ModelProfile p = ProfileForModel(c.code);
        EXPECT_EQ(p.imageWords, c.words) << c.code;
        EXPECT_EQ(p.numericCount(), c.numeric) << c.code;
        EXPECT_EQ(p.flagCount(), c.flags) << c.code;
        EXPECT_EQ(p.choiceCount(), c.choices) << c.code;
        EXPECT_EQ(p.angleBase, c.angleBase) << c.code;
        EXPECT_EQ(p.signalCount, c.signals) << c.code;
        EXPECT_EQ(p.baudCount, c.bauds) << c.code;
        EXPECT_EQ(p.numericSet, c.set) << c.code;
        EXPECT_EQ(p.journalResolution.size(), 26u) << c.code;
        EXPECT_EQ(p.isM, c.code >= 715);
    }
}

TEST(ModelProfile, JournalResolution)
{
    struct Case {
        int code;
        std::set<int> hundredths;
    };
    const Case cases[] = {{705, {}}, {306, {0, 1, 2, 11, 12}}, {715, {0, 1, 2}}};
    for (const auto& c : cases) {
        const ModelProfile p = ProfileForModel(c.code);
        for (int i = 0; i < 26; ++i) {
            const double expected = i == 9 ? 0.001 : c.hundredths.count(i) ? 0.01 : 0.1;
            EXPECT_DOUBLE_EQ(p.journalResolution[static_cast<std::size_t>(i)], expected)
                << c.code << " entry " << i;
        }
    }
}

TEST(ModelIndex, CodesTitlesAndFallback)
{
    struct Case {
        int index;
        int code;
        const char* title;
    };
    const Case cases[] = {
        {0, 0, " ТИРВ"},          {1, 306, " ТИРВ - 306"},  {2, 705, " ТИРВ - 705"},
        {3, 706, " ТИРВ - 706"},  {4, 707, " ТИРВ - 707"},  {5, 715, " ТИРВ - 705М"},
        {6, 716, " ТИРВ - 706М"}, {7, 717, " ТИРВ - 707М"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ModelCodeForIndex(c.index), c.code);
        EXPECT_EQ(ModelIndexForCode(c.code), c.index);
        EXPECT_EQ(ModelTitle(c.code), c.title);
    }
    EXPECT_EQ(ModelCodeForIndex(-1), 715);
    EXPECT_EQ(ModelCodeForIndex(8), 715);
    EXPECT_EQ(ModelIndexForCode(500), -1);
    EXPECT_EQ(ModelTitle(500), "");
}

TEST(ModelProfile, ClassChangeOnlyAcrossTheMBoundary)
{
    struct Case {
        int from, to;
        bool changes;
    };
    const Case cases[] = {{705, 715, true}, {717, 0, true},  {306, 707, false},
                          {715, 717, false}, {714, 715, true}, {0, 0, false}};
    for (const auto& c : cases)
        EXPECT_EQ(ModelClassChanges(c.from, c.to), c.changes) << c.from << " -> " << c.to;
}

TEST(ModelProfile, UnknownNonMCodeKeepsPerCodeTables)
{
    const ModelProfile p306 = ProfileForModel(306);
    const ModelProfile kept = ApplyModelProfile(500, p306);
    EXPECT_EQ(kept.numericSet, NumericSet::Set306);
    EXPECT_EQ(kept.titleCode, 306);
    EXPECT_EQ(kept.modelCode, 500);

    // Coming from M the numeric tables cannot be kept: they do not fit the non-M order.
    const ModelProfile fromM = ApplyModelProfile(500, ProfileForModel(717));
    EXPECT_FALSE(fromM.isM);
    EXPECT_EQ(fromM.numericSet, NumericSet::Set705);
    EXPECT_EQ(fromM.imageWords, 115);
    EXPECT_EQ(fromM.numericCount(), 52);

    const ModelProfile toM = ApplyModelProfile(716, p306);
    EXPECT_TRUE(toM.isM);
    EXPECT_EQ(toM.numericCount(), 56);
    EXPECT_EQ(toM.dialogs, (std::array<int, 4>{96, 98, 99, 103}));
    EXPECT_EQ(p306.dialogs, (std::array<int, 4>{91, 93, 94, 102}));
}

// Raw bounds are the editor bounds times the resolution factor, except where the relay's check
// is knowingly wider than the editor.
TEST(Catalogue, RawBoundsFollowEditorBounds)
{
    struct Exception {
        NumericSet set;
        const char* name;
        int rawMin;
    };
    const Exception wider[] = {
        {NumericSet::Set705, "АВР Uавр", 5},
        {NumericSet::Set306, "АВР Uавр", 5},
        {NumericSet::SetM, "АВР Uавр", 5},
        {NumericSet::Set705, "Общие Uном.", 300},
    };
    for (NumericSet set : {NumericSet::Set705, NumericSet::Set306, NumericSet::SetM}) {
        for (const auto& s : NumericCatalogue(set)) {
            const int f = ResolutionFactor(s.kind);
            int rawMin = static_cast<int>(std::lround(s.editMin * f));
            for (const auto& e : wider)
                if (e.set == set && std::string(e.name) == s.name)
                    rawMin = e.rawMin;
            EXPECT_EQ(s.rawMin, rawMin) << s.name;
            EXPECT_EQ(s.rawMax, std::lround(s.editMax * f)) << s.name;
            EXPECT_LE(s.editMin, s.editMax) << s.name;
        }
    }
}

TEST(Catalogue, ControlsAndNamesAreUniquePerProfile)
{
    for (int code : kAllCodes) {
        const ModelProfile p = ProfileForModel(code);
        std::set<int> controls;
        std::set<std::string> names;
        auto add = [&](const char* name, int control, int tab) {
            EXPECT_TRUE(controls.insert(control).second) << code << " control " << control;
            EXPECT_TRUE(names.insert(name).second) << code << " " << name;
            EXPECT_GE(tab, 0);
            EXPECT_LE(tab, 4);
        };
        for (const auto& s : p.numeric)
            add(s.name, s.control, s.tab);
        for (const auto& s : p.flags)
            add(s.name, s.control, s.tab);
        for (const auto& s : p.choices) {
            add(s.name, s.control, s.tab);
            EXPECT_GE(s.max, 0);
        }
    }
}

TEST(Catalogue, KindsAndModelDifferences)
{
    struct Case {
        int code;
        const char* name;
        SetpointKind kind;
        int rawMin, rawMax;
    };
    const Case cases[] = {
        {705, "МТЗ-1 гр.А I", SetpointKind::Tenths, 20, 2000},
        {306, "МТЗ-1 гр.А I", SetpointKind::Hundredths, 40, 4000},
        {715, "МТЗ-1 гр.А I", SetpointKind::Hundredths, 200, 20000},
        {715, "МТЗ-4 гр.B I", SetpointKind::Hundredths, 40, 2000},
        {306, "УРОВ Iуров", SetpointKind::Hundredths, 8, 100},
        {715, "УРОВ Iуров", SetpointKind::Hundredths, 20, 500},
        {306, "Общие Uном.", SetpointKind::Hundredths, 600, 3500},
        {715, "Общие Iном.", SetpointKind::Integer, 20, 6000},
        {705, "ОЗЗ 3Io", SetpointKind::Thousandths, 5, 5000},
        {715, "ОЗЗ-1Г Угол макс.чувств.", SetpointKind::Angle, -180, 180},
        {715, "ОЗЗ-ВГ Квозврата", SetpointKind::Hundredths, 80, 95},
    };
    for (const auto& c : cases) {
        const ModelProfile p = ProfileForModel(c.code);
        const int i = p.find(c.name);
        ASSERT_GE(i, 0) << c.name;
        ASSERT_LT(i, p.numericCount()) << c.name;
        const auto& s = p.numeric[static_cast<std::size_t>(i)];
        EXPECT_EQ(s.kind, c.kind) << c.code << " " << c.name;
        EXPECT_EQ(s.rawMin, c.rawMin) << c.code << " " << c.name;
        EXPECT_EQ(s.rawMax, c.rawMax) << c.code << " " << c.name;
    }
    EXPECT_LT(ProfileForModel(705).find("МТЗ-общие Кпересчета"), 52);
    EXPECT_EQ(ProfileForModel(715).find("МТЗ-общие Кпересчета"), -1);
    EXPECT_EQ(ProfileForModel(705).find("АЧР Функция"), -1);
}

}  // namespace
}  // namespace tirv
