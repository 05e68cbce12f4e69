#include "viewer/plot_panel.h"

#include "viewer/viewer_ids.h"

#include <QEvent>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QPainter>
#include <QScrollBar>

#include <cmath>
#include <cstdlib>

namespace tirv {

namespace {

constexpr int kVBarTop = 60;
constexpr int kVBarBottom = 90;
constexpr int kGrabT0 = 6;  // pixels around t0 that grab it
constexpr int kGrabT1 = 5;
constexpr int kMarkerStart1 = 20;  // pixels into the visible window
constexpr int kMarkerStart0 = 10;

class PlainSurface : public QWidget {
public:
    explicit PlainSurface(PlotPanel* panel) : QWidget(panel), m_panel(panel)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        m_panel->paintSurface(p, size());
    }

private:
    PlotPanel* m_panel;
};

class GlSurface : public QOpenGLWidget {
public:
    explicit GlSurface(PlotPanel* panel) : QOpenGLWidget(panel), m_panel(panel) {}

protected:
    void paintGL() override
    {
        QPainter p(this);
        m_panel->paintSurface(p, size());
    }

private:
    PlotPanel* m_panel;
};

}  // namespace

PlotPanel::PlotPanel(QWidget* parent, bool useOpenGL) : QWidget(parent)
{
    setObjectName(QString::number(viewer::DlgPlot));
    m_surface = useOpenGL ? static_cast<QWidget*>(new GlSurface(this)) : new PlainSurface(this);
    m_surface->setObjectName(QString::number(viewer::CtlSurface));
    m_surface->setMouseTracking(true);
    m_surface->installEventFilter(this);
    m_hbar = new QScrollBar(Qt::Horizontal, this);
    m_hbar->setObjectName(QString::number(viewer::CtlHScroll));
    m_vbar = new QScrollBar(Qt::Vertical, this);
    m_vbar->setObjectName(QString::number(viewer::CtlVScroll));
    m_filler = new QWidget(this);
    m_filler->setObjectName(QString::number(viewer::CtlFiller));
    m_hbar->hide();
    m_vbar->hide();
    m_filler->hide();
    m_colours = ViewerSettings::Defaults().colours;
    m_shown.fill(true);
    connect(m_hbar, &QScrollBar::actionTriggered, this, &PlotPanel::onHAction);
    connect(m_vbar, &QScrollBar::valueChanged, this, [this](int v) {
        m_view.vpos = v;
        m_surface->update();
    });
}

QWidget* PlotPanel::control(int id) const
{
    switch (id) {
    case viewer::CtlSurface: return m_surface;
    case viewer::CtlHScroll: return m_hbar;
    case viewer::CtlVScroll: return m_vbar;
    case viewer::CtlFiller: return m_filler;
    default: return nullptr;
    }
}

QSize PlotPanel::surfaceSize() const { return m_surface->size(); }

void PlotPanel::paintSurface(QPainter& p, QSize size) const
{
    RenderPlot(p, size, m_view, ScreenPalette(m_colours));
}

QImage PlotPanel::renderImage(const PlotPalette& palette) const
{
    return RenderPlotImage(m_surface->size(), m_view, palette);
}

void PlotPanel::setSource(const PlotSource* source, const std::array<bool, kPlotSignals>& shown, bool digitalOn)
{
    m_source = source;
    m_shown = shown;
    m_view.source = source;
    m_view.vpos = 0;
    m_view.digitalOn = digitalOn;
    m_grabbed = -1;
    if (source == nullptr) {
        m_view.layout = nullptr;
        m_layout = {};
        m_view.h = {};
        relayoutBars();
        return;
    }
    m_graphs = GraphsAtLoad(*source);
    for (int ch = 0; ch < kPlotChannels; ++ch)
        m_view.channelOn[static_cast<std::size_t>(ch)] = source->channels[static_cast<std::size_t>(ch)].recorded;
    rebuildLayout();
    const PlotRects r = ComputePlotRects(size(), m_view.labelMargin, m_view.markers);
    m_view.h = FitTimeScale(source->n, m_screenWidth, r.w);
    m_view.t1 = MarkerStartSample(m_view.h, kMarkerStart1);
    m_view.t0 = MarkerStartSample(m_view.h, kMarkerStart0);
    relayoutBars();
}

