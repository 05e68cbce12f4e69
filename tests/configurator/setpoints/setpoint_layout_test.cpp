// The tab layout derived from the catalogue: every setpoint of every model on its tab exactly
// once, in a titled group; limits, tooltips and disabled/hidden controls by model class.
#include "configurator/setpoints/setpoint_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace tirv {
namespace {

TEST(SetpointLayout, EverySetpointSitsOnceOnItsTab)
{
    for (int code : {0, 306, 705, 707, 715, 717}) {
        const ModelProfile p = ProfileForModel(code);
        std::map<int, int> seen;  // image index -> tab it was placed on
        std::set<int> controls;
        int recordingTime = 0;
        for (int t = 0; t < kSetpointTabs; ++t)
            for (const LayoutGroup& g : TabLayout(p, t)) {
                EXPECT_FALSE(g.title.empty()) << code << " group " << g.id;
                EXPECT_FALSE(g.items.empty()) << code << " group " << g.id;
                for (const LayoutItem& it : g.items) {
                    EXPECT_TRUE(controls.insert(it.control).second) << code << " control " << it.control;
                    EXPECT_FALSE(it.label.empty()) << code << " control " << it.control;
                    if (it.type == ItemType::RecordingTime) {
                        ++recordingTime;
                        EXPECT_EQ(t, 4);
                        continue;
                    }
                    EXPECT_TRUE(seen.emplace(it.imageIndex, t).second) << code << " index " << it.imageIndex;
                }
            }
        EXPECT_EQ(recordingTime, 1) << code;
        ASSERT_EQ(int(seen.size()), p.imageWords) << code << ": every setpoint has a control";
        for (int i = 0; i < p.numericCount(); ++i)
            EXPECT_EQ(seen[i], p.numeric[std::size_t(i)].tab) << code << " " << p.numeric[std::size_t(i)].name;
        for (int k = 0; k < p.flagCount(); ++k)
            EXPECT_EQ(seen[p.flagIndex(k)], p.flags[std::size_t(k)].tab) << code << " " << p.flags[std::size_t(k)].name;
        for (int k = 0; k < p.choiceCount(); ++k)
            EXPECT_EQ(seen[p.choiceIndex(k)], p.choices[std::size_t(k)].tab) << code;
    }
}

TEST(SetpointLayout, GroupsTitlesAndColoursByModelClass)
{
    const struct {
        int code;
        int tab;
        std::vector<std::pair<std::string, bool>> groups;  // title, blue
    } cases[] = {
        {705, 0, {{"МТЗ - 1", true}, {"МТЗ - 2", true}, {"МТЗ - 3", true}, {"МТЗ - 4", true}, {"МТЗ - общие", true}}},
        {705, 1, {{"ЗОФ", true}, {"ОЗЗ", true}}},
        {715, 1, {{"ЗОФ", true}, {"ОЗЗ по 1-й гармонике", true}, {"ОЗЗ по высшим гармоникам", false}}},
        {705, 2, {{"ЗПН", true}, {"ЗМН", true}}},
        {705, 3, {{"АПВ", true}, {"АВР", true}, {"ДЗ", true}, {"УРОВ", true}}},
        {716, 3, {{"АПВ", true}, {"АВР", true}, {"ДЗ", true}, {"УРОВ", true}, {"АЧР", false}, {"ГЗ", false}, {"ТЗ", false}}},
    };
    for (const auto& c : cases) {
        const auto groups = TabLayout(ProfileForModel(c.code), c.tab);
        ASSERT_EQ(groups.size(), c.groups.size()) << c.code << " tab " << c.tab;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            EXPECT_EQ(groups[g].title, c.groups[g].first) << c.code << " tab " << c.tab;
            EXPECT_EQ(groups[g].blueTitle, c.groups[g].second) << groups[g].title;
        }
    }
    EXPECT_EQ(TabLayout(ProfileForModel(705), 0)[0].id, 1308);
    EXPECT_EQ(TabLayout(ProfileForModel(705), 3)[3].id, 1320);
}

TEST(SetpointLayout, CharacterLimits)
{
    const std::pair<int, int> cases[] = {{1000, 5}, {1011, 5}, {1012, 4}, {1014, 2}, {1018, 2},
                                         {1024, 4}, {1027, 5}, {1038, 4}, {1043, 4}, {1044, 5},
                                         {1045, 4}, {1050, 4}, {1053, 4}, {1055, 2}, {1056, 4},
                                         {1057, 5}, {1058, 5}, {1059, 0}};
    for (const auto& [edit, limit] : cases)
        EXPECT_EQ(EditCharLimit(edit), limit) << edit;
}

TEST(SetpointLayout, TooltipsFollowTheModel)
{
    const struct {
        int code, edit;
        const char* tip;
    } cases[] = {
        {306, 1000, "Imin=0.4A; Imax=40A"},      {705, 1000, "Imin=2.0A; Imax=200A"},
        {715, 1012, "Imin=0.4A; Imax=20A"},      {306, 1015, "Imin=0.08A; Imax=4A"},
        {306, 1025, "I2min=0.04A; I2max=0.8A"},  {707, 1025, "I2min=0.2A; I2max=4.0A"},
        {715, 1053, "Imin=20A; Imax=6000A"},     {705, 1054, "Umin=6.0кB; Umax=35.0кB"},
        {716, 1054, "Umin=3.0кB; Umax=35.0кB"},  {306, 1050, "Imin=0.08A; Imax=1.0A"},
        {705, 1057, "Tmin=0.0с; Tmax=Tзаписи"},  {715, 1055, "Tmin=1мин.; Tmax=30мин."},
        {705, 1019, "<min=-180гр.; <max=180гр."}, {705, 1040, "Umin=60.0B; Umax=120.0A"},
    };
    for (const auto& c : cases) {
        const char* tip = EditTooltip(ProfileForModel(c.code), c.edit);
        ASSERT_NE(tip, nullptr) << c.code << " " << c.edit;
        EXPECT_STREQ(tip, c.tip) << c.code << " " << c.edit;
    }
    EXPECT_EQ(EditTooltip(ProfileForModel(705), 1055), nullptr);
    EXPECT_EQ(EditTooltip(ProfileForModel(705), 1058), nullptr);
}

TEST(SetpointLayout, DisabledAndHiddenControls)
{
    const ModelProfile nonM = ProfileForModel(705), m = ProfileForModel(715);
    for (int id : {1223, 1224, 1246, 1247, 1248, 1257})
        EXPECT_EQ(ControlStateFor(nonM, id), ControlState::Disabled) << id;
    EXPECT_EQ(ControlStateFor(m, 1257), ControlState::Disabled);
    for (int id : {1246, 1247, 1248, 1024, 1447})
        EXPECT_EQ(ControlStateFor(m, id), ControlState::Hidden) << id;
    EXPECT_EQ(ControlStateFor(m, 1224), ControlState::Normal);
    EXPECT_EQ(ControlStateFor(nonM, 1024), ControlState::Normal);
    EXPECT_EQ(TabDialog(false, 1), 91);
    EXPECT_EQ(TabDialog(true, 1), 96);
    EXPECT_EQ(TabDialog(true, 4), 99);
}

}  // namespace
}  // namespace tirv
