// Viewer speed: loading a 22,300-byte oscillogram file up to its first frame, and a full
// repaint with six channels and 32 digital rows at 1920 × 1080. Goals: load and first frame
// under 100 ms; a repaint under a quarter of a 60 Hz frame (4.2 ms).
//
//   viewer_frame_bench [OUT_DIR]   also writes the frames as PNG files into OUT_DIR
#include "viewer/plot_source.h"
#include "viewer/plot_renderer.h"
#include "viewer/viewer_test_support.h"

#include <QPainter>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace tirv;

namespace {

constexpr double kFrameMs = 1000.0 / 60.0;

struct Frame {
    PlotSource src;
    VerticalLayout layout;
    PlotView view;
};

void Prepare(Frame& f, const OscillogramImage& image, QSize size, bool markers)
{
    f.src = MakePlotSource(image);
    std::array<bool, kPlotSignals> shown;
    shown.fill(true);
    f.layout = LayOut(f.src, GraphsAtLoad(f.src), shown, true);
    f.view.source = &f.src;
    f.view.layout = &f.layout;
    for (std::size_t ch = 0; ch < kPlotChannels; ++ch)
        f.view.channelOn[ch] = f.src.channels[ch].recorded;
    f.view.h = FitTimeScale(f.src.n, 1920, ComputePlotRects(size, 60, markers).w);
    f.view.markers = markers;
    f.view.t1 = MarkerStartSample(f.view.h, 20) + 800;
    f.view.t0 = MarkerStartSample(f.view.h, 10) + 400;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QSize size(1920, 1080);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.tao"));
    auto builder = test::FaultRecording();
    std::vector<DigitalRecord> records;
    for (int i = 0; i < 40; ++i)
        records.push_back({static_cast<std::uint16_t>(i * 30), static_cast<std::uint16_t>(i * 0x1111),
                           static_cast<std::uint16_t>(~(i * 0x0F0F))});
    builder.digital(records);
    if (!test::WriteFile(path, builder.build()))
        return 1;

    QElapsedTimer t;
    t.start();
    OscillogramImage image;
    CollectingSink sink;
    if (image.load(path.toStdString(), sink).status != LoadStatus::Loaded)
        return 1;
    Frame f;
    Prepare(f, image, size, false);
    QImage frame = RenderPlotImage(size, f.view, ScreenPalette(ViewerSettings::Defaults().colours));
    const double firstMs = static_cast<double>(t.nsecsElapsed()) / 1e6;

    QImage target(size, QImage::Format_RGB32);
    constexpr int kRepaints = 50;
    t.restart();
    for (int i = 0; i < kRepaints; ++i) {
        QPainter p(&target);
        RenderPlot(p, size, f.view, ScreenPalette(ViewerSettings::Defaults().colours));
    }
    const double repaintMs = static_cast<double>(t.nsecsElapsed()) / 1e6 / kRepaints;
    std::printf("load + first frame: %.2f ms (goal < 100 ms)\n", firstMs);
    std::printf("full repaint 1920x1080, 6 channels, %zu digital rows: %.2f ms = %.0f%% of a 60 Hz frame "
                "(goal < 25%%)\n",
                f.layout.rows.size(), repaintMs, 100.0 * repaintMs / kFrameMs);

    if (argc > 1) {
        const QDir out(QString::fromLocal8Bit(argv[1]));
        frame.save(out.filePath(QStringLiteral("viewer_rms.png")));
        Frame m;
        Prepare(m, image, size, true);
        RenderPlotImage(size, m.view, ScreenPalette(ViewerSettings::Defaults().colours))
            .save(out.filePath(QStringLiteral("viewer_markers.png")));
        m.view.rms = false;
        m.view.absolute = true;
        RenderPlotImage(size, m.view, ScreenPalette(ViewerSettings::Defaults().colours))
            .save(out.filePath(QStringLiteral("viewer_markers_instantaneous_absolute.png")));
        RenderPlotImage(size, m.view, PrintPalette()).save(out.filePath(QStringLiteral("viewer_print.png")));
    }
    return 0;
}