void PlotPanel::rebuildLayout()
{
    if (m_source == nullptr)
        return;
    m_layout = LayOut(*m_source, m_graphs, m_shown, m_view.digitalOn);
    m_view.layout = &m_layout;
}

void PlotPanel::setGraphs(const GraphChoice& graphs, const std::array<bool, kPlotChannels>& channelOn)
{
    m_graphs = graphs;
    m_view.channelOn = channelOn;
    rebuildLayout();
    relayoutBars();
}

void PlotPanel::setDigital(const std::array<bool, kPlotSignals>& shown, bool digitalOn)
{
    m_shown = shown;
    m_view.digitalOn = digitalOn;
    rebuildLayout();
    relayoutBars();
}

bool PlotPanel::stretch()
{
    if (m_source == nullptr || !Stretch(m_view.h))
        return false;
    relayoutBars();
    return true;
}

bool PlotPanel::compress()
{
    if (m_source == nullptr || !Compress(m_view.h))
        return false;
    relayoutBars();
    return true;
}

void PlotPanel::setMarkers(bool on)
{
    m_view.markers = on;
    if (on) {
        m_view.t1 = MarkerStartSample(m_view.h, kMarkerStart1);
        m_view.t0 = MarkerStartSample(m_view.h, kMarkerStart0);
    }
    refresh();
}

void PlotPanel::setMarkerSamples(int t1, int t0)
{
    m_view.t1 = t1;
    m_view.t0 = t0;
    refresh();
}

void PlotPanel::setModes(bool rms, bool absolute)
{
    m_view.rms = rms;
    m_view.absolute = absolute;
    refresh();
}

void PlotPanel::setLineWidth(int w)
{
    m_view.lineWidth = std::clamp(w, 1, 4);
    refresh();
}

void PlotPanel::setColours(const std::array<std::uint32_t, kColourTableSize>& colours)
{
    m_colours = colours;
    refresh();
}

void PlotPanel::setLabelMargin(int margin)
{
    m_view.labelMargin = margin;
    relayoutBars();
}

void PlotPanel::refresh() { m_surface->update(); }

void PlotPanel::resizeEvent(QResizeEvent*) { relayoutBars(); }

// Lays out surface and bars: a bar takes room only while it is needed.
void PlotPanel::relayoutBars()
{
    const int hbarH = m_hbar->sizeHint().height();
    const int vbarW = m_vbar->sizeHint().width();
    const int margin = m_view.labelMargin;
    bool hShown = false, vShown = false;
    int sw = width(), sh = height();
    if (m_source != nullptr) {
        for (int pass = 0; pass < 2; ++pass) {
            sw = width() - (vShown ? vbarW : 0);
            sh = height() - (hShown ? hbarH : 0);
            const PlotRects r = ComputePlotRects(QSize(sw, sh), margin, m_view.markers);
            SetPlotWidth(m_view.h, r.w);
            hShown = m_view.h.maximum > 0;
            vShown = m_layout.contentHeight > r.h;
        }
        sw = width() - (vShown ? vbarW : 0);
        sh = height() - (hShown ? hbarH : 0);
    }
    m_surface->setGeometry(0, 0, std::max(0, sw), std::max(0, sh));
    m_hbar->setVisible(hShown);
    m_filler->setVisible(hShown);
    m_vbar->setVisible(vShown);
    if (hShown) {
        const PlotRects r = ComputePlotRects(QSize(sw, sh), margin, m_view.markers);
        m_hbar->setGeometry(margin, sh, r.w, hbarH);
        m_filler->setGeometry(0, sh, margin, hbarH);
    }
    if (vShown)
        m_vbar->setGeometry(sw, kVBarTop, vbarW, std::max(0, height() - kVBarTop - kVBarBottom - (hShown ? hbarH : 0)));
    syncBars();
    refresh();
}

