#include "configurator/setpoints/calculator.h"

#include "configurator/setpoints/field_rules.h"

#include <cmath>

namespace tirv {

namespace {

using Q = CalcQuantity;

// Fields 5911, 5912, 5913 by mode.
constexpr CalcQuantity kInputs[kCalcModes][kCalcInputs] = {
    {Q::TimeSetting, Q::Current, Q::CurrentSetting},   // t
    {Q::TripTime, Q::Current, Q::CurrentSetting},      // T
    {Q::Current, Q::TimeSetting, Q::TripTime},         // Iset
    {Q::CurrentSetting, Q::TimeSetting, Q::TripTime},  // I
};
constexpr CalcQuantity kResults[kCalcModes] = {Q::TripTime, Q::TimeSetting, Q::CurrentSetting,
                                               Q::Current};

int fieldOf(CalcMode mode, CalcQuantity q)
{
    for (int f = 0; f < kCalcInputs; ++f)
        if (kInputs[int(mode)][f] == q)
            return f;
    return -1;
}

constexpr int kParseScale = 6;

// A field's value, or the issue of reading it.
struct Read {
    CalcIssue issue = CalcIssue::None;
    double value = 0;
};

Read readField(const std::u16string& text)
{
    if (text.empty())
        return {CalcIssue::Empty, 0};
    const auto d = parseDecimal(text, kParseScale);
    if (!d)
        return {CalcIssue::NotNumber, 0};
    const double v = double(d->scaled) / 1e6;
    return {CalcIssue::None, d->negative ? -v : v};
}

// The issue of a zero in the field of each quantity (indexed by CalcQuantity).
constexpr CalcIssue kZeroIssue[] = {CalcIssue::TripTimeZero, CalcIssue::TimeSettingZero,
                                    CalcIssue::CurrentZero, CalcIssue::CurrentSettingZero};

// The read-and-check steps the modes are made of. Each step returns false, with the outcome's
// issue and focus field set, at the first problem; "typed" steps only apply to manual input,
// since otherwise the chosen group supplies the value.
struct CalcSteps {
    CalcMode mode;
    bool manual;
    const CalcRequest& req;
    CalcOutcome& out;

