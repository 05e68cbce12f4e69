#include "configurator/shell/program_pages.h"

#include "configurator/firmware/firmware_page.h"
#include "configurator/firmware/firmware_page_rows.h"
#include "configurator/iocfg/io_page.h"
#include "configurator/iocfg/iocfg_page_rows.h"
#include "configurator/iocfg/led_page.h"
#include "configurator/journals/journal_emergency_page.h"
#include "configurator/journals/journal_page_rows.h"
#include "configurator/journals/measurement_page.h"
#include "configurator/journals/measurement_page_settings.h"
#include "configurator/link/connection_panel.h"
#include "configurator/link/link_page_rows.h"
#include "configurator/link/link_session.h"
#include "configurator/link/network_scan.h"
#include "configurator/link/scan_page.h"
#include "configurator/link/serial_link.h"
#include "configurator/service/breaker_control.h"
#include "configurator/service/breaker_texts.h"
#include "configurator/service/breaker_window.h"
#include "configurator/service/clock_page.h"
#include "configurator/service/device_identity_page.h"
#include "configurator/service/device_identity_rules.h"
#include "configurator/service/service_page_rows.h"
#include "configurator/setpoints/calculator_window.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_image.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/setpoints/setpoint_operations.h"
#include "configurator/setpoints/setpoint_page_rows.h"
#include "configurator/setpoints/setpoint_transfer.h"
#include "configurator/shell/main_window.h"
#include "configurator/shell/program_files.h"
#include "configurator/ui/page_stack.h"
#include "configurator/ui/ids.h"

#include <QPointer>

