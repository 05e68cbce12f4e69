#include "viewer/plot_renderer.h"

#include "viewer/window_texts.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace tirv {

namespace tx = viewer_texts;

namespace {

constexpr int kTitleFontPx = 18;
constexpr int kTextFontPx = 16;
constexpr int kTitleX = 20;
constexpr int kTitleY = 2;
constexpr int kAxisLabelOffset = 20;  // label centre below the strip top
constexpr int kFineGridStep = 16;     // three finer lines between ticks
constexpr int kMarkerOvershoot = 5;
// Baselines of the three header rows in marker mode, and of the names without markers.
constexpr int kHeaderNameY = 14;
constexpr int kHeaderT1Y = 30;
constexpr int kHeaderT0Y = 46;
constexpr int kHeaderPlainY = 18;
constexpr int kHeaderPad = 5;
constexpr int kTimeColumn = 130;  // wide enough for hh:mm:ss.sssss

QFont TextFont(int px)
{
    QFont f(QString::fromUtf8(tx::kFontFamily));
    f.setPixelSize(px);
    f.setWeight(QFont::Normal);
    return f;
}

// Stippled grid pens: 0x3333 is two on, two off; 0x1010 one on at pixel 4, seven off.
QPen GridPen(const QColor& c, bool coarse)
{
    QPen pen(c);
    pen.setWidth(1);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    if (coarse) {
        pen.setDashPattern({2, 2});
    } else {
        pen.setDashPattern({1, 7});
        pen.setDashOffset(4);
    }
    return pen;
}

QPen LinePen(const QColor& c, int width)
{
    QPen pen(c);
    pen.setWidth(width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// Channels shown in the header, in lane order.
std::vector<int> HeaderChannels(const PlotView& v)
{
    std::vector<int> out;
    for (const Lane& lane : v.layout->lanes)
        for (int ch = 0; ch < kPlotChannels; ++ch)
            if (lane.members[static_cast<std::size_t>(ch)] && v.channelOn[static_cast<std::size_t>(ch)])
                out.push_back(ch);
    return out;
}

void DrawAxis(QPainter& p, const PlotRects& r, const PlotView& v, const PlotPalette& pal, int left)
{
    p.setPen(LinePen(pal.text, 1));
    const QFontMetrics fm(p.font());
    for (const AxisTick& t : AxisTicks(v.h, v.absolute, v.source->start)) {
        const int x = left + t.x;
        p.drawLine(x, r.axis.top(), x, r.axis.top() + kTickMark);  // flat caps end before the last point
        const QString label = QString::fromStdString(t.label);
        const int tw = fm.horizontalAdvance(label);
        const int base = r.axis.top() + kAxisLabelOffset + fm.ascent() / 2;
        p.drawText(x - tw / 2, base, label);
    }
    const QString title = QString::fromUtf8(v.absolute ? tx::kAxisSeconds : tx::kAxisMilliseconds);
    p.drawText(r.axis.right() - fm.horizontalAdvance(title) - 2, r.axis.bottom() - fm.descent(), title);
}

void DrawGrid(QPainter& p, const PlotRects& r, const PlotView& v, const PlotPalette& pal, int left)
{
    const QColor grid = pal.table[ColGrid];
    const int y0 = r.curves.top() + 1 - v.vpos;
    const int y1 = std::min(r.curves.bottom(), r.curves.top() + v.layout->contentHeight - v.vpos);
    const QPen coarse = GridPen(grid, true), fine = GridPen(grid, false);
    for (const AxisTick& t : AxisTicks(v.h, false, v.source->start)) {
        p.setPen(coarse);
        p.drawLine(left + t.x, y0, left + t.x, y1);
        p.setPen(fine);
        for (int k = 1; k <= 3; ++k) {
            const int x = t.x + k * kFineGridStep;
            if (x < r.w)
                p.drawLine(left + x, y0, left + x, y1);
        }
    }
    // Fine lines of the part before the first tick.
    const auto ticks = AxisTicks(v.h, false, v.source->start);
    const int first = ticks.empty() ? r.w : ticks.front().x;
    p.setPen(fine);
    for (int x = first - kFineGridStep; x >= 0; x -= kFineGridStep)
        p.drawLine(left + x, y0, left + x, y1);
    p.setPen(coarse);
    for (int g : v.layout->guides) {
        const int y = r.curves.top() + g - v.vpos;
        p.drawLine(left, y, left + r.w - 1, y);
    }
}

void DrawDigitalLabels(QPainter& p, const PlotRects& r, const PlotView& v, const PlotPalette& pal, int left)
{
    p.setPen(LinePen(pal.text, 1));
    const QFontMetrics fm(p.font());
    for (const DigitalRow& row : v.layout->rows) {
        const int y = r.curves.top() + row.top + kDigitalLow - v.vpos;
        if (y < r.curves.top() || y > r.curves.bottom())
            continue;
        const QString label = row.signal < 16
                                  ? QString::fromUtf8(tx::kInputLabel).arg(row.signal + 1)
                                  : QString::fromUtf8(tx::kOutputLabel).arg(row.signal - 15);
        p.drawLine(left - kTickMark, y, left, y);
        p.drawText(left - kTickMark - fm.horizontalAdvance(label), y + fm.ascent() / 2 - 1, label);
    }
}

// The visible part of a polyline over sample indices.
void DrawSamples(QPainter& p, const PlotView& v, const PlotRects& r, const std::vector<float>& ys)
{
    const int n = static_cast<int>(ys.size());
    if (n == 0)
        return;
    const int f = FirstVisibleSample(v.h);
    const double s = v.h.scale();
    const int first = std::max(0, f - 1);
    const int last = std::min(n - 1, f + static_cast<int>(std::ceil(r.w / s)) + 1);
    if (last < first)
        return;
    const double left = r.plot.left();
    const double top = r.curves.top() - v.vpos;
    QVector<QPointF> pts;
    pts.reserve(last - first + 1);
    for (int i = first; i <= last; ++i)
        pts.append(QPointF(left + (i - f) * s, top + ys[static_cast<std::size_t>(i)]));
    if (pts.size() == 1)
        pts.append(pts.front() + QPointF(1, 0));
    p.drawPolyline(pts.constData(), static_cast<int>(pts.size()));
}

void DrawDigitalTraces(QPainter& p, const PlotView& v, const PlotRects& r, const PlotPalette& pal)
{
    p.setPen(LinePen(pal.table[ColDigital], 1));
    const int f = FirstVisibleSample(v.h);
    const double s = v.h.scale();
    const double left = r.plot.left(), top = r.curves.top() - v.vpos;
    for (const DigitalTrace& t : v.layout->traces) {
        QVector<QPointF> pts;
        pts.reserve(static_cast<qsizetype>(t.samples.size()));
        for (std::size_t i = 0; i < t.samples.size(); ++i)
            pts.append(QPointF(left + (t.samples[i] - f) * s, top + t.ys[i]));
        p.drawPolyline(pts.constData(), static_cast<int>(pts.size()));
    }
}

void DrawMarkerLines(QPainter& p, const PlotView& v, const PlotRects& r, const PlotPalette& pal)
{
    const struct { int sample; int colour; } lines[] = {{v.t1, ColMarker1}, {v.t0, ColMarker0}};
    for (const auto& m : lines) {
        const int x = static_cast<int>(std::lround(SampleX(v, m.sample)));
        if (x < r.plot.left() || x >= r.plot.left() + r.w)
            continue;
        p.setPen(LinePen(pal.table[static_cast<std::size_t>(m.colour)], 1));
        p.drawLine(x, r.curves.top(), x, r.curves.bottom() + kMarkerOvershoot + 1);
    }
}

void DrawHeader(QPainter& p, const PlotView& v, const PlotRects& r, const PlotPalette& pal)
{
    p.save();
    p.setClipRect(r.header);
    const PlotSource& src = *v.source;
    int x = r.header.left() + kHeaderPad;
    const int top = r.header.top();
    for (int ch : HeaderChannels(v)) {
        const auto c = static_cast<std::size_t>(ch);
        p.setPen(pal.table[c]);
        const QString name = QString::fromUtf8(v.rms ? tx::kChannelNamesRms[c] : tx::kChannelNamesInst[c]);
        if (!v.markers) {
            p.drawText(x, top + kHeaderPlainY, name);
            x += kHeaderColumnPlain;
            continue;
        }
        p.drawText(x, top + kHeaderNameY, name);
        p.setPen(pal.table[ColMarker1]);
        p.drawText(x, top + kHeaderT1Y, QString::fromStdString(FormatMarkerValue(src, ch, v.t1, v.rms)));
        p.setPen(pal.table[ColMarker0]);
        p.drawText(x, top + kHeaderT0Y, QString::fromStdString(FormatMarkerValue(src, ch, v.t0, v.rms)));
        x += kHeaderColumnMarkers;
    }
    if (v.markers) {
        const QFontMetrics fm(p.font());
        p.setPen(pal.table[ColMarker1]);
        p.drawText(x, top + kHeaderNameY, QString::fromUtf8(tx::kMarker1));
        p.drawText(x, top + kHeaderT1Y, QString::fromStdString(MarkerTimeText(src.start, v.t1, v.absolute)));
        p.setPen(pal.headerText);
        p.drawText(x + fm.horizontalAdvance(QString::fromUtf8(tx::kMarker1)) + 2, top + kHeaderNameY,
                   QString::fromUtf8(tx::kMarkerSeparator));
        x += kTimeColumn;
        p.setPen(pal.table[ColMarker0]);
        p.drawText(x, top + kHeaderNameY, QString::fromUtf8(tx::kMarker0));
        p.drawText(x, top + kHeaderT1Y, QString::fromStdString(MarkerTimeText(src.start, v.t0, v.absolute)));
        x += kTimeColumn;
        p.setPen(pal.headerText);
        p.drawText(x, top + kHeaderNameY, QString::fromUtf8(tx::kMarkerDifference));
        p.drawText(x, top + kHeaderT1Y, QString::fromStdString(MarkerDifferenceText(v.t1, v.t0)));
    }
    p.restore();
}

}  // namespace

QColor FromColorRef(std::uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

std::uint32_t ToColorRef(const QColor& c)
{
    return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
           static_cast<std::uint32_t>(c.blue()) << 16;
}

PlotPalette ScreenPalette(const std::array<std::uint32_t, kColourTableSize>& colours)
{
    PlotPalette pal;
    for (std::size_t i = 0; i < kSettingColours; ++i)
        pal.table[i] = FromColorRef(colours[i]);
    pal.clear = QColor(0xF0, 0xF0, 0xF0);  // the button-face grey
    pal.text = Qt::black;
    pal.headerText = Qt::white;
    return pal;
}

PlotPalette PrintPalette()
{
    PlotPalette pal;
    pal.table.fill(Qt::black);
    pal.table[ColBackground] = Qt::white;
    pal.table[ColGrid] = QColor(127, 127, 127);
    pal.clear = Qt::white;
    pal.text = Qt::black;
    pal.headerText = Qt::black;
    return pal;
}

PlotPalette PreviewPalette(const std::array<std::uint32_t, kSettingColours>& printColours)
{
    PlotPalette pal = PrintPalette();
    for (std::size_t i = 0; i < kSettingColours; ++i)
        pal.table[i] = FromColorRef(printColours[i]);
    return pal;
}

PlotRects ComputePlotRects(QSize surface, int labelMargin, bool markers)
{
    PlotRects r;
    r.w = std::max(0, surface.width() - labelMargin - kRightMargin);
    r.h = std::max(0, surface.height() - kAxisStrip - kTitleLine);
    const int header = markers ? kHeaderMarkers : kHeaderPlain;
    const int plotTop = surface.height() - kAxisStrip - r.h;
    r.plot = QRect(labelMargin, plotTop, r.w, r.h);
    r.header = QRect(labelMargin, plotTop, r.w, std::min(header, r.h));
    r.curves = QRect(labelMargin, plotTop + r.header.height(), r.w, r.h - r.header.height());
    r.axis = QRect(0, surface.height() - kAxisStrip, surface.width(), kAxisStrip);
    return r;
}

double SampleX(const PlotView& view, double sample)
{
    return view.labelMargin + SampleToX(view.h, sample);
}

void RenderPlot(QPainter& p, QSize surface, const PlotView& v, const PlotPalette& pal)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), surface), pal.clear);
    const PlotRects r = ComputePlotRects(surface, v.labelMargin, v.markers);
    p.fillRect(r.plot, pal.table[ColBackground]);
    if (v.source != nullptr && v.layout != nullptr) {
        // After the plot fill, so that the descenders of the 18-pixel font stay visible.
        p.setFont(TextFont(kTitleFontPx));
        p.setPen(pal.text);
        p.drawText(kTitleX, kTitleY + QFontMetrics(p.font()).ascent(),
                   QString::fromStdString(TitleText(*v.source)));
    }
    if (v.source == nullptr || v.layout == nullptr || r.w <= 0 || r.h <= 0) {
        p.restore();
        return;
    }
    p.setFont(TextFont(kTextFontPx));
    const int left = r.plot.left();
    DrawAxis(p, r, v, pal, left);
    p.save();
    p.setClipRect(r.curves);
    DrawGrid(p, r, v, pal, left);
    p.restore();
    if (v.digitalOn)
        DrawDigitalLabels(p, r, v, pal, left);
    p.save();
    p.setClipRect(r.curves);
    for (const Lane& lane : v.layout->lanes) {
        for (int ch = 0; ch < kPlotChannels; ++ch) {
            const auto c = static_cast<std::size_t>(ch);
            if (!lane.members[c] || !v.channelOn[c])
                continue;
            p.setPen(LinePen(pal.table[c], v.lineWidth));
            DrawSamples(p, v, r, v.layout->ys[c]);
        }
    }
    if (v.digitalOn)
        DrawDigitalTraces(p, v, r, pal);
    p.restore();
    if (v.markers) {
        p.save();
        p.setClipRect(r.curves.adjusted(0, 0, 0, kMarkerOvershoot));
        DrawMarkerLines(p, v, r, pal);
        p.restore();
    }
    DrawHeader(p, v, r, pal);
    p.restore();
}

QImage RenderPlotImage(QSize surface, const PlotView& view, const PlotPalette& palette)
{
    QImage img(surface, QImage::Format_RGB32);
    QPainter p(&img);
    RenderPlot(p, surface, view, palette);
    p.end();
    return img;
}

}  // namespace tirv
