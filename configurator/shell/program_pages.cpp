#include "configurator/shell/program_pages.h"

#include "configurator/link/connection_panel.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/serial_port.h"
#include "configurator/shell/main_window.h"
#include "configurator/shell/shell_ids.h"

namespace tirv {

struct ProgramPages::Parts {
    explicit Parts(const QString& folder) : port(folder) {}
    SerialPort port;
    LinkState state;
    PacedExchange paced{port};
};

ProgramPages::ProgramPages(MainWindow& window, const QString& portsFolder)
    : m_parts(std::make_unique<Parts>(portsFolder))
{
    Parts& p = *m_parts;
    auto* panel = new ConnectionPanel(window, p.port, p.state, p.paced, portsFolder);
    window.registerPage(PageLinkSettings, panel);
    panel->showPaths(window.state().settingsPath, int(window.commandLineFile().kind),
                     QString::fromStdString(window.commandLineFile().path));
    window.setPortCloser([&p] { ClosePort(p.port, p.state); });
    window.registerAbort([&p, panel] {
        p.paced.abort();
        panel->abortCheck();
    });
}

ProgramPages::~ProgramPages()
{
    // The port closes before the window's pages go away.
    m_parts->port.close();
}

}  // namespace tirv
