#pragma once
// The plot's arithmetic, free of any drawing: the time scale and its fit, the horizontal scroll
// state, the lanes and digital rows of the vertical layout, vertex positions, axis labels and
// the marker values and times. The renderer only turns these numbers into strokes, so the
// numbers can be checked without a window.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tirv {

enum Channel : int { ChIa = 0, ChIb, ChIc, ChUa, ChUb, ChUc, Ch3Io };
inline constexpr int kPlotChannels = 7;
inline constexpr int kPlotSignals = 32;       // inputs 1–16, outputs 1–16
inline constexpr int kSamplesPerPeriod = 16;  // 800 Hz sampling of a 50 Hz network
inline constexpr int kMinScaleExp = -4;       // S = 1/16 pixel per sample
inline constexpr int kMaxScaleExp = 5;        // S = 32 pixels per sample
inline constexpr int kTickSpacing = 64;

// Fixed pixel sizes of the panel.
inline constexpr int kLabelMarginAt96Dpi = 60;
inline constexpr int kRightMargin = 10;
inline constexpr int kAxisStrip = 50;
inline constexpr int kTitleLine = 20;
inline constexpr int kHeaderPlain = 25;
inline constexpr int kHeaderMarkers = 60;
inline constexpr int kLaneGap = 20;
inline constexpr int kLaneScale = 100;  // the largest lane of a group is 100 pixels high
inline constexpr int kDigitalRow = 20;
inline constexpr int kDigitalLow = 10;  // state 0 lies this far below the row top

struct StampTime {
    int day = 1, month = 1, year = 0, hour = 0, minute = 0, second = 0, hundredths = 0;
};

// A point in time finer than the file's hundredths: markers fall on 1.25 ms steps.
struct FineTime {
    int day = 1, month = 1, year = 0, hour = 0, minute = 0, second = 0;
    int fraction = 0;  // units of 10 µs, 0 … 99,999
};

struct PlotTrace {
    bool recorded = false;
    bool flat = false;
    std::int32_t max = 0;
    std::int32_t min = 0;
    std::vector<std::int32_t> values;  // integer display values, chronological
};

struct DigitalState {
    std::uint32_t position = 0;  // chronological sample index from which the state holds
    std::uint16_t inputs = 0;
    std::uint16_t outputs = 0;
};

// What the plot draws, taken from a loaded oscillogram.
struct PlotSource {
    int n = 9600;  // samples per channel
    std::array<PlotTrace, kPlotChannels> channels;
    std::vector<DigitalState> digital;
    bool digitalValid = false;
    StampTime start;
    StampTime event;
    std::string tripName;  // UTF-8, trailing blanks kept
    int rangeFactor = 1;   // 1 for device types 705–707, else 2
};

int LabelMargin(int logicalDpiX);  // 60 × dpi / 96; 60 when the dpi is unknown (0)

// ---- time scale and horizontal scrolling -------------------------------------------------

struct HorizontalState {
    int n = 0;
    int width = 0;    // W, plot width in pixels
    int sExp = 0;     // S = 2^sExp pixels per sample
    int s0Exp = 0;    // the scale fitted at load; compress never goes below it
    int d = 1;        // scroll unit in pixels
    int page = 0;     // P
    int maximum = 0;  // largest scroll position
    int pos = 0;

    double scale() const;
    bool scrollable() const { return maximum > 0; }
};

HorizontalState FitTimeScale(int n, int screenWidth, int plotWidth);
void SetPlotWidth(HorizontalState& h, int plotWidth);  // a resize keeps scale and position
bool Stretch(HorizontalState& h);                     // false when already at 32
bool Compress(HorizontalState& h);                    // false when already at the fitted scale

enum class ScrollAction { LineLeft, LineRight, PageLeft, PageRight, Home, End };
void Scroll(HorizontalState& h, ScrollAction a);
void ScrollTo(HorizontalState& h, int pos);  // the thumb

int FirstVisibleSample(const HorizontalState& h);          // F
double SampleToX(const HorizontalState& h, double sample); // from the plot's left edge
int SampleUnderX(const HorizontalState& h, int x);         // half up when S > 1
int MarkerStartSample(const HorizontalState& h, int pixelOffset);

// ---- time axis ---------------------------------------------------------------------------

struct AxisTick {
    int x;  // from the plot's left edge
    std::string label;
};
std::vector<AxisTick> AxisTicks(const HorizontalState& h, bool absolute, const StampTime& start);
std::string AxisLabel(double sampleAtTick, bool absolute, const StampTime& start);

// ---- lanes and rows ----------------------------------------------------------------------

// graphOf[ch]: the lane (graph 1–7) the channel is drawn in, 0 when it is not drawn.
using GraphChoice = std::array<int, kPlotChannels>;
GraphChoice GraphsAtLoad(const PlotSource& src);

struct Lane {
    int graph = 0;
    std::array<bool, kPlotChannels> members{};
    std::int32_t max = 0;
    std::int32_t min = 0;
    int height = 0;
    int top = 0;
    std::int32_t range() const { return max - min; }
};

struct DigitalRow {
    int signal = 0;  // 0–15 inputs, 16–31 outputs
    int top = 0;
};

struct DigitalTrace {
    std::vector<std::int32_t> samples;
    std::vector<float> ys;
};

struct VerticalLayout {
    std::vector<Lane> lanes;
    std::vector<DigitalRow> rows;
    std::array<std::int32_t, 2> groupMax{};  // current lanes 1–3, voltage lanes 4–7
    int contentHeight = 0;
    // One y per sample for each drawn channel, empty for the others.
    std::array<std::vector<float>, kPlotChannels> ys;
    std::vector<DigitalTrace> traces;  // parallel to rows
    std::vector<int> guides;           // horizontal guide lines

    int laneOf(int channel) const;  // index into lanes, -1 when not drawn
};

VerticalLayout LayOut(const PlotSource& src, const GraphChoice& graphs,
                      const std::array<bool, kPlotSignals>& shown, bool digitalOn);

struct VerticalScroll {
    int maximum = 0;  // 0 when everything fits
    int page = 0;
};
VerticalScroll VerticalRange(int contentHeight, int plotHeight);

// ---- markers -----------------------------------------------------------------------------

// Empty in RMS mode when a full period before the marker is not recorded.
std::optional<double> MarkerValue(const PlotSource& src, int channel, int sample, bool rms);
std::string FormatMarkerValue(const PlotSource& src, int channel, int sample, bool rms);

FineTime AddSamples(const StampTime& start, std::int64_t sample);
std::string MarkerTimeText(const StampTime& start, int sample, bool absolute);
std::string MarkerDifferenceText(int t1, int t0);  // seconds, "%.5f"
std::string TitleText(const PlotSource& src);

}  // namespace tirv