namespace tirv {

struct ProgramPages::Parts {
    Parts(MainWindow& w, const QString& folder)
        : files(w, image),
          link(w.reporter(), w.state().link, [&w] { return w.model().isM(); }, nullptr, folder),
          session(link, w.reporter(), w.state().link, w.model()), editor(w, image),
          scan(link, w.reporter()), breaker(link, session, w.reporter(), w.state().link)
    {
    }
    SetpointImage image{};
    ProgramFiles files;  // first: the settings file decides the link, the model and the image
    SerialLink link;
    LinkSession session;
    SetpointEditor editor;
    NetworkScan scan;
    BreakerControl breaker;
    QPointer<BreakerWindow> breakerWindow;
    std::unique_ptr<SetpointTransfer> transfer;
    std::unique_ptr<SetpointOperations> operations;
    ConnectionPanel* panel = nullptr;  // owned by the window
    std::unique_ptr<Calculator> calculator;
    std::unique_ptr<MeasurementOperation> measurement;
    std::unique_ptr<ClockOperation> clock;
    std::unique_ptr<DeviceIdentityControl> identity;
    std::unique_ptr<IoTransfer> io;
    PollSettings ioPoll;
    std::unique_ptr<LedTransfer> leds;
    JournalStore journals;
    std::unique_ptr<JournalOperations> journalOps;
};

ProgramPages::ProgramPages(MainWindow& window, const QString& portsFolder)
    : m_parts(std::make_unique<Parts>(window, portsFolder))
{
    Parts& p = *m_parts;
    SerialLink& link = p.link;

    auto* panel = new ConnectionPanel(window, p.session, portsFolder);
    p.panel = panel;
    window.registerPage(link_rows::kLinkSettings, panel);
    // A left poll hands the line on clean: nothing of its last reply is left in the queues.
    window.setLineSettler([&link] {
        if (link.port().isOpen())
            link.port().purge();
    });
    panel->showPaths(window.state().settingsPath, int(window.commandLineFile().kind),
                     QString::fromStdString(window.commandLineFile().path));
    QObject::connect(&link.tcp(), &ModbusTcpTransfer::sendTimedOut, &window,
                     [&window] { window.command(CmdTcpLost); });

    p.editor.setModel(window.model().code());
    const auto tabs = p.editor.tabs();
    auto* stack = new PageStack(window, PageSetpoints, {tabs.begin(), tabs.end()});
    window.registerPage(setpoint_rows::kSetpoints, stack);
    p.editor.setTabShower([stack, &window](int k) {
        stack->showIndex(k);
        if (window.currentPage() != PageSetpoints)
            window.command(CmdShowSetpoints);
    });
    p.editor.fillFromImage();
    p.files.attach(p.editor, *panel);
    window.setRestoreHandler([&p] { p.editor.windowRestored(); });

    p.transfer = std::make_unique<SetpointTransfer>(link.transfer(), link.tcp(), window.reporter(),
                                                    window.state().link, p.editor.profile(),
                                                    p.image);
    // A read shows what it read, also when it was started from another page.
    QObject::connect(p.transfer.get(), &SetpointTransfer::imageReplaced, &window, [&p, &window] {
        p.editor.fillFromImage();
        if (window.currentPage() != PageSetpoints)
            window.command(CmdShowSetpoints);
    });
    p.operations = std::make_unique<SetpointOperations>(
        p.session, *p.transfer, window.state().link, [&p] { return p.editor.gatherIntoImage(); },
        [&window] { window.command(CmdShowFirmware); });
    SetpointOperations* ops = p.operations.get();
    for (const bool write : {false, true}) {
        window.registerCommand(write ? CmdWriteSetpoints : CmdReadSetpoints, [ops, &window, write] {
            window.runExchange({[ops, write](std::function<void(bool)> done) {
                                    auto ended = [done](const SetpointOperationEnd& e) {
                                        done(e.ok());
                                    };
                                    if (write)
                                        ops->startWrite(ended);
                                    else
                                        ops->startRead(ended);
                                },
                                [ops] { ops->abort(); }});
        });
    }

    p.calculator = std::make_unique<Calculator>(window, p.image, &window);
    window.registerCommand(CmdCalculator, [&p] { p.calculator->open(); });
    // A group setpoint stored on the tabs while the calculator is open reloads its inputs.
    p.editor.setStoredListener([&p](int imageIndex) { p.calculator->setpointStored(imageIndex); });

    window.registerPage(link_rows::kScan, new ScanPage(window, p.scan, portsFolder));

    p.measurement = std::make_unique<MeasurementOperation>(
        link, p.session, window.reporter(), window.state().link,
        [&window] { return window.model().code(); }, [&window] { window.command(CmdShowFirmware); });
    auto* measurements = new MeasurementPage(
        window, *p.measurement, MeasurementPageSettings(p.files.loaded(), p.files.source()));
    window.registerPage(journal_rows::kMeasurements, measurements);
    p.files.keepOnSave([page = QPointer<MeasurementPage>(measurements)](ProgramSettings& s) {
        if (page)
            KeepMeasurementPageSettings(page->settings(), s);
    });

    // Pages 2 and 6 share the program's I/O record and one transfer; the poll's words go back
    // into "ТИРВ.cfg".
    p.io = std::make_unique<IoTransfer>(link, &p.session, window.reporter(), window.state().link,
                                        p.files.io());
    p.ioPoll = p.files.loaded().ioStatePoll;
    p.files.keepOnSave([&p](ProgramSettings& s) { s.ioStatePoll = p.ioPoll; });
    for (const IoMode mode : {IoMode::Settings, IoMode::State})
        window.registerPage(mode == IoMode::State ? iocfg_rows::kIoState : iocfg_rows::kIoSettings,
                            new IoPage(window, mode, *p.io, p.files.io(), p.ioPoll));
    p.leds = std::make_unique<LedTransfer>(
        link, &p.session, window.reporter(), window.state().link,
        [&window] { return window.model().code(); }, p.files.leds());
    auto* ledPage = new LedPage(window, *p.leds, p.files.leds());
    window.registerPage(iocfg_rows::kLeds, ledPage);
    // The project takes the LED pop-up's typed time too; an invalid one cancels the save.
    window.registerCommand(CmdSaveProject, [save = window.commandHandler(CmdSaveProject),
                                            page = QPointer<LedPage>(ledPage)] {
        if ((!page || page->commitPopup()) && save)
            save();
    });

    window.registerCommand(CmdBreakerControl, [&p, &window] {
        if (!p.breakerWindow)
            p.breakerWindow = new BreakerWindow(window, p.breaker, &window);
        p.breakerWindow->show();
        p.breakerWindow->raise();
        if (!window.state().busy && !p.link.state().bootloaderMode())
            window.reporter().status(QString::fromUtf8(breaker_texts::kOpened), StatusIcon::Info);
    });

    p.clock = std::make_unique<ClockOperation>(link, p.session, window.reporter(),
                                               window.state().link,
                                               [&window] { return window.model().isM(); });
    // The link page's loopback selector is hidden and fixed at its first item: following it
    // would show the stored sample instead of every relay's clock. The line leads to a relay.
    window.registerPage(service_rows::kClock, new ClockPage(window, *p.clock));
    p.identity = std::make_unique<DeviceIdentityControl>(link, p.session, window.reporter(),
                                                         window.state().link);
    window.registerPage(service_rows::kConfiguration,
                        new DeviceIdentityPage(window, *p.identity, [&p]() -> std::optional<int> {
                            if (!p.session.linkEstablished() || !p.session.identity())
                                return std::nullopt;
                            return p.session.identity()->serial;
                        }));
    // The service exchanges show their bytes in the panel's frame fields.
    const auto frameText = [](const QByteArray& bytes, bool modbusRead) {
        return QString::fromStdString(FrameBytesText(
            {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())},
            modbusRead));
    };
    const auto showRequest = [panel, frameText](const QByteArray& b, bool read) {
        panel->showFrameBytes(CtlFrameRequest, frameText(b, read));
        panel->showFrameBytes(CtlFrameReply, QString());
    };
    const auto showReply = [panel, frameText](const QByteArray& b) {
        panel->showFrameBytes(CtlFrameReply, frameText(b, false));
    };
    QObject::connect(&p.breaker, &BreakerControl::requestSent, panel,
                     [showRequest](const QByteArray& b) { showRequest(b, false); });
    QObject::connect(&p.breaker, &BreakerControl::replyReceived, panel, showReply);
    QObject::connect(p.identity.get(), &DeviceIdentityControl::requestSent, panel, showRequest);
    QObject::connect(p.identity.get(), &DeviceIdentityControl::replyReceived, panel, showReply);
    QObject::connect(p.clock.get(), &ClockOperation::requestSent, panel, [showRequest](const QByteArray& b) {
        showRequest(b, false);
    });
    QObject::connect(p.clock.get(), &ClockOperation::replyReceived, panel, showReply);

