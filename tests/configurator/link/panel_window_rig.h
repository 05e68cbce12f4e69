#pragma once
// The connection-panel GUI tests' fixture: a main window holding the connection panel on a given
// ports folder (the application and the event-loop wait come from the shell's test support).
#include "configurator/link/connection_panel.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/serial_port.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/shell/main_window.h"
#include "configurator/shell/shell_ids.h"
#include "support/recording_reporter.h"

#include <gtest/gtest.h>

#include <memory>

namespace tirv::test {

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