    bool fail(CalcIssue issue, CalcQuantity q) const
    {
        out.issue = issue;
        out.field = fieldOf(mode, q);
        return false;
    }
    bool read(CalcQuantity q, double& value) const
    {
        const Read r = readField(req.texts[std::size_t(fieldOf(mode, q))]);
        if (r.issue != CalcIssue::None)
            return fail(r.issue, q);
        value = r.value;
        return true;
    }
    bool nonZero(CalcQuantity q, double& value) const
    {
        if (!read(q, value))
            return false;
        if (value == 0)
            return fail(kZeroIssue[int(q)], q);
        return true;
    }
    bool typedNonZero(CalcQuantity q, double& value) const { return !manual || nonZero(q, value); }
    bool currentWithinMax(double I) const
    {
        if (I > kCalcMaxCurrent)
            return fail(CalcIssue::CurrentAboveMax, Q::Current);
        return true;
    }
    // I must exceed the group's Iset; with typed values the comparison waits for the typed Iset
    // (typedSettingBelow), not a stale one.
    bool current(double& I, double Is) const
    {
        if (!read(Q::Current, I))
            return false;
        if (!manual && I <= Is)
            return fail(CalcIssue::CurrentNotAbove, Q::Current);
        return currentWithinMax(I);
    }
    bool typedSettingBelow(double& Is, double I) const
    {
        if (!typedNonZero(Q::CurrentSetting, Is))
            return false;
        if (manual && Is >= I)
            return fail(CalcIssue::SettingNotBelow, Q::CurrentSetting);
        return true;
    }
};

}  // namespace

CalcQuantity calcInputQuantity(CalcMode mode, int field) { return kInputs[int(mode)][field]; }
CalcQuantity calcResultQuantity(CalcMode mode) { return kResults[int(mode)]; }

bool calcInputFromSource(CalcMode mode, CalcSource source, int field)
{
    if (source == CalcSource::Manual)
        return false;
    const CalcQuantity q = kInputs[int(mode)][field];
    return q == Q::TimeSetting || q == Q::CurrentSetting;
}

int calcSourceCurrentIndex(CalcSource source) { return 4 + 2 * int(source); }
int calcSourceTimeIndex(CalcSource source) { return 5 + 2 * int(source); }

int calcCurrentDivisor(int modelCode) { return CurrentsInHundredths(modelCode) ? 100 : 10; }
int calcCurrentDecimals(int modelCode) { return calcCurrentDivisor(modelCode) == 100 ? 2 : 1; }

int calcInputDecimals(CalcMode mode, int field, int modelCode)
{
    const CalcQuantity q = kInputs[int(mode)][field];
    return q == Q::Current || q == Q::CurrentSetting ? calcCurrentDecimals(modelCode) : 2;
}

double calcTripTime(const CalcCurve& c, double timeSetting, double current, double currentSetting)
{
    return timeSetting * c.beta / (std::pow(current / currentSetting, c.alpha) - 1.0);
}

double calcTimeSetting(const CalcCurve& c, double tripTime, double current, double currentSetting)
{
    return (std::pow(current / currentSetting, c.alpha) - 1.0) * tripTime / c.beta;
}

double calcCurrentSetting(const CalcCurve& c, double current, double timeSetting, double tripTime)
{
    return current / std::pow(c.beta * timeSetting / tripTime + 1.0, 1.0 / c.alpha);
}

double calcCurrent(const CalcCurve& c, double currentSetting, double timeSetting, double tripTime)
{
    return currentSetting * std::pow(c.beta * timeSetting / tripTime + 1.0, 1.0 / c.alpha);
}

CalcFilterResult calcFilterTyping(std::u16string_view text, int decimals)
{
    int separator = -1;  // position of the '.' in the result
    return filterCharacters<CalcFilterResult>(
        text, [&](char16_t c, std::size_t, const std::u16string& kept) {
            if (c >= u'0' && c <= u'9')
                return separator < 0 || int(kept.size()) - separator <= decimals;
            if (c == u'.' && separator < 0) {
                separator = int(kept.size());
                return true;
            }
            return false;
        });
}

CalcOutcome calcCompute(CalcState& state, const CalcRequest& req)
{
    CalcOutcome out;
    const CalcMode mode = state.mode;
    const bool manual = state.source == CalcSource::Manual;
    const CalcCurve& curve = kCalcCurves[std::size_t(state.curve) % kCalcCurves.size()];
    const CalcSteps step{mode, manual, req, out};

    double t = state.tripTime, T = state.timeSetting, I = state.current, Is = state.currentSetting;
    if (!manual) {
        T = req.sourceTimeSetting;
        Is = req.sourceCurrentSetting;
    }

    switch (mode) {
    case CalcMode::TripTime:
        if (!(step.current(I, Is) && step.typedNonZero(Q::TimeSetting, T) &&
              step.typedSettingBelow(Is, I)))
            return out;
        out.result = t = calcTripTime(curve, T, I, Is);
        if (t > kCalcMaxTripTime)
            out.warning = CalcWarning::TripTimeOver100;
        break;
    case CalcMode::TimeSetting:
        if (!(step.nonZero(Q::TripTime, t) && step.current(I, Is) && step.typedSettingBelow(Is, I)))
            return out;
        out.result = T = calcTimeSetting(curve, t, I, Is);
        break;
    case CalcMode::CurrentSetting:
        if (!(step.nonZero(Q::Current, I) && step.currentWithinMax(I) &&
              step.nonZero(Q::TripTime, t) && step.typedNonZero(Q::TimeSetting, T)))
            return out;
        out.result = Is = calcCurrentSetting(curve, I, T, t);
        break;
    case CalcMode::Current:
        if (!(step.nonZero(Q::TripTime, t) && step.typedNonZero(Q::CurrentSetting, Is) &&
              step.typedNonZero(Q::TimeSetting, T)))
            return out;
        out.result = I = calcCurrent(curve, Is, T, t);
        if (I > kCalcMaxCurrent)
            out.warning = CalcWarning::CurrentOver200;
        break;
    }
    out.hasResult = true;
    state.tripTime = t;
    state.timeSetting = T;
    state.current = I;
    state.currentSetting = Is;

    // The computed setpoint must fit the chosen group's editor range.
    if (!manual && (mode == CalcMode::TimeSetting || mode == CalcMode::CurrentSetting)) {
        if (out.result < req.boundMin) {
            out.warning = CalcWarning::BelowMin;
            out.bound = req.boundMin;
        } else if (out.result > req.boundMax) {
            out.warning = CalcWarning::AboveMax;
            out.bound = req.boundMax;
        }
    }
    return out;
}

}  // namespace tirv
