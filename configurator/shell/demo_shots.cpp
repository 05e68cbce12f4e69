// tirv-shots: starts the configurator's main window the way the program does, checks the link
// and saves pictures of the window for the demo and the record.
//   tirv-shots OUT_DIR [PORTS_DIR]
// Prints the path of every picture it saves; exit code 0 when the link check succeeded.
#include "configurator/shell/main_window.h"
#include "configurator/shell/program_pages.h"
#include "configurator/ui/ids.h"

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
    if (w.grab().save(path))
        std::printf("%s\n", QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tirv-shots OUT_DIR [PORTS_DIR]\n");
        return 2;
    }
    const QString out = args[1];
    QDir().mkpath(out);
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

    if (linked && window.action(tirv::CmdReadSetpoints)->isEnabled()) {
        window.command(tirv::CmdReadSetpoints);
        Settle(15000, [&] { return !window.state().busy; });
        window.command(tirv::CmdShowSetpoints);
        Shot(window, out + "/setpoints.png");
    }
    return linked ? 0 : 1;
}
