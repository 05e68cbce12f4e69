#pragma once
// What the five setpoint tabs hold for a model, derived from the catalogue: which group box each
// edit field, check box and drop-down list sits in, their labels, character limits, tooltips and
// which controls are shown disabled or hidden. Pure C++: the tabs only turn it into widgets.
#include "configurator/setpoints/model_profile.h"

#include <string>
#include <vector>

namespace tirv {

inline constexpr int kSetpointTabs = 5;
// Control ids of the tabs.
inline constexpr int kFirstEdit = 1000;
inline constexpr int kLastEdit = 1058;
inline constexpr int kRecordingTimeEdit = 1058;
inline constexpr int kPreFaultEdit = 1057;
inline constexpr int kSpinOffset = 100;      // spin id = edit id + 100
inline constexpr int kLabelOffset = 423;     // label id = edit id + 423 (1024 → 1447)
inline constexpr int kTabButtonBase = 500;   // tab t owns buttons 500 + 5t … 504 + 5t
inline constexpr int kFirstChannelBox = 1251;  // `В АЖ фикс. Ia` … `3Io`: 1251…1257
inline constexpr int kZeroSequenceBox = 1257;
inline constexpr int kRecloseCountList = 1272;  // `АПВ Кратн.действия` starts at "2-кратное"
inline constexpr int kRatioEdit = 1024;        // `МТЗ-общие Кпересчета`, hidden on M models
inline constexpr int kRatioLabel = 1447;

constexpr int TabButtonId(int tab, int k) { return kTabButtonBase + 5 * tab + k; }
// Dialog resource of tab t for the model class (90…94 non-M, 90, 96, 92, 98, 99 M).
int TabDialog(bool isM, int tab);

enum class ItemType { Edit, Check, List, RecordingTime };

struct LayoutItem {
    ItemType type;
    int control;     // edit, check box or drop-down id
    int imageIndex;  // -1 for the recording-time field
    std::string label;
};

struct LayoutGroup {
    int id;            // group box id
    std::string title;
    bool blueTitle;    // the boxes every model has are titled in blue
    std::vector<LayoutItem> items;
};

// Group boxes of tab t for the profile, in order, with their items (edit fields, then lists,
// then check boxes, each in image order).
std::vector<LayoutGroup> TabLayout(const ModelProfile& p, int tab);

// Characters an edit field accepts; 0 for an id that is no edit field.
int EditCharLimit(int edit);

// Tooltip of an edit field for the model, UTF-8; nullptr when it has none.
const char* EditTooltip(const ModelProfile& p, int edit);

enum class ControlState { Normal, Disabled, Hidden };
// Controls the tabs show disabled (they keep the value the image has) or hide, by model class.
ControlState ControlStateFor(const ModelProfile& p, int control);

// Catalogue position of a control in the profile; -1 when the model has no such control.
int NumericIndexOfEdit(const ModelProfile& p, int edit);
int FlagIndexOfCheck(const ModelProfile& p, int check);
int ChoiceIndexOfList(const ModelProfile& p, int list);

}  // namespace tirv
