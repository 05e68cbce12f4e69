#pragma once
// What the connection-panel GUI tests share: one QApplication, a wait that runs its event loop,
// and a fixture holding a main window with the connection panel on a given ports folder.
#include "configurator/link/connection_panel.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/serial_port.h"
#include "configurator/shell/main_window.h"
#include "configurator/shell/shell_ids.h"
#include "support/recording_reporter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tirv::test {

inline QApplication& PanelApp()
{
    static int argc = 1;
    static char name[] = "panel-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs the event loop until `done` holds or `ms` have passed; returns `done()`.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 8000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class PanelWindowRig : public ::testing::Test {
protected:
    // A window of model `model` with the panel registered on the ports of `ports`; not started yet.
    void buildPanel(const QString& ports, int model)
    {
        MainWindow::Options o;
        o.reporterTap = &rep;
        win = std::make_unique<MainWindow>(o);
        win->state().modelCode = model;
        port = std::make_unique<SerialPort>(ports);
        state = std::make_unique<LinkState>();
        paced = std::make_unique<PacedExchange>(*port);
        panel = new ConnectionPanel(*win, *port, *state, *paced, ports);
        win->registerPage(PageLinkSettings, panel);
    }
    void TearDown() override
    {
        if (port)
            port->close();
        win.reset();
        paced.reset();
        state.reset();
        port.reset();
    }
    ConnectionSettings& link() { return win->state().link; }

    RecordingReporter rep;
    std::unique_ptr<MainWindow> win;
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<LinkState> state;
    std::unique_ptr<PacedExchange> paced;
    ConnectionPanel* panel = nullptr;  // owned by the window
};

}  // namespace tirv::test
