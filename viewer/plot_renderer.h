#pragma once
// The one renderer of the oscillogram picture. The screen surface (OpenGL or plain widget),
// BMP/PNG export, printing, the preview and the tests all paint through RenderPlot, so every
// path shows the same picture.
#include "viewer/plot_geometry.h"
#include "viewer/viewer_settings.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include <array>

class QPainter;

namespace tirv {

QColor FromColorRef(std::uint32_t bgr);  // 0x00BBGGRR
std::uint32_t ToColorRef(const QColor& c);

// Colours of one rendering: the 13 setting colours plus the texts outside the table.
struct PlotPalette {
    std::array<QColor, kSettingColours> table;
    QColor clear;       // around the plot area
    QColor text;        // title line, axis, digital labels
    QColor headerText;  // ";" and "t1-t0" in the marker header
};

PlotPalette ScreenPalette(const std::array<std::uint32_t, kColourTableSize>& colours);
// Print style: white background, everything black, grid grey (127, 127, 127).
PlotPalette PrintPalette();
// The preview: the print colour table, texts black on white.
PlotPalette PreviewPalette(const std::array<std::uint32_t, kSettingColours>& printColours);

// Everything the picture depends on. `source` is null while no oscillogram is shown.
struct PlotView {
    const PlotSource* source = nullptr;
    const VerticalLayout* layout = nullptr;
    HorizontalState h;
    std::array<bool, kPlotChannels> channelOn{};
    int vpos = 0;  // vertical scroll position in pixels
    int labelMargin = kLabelMarginAt96Dpi;
    int lineWidth = 1;
    bool markers = false;
    bool rms = true;
    bool absolute = false;
    bool digitalOn = true;
    int t1 = 0;  // marker samples
    int t0 = 0;
};

// The panel's regions for a surface of the given size.
struct PlotRects {
    int w = 0, h = 0;  // W and H of the plot
    QRect plot;        // background-filled area, header included
    QRect header;
    QRect curves;
    QRect axis;        // the 50-pixel strip along the bottom
};
PlotRects ComputePlotRects(QSize surface, int labelMargin, bool markers);

inline constexpr int kHeaderColumnPlain = 25;
inline constexpr int kHeaderColumnMarkers = 60;
inline constexpr int kTickMark = 5;

// x of a sample on the surface (plot left edge + (s − F) × S).
double SampleX(const PlotView& view, double sample);

void RenderPlot(QPainter& p, QSize surface, const PlotView& view, const PlotPalette& palette);
QImage RenderPlotImage(QSize surface, const PlotView& view, const PlotPalette& palette);

}  // namespace tirv
