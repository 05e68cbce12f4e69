#pragma once
// The inverse-time overcurrent characteristic t = T * beta / ((I / Iset)^alpha - 1) of the МТЗ-2
// and МТЗ-3 stages, solved for any one of its four quantities, with the input checks of the
// calculator window. Pure C++; the window only shows texts and moves the focus.
#include <array>
#include <cstdint>
#include <string>

namespace tirv {

enum class CalcMode : int { TripTime = 0, TimeSetting = 1, CurrentSetting = 2, Current = 3 };
enum class CalcSource : int { Mtz2A = 0, Mtz2B = 1, Mtz3A = 2, Mtz3B = 3, Manual = 4 };
enum class CalcQuantity : int { TripTime, TimeSetting, Current, CurrentSetting };

struct CalcCurve {
    double alpha;
    double beta;
};
// Normal inverse, very inverse, extremely inverse (the IEC 60255 curves).
inline constexpr std::array<CalcCurve, 3> kCalcCurves{{{0.02, 0.14}, {1.0, 13.5}, {2.0, 80.0}}};
inline constexpr int kCalcModes = 4;
inline constexpr int kCalcSources = 5;
inline constexpr int kCalcInputs = 3;
// The relay measures currents up to this many amperes.
inline constexpr double kCalcMaxCurrent = 200.0;
// Inverse-time stages trip after at most this many seconds.
inline constexpr double kCalcMaxTripTime = 100.0;

// Which quantity each of the three input fields holds in a mode.
CalcQuantity calcInputQuantity(CalcMode mode, int field);
// The quantity computed in a mode.
CalcQuantity calcResultQuantity(CalcMode mode);
// True when the input field shows a setpoint of the chosen group instead of a typed value.
bool calcInputFromSource(CalcMode mode, CalcSource source, int field);

// Image indices of the chosen group's current and time setpoints.
int calcSourceCurrentIndex(CalcSource source);
int calcSourceTimeIndex(CalcSource source);
// Raw units per ampere of the МТЗ current setpoints: hundredths on the 306 and on M models,
// tenths on the others.
int calcCurrentDivisor(int modelCode);
// Decimals a current is typed and shown with (the resolution of the current setpoints).
int calcCurrentDecimals(int modelCode);
// Decimals of an input field in a mode (times always two).
int calcInputDecimals(CalcMode mode, int field, int modelCode);

double calcTripTime(const CalcCurve& c, double timeSetting, double current, double currentSetting);
double calcTimeSetting(const CalcCurve& c, double tripTime, double current, double currentSetting);
double calcCurrentSetting(const CalcCurve& c, double current, double timeSetting, double tripTime);
double calcCurrent(const CalcCurve& c, double currentSetting, double timeSetting, double tripTime);

// The typing filter of an input field: ',' becomes '.', digits and one '.', at most `decimals`
// digits after it. Disallowed characters are removed; caret where the first one was (-1: none).
struct CalcFilterResult {
    std::u16string text;
    bool changed = false;
    int caret = -1;
};
CalcFilterResult calcFilterTyping(std::u16string_view text, int decimals);

enum class CalcIssue {
    None,
    Empty,            // a field is empty
    NotNumber,        // a field is not a number
    CurrentNotAbove,  // I must be greater than Iset
    CurrentAboveMax,  // I above 200 A
    TimeSettingZero,
    TripTimeZero,
    SettingNotBelow,  // Iset must be below I
    CurrentZero,
    CurrentSettingZero,
};
enum class CalcWarning { None, TripTimeOver100, CurrentOver200, BelowMin, AboveMax };

struct CalcState {
    CalcMode mode = CalcMode::TripTime;
    CalcSource source = CalcSource::Mtz2A;
    int curve = 0;
    double tripTime = 0;
    double timeSetting = 0;
    double current = 0;
    double currentSetting = 0;
};

struct CalcRequest {
    std::array<std::u16string, kCalcInputs> texts;  // fields 5911, 5912, 5913
    // The chosen group's setpoints (sources 0-3) and the editor bounds of the computed
    // setpoint (T in mode 1, Iset in mode 2), in seconds and amperes.
    double sourceCurrentSetting = 0;
    double sourceTimeSetting = 0;
    double boundMin = 0;
    double boundMax = 0;
};

struct CalcOutcome {
    CalcIssue issue = CalcIssue::None;
    int field = -1;  // the input field that gets the focus with the issue
    bool hasResult = false;
    double result = 0;
    CalcWarning warning = CalcWarning::None;
    double bound = 0;  // the violated bound of BelowMin / AboveMax
};

// Reads the fields in the order the checks need them, stops at the first issue, computes and
// range-checks the result. Remembers every quantity read or computed in `state`.
CalcOutcome calcCompute(CalcState& state, const CalcRequest& request);

}  // namespace tirv
