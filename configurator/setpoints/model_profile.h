#pragma once
// Device models of the relay family and the tables each one selects. A model is chosen by its
// model code (read from the relay) or by the model index 0..7 kept in the program settings.
#include "configurator/setpoints/setpoint_catalogue.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tirv {

inline constexpr int kModelCount = int(kRelayFamily.size()) + 1;  // with "no model"
// The index a settings file falls back to when its index is out of range (code 715).
inline constexpr int kFallbackModelIndex = 5;
// 0 (no model), 306, 705, 706, 707, 715, 716, 717; an index outside 0..7 gives 715.
int ModelCodeForIndex(int index);
// The index of a known code, -1 for any other code.
int ModelIndexForCode(int modelCode);

// Where an image index lies.
enum class SetpointClass { Numeric, Flag, Choice, Unused };

struct ModelProfile {
    int modelCode = 0;
    bool isM = false;
    NumericSet numericSet = NumericSet::Set705;
    int imageWords = 0;  // = registers of the setpoint block
    int angleBase = 0;   // Modbus register value of angle −180
    std::span<const NumericSetpoint> numeric;
    std::span<const FlagSetpoint> flags;
    std::span<const ChoiceSetpoint> choices;
    // registerOrder[r] = image index held by register r of the setpoint block.
    std::span<const std::uint8_t> registerOrder;
    int signalCount = 0;  // protection signals assignable to outputs: 38, 39 or 44
    int baudCount = 0;    // baud indexes 0..baudCount-1 offered: 7 non-M, 10 M
    // Resolution of the 26 emergency-journal values (0.1, 0.01 or 0.001).
    std::span<const double> journalResolution;
    std::array<int, 4> dialogs{};  // dialogs of tabs 2, 4, 5 and of the measurement page
    int titleCode = 0;  // the model code whose title the window shows

    int numericCount() const { return static_cast<int>(numeric.size()); }
    int flagCount() const { return static_cast<int>(flags.size()); }
    int choiceCount() const { return static_cast<int>(choices.size()); }
    int flagIndex(int k) const { return numericCount() + k; }
    int choiceIndex(int k) const { return numericCount() + flagCount() + k; }
    SetpointClass classOf(int imageIndex) const;
    // Image index of the setpoint with this name (numeric, flag or choice), -1 if none.
    int find(std::string_view name) const;
};

// The profile of a known model code (0, 306, 705, 706, 707, 715 and up); any other non-M code
// gets the 705-set profile with that code.
ModelProfile ProfileForModel(int modelCode);

// Switching to a model code while `current` is in force. M codes select the M tables; non-M
// codes select the shared non-M flags, choices and register order, and by code the numeric set
// and signal count: an unknown non-M code keeps the numeric set, signal count and title of
// `current` (or falls back to the 705-set when `current` is an M profile, whose numeric tables
// do not match the non-M register order).
ModelProfile ApplyModelProfile(int modelCode, const ModelProfile& current);

// Whether switching from `oldCode` to `newCode` crosses between the non-M and the M class, the
// only change that makes the window rebuild its class-specific pages.
constexpr bool ModelClassChanges(int oldCode, int newCode)
{
    return IsMModel(oldCode) != IsMModel(newCode);
}

// The window title of a model code: " ТИРВ", " ТИРВ - 306" … " ТИРВ - 705М"; empty for a
// non-M code outside the model table.
std::string ModelTitle(int modelCode);

}  // namespace tirv
