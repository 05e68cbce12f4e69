#include "configurator/shell/program_pages.h"

#include "configurator/link/connection_panel.h"
#include "configurator/link/serial_link.h"
#include "configurator/setpoints/calculator.h"
#include "configurator/setpoints/calculator_window.h"
#include "configurator/setpoints/setpoint_image.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/setpoints/setpoint_transfer.h"
#include "configurator/shell/main_window.h"
#include "configurator/shell/setpoint_exchange.h"
#include "configurator/shell/shell_ids.h"

#include <QPointer>

namespace tirv {

namespace {

// The main window's setpoint read and write, carried out by the setpoint transfer; a write
// first gathers the tabs into the image (a bad field stops it there).
class SetpointOperations : public SetpointExchange {
public:
    SetpointOperations(SetpointTransfer& transfer, SetpointEditor& editor)
        : m_transfer(transfer), m_editor(editor)
    {
    }
    void startRead(std::function<void(bool)> done) override
    {
        if (!m_transfer.startRead([done](const SetpointTransferOutcome& o) { done(o.ok()); }))
            done(false);
    }
    void startWrite(std::function<void(bool)> done) override
    {
        if (!m_editor.gatherIntoImage()) {
            done(false);
            return;
        }
        if (!m_transfer.startWrite([done](const SetpointTransferOutcome& o) { done(o.ok()); }))
            done(false);
    }
    void abort() override { m_transfer.abort(); }

private:
    SetpointTransfer& m_transfer;
    SetpointEditor& m_editor;
};

}  // namespace

struct ProgramPages::Parts {
    Parts(MainWindow& w, const QString& folder)
        : link(w.reporter(), w.state().link, [&w] { return w.state().isM(); }, nullptr, folder),
          editor(w, image)
    {
    }
    SetpointImage image{};
    SerialLink link;
    SetpointEditor editor;
    std::unique_ptr<SetpointTransfer> transfer;
    std::unique_ptr<SetpointOperations> operations;
    CalcState calcMemory{};
    QPointer<CalculatorWindow> calculator;
    bool tcpCheckPending = false;
};

ProgramPages::ProgramPages(MainWindow& window, const QString& portsFolder)
    : m_parts(std::make_unique<Parts>(window, portsFolder))
{
    Parts& p = *m_parts;
    SerialLink& link = p.link;

    auto* panel = new ConnectionPanel(window, link.port(), link.state(), link.paced(), portsFolder);
    window.registerPage(PageLinkSettings, panel);
    link.setLinkChecker(panel);
    panel->showPaths(window.state().settingsPath, int(window.commandLineFile().kind),
                     QString::fromStdString(window.commandLineFile().path));
    panel->setTcpLinkCheck([&p](std::array<std::uint8_t, 4> address, int port) {
        p.tcpCheckPending = p.link.tcp().start({address, port, 3, 130, 5});
    });
    QObject::connect(&link.tcp(), &ModbusTcpTransfer::completed, panel, [&p, panel] {
        if (!p.tcpCheckPending)
            return;
        p.tcpCheckPending = false;
        const TcpTransferRecord& r = p.link.tcp().record();
        if (!r.success || r.image.size() < 10)
            return;
        std::array<std::uint16_t, 5> regs{};
        for (std::size_t k = 0; k < regs.size(); ++k)
            regs[k] = r.registerAt(k);
        panel->tcpIdentityArrived(regs);
    });
    QObject::connect(&link.tcp(), &ModbusTcpTransfer::sendTimedOut, &window,
                     [&window] { window.command(CmdTcpLost); });

    p.editor.setModel(window.state().modelCode);
    p.editor.setTabShower([&window](int k) { window.showSetpointTab(k); });
    window.registerSetpointTabs(p.editor.tabs());
    p.editor.fillFromImage();
    window.setRestoreHandler([&p] { p.editor.windowRestored(); });
    window.setTitleBarHandler([&p] { p.editor.suppressNextMessage(); });

    p.transfer = std::make_unique<SetpointTransfer>(link.transfer(), link.tcp(), window.reporter(),
                                                    window.state().link, p.editor.profile(),
                                                    p.image);
    QObject::connect(p.transfer.get(), &SetpointTransfer::imageReplaced, &window,
                     [&p] { p.editor.fillFromImage(); });
    p.operations = std::make_unique<SetpointOperations>(*p.transfer, p.editor);
    window.setSetpointExchange(p.operations.get());

    window.registerCommand(CmdCalculator, [&p, &window] {
        if (!p.calculator)
            p.calculator = new CalculatorWindow(window, p.image, p.calcMemory, &window);
        p.calculator->show();
        p.calculator->raise();
    });

    window.setPortCloser([&p] { p.link.closePort(); });
    window.registerAbort([&p, panel] {
        p.link.abort();
        panel->abortCheck();
    });
}

ProgramPages::~ProgramPages()
{
    // Nothing may still talk to the relay once the window's pages go away.
    m_parts->link.abort();
    m_parts->link.closePort();
    m_parts->link.setLinkChecker(nullptr);
}

}  // namespace tirv
