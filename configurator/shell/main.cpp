// Entry of the configurator: the main window with every page that exists, then the event loop.
#include "configurator/shell/main_window.h"
#include "configurator/shell/program_pages.h"
#include "gui/app_setup.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tirv::PrepareApplication(app);
    // The arguments joined by blanks stand for the whole command line: one path, in double
    // quotes or as a shell or a file manager passes it (ТИРВ /path/file.tpr).
    QStringList args = app.arguments();
    args.removeFirst();
    tirv::MainWindow::Options options;
    options.commandLine = args.join(' ');
    tirv::MainWindow window(options);
    tirv::ProgramPages pages(window);
    window.start();
    window.show();
    return app.exec();
}