void PlotPanel::syncBars()
{
    const QSignalBlocker bh(m_hbar), bv(m_vbar);
    m_hbar->setRange(0, std::max(0, m_view.h.maximum));
    m_hbar->setPageStep(std::max(1, m_view.h.page));
    m_hbar->setSingleStep(m_view.h.sExp > 0 ? 1 << m_view.h.sExp : 1);
    m_hbar->setValue(m_view.h.pos);
    const PlotRects r = ComputePlotRects(m_surface->size(), m_view.labelMargin, m_view.markers);
    const VerticalScroll vs = VerticalRange(m_layout.contentHeight, r.h);
    m_vbar->setRange(0, vs.maximum);
    m_vbar->setPageStep(vs.page);
    m_vbar->setSingleStep(1);
    m_view.vpos = std::clamp(m_view.vpos, 0, vs.maximum);
    m_vbar->setValue(m_view.vpos);
}

void PlotPanel::scrollHorizontally(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: Scroll(m_view.h, ScrollAction::LineRight); break;
    case QAbstractSlider::SliderSingleStepSub: Scroll(m_view.h, ScrollAction::LineLeft); break;
    case QAbstractSlider::SliderPageStepAdd: Scroll(m_view.h, ScrollAction::PageRight); break;
    case QAbstractSlider::SliderPageStepSub: Scroll(m_view.h, ScrollAction::PageLeft); break;
    case QAbstractSlider::SliderToMinimum: Scroll(m_view.h, ScrollAction::Home); break;
    case QAbstractSlider::SliderToMaximum: Scroll(m_view.h, ScrollAction::End); break;
    case QAbstractSlider::SliderMove: ScrollTo(m_view.h, m_hbar->sliderPosition()); break;
    default: return;
    }
    syncBars();
    refresh();
}

void PlotPanel::onHAction(int action)
{
    scrollHorizontally(action);
    m_hbar->setSliderPosition(m_view.h.pos);
}

bool PlotPanel::eventFilter(QObject* o, QEvent* e)
{
    if (o != m_surface || m_source == nullptr || !m_view.markers)
        return QWidget::eventFilter(o, e);
    const auto type = e->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(o, e);
    const auto* me = static_cast<QMouseEvent*>(e);
    const QPoint pt = me->position().toPoint();
    const PlotRects r = ComputePlotRects(m_surface->size(), m_view.labelMargin, m_view.markers);
    const int x = pt.x() - m_view.labelMargin;
    const int p = SampleUnderX(m_view.h, x);
    const double s = m_view.h.scale();
    if (type == QEvent::MouseButtonRelease) {
        m_grabbed = -1;
        return true;
    }
    if (type == QEvent::MouseMove && m_grabbed >= 0) {
        if (p >= 0 && p < m_source->n) {
            (m_grabbed == 1 ? m_view.t1 : m_view.t0) = p;
            refresh();
        }
        return true;
    }
    int offered = -1;
    if (std::abs(m_view.t0 - p) * s < kGrabT0)
        offered = 0;
    else if (std::abs(m_view.t1 - p) * s < kGrabT1)
        offered = 1;
    m_surface->setCursor(offered >= 0 ? Qt::SizeAllCursor : Qt::ArrowCursor);
    if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton) {
        const bool inside = x >= 0 && x <= r.w && pt.y() >= kTitleLine && pt.y() <= r.plot.bottom();
        if (inside)
            m_grabbed = offered;
        return true;
    }
    return QWidget::eventFilter(o, e);
}

}  // namespace tirv
