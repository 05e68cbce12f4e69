#include "configurator/shell/program_pages.h"

#include "configurator/link/connection_panel.h"
#include "configurator/link/link_session.h"
#include "configurator/link/serial_link.h"
#include "configurator/setpoints/calculator.h"
#include "configurator/setpoints/calculator_window.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_image.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/setpoints/setpoint_transfer.h"
#include "configurator/shell/main_window.h"
#include "configurator/ui/page_stack.h"
#include "configurator/ui/ids.h"

#include <QPointer>

namespace tirv {

namespace {

// The main window's setpoint read and write: the connection procedure of the link session,
// then the setpoint transfer. A write gathers the tabs into the image first, so a bad field is
// reported before anything is sent (a bad field stops it there).
class SetpointOperations {
public:
    SetpointOperations(MainWindow& window, LinkSession& session, SetpointTransfer& transfer,
                       SetpointEditor& editor)
        : m_window(window), m_session(session), m_transfer(transfer), m_editor(editor)
    {
    }
    void startRead(std::function<void(bool)> done)
    {
        // Over Ethernet a read opens its own TCP connection: there is no serial link to set up.
        if (m_window.state().link.channel == Channel::Ethernet) {
            transferRead(std::move(done));
            return;
        }
        m_session.ensureLink({false}, [this, done](LinkReady ready) {
            if (ready == LinkReady::Ready)
                transferRead(done);
            else
                notReady(ready, done);
        });
    }
    void startWrite(std::function<void(bool)> done)
    {
        if (!m_editor.gatherIntoImage()) {
            done(false);
            return;
        }
        m_session.ensureLink({true}, [this, done](LinkReady ready) {
            if (ready != LinkReady::Ready) {
                notReady(ready, done);
                return;
            }
            if (!m_transfer.startWrite(
                    [done](const SetpointTransferOutcome& o) { done(o.ok()); }))
                done(false);
        });
    }
    void abort()
    {
        m_session.abort();
        m_transfer.abort();
    }

private:
    void transferRead(std::function<void(bool)> done)
    {
        const bool started =
            m_transfer.startRead([done](const SetpointTransferOutcome& o) { done(o.ok()); });
        if (!started)
            done(false);
    }
    void notReady(LinkReady ready, const std::function<void(bool)>& done)
    {
        done(false);
        if (ready == LinkReady::ToFirmware)
            m_window.command(CmdShowFirmware);
    }

    MainWindow& m_window;
    LinkSession& m_session;
    SetpointTransfer& m_transfer;
    SetpointEditor& m_editor;
};

}  // namespace

struct ProgramPages::Parts {
    Parts(MainWindow& w, const QString& folder)
        : link(w.reporter(), w.state().link, [&w] { return w.model().isM(); }, nullptr, folder),
          session(link, w.reporter(), w.state().link, w.model()), editor(w, image)
    {
    }
    SetpointImage image{};
    SerialLink link;
    LinkSession session;
    SetpointEditor editor;
    std::unique_ptr<SetpointTransfer> transfer;
    std::unique_ptr<SetpointOperations> operations;
    ConnectionPanel* panel = nullptr;  // owned by the window
    CalcState calcMemory{};
    QPointer<CalculatorWindow> calculator;
};

ProgramPages::ProgramPages(MainWindow& window, const QString& portsFolder)
    : m_parts(std::make_unique<Parts>(window, portsFolder))
{
    Parts& p = *m_parts;
    SerialLink& link = p.link;

    auto* panel = new ConnectionPanel(window, p.session, portsFolder);
    p.panel = panel;
    window.registerPage(PageLinkSettings, panel);
    panel->showPaths(window.state().settingsPath, int(window.commandLineFile().kind),
                     QString::fromStdString(window.commandLineFile().path));
    QObject::connect(&link.tcp(), &ModbusTcpTransfer::sendTimedOut, &window,
                     [&window] { window.command(CmdTcpLost); });

    p.editor.setModel(window.model().code());
    // A fresh start shows the model's default setpoints, not an image of zeros.
    p.image = DefaultImage(window.model().code());
    const auto tabs = p.editor.tabs();
    auto* stack = new PageStack(window, PageSetpoints, {tabs.begin(), tabs.end()});
    window.registerPage(PageSetpoints, stack);
    p.editor.setTabShower([stack, &window](int k) {
        stack->showIndex(k);
        if (window.currentPage() != PageSetpoints)
            window.command(CmdShowSetpoints);
    });
    p.editor.fillFromImage();
    window.setRestoreHandler([&p] { p.editor.windowRestored(); });
    window.setTitleBarHandler([&p] { p.editor.suppressNextMessage(); });

    p.transfer = std::make_unique<SetpointTransfer>(link.transfer(), link.tcp(), window.reporter(),
                                                    window.state().link, p.editor.profile(),
                                                    p.image);
    // A read shows what it read, also when it was started from another page.
    QObject::connect(p.transfer.get(), &SetpointTransfer::imageReplaced, &window, [&p, &window] {
        p.editor.fillFromImage();
        if (window.currentPage() != PageSetpoints)
            window.command(CmdShowSetpoints);
    });
    p.operations = std::make_unique<SetpointOperations>(window, p.session, *p.transfer, p.editor);
    SetpointOperations* ops = p.operations.get();
    for (const bool write : {false, true}) {
        window.registerCommand(write ? CmdWriteSetpoints : CmdReadSetpoints, [ops, &window, write] {
            window.runExchange({[ops, write](std::function<void(bool)> done) {
                                    if (write)
                                        ops->startWrite(std::move(done));
                                    else
                                        ops->startRead(std::move(done));
                                },
                                [ops] { ops->abort(); }});
        });
    }

    window.registerCommand(CmdCalculator, [&p, &window] {
        if (!p.calculator)
            p.calculator = new CalculatorWindow(window, p.image, p.calcMemory, &window);
        p.calculator->show();
        p.calculator->raise();
    });

    window.registerAbort([&p] {
        p.session.abort();
        p.link.abort();
    });
}

SerialLink& ProgramPages::link() { return m_parts->link; }
LinkSession& ProgramPages::session() { return m_parts->session; }
ConnectionPanel& ProgramPages::panel() { return *m_parts->panel; }

ProgramPages::~ProgramPages()
{
    // Nothing may still talk to the relay once the window's pages go away.
    m_parts->session.abort();
    m_parts->link.abort();
    m_parts->link.closePort();
}

}  // namespace tirv
