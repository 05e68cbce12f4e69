// Writes pictures of the viewer window (offscreen) for review: markers in RMS mode, each settings
// panel and the preview dialog.   viewer_screenshots OUT_DIR
#include "viewer/print_export.h"
#include "viewer/viewer_window.h"
#include "support/recording_reporter.h"
#include "viewer_test_support.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

using namespace tirv;
using namespace tirv::viewer;

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    test::GuiApp();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir dir;
    if (!test::WriteFile(dir.filePath(QStringLiteral("Осциллограммы.tao")), test::FaultRecording().build()))
        return 1;
    test::RecordingReporter reporter;
    ViewerWindowOptions o;
    o.programDir = dir.path();
    o.screenWidth = 1600;
    // Under a display (xvfb-run) the surface is the program's OpenGL one.
    o.useOpenGL = QGuiApplication::platformName() == QLatin1String("xcb");
    ViewerWindow w(reporter, o);
    w.resize(1400, 900);
    w.show();
    QCoreApplication::processEvents();
    w.command(CmdStretch);
    w.command(CmdMarkers);
    w.plot()->setMarkerSamples(860, 700);
    QCoreApplication::processEvents();
    w.grab().save(out.filePath(QStringLiteral("window_markers_rms.png")));
    const struct { int id; const char* name; } panels[] = {
        {CmdAnalogPanel, "window_analog_panel.png"},
        {CmdDigitalPanel, "window_digital_panel.png"},
        {CmdGeneralPanel, "window_general_panel.png"},
    };
    for (const auto& p : panels) {
        w.command(p.id);
        QCoreApplication::processEvents();
        w.grab().save(out.filePath(QString::fromLatin1(p.name)));
    }
    w.command(CmdPreview);
    QCoreApplication::processEvents();
    w.previewDialog()->grab().save(out.filePath(QStringLiteral("preview_dialog.png")));
    return 0;
}
