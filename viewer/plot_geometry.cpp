#include "common/calendar.h"
#include "viewer/plot_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace tirv {

namespace {

// Scroll positions are kept within 16 bits even at the largest stretch.
constexpr std::int64_t kScrollLimit = 65535;

std::int64_t FloorScaled(std::int64_t v, int sExp, std::int64_t d)  // floor(v × S / D)
{
    return sExp >= 0 ? (v << sExp) / d : v / (d << -sExp);
}

std::int64_t RoundScaled(std::int64_t v, int sExp, std::int64_t d)  // round(v × S / D), half up
{
    const std::int64_t num = sExp >= 0 ? v << sExp : v;
    const std::int64_t den = sExp >= 0 ? d : d << -sExp;
    return (2 * num + den) / (2 * den);
}

int ComputePage(const HorizontalState& h)
{
    int p = std::max(0, h.width) / h.d;
    if (h.sExp > 0)
        p -= p % (1 << h.sExp);
    return p;
}

// After a scale change the position must stay inside the new range.
void KeepInRange(HorizontalState& h)
{
    if (h.pos >= h.maximum)
        h.pos = h.maximum > h.page ? h.maximum : 0;
    h.pos = std::max(0, h.pos);
}

void Clamp(HorizontalState& h) { h.pos = std::clamp(h.pos, 0, std::max(0, h.maximum)); }

// Page and thumb moves land on a whole sample when a sample is wider than a scroll unit.
void HalfStep(HorizontalState& h)
{
    if (h.sExp <= 0)
        return;
    const int s = 1 << h.sExp;
    if ((h.pos * h.d) % s >= s / 2)
        h.pos += s / 2;
}

std::string Format(const char* fmt, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

int DivisorOf(int channel, int rangeFactor)
{
    if (channel == Ch3Io)
        return 1000;
    if (channel <= ChIc)
        return rangeFactor == 1 ? 10 : 100;
    return 10;
}

}  // namespace

int LabelMargin(int logicalDpiX)
{
    if (logicalDpiX <= 0)
        return kLabelMarginAt96Dpi;
    return kLabelMarginAt96Dpi * logicalDpiX / 96;
}

double HorizontalState::scale() const { return std::ldexp(1.0, sExp); }

HorizontalState FitTimeScale(int n, int screenWidth, int plotWidth)
{
    HorizontalState h;
    h.n = n;
    h.width = plotWidth;
    // Largest scale at which the recording still takes less than three quarters of the screen.
    int e = kMaxScaleExp;
    auto tooWide = [&](int exp) {
        const std::int64_t lhs = 4 * static_cast<std::int64_t>(n) << std::max(exp, 0);
        const std::int64_t rhs = 3 * static_cast<std::int64_t>(screenWidth) << std::max(-exp, 0);
        return lhs >= rhs;
    };
    while (e > kMinScaleExp && tooWide(e))
        --e;
    h.sExp = h.s0Exp = e;

    int cExp = kMaxScaleExp;
    while (cExp > kMinScaleExp && 5 + FloorScaled(n - 1, cExp, 1) > kScrollLimit) {
        --cExp;
        h.d *= 2;
        if (h.sExp > cExp)
            break;
    }
    h.page = ComputePage(h);
    h.maximum = static_cast<int>(RoundScaled(n, h.sExp, h.d)) - h.page;
    h.pos = 0;
    return h;
}

void SetPlotWidth(HorizontalState& h, int plotWidth)
{
    h.width = plotWidth;
    h.page = ComputePage(h);
    h.maximum = static_cast<int>(RoundScaled(h.n, h.sExp, h.d)) - h.page;
    Clamp(h);
}

bool Stretch(HorizontalState& h)
{
    if (h.sExp >= kMaxScaleExp)
        return false;
    ++h.sExp;
    h.pos *= 2;
    h.page = ComputePage(h);
    h.maximum = static_cast<int>(FloorScaled(h.n, h.sExp, h.d)) - h.page;
    if (FloorScaled(h.n - 1, h.sExp, 1) % h.d != 0)
        ++h.maximum;
    KeepInRange(h);
    return true;
}

bool Compress(HorizontalState& h)
{
    if (h.sExp <= h.s0Exp)
        return false;
    --h.sExp;
    h.pos /= 2;
    h.page = ComputePage(h);
    h.maximum = static_cast<int>(FloorScaled(h.n, h.sExp, h.d)) - h.page;
    KeepInRange(h);
    return true;
}

void Scroll(HorizontalState& h, ScrollAction a)
{
    const int line = h.sExp > 0 ? 1 << h.sExp : 1;
    switch (a) {
    case ScrollAction::LineLeft: h.pos -= line; break;
    case ScrollAction::LineRight: h.pos += line; break;
    case ScrollAction::PageLeft: h.pos -= h.page; HalfStep(h); break;
    case ScrollAction::PageRight: h.pos += h.page; HalfStep(h); break;
    case ScrollAction::Home: h.pos = 0; break;
    case ScrollAction::End: h.pos = h.maximum; break;
    }
    Clamp(h);
}

void ScrollTo(HorizontalState& h, int pos)
{
    h.pos = pos;
    HalfStep(h);
    Clamp(h);
}

int FirstVisibleSample(const HorizontalState& h)
{
    const std::int64_t px = static_cast<std::int64_t>(h.d) * h.pos;
    if (h.sExp <= 0)
        return static_cast<int>(px << -h.sExp);
    const int s = 1 << h.sExp;
    // At the end of the range no half step is added, so the last sample stays in view.
    if (h.pos >= h.maximum && h.maximum > 0)
        return static_cast<int>(px / s);
    return static_cast<int>((px + s / 2) / s);
}

double SampleToX(const HorizontalState& h, double sample)
{
    return (sample - FirstVisibleSample(h)) * h.scale();
}

int SampleUnderX(const HorizontalState& h, int x)
{
    const int f = FirstVisibleSample(h);
    if (h.sExp <= 0)
        return f + (x << -h.sExp);
    const int s = 1 << h.sExp;
    return f + (x + s / 2) / s;
}

int MarkerStartSample(const HorizontalState& h, int pixelOffset)
{
    const std::int64_t v = static_cast<std::int64_t>(h.d) * h.pos + pixelOffset;
    if (h.sExp <= 0)
        return static_cast<int>(v << -h.sExp);
    const int s = 1 << h.sExp;
    return static_cast<int>((v + s - 1) / s);
}

std::string AxisLabel(double sampleAtTick, bool absolute, const StampTime& start)
{
    const double ms = sampleAtTick * 1.25;
    if (!absolute) {
        if (ms == std::floor(ms))
            return std::to_string(static_cast<long long>(ms));
        return Format("%.2f", ms);
    }
    // In units of 10 µs, so that 59.99 s + 20 ms gives exactly 0.01 s past the minute.
    double units = start.hundredths * 1000.0 + start.second * 100000.0 + ms * 100.0;
    if (units >= 6000000.0)
        units -= 6000000.0;
    return Format("%.4f", units / 100000.0);
}

std::vector<AxisTick> AxisTicks(const HorizontalState& h, bool absolute, const StampTime& start)
{
    std::vector<AxisTick> ticks;
    const int px = h.d * h.pos;
    const int c = h.sExp > 0 ? px % (1 << h.sExp) : 0;
    const int f = FirstVisibleSample(h);
    for (int x = c - px % kTickSpacing; x < h.width; x += kTickSpacing) {
        if (x < 0)
            continue;
        const double sample = f + std::ldexp(static_cast<double>(x), -h.sExp);
        ticks.push_back({x, AxisLabel(sample, absolute, start)});
    }
    return ticks;
}

GraphChoice GraphsAtLoad(const PlotSource& src)
{
    GraphChoice g{};
    for (int ch = 0; ch < kPlotChannels; ++ch)
        g[static_cast<std::size_t>(ch)] = src.channels[static_cast<std::size_t>(ch)].recorded ? ch + 1 : 0;
    return g;
}

int VerticalLayout::laneOf(int channel) const
{
    for (std::size_t i = 0; i < lanes.size(); ++i)
        if (lanes[i].members[static_cast<std::size_t>(channel)])
            return static_cast<int>(i);
    return -1;
}

VerticalLayout LayOut(const PlotSource& src, const GraphChoice& graphs,
                      const std::array<bool, kPlotSignals>& shown, bool digitalOn)
{
    VerticalLayout v;
    for (int g = 1; g <= kPlotChannels; ++g) {
        Lane lane;
        lane.graph = g;
        bool any = false;
        for (std::size_t ch = 0; ch < kPlotChannels; ++ch) {
            const PlotTrace& t = src.channels[ch];
            if (!t.recorded || graphs[ch] != g)
                continue;
            lane.members[ch] = true;
            lane.max = any ? std::max(lane.max, t.max) : t.max;
            lane.min = any ? std::min(lane.min, t.min) : t.min;
            any = true;
        }
        if (any)
            v.lanes.push_back(lane);
    }
    for (const Lane& l : v.lanes) {
        auto& gm = v.groupMax[l.graph <= 3 ? 0 : 1];
        gm = std::max(gm, l.range());
    }
    int top = 1;
    for (Lane& l : v.lanes) {
        const std::int64_t gm = v.groupMax[l.graph <= 3 ? 0 : 1];
        l.top = top;
        l.height = gm > 0 ? static_cast<int>(kLaneScale * static_cast<std::int64_t>(l.range()) / gm) : 0;
        top += l.height + kLaneGap;
        v.guides.push_back(l.top);
        v.guides.push_back(l.top + l.height);
        for (std::size_t ch = 0; ch < kPlotChannels; ++ch) {
            if (!l.members[ch])
                continue;
            const auto& values = src.channels[ch].values;
            auto& ys = v.ys[ch];
            ys.resize(values.size());
            const bool flat = gm == 0 || l.range() == 0;
            const double k = flat ? 0.0 : static_cast<double>(kLaneScale) / static_cast<double>(gm);
            for (std::size_t s = 0; s < values.size(); ++s)
                ys[s] = static_cast<float>(l.top + (flat ? 0.0 : (l.max - values[s]) * k));
        }
    }
    int content = top - 1 + 60;
    if (digitalOn && src.digitalValid && !src.digital.empty()) {
        const int rowsTop = top;
        for (int sig = 0; sig < kPlotSignals; ++sig) {
            if (!shown[static_cast<std::size_t>(sig)])
                continue;
            DigitalRow row{sig, rowsTop + kDigitalRow * static_cast<int>(v.rows.size())};
            v.rows.push_back(row);
            v.guides.push_back(row.top);
            v.guides.push_back(row.top + kDigitalLow);
            auto bitOf = [sig](const DigitalState& d) {
                return sig < 16 ? (d.inputs >> sig) & 1 : (d.outputs >> (sig - 16)) & 1;
            };
            auto levelOf = [&](int state) {
                return static_cast<float>(row.top + (state ? 0 : kDigitalLow));
            };
            DigitalTrace tr;
            int state = bitOf(src.digital.front());
            tr.samples.push_back(0);
            tr.ys.push_back(levelOf(state));
            for (std::size_t i = 1; i < src.digital.size(); ++i) {
                const int next = bitOf(src.digital[i]);
                if (next == state)
                    continue;
                const auto at = static_cast<std::int32_t>(src.digital[i].position);
                tr.samples.push_back(at);
                tr.ys.push_back(levelOf(state));
                tr.samples.push_back(at);
                tr.ys.push_back(levelOf(next));
                state = next;
            }
            tr.samples.push_back(src.n - 1);
            tr.ys.push_back(levelOf(state));
            v.traces.push_back(std::move(tr));
        }
        if (!v.rows.empty())
            content += kDigitalRow * static_cast<int>(v.rows.size()) + 10;
    }
    v.contentHeight = content;
    return v;
}

VerticalScroll VerticalRange(int contentHeight, int plotHeight)
{
    VerticalScroll r;
    r.maximum = contentHeight > plotHeight ? contentHeight - plotHeight : 0;
    r.page = std::max(1, plotHeight - 60);
    return r;
}

std::optional<double> MarkerValue(const PlotSource& src, int channel, int sample, bool rms)
{
    const PlotTrace& t = src.channels[static_cast<std::size_t>(channel)];
    if (!t.recorded || sample < 0 || sample >= static_cast<int>(t.values.size()))
        return std::nullopt;
    const double div = DivisorOf(channel, src.rangeFactor);
    if (!rms)
        return t.values[static_cast<std::size_t>(sample)] * 1.4142 / div;
    if (sample < kSamplesPerPeriod)
        return std::nullopt;
    // Fundamental by a one-period DFT over the 16 samples before the marker.
    double c = 0, s = 0;
    for (int k = 1; k <= kSamplesPerPeriod; ++k) {
        const double v = t.values[static_cast<std::size_t>(sample - 17 + k)];
        c += v * std::cos(k * std::numbers::pi / 8);
        s += v * std::sin(k * std::numbers::pi / 8);
    }
    return std::sqrt(c * c + s * s) / 8 / div;
}

std::string FormatMarkerValue(const PlotSource& src, int channel, int sample, bool rms)
{
    const auto v = MarkerValue(src, channel, sample, rms);
    if (!v)
        return {};
    return Format(DivisorOf(channel, src.rangeFactor) == 10 ? "%.2f" : "%.3f", *v);
}

FineTime AddSamples(const StampTime& start, std::int64_t sample)
{
    FineTime t;
    std::int64_t units = start.hundredths * 1000LL + sample * 125;  // 1.25 ms = 125 × 10 µs
    t.fraction = static_cast<int>(units % 100000);
    std::int64_t carry = units / 100000 + start.second;
    t.second = static_cast<int>(carry % 60);
    carry = carry / 60 + start.minute;
    t.minute = static_cast<int>(carry % 60);
    carry = carry / 60 + start.hour;
    t.hour = static_cast<int>(carry % 24);
    std::int64_t days = carry / 24;
    t.day = start.day;
    t.month = start.month;
    t.year = start.year;
    while (days-- > 0) {
        if (++t.day > MonthLength(t.month, t.year)) {
            t.day = 1;
            if (++t.month > 12) {
                t.month = 1;
                ++t.year;
            }
        }
    }
    return t;
}

std::string MarkerTimeText(const StampTime& start, int sample, bool absolute)
{
    if (!absolute)
        return Format("%.2f", sample * 1.25);
    const FineTime t = AddSamples(start, sample);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%08.5f", t.hour, t.minute,
                  t.second + t.fraction / 100000.0);
    return buf;
}

std::string MarkerDifferenceText(int t1, int t0) { return Format("%.5f", (t1 - t0) * 0.00125); }

std::string TitleText(const PlotSource& src)
{
    const StampTime& e = src.event;
    char buf[96];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d   %02d:%02d:%02d.%02d", e.day, e.month, e.year,
                  e.hour, e.minute, e.second, e.hundredths);
    return src.tripName + buf;
}

}  // namespace tirv
