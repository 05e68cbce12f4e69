#pragma once
// The plot panel: the drawing surface with its horizontal and vertical scroll bars, the time
// scale, the lanes and rows, and the time markers that the mouse moves. The surface is an
// OpenGL widget where OpenGL exists and a plain widget otherwise; both paint through RenderPlot.
#include "viewer/plot_renderer.h"

#include <QWidget>

class QScrollBar;

namespace tirv {

class PlotPanel : public QWidget {
    Q_OBJECT
public:
    explicit PlotPanel(QWidget* parent, bool useOpenGL);

    // Shows a new oscillogram (null: nothing shown): fits the time scale, lays out the lanes at
    // their load graphs and resets scrolling and markers.
    void setSource(const PlotSource* source, const std::array<bool, kPlotSignals>& shown, bool digitalOn);
    // Lanes or rows changed (analog or digital panel).
    void setGraphs(const GraphChoice& graphs, const std::array<bool, kPlotChannels>& channelOn);
    void setDigital(const std::array<bool, kPlotSignals>& shown, bool digitalOn);

    bool stretch();
    bool compress();
    void setMarkers(bool on);
    void setModes(bool rms, bool absolute);
    void setLineWidth(int w);
    void setColours(const std::array<std::uint32_t, kColourTableSize>& colours);
    void setLabelMargin(int margin);
    void setScreenWidth(int w) { m_screenWidth = w; }  // the fit uses three quarters of it
    void scrollHorizontally(int action);               // QAbstractSlider::SliderAction
    void setMarkerSamples(int t1, int t0);

    const PlotView& view() const { return m_view; }
    const HorizontalState& horizontal() const { return m_view.h; }
    const VerticalLayout& layout() const { return m_layout; }
    GraphChoice graphs() const { return m_graphs; }
    QWidget* surface() const { return m_surface; }
    QScrollBar* horizontalBar() const { return m_hbar; }
    QScrollBar* verticalBar() const { return m_vbar; }
    QSize surfaceSize() const;
    PlotPalette screenPalette() const { return ScreenPalette(m_colours); }
    QImage renderImage(const PlotPalette& palette) const;
    QWidget* control(int id) const;

    void paintSurface(QPainter& p, QSize size) const;

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void relayoutBars();
    void syncBars();
    void rebuildLayout();
    void onHAction(int action);
    void refresh();

    QWidget* m_surface = nullptr;
    QScrollBar* m_hbar = nullptr;
    QScrollBar* m_vbar = nullptr;
    QWidget* m_filler = nullptr;
    const PlotSource* m_source = nullptr;
    VerticalLayout m_layout;
    GraphChoice m_graphs{};
    std::array<bool, kPlotSignals> m_shown{};
    std::array<std::uint32_t, kColourTableSize> m_colours{};
    PlotView m_view;
    int m_screenWidth = 1920;
    int m_grabbed = -1;  // 1 = t1, 0 = t0
};

}  // namespace tirv
