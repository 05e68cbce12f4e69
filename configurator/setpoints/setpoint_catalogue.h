#pragma once
// What one setpoint of the relay looks like: numeric setpoints with their ranges, on/off flags
// and drop-down choices. The tables themselves are selected per device model (model_profile.h).
#include "common/relay_family.h"
#include <cstdint>
#include <span>

namespace tirv {

// How a numeric setpoint is stored: the displayed value times the resolution factor, or an
// angle in whole degrees (a multiple of 15).
enum class SetpointKind : std::uint8_t {
    Integer = 0,
    Tenths = 1,
    Hundredths = 2,
    Thousandths = 3,
    Angle = 4,
};

// 1, 10, 100, 1000; 1 for angles (stored as degrees).
int ResolutionFactor(SetpointKind kind);
// The factor the default image multiplies the editor minimum by: the resolution factor for
// tenths to thousandths, 0 (take the minimum itself) for integers and angles.
int DefaultFactor(SetpointKind kind);
// The display step: 1 / factor, 15 for angles.
double DisplayStep(SetpointKind kind);

struct NumericSetpoint {
    const char* name;  // UTF-8, e.g. "МТЗ-1 гр.А I"
    int control;       // edit control of the editor page
    int tab;           // 0..4
    const char* unit;
    SetpointKind kind;
    double editMin;    // editor bounds in display units
    double editMax;
    int rawMin;        // bounds of the check, in device units
    int rawMax;
};

struct FlagSetpoint {
    const char* name;
    int control;  // check box
    int tab;
};

struct ChoiceSetpoint {
    const char* name;
    int control;                         // drop-down list
    int tab;
    std::span<const char* const> items;  // list texts, UTF-8
    int max;                             // highest accepted index (the minimum is 0)
    int offset;                          // added to the index in the relay's register
};

// The numeric catalogues: the 705-set (codes 0, 705, 706, 707), the 306-set (code 306, whose
// currents are hundredths) and the M set (codes 715, 716, 717).
using NumericSet = SetpointSet;

std::span<const NumericSetpoint> NumericCatalogue(NumericSet set);
std::span<const FlagSetpoint> FlagCatalogue(bool isM);
std::span<const ChoiceSetpoint> ChoiceCatalogue(bool isM);
// RegisterOrder(isM)[r] = image index held by register r of the setpoint block.
std::span<const std::uint8_t> RegisterOrder(bool isM);

}  // namespace tirv
