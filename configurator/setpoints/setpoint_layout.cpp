#include "configurator/setpoints/setpoint_layout.h"

#include "configurator/setpoints/editor_texts.h"

#include <array>
#include <string_view>

namespace tirv {

namespace {

namespace tx = editor_texts;

// Which group box a setpoint belongs to, by the first word of its catalogue name. The boxes
// that exist only on M models keep the normal title colour.
struct GroupRule {
    const char* prefix;  // first word of the name
    int model;           // 0 both classes, 1 non-M only, 2 M only
    int tab;
    int id;
    const char* title;
    bool blue;
};

constexpr std::array<GroupRule, 21> kGroupRules{{
    {"МТЗ-1", 0, 0, 1308, tx::kGroupMtz1, true},
    {"МТЗ-2", 0, 0, 1309, tx::kGroupMtz2, true},
    {"МТЗ-3", 0, 0, 1310, tx::kGroupMtz3, true},
    {"МТЗ-4", 0, 0, 1311, tx::kGroupMtz4, true},
    {"МТЗ-общие", 0, 0, 1312, tx::kGroupMtzCommon, true},
    {"ЗОФ", 0, 1, 1313, tx::kGroupNps, true},
    {"ОЗЗ", 1, 1, 1314, tx::kGroupEarth, true},
    {"ОЗЗ-1Г", 2, 1, 1314, tx::kGroupEarthFirst, true},
    {"ОЗЗ", 2, 1, 1314, tx::kGroupEarthFirst, true},  // the return time shared by both
    {"ОЗЗ-ВГ", 2, 1, 1321, tx::kGroupEarthHigher, false},
    {"ЗПН", 0, 2, 1315, tx::kGroupOver, true},
    {"ЗМН", 0, 2, 1316, tx::kGroupUnder, true},
    {"АПВ", 0, 3, 1317, tx::kGroupReclose, true},
    {"АВР", 0, 3, 1318, tx::kGroupTransfer, true},
    {"ДЗ", 0, 3, 1319, tx::kGroupArc, true},
    {"УРОВ", 0, 3, 1320, tx::kGroupBreakerFail, true},
    {"АЧР", 2, 3, 1322, tx::kGroupLoadShed, false},
    {"ГЗ", 2, 3, 1323, tx::kGroupGas, false},
    {"ТЗ", 2, 3, 1324, tx::kGroupThermal, false},
    {"Общие", 0, 4, 1325, tx::kGroupGeneral, false},
    {"В", 0, 4, 1326, tx::kGroupRecording, false},  // `В АЖ фикс. …`
}};

constexpr std::array<int, 5> kDialogsNonM{90, 91, 92, 93, 94};
constexpr std::array<int, 5> kDialogsM{90, 96, 92, 98, 99};

// Edit-field character limits: ranges of ids with their limit.
struct LimitRange {
    int first, last, limit;
};
constexpr std::array<LimitRange, 28> kLimits{{
    {1000, 1011, 5}, {1012, 1012, 4}, {1013, 1013, 5}, {1014, 1014, 2}, {1015, 1015, 4},
    {1016, 1016, 5}, {1017, 1018, 2}, {1019, 1024, 4}, {1025, 1026, 4}, {1027, 1027, 5},
    {1028, 1030, 4}, {1031, 1032, 5}, {1033, 1034, 4}, {1035, 1035, 5}, {1036, 1036, 4},
    {1037, 1037, 5}, {1038, 1038, 4}, {1039, 1041, 5}, {1042, 1043, 4}, {1044, 1044, 5},
    {1045, 1045, 4}, {1046, 1046, 5},
    {1047, 1047, 4}, {1048, 1049, 5}, {1050, 1050, 4}, {1051, 1052, 5}, {1053, 1053, 4},
    {1054, 1058, 5},
}};
// 1055 and 1056 differ from their neighbours.
constexpr std::array<LimitRange, 2> kLimitExceptions{{{1055, 1055, 2}, {1056, 1056, 4}}};

// Shown disabled / hidden, by model class.
struct StateRule {
    int control;
    int model;  // 0 both, 1 non-M, 2 M
    ControlState state;
};
constexpr std::array<StateRule, 11> kStateRules{{
    {1223, 1, ControlState::Disabled},
    {1224, 1, ControlState::Disabled},
    {1246, 1, ControlState::Disabled},
    {1247, 1, ControlState::Disabled},
    {1248, 1, ControlState::Disabled},
    {1257, 0, ControlState::Disabled},
    {1246, 2, ControlState::Hidden},
    {1247, 2, ControlState::Hidden},
    {1248, 2, ControlState::Hidden},
    {kRatioEdit, 2, ControlState::Hidden},
    {kRatioLabel, 2, ControlState::Hidden},
}};

bool modelMatches(int model, bool isM) { return model == 0 || (model == 2) == isM; }

std::string_view firstWord(std::string_view name)
{
    const auto space = name.find(' ');
    return space == std::string_view::npos ? name : name.substr(0, space);
}

const GroupRule* ruleFor(std::string_view name, bool isM)
{
    if (name.starts_with("Tпредыст."))
        return &kGroupRules.back();
    const std::string_view word = firstWord(name);
    for (const auto& r : kGroupRules)
        if (word == r.prefix && modelMatches(r.model, isM))
            return &r;
    return nullptr;
}

std::string unitText(const char* code)
{
    for (const auto& u : tx::kUnits)
        if (std::string_view(u.code) == code)
            return u.shown;
    return code;
}

// The name without its group word: "МТЗ-1 гр.А I" → "гр.А I"; `Tпредыст.` keeps its name.
std::string shortName(std::string_view name, const GroupRule& r)
{
    const std::string_view word = firstWord(name);
    if (word != r.prefix || word.size() == name.size())
        return std::string(name);
    std::string_view rest = name.substr(word.size() + 1);
    if (rest.starts_with("АЖ фикс. "))  // `В АЖ фикс. Ia` → "Ia"
        rest.remove_prefix(std::string_view("АЖ фикс. ").size());
    return std::string(rest);
}

LayoutGroup& groupOf(std::vector<LayoutGroup>& groups, const GroupRule& r)
{
    for (auto& g : groups)
        if (g.id == r.id)
            return g;
    groups.push_back({r.id, r.title, r.blue, {}});
    return groups.back();
}

}  // namespace

int TabDialog(bool isM, int tab)
{
    const auto& d = isM ? kDialogsM : kDialogsNonM;
    return tab >= 0 && tab < kSetpointTabs ? d[std::size_t(tab)] : 0;
}

std::vector<LayoutGroup> TabLayout(const ModelProfile& p, int tab)
{
    std::vector<LayoutGroup> groups;
    // Groups appear in the order of the rule table, whatever order the items come in.
    for (const auto& r : kGroupRules)
        if (r.tab == tab && modelMatches(r.model, p.isM)) {
            bool known = false;
            for (const auto& g : groups)
                known = known || g.id == r.id;
            if (!known)
                groups.push_back({r.id, r.title, r.blue, {}});
        }
    for (int i = 0; i < p.numericCount(); ++i) {
        const NumericSetpoint& n = p.numeric[std::size_t(i)];
        const GroupRule* r = ruleFor(n.name, p.isM);
        if (n.tab != tab || !r)
            continue;
        std::string label = shortName(n.name, *r);
        const std::string unit = unitText(n.unit);
        if (!unit.empty())
            label += ", " + unit;
        groupOf(groups, *r).items.push_back({ItemType::Edit, n.control, i, label});
        if (n.control == kPreFaultEdit)
            groupOf(groups, *r).items.push_back(
                {ItemType::RecordingTime, kRecordingTimeEdit, -1,
                 std::string(tx::kRecordingTimeLabel) + ", " + unitText("s")});
    }
    // Lists and check boxes of the tab, under their group's short names.
    auto addSelector = [&](ItemType type, const auto& setpoint, int index) {
        const GroupRule* r = ruleFor(setpoint.name, p.isM);
        if (setpoint.tab == tab && r)
            groupOf(groups, *r).items.push_back(
                {type, setpoint.control, index, shortName(setpoint.name, *r)});
    };
    for (int k = 0; k < p.choiceCount(); ++k)
        addSelector(ItemType::List, p.choices[std::size_t(k)], p.choiceIndex(k));
    for (int k = 0; k < p.flagCount(); ++k)
        addSelector(ItemType::Check, p.flags[std::size_t(k)], p.flagIndex(k));
    std::erase_if(groups, [](const LayoutGroup& g) { return g.items.empty(); });
    return groups;
}

int EditCharLimit(int edit)
{
    for (const auto& e : kLimitExceptions)
        if (edit == e.first)
            return e.limit;
    for (const auto& r : kLimits)
        if (edit >= r.first && edit <= r.last)
            return r.limit;
    return 0;
}

const char* EditTooltip(const ModelProfile& p, int edit)
{
    for (const auto& t : tx::kFieldTooltips)
        if (t.edit == edit) {
            if (p.isM)
                return t.setM;
            return p.numericSet == NumericSet::Set306 ? t.set306 : t.set705;
        }
    return nullptr;
}

ControlState ControlStateFor(const ModelProfile& p, int control)
{
    for (const auto& r : kStateRules)
        if (r.control == control && modelMatches(r.model, p.isM))
            return r.state;
    return ControlState::Normal;
}

int NumericIndexOfEdit(const ModelProfile& p, int edit)
{
    for (int i = 0; i < p.numericCount(); ++i)
        if (p.numeric[std::size_t(i)].control == edit)
            return i;
    return -1;
}

int FlagIndexOfCheck(const ModelProfile& p, int check)
{
    for (int k = 0; k < p.flagCount(); ++k)
        if (p.flags[std::size_t(k)].control == check)
            return k;
    return -1;
}

int ChoiceIndexOfList(const ModelProfile& p, int list)
{
    for (int k = 0; k < p.choiceCount(); ++k)
        if (p.choices[std::size_t(k)].control == list)
            return k;
    return -1;
}

}  // namespace tirv
