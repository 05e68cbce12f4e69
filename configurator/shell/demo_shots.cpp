// tirv-shots: starts the configurator's main window the way the program does, checks the link
// and saves pictures of the window for the demo and the record.
//   tirv-shots OUT_DIR [PORTS_DIR]
// Prints the path of every picture it saves; exit code 0 when the link check succeeded. Every
// failure is told on stderr with what the window showed, so that a demo that stops says why.
#include "configurator/shell/main_window.h"
#include "configurator/shell/program_pages.h"
#include "configurator/ui/ids.h"
#include "gui/app_setup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <cstdio>

namespace {

void Settle(int ms, const std::function<bool()>& done = {})
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && !(done && done()))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void Shot(QWidget& w, const QString& path)
{
    Settle(200);
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (w.grab().save(path))
        std::printf("%s\n", shown.toLocal8Bit().constData());
    else
        std::fprintf(stderr, "tirv-shots: cannot write %s\n", shown.toLocal8Bit().constData());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tirv::PrepareApplication(app);  // as the program starts: translations, spin buttons
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tirv-shots OUT_DIR [PORTS_DIR]\n");
        return 2;
    }
    const QString out = args[1];
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "tirv-shots: cannot create the folder %s\n", out.toLocal8Bit().constData());
        return 2;
    }
    tirv::MainWindow window;
    tirv::ProgramPages pages(window, args.size() > 2 ? args[2] : QString());
    window.start();
    window.show();
    Shot(window, out + "/main-window.png");

    window.command(tirv::CmdShowLinkSettings);
    window.command(tirv::CmdRead);  // on the connection panel: check the link
    const bool linked = [&] {
        const auto up = [&] { return window.statusText(3) == QString::fromUtf8("Связь установлена"); };
        Settle(8000, up);
        return up();
    }();
    Shot(window, out + "/connection-panel.png");
    if (!linked)
        std::fprintf(stderr,
                     "tirv-shots: the link check did not succeed in 8 s (status: \"%s\", link: \"%s\"); "
                     "is tirv-sim running and publishing COM1 in the ports folder?\n",
                     window.statusText(0).trimmed().toUtf8().constData(),
                     window.statusText(3).toUtf8().constData());

    if (linked && !window.action(tirv::CmdReadSetpoints)->isEnabled())
        std::fprintf(stderr, "tirv-shots: the setpoint read is not available; no setpoint picture\n");
    if (linked && window.action(tirv::CmdReadSetpoints)->isEnabled()) {
        window.command(tirv::CmdReadSetpoints);
        Settle(15000, [&] { return !window.state().busy; });
        window.command(tirv::CmdShowSetpoints);
        Shot(window, out + "/setpoints.png");
    }
    return linked ? 0 : 1;
}
