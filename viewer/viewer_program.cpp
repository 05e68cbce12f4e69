// The program's window mode and its offscreen PNG mode.
#include "viewer/plot_source.h"
#include "viewer/printing_sink.h"
#include "viewer/reporter_sink.h"
#include "viewer/viewer_paths.h"
#include "viewer/viewer_window.h"
#include "viewer/window_texts.h"

#include "common/oscillogram_texts.h"
#include "gui/app_setup.h"
#include "gui/message_box.h"
#include "gui/reporter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

namespace tirv {

namespace {

constexpr const char* kPngUsage = "Осциллограф --png ФАЙЛ.tao ФАЙЛ.png ШИРИНАxВЫСОТА\n";

// The GUI's message boxes; the only place the viewer shows one directly.
class MessageBoxReporter : public Reporter {
public:
    void status(const QString&, StatusIcon) override {}
    void linkState(const QString&, StatusIcon) override {}
    void progress(int, int) override {}
    Answer ask(const Message& m) override
    {
        return ShowMessageBox(QApplication::activeWindow(), m);
    }
};

// The offscreen platform has no OpenGL; everywhere else the surface is an OpenGL widget.
bool OpenGLAvailable()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal") &&
           qEnvironmentVariableIsEmpty("TIRV_NO_OPENGL");
}

bool ParseSize(const QString& text, QSize& size)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return false;
    bool okW = false, okH = false;
    size = QSize(parts[0].toInt(&okW), parts[1].toInt(&okH));
    return okW && okH && size.width() > 0 && size.height() > 0 && size.width() <= 16384 && size.height() <= 16384;
}

}  // namespace

int RenderOscillogramPng(const QString& in, const QString& out, QSize size, const QString& programDir,
                         std::FILE* err)
{
    PrintingSink sink(err);
    OscillogramImage image;
    const LoadResult r = image.load(in.toStdString(), sink);
    if (r.status == LoadStatus::CannotOpen) {
        std::fprintf(err, "%s\n",
                     QString::asprintf(osc_texts::kOpenFailed, r.systemError).toUtf8().constData());
        return 1;
    }
    if (r.status != LoadStatus::Loaded)
        return 1;
    const QString settingsPath =
        programDir.isEmpty() ? QString()
                             : programDir + QLatin1Char('/') + QString::fromUtf8(viewer_texts::kSettingsFile);
    const ViewerSettings settings = LoadViewerSettings(settingsPath.toStdString());
    const PlotSource src = MakePlotSource(image);
    const VerticalLayout layout = LayOut(src, GraphsAtLoad(src), settings.digitalShown, src.digitalValid);
    PlotView view;
    view.source = &src;
    view.layout = &layout;
    view.digitalOn = src.digitalValid;
    for (std::size_t ch = 0; ch < kPlotChannels; ++ch)
        view.channelOn[ch] = src.channels[ch].recorded;
    const PlotRects rects = ComputePlotRects(size, view.labelMargin, false);
    // The whole recording in the picture where the width allows: the fit's screen is the image.
    view.h = FitTimeScale(src.n, size.width(), rects.w);
    const QImage picture = RenderPlotImage(size, view, ScreenPalette(settings.colours));
    QImageWriter writer(out, "png");
    if (!writer.write(picture.convertToFormat(QImage::Format_RGB888))) {
        std::fprintf(err, "%s\n", writer.errorString().toUtf8().constData());
        return 3;
    }
    return 0;
}

ViewerWindowOptions ViewerOptionsFromArguments(const QStringList& arguments, const QString& programDir)
{
    ViewerWindowOptions options;
    options.programDir = programDir;
    // The arguments joined by blanks stand for the command line: a path with blanks that the
    // shell split comes back whole.
    options.oscillogram = QString::fromStdString(ArgumentOscillogram(arguments.join(QLatin1Char(' ')).toStdString()));
    return options;
}

int RunViewerWindow(int argc, char** argv)
{
    if (argc >= 2 && std::string_view(argv[1]) == kPngOption) {
        if (argc != 5) {
            std::fputs(kPngUsage, stderr);
            return 2;
        }
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QSize size;
        if (!ParseSize(QString::fromLocal8Bit(argv[4]), size)) {
            std::fputs(kPngUsage, stderr);
            return 2;
        }
        return RenderOscillogramPng(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), size,
                                    QCoreApplication::applicationDirPath(), stderr);
    }
    QApplication app(argc, argv);
    PrepareApplication(app);
    QStringList args = app.arguments();
    args.removeFirst();
    ViewerWindowOptions options = ViewerOptionsFromArguments(args, QCoreApplication::applicationDirPath());
    options.useOpenGL = OpenGLAvailable();
    MessageBoxReporter reporter;
    ViewerWindow window(reporter, options);
    // At (0, 0) with the size of a maximised window, also where no window manager maximises it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    return app.exec();
}

}  // namespace tirv