    // The update page names the relay in its protocol file by the identity the link read.
    auto* firmware = new FirmwareUpdatePage(window, link, window.state().link, [&p] {
        ProtocolHeaderFields f;
        if (const auto& id = p.session.identity()) {
            f.serial = std::to_string(id->serial);
            f.version = QString::number(id->firmwareX100 / 100.0, 'f', 2).toStdString();
            f.build = std::to_string(id->build);
        }
        return f;
    });
    window.registerPage(firmware_rows::kFirmware, firmware);

    p.journalOps = std::make_unique<JournalOperations>(link, p.session, window.reporter(),
                                                       window.state().link, window.model(),
                                                       p.journals);
    const auto serial = [&p] { return p.session.identity() ? p.session.identity()->serial : 0; };
    window.registerPage(journal_rows::kWorkJournal,
                        new WorkingJournalPage(window, *p.journalOps, p.journals, serial));
    auto* emergency = new EmergencyJournalPage(
        window, *p.journalOps, p.journals, p.image, p.editor.profile(),
        UnpackJournalSettings(p.files.loaded().journalPage), serial, [&window] {
            return OscillogramTarget{window.state().oscillogramPath, window.state().viewerPath};
        });
    window.registerPage(journal_rows::kEmergencyJournal, emergency);
    p.files.keepOnSave([page = QPointer<EmergencyJournalPage>(emergency)](ProgramSettings& s) {
        if (page)
            s.journalPage = PackJournalSettings(page->settings());
    });

    window.registerAbort([&p] {
        p.session.abort();
        p.link.abort();
    });
}

SerialLink& ProgramPages::link() { return m_parts->link; }
LinkSession& ProgramPages::session() { return m_parts->session; }
ConnectionPanel& ProgramPages::panel() { return *m_parts->panel; }
SetpointEditor& ProgramPages::editor() { return m_parts->editor; }
BreakerControl& ProgramPages::breaker() { return m_parts->breaker; }
ProgramFiles& ProgramPages::files() { return m_parts->files; }

ProgramPages::~ProgramPages()
{
    m_parts->files.saveSettings();
    // Nothing may still talk to the relay once the window's pages go away.
    m_parts->scan.stop(500);
    m_parts->session.abort();
    m_parts->link.abort();
    m_parts->link.closePort();
}

}  // namespace tirv
