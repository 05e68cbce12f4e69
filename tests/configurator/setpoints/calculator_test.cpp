// The МТЗ-2/МТЗ-3 inverse-time calculator: formulas, the order of its checks, range warnings.
#include "configurator/setpoints/calculator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tirv {
namespace {

std::u16string u(const std::string& s) { return std::u16string(s.begin(), s.end()); }

CalcState stateFor(CalcMode mode, CalcSource source, int curve)
{
    CalcState s;
    s.mode = mode;
    s.source = source;
    s.curve = curve;
    return s;
}

TEST(CalcFormula, NormalInverseReferencePoint)
{
    // 0.1 * 0.14 / (10^0.02 - 1)
    EXPECT_NEAR(calcTripTime(kCalcCurves[0], 0.1, 10, 1), 0.2970, 5e-4);
    EXPECT_NEAR(calcTripTime(kCalcCurves[0], 0.1, 10, 1), 0.014 / (std::pow(10.0, 0.02) - 1), 1e-12);
}

TEST(CalcFormula, EveryModeSolvesBackToItsInputs)
{
    const struct {
        double T, I, Is;
    } points[] = {{0.1, 10, 1}, {0.5, 3.3, 1.2}, {2.0, 150, 40}, {0.05, 1.5, 1.0}};
    for (int c = 0; c < int(kCalcCurves.size()); ++c) {
        const CalcCurve& cv = kCalcCurves[std::size_t(c)];
        for (const auto& p : points) {
            const double t = calcTripTime(cv, p.T, p.I, p.Is);
            EXPECT_NEAR(calcTimeSetting(cv, t, p.I, p.Is), p.T, 1e-9 * p.T) << c;
            EXPECT_NEAR(calcCurrentSetting(cv, p.I, p.T, t), p.Is, 1e-9 * p.Is) << c;
            EXPECT_NEAR(calcCurrent(cv, p.Is, p.T, t), p.I, 1e-9 * p.I) << c;
        }
    }
}

TEST(CalcCompute, EveryModeThroughTheFieldsSolvesBack)
{
    // Manual source: compute t, then each other quantity from t and the rest, through texts.
    for (int c = 0; c < 3; ++c) {
        CalcState s0 = stateFor(CalcMode::TripTime, CalcSource::Manual, c);
        CalcRequest r0;
        r0.texts = {u"0.4", u"12", u"2.5"};  // T, I, Iset
        const CalcOutcome t = calcCompute(s0, r0);
        ASSERT_TRUE(t.hasResult) << c;
        char tt[32];
        std::snprintf(tt, sizeof tt, "%.6f", t.result);
        const std::u16string ts = u(tt);

        CalcState s1 = stateFor(CalcMode::TimeSetting, CalcSource::Manual, c);
        CalcRequest r1;
        r1.texts = {ts, u"12", u"2.5"};  // t, I, Iset
        EXPECT_NEAR(calcCompute(s1, r1).result, 0.4, 1e-4) << c;

        CalcState s2 = stateFor(CalcMode::CurrentSetting, CalcSource::Manual, c);
        CalcRequest r2;
        r2.texts = {u"12", u"0.4", ts};  // I, T, t
        EXPECT_NEAR(calcCompute(s2, r2).result, 2.5, 1e-3) << c;

        CalcState s3 = stateFor(CalcMode::Current, CalcSource::Manual, c);
        CalcRequest r3;
        r3.texts = {u"2.5", u"0.4", ts};  // Iset, T, t
        EXPECT_NEAR(calcCompute(s3, r3).result, 12, 1e-2) << c;
        EXPECT_DOUBLE_EQ(s3.current, calcCompute(s3, r3).result) << "remembered";
    }
}

struct IssueCase {
    const char* what;
    CalcMode mode;
    CalcSource source;
    std::u16string f0, f1, f2;
    double srcIset, srcT;
    CalcIssue issue;
    int field;
};

TEST(CalcCompute, ReportsTheFirstIssueAtItsField)
{
    using M = CalcMode;
    using S = CalcSource;
    const IssueCase cases[] = {
        {"I equal to Iset from the group", M::TripTime, S::Mtz2A, u"", u"1", u"", 1, 0.1, CalcIssue::CurrentNotAbove, 1},
        {"I above 200", M::TripTime, S::Mtz2A, u"", u"200.5", u"", 1, 0.1, CalcIssue::CurrentAboveMax, 1},
        {"I empty", M::TripTime, S::Mtz2A, u"", u"", u"", 1, 0.1, CalcIssue::Empty, 1},
        {"I not a number", M::TripTime, S::Mtz2A, u"", u"1.2.3", u"", 1, 0.1, CalcIssue::NotNumber, 1},
        {"manual T zero", M::TripTime, S::Manual, u"0", u"10", u"1", 0, 0, CalcIssue::TimeSettingZero, 0},
        {"manual Iset not below I", M::TripTime, S::Manual, u"0.1", u"10", u"10", 0, 0, CalcIssue::SettingNotBelow, 2},
        {"manual Iset zero", M::TripTime, S::Manual, u"0.1", u"10", u"0", 0, 0, CalcIssue::CurrentSettingZero, 2},
        {"manual Iset empty", M::TripTime, S::Manual, u"0.1", u"10", u"", 0, 0, CalcIssue::Empty, 2},
        {"mode T: t zero", M::TimeSetting, S::Mtz3B, u"0", u"10", u"", 1, 0.1, CalcIssue::TripTimeZero, 0},
        {"mode T: I not above", M::TimeSetting, S::Mtz3B, u"1", u"0.5", u"", 1, 0.1, CalcIssue::CurrentNotAbove, 1},
        {"mode Iset: I zero", M::CurrentSetting, S::Mtz2B, u"0", u"", u"1", 1, 0.1, CalcIssue::CurrentZero, 0},
        {"mode Iset: t zero", M::CurrentSetting, S::Mtz2B, u"10", u"", u"0", 1, 0.1, CalcIssue::TripTimeZero, 2},
        {"mode Iset: manual T zero", M::CurrentSetting, S::Manual, u"10", u"0", u"1", 0, 0, CalcIssue::TimeSettingZero, 1},
        {"mode I: t zero", M::Current, S::Mtz3A, u"", u"", u"0", 1, 0.1, CalcIssue::TripTimeZero, 2},
        {"mode I: manual Iset zero", M::Current, S::Manual, u"0", u"0.1", u"1", 0, 0, CalcIssue::CurrentSettingZero, 0},
    };
    for (const auto& c : cases) {
        CalcState s = stateFor(c.mode, c.source, 0);
        CalcRequest r;
        r.texts = {c.f0, c.f1, c.f2};
        r.sourceCurrentSetting = c.srcIset;
        r.sourceTimeSetting = c.srcT;
        const CalcOutcome o = calcCompute(s, r);
        EXPECT_EQ(o.issue, c.issue) << c.what;
        EXPECT_EQ(o.field, c.field) << c.what;
        EXPECT_FALSE(o.hasResult) << c.what;
    }
}

TEST(CalcCompute, ManualIsetIsComparedWithTheTypedOneNotARememberedOne)
{
    CalcState s = stateFor(CalcMode::TripTime, CalcSource::Manual, 0);
    s.currentSetting = 50;  // left over from an earlier calculation
    CalcRequest r;
    r.texts = {u"0.1", u"10", u"1"};
    const CalcOutcome o = calcCompute(s, r);
    EXPECT_EQ(o.issue, CalcIssue::None);
    EXPECT_NEAR(o.result, 0.297, 1e-3);
}

TEST(CalcCompute, WarnsButKeepsTheResult)
{
    // Extremely inverse just above the setting: far beyond 100 s.
    CalcState s = stateFor(CalcMode::TripTime, CalcSource::Manual, 2);
    CalcRequest r;
    r.texts = {u"1", u"1.01", u"1"};
    CalcOutcome o = calcCompute(s, r);
    EXPECT_TRUE(o.hasResult);
    EXPECT_EQ(o.warning, CalcWarning::TripTimeOver100);
    EXPECT_GT(o.result, 100);

    CalcState s3 = stateFor(CalcMode::Current, CalcSource::Manual, 0);
    r.texts = {u"100", u"1", u"0.1"};  // Iset, T, t
    o = calcCompute(s3, r);
    EXPECT_TRUE(o.hasResult);
    EXPECT_EQ(o.warning, CalcWarning::CurrentOver200);
}

TEST(CalcCompute, ChecksTheComputedSetpointAgainstTheGroupBounds)
{
    CalcState s = stateFor(CalcMode::TimeSetting, CalcSource::Mtz2A, 0);
    CalcRequest r;
    r.sourceCurrentSetting = 1;
    r.boundMin = 0.05;
    r.boundMax = 20;
    r.texts = {u"0.01", u"10", u""};  // t, I
    CalcOutcome o = calcCompute(s, r);
    EXPECT_EQ(o.warning, CalcWarning::BelowMin);
    EXPECT_DOUBLE_EQ(o.bound, 0.05);
    r.texts = {u"99", u"10", u""};
    o = calcCompute(s, r);
    EXPECT_EQ(o.warning, CalcWarning::AboveMax);
    EXPECT_DOUBLE_EQ(o.bound, 20);

    // Manual values are never range-checked.
    CalcState m = stateFor(CalcMode::TimeSetting, CalcSource::Manual, 0);
    r.texts = {u"99", u"10", u"1"};
    EXPECT_EQ(calcCompute(m, r).warning, CalcWarning::None);
}

TEST(CalcSourceMapping, GroupsAndResolution)
{
    EXPECT_EQ(calcSourceCurrentIndex(CalcSource::Mtz2A), 4);
    EXPECT_EQ(calcSourceTimeIndex(CalcSource::Mtz3B), 11);
    EXPECT_EQ(calcCurrentDivisor(306), 100);
    EXPECT_EQ(calcCurrentDivisor(705), 10);
    EXPECT_EQ(calcCurrentDivisor(715), 100);
    EXPECT_EQ(calcInputDecimals(CalcMode::TripTime, 2, 707), 1);  // Iset
    EXPECT_EQ(calcInputDecimals(CalcMode::TripTime, 0, 707), 2);  // T
    EXPECT_TRUE(calcInputFromSource(CalcMode::TripTime, CalcSource::Mtz3B, 0));
    EXPECT_FALSE(calcInputFromSource(CalcMode::TripTime, CalcSource::Mtz3B, 1));
    EXPECT_FALSE(calcInputFromSource(CalcMode::TripTime, CalcSource::Manual, 0));
}

TEST(CalcFilter, LimitsDecimalsPerField)
{
    const struct {
        const char* typed;
        int decimals;
        const char* shown;
        int caret;
    } cases[] = {
        {"1,25", 2, "1.25", -1}, {"1.255", 2, "1.25", 4}, {"1.25", 1, "1.2", 3},
        {"1..2", 2, "1.2", 2},   {"-1", 2, "1", 0},       {"12a", 2, "12", 2},
    };
    for (const auto& c : cases) {
        const CalcFilterResult r = calcFilterTyping(u(c.typed), c.decimals);
        EXPECT_EQ(std::string(r.text.begin(), r.text.end()), c.shown) << c.typed;
        EXPECT_EQ(r.caret, c.caret) << c.typed;
    }
}

}  // namespace
}  // namespace tirv
