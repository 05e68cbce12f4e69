#include "viewer/viewer_window.h"

#include "common/oscillogram_texts.h"
#include "gui/app_setup.h"
#include "gui/gui_texts.h"
#include "gui/reporter.h"
#include "viewer/comtrade_export.h"
#include "viewer/plot_source.h"
#include "viewer/print_export.h"
#include "viewer/reporter_sink.h"
#include "viewer/viewer_paths.h"
#include "viewer/window_commands.h"
#include "viewer/window_texts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QShortcut>
#include <QToolBar>

#include <cerrno>
#include <cmath>

namespace tirv {

namespace tx = viewer_texts;
using namespace viewer;

namespace {

constexpr int kDirNotFound = ENOENT;  // the system's "file not found"

QString U(const char* s) { return QString::fromUtf8(s); }

}  // namespace

ViewerWindow::ViewerWindow(Reporter& reporter, ViewerWindowOptions options)
    : m_reporter(reporter), m_options(std::move(options))
{
    setWindowTitle(U(tx::kTitle));
    setWindowIcon(WindowIcon());
    if (!m_options.programDir.isEmpty()) {
        m_settingsPath = m_options.programDir + QLatin1Char('/') + U(tx::kSettingsFile);
        m_defaultPath = m_options.programDir + QLatin1Char('/') + U(tx::kDefaultFile);
    }
    m_settings = LoadViewerSettings(m_settingsPath.toStdString());
    m_pending = m_settings.digitalShown;

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_panelSlot = new QWidget(central);
    auto* slotLayout = new QHBoxLayout(m_panelSlot);
    slotLayout->setContentsMargins(0, 0, 0, 0);
    m_panelSlot->hide();
    m_plot = new PlotPanel(central, m_options.useOpenGL);
    row->addWidget(m_panelSlot);
    row->addWidget(m_plot, 1);
    setCentralWidget(central);

    m_plot->setColours(m_settings.colours);
    m_plot->setLineWidth(m_settings.lineWidth);
    int screenWidth = m_options.screenWidth;
    if (screenWidth <= 0 && QGuiApplication::primaryScreen() != nullptr)
        screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    m_plot->setScreenWidth(screenWidth > 0 ? screenWidth : 1920);
    m_plot->setLabelMargin(LabelMargin(m_plot->logicalDpiX()));

    buildActions();
    setDataCommands(false);
    syncChecks();

    chooseFile = [this](int id) {
        const bool open = id == CmdOpen;
        struct { const char* filter; const char* title; const char* suffix; } d{};
        switch (id) {
        case CmdOpen: d = {tx::kOscFilter, tx::kOpenTitle, "tao"}; break;
        case CmdSave: d = {tx::kOscFilter, tx::kSaveTitle, "tao"}; break;
        case CmdExportBmp: d = {tx::kBmpFilter, tx::kBmpTitle, "bmp"}; break;
        case CmdExportPng: d = {tx::kPngFilter, tx::kPngTitle, "png"}; break;
        default: d = {osc_texts::kComtradeFilter, osc_texts::kComtradeSaveTitle, "CFG"}; break;
        }
        QFileDialog dlg(this, U(d.title), m_options.programDir, U(d.filter));
        dlg.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dlg.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dlg.setDefaultSuffix(QString::fromLatin1(d.suffix));
        return dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty() ? dlg.selectedFiles().front()
                                                                                 : QString();
    };
    chooseColour = [this](QColor& c) {
        for (int i = 0; i < kColourTableSize && i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, FromColorRef(m_settings.colours[static_cast<std::size_t>(i)]));
        const QColor chosen = QColorDialog::getColor(c, this);
        if (!chosen.isValid())
            return false;
        c = chosen;
        return true;
    };
    choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dlg(&printer, this);
        return dlg.exec() == QDialog::Accepted;
    };
    openHelp = [](const QString& path) { return QFileInfo::exists(path) && StartHelpViewer(path); };

    QMetaObject::invokeMethod(this, [this] { command(CmdLoad); }, Qt::QueuedConnection);
}

ViewerWindow::~ViewerWindow() { saveSettingsOnce(); }

void ViewerWindow::closeEvent(QCloseEvent* e)
{
    saveSettingsOnce();
    e->accept();
}

void ViewerWindow::saveSettingsOnce()
{
    if (m_settingsSaved)
        return;
    m_settingsSaved = true;
    SaveViewerSettings(m_settingsPath.toStdString(), m_settings);  // silently, as before
}

void ViewerWindow::buildActions()
{
    QMenu* file = menuBar()->addMenu(U(tx::kMenuFile));
    QMenu* osc = menuBar()->addMenu(U(tx::kMenuOscillograms));
    QMenu* info = menuBar()->addMenu(U(tx::kMenuInfo));
    QMenu* image = nullptr;
    QMenu* time = nullptr;
    QMenu* values = nullptr;
    QMenu* settings = nullptr;
    // A sub-menu is made when its first item comes, so it stands where that item stands.
    const auto submenu = [](QMenu*& menu, QMenu* parent, const char* title) {
        if (menu == nullptr)
            menu = parent->addMenu(U(title));
        return menu;
    };
    QToolBar* bar = addToolBar(QString());
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setIconSize(QSize(36, 32));
    bar->setMovable(false);
    for (const CommandRow& row : kCommands) {
        auto* a = new QAction(U(row.text), this);
        a->setData(row.id);
        a->setCheckable(row.checkable);
        if (row.tip != nullptr)
            a->setToolTip(U(row.tip));
        connect(a, &QAction::triggered, this, [this, id = row.id] { command(id); });
        m_actions[row.id] = a;
        switch (row.menu) {
        case MFile: file->addAction(a); break;
        case MImage: submenu(image, file, tx::kMenuSaveImage)->addAction(a); break;
        case MOsc: osc->addAction(a); break;
        case MTime: submenu(time, osc, tx::kMenuTimeValues)->addAction(a); break;
        case MValues: submenu(values, osc, tx::kMenuAnalogValues)->addAction(a); break;
        case MSettings: submenu(settings, osc, tx::kMenuSettings)->addAction(a); break;
        case MInfo: info->addAction(a); break;
        }
        if (row.image >= 0) {
            for (int s = 0; s < row.groupBefore; ++s)
                bar->addSeparator();
            a->setIcon(ToolbarIcon(row.image));
            bar->addAction(a);
        }
    }
    // Alt+"?" and Alt+"/" both give the About box.
    for (const char* key : {"Alt+?", "Alt+/"}) {
        auto* sc = new QShortcut(QKeySequence(QString::fromLatin1(key)), this);
        connect(sc, &QShortcut::activated, this, [this] { command(CmdAbout); });
    }
}

QAction* ViewerWindow::action(int id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QWidget* ViewerWindow::control(int id) const
{
    if (QWidget* w = m_plot->control(id))
        return w;
    if (m_panel != nullptr)
        if (QWidget* w = m_panel->control(id))
            return w;
    if (m_preview != nullptr)
        if (QWidget* w = m_preview->control(id))
            return w;
    return nullptr;
}

QImage ViewerWindow::capture() const { return m_plot->renderImage(m_plot->screenPalette()); }

void ViewerWindow::setDataCommands(bool enabled)
{
    for (int id : kDataCommands)
        if (QAction* a = action(id))
            a->setEnabled(enabled);
}

void ViewerWindow::syncChecks()
{
    action(CmdAbsoluteTime)->setChecked(m_settings.absoluteTime);
    action(CmdRelativeTime)->setChecked(!m_settings.absoluteTime);
    action(CmdInstantaneous)->setChecked(!m_settings.rms);
    action(CmdRms)->setChecked(m_settings.rms);
    action(CmdMarkers)->setChecked(m_settings.markers);
    action(CmdAnalogPanel)->setChecked(m_settings.panel == Panel::Analog);
    action(CmdDigitalPanel)->setChecked(m_settings.panel == Panel::Digital);
    action(CmdGeneralPanel)->setChecked(m_settings.panel == Panel::General);
}

void ViewerWindow::info(const QString& caption, const QString& text, int icon)
{
    Message m;
    m.caption = caption.toStdString();
    m.text = text.toStdString();
    m.icon = static_cast<MsgIcon>(icon);
    m_reporter.ask(m);
}

void ViewerWindow::command(int id)
{
    const bool dataCommand = std::find(std::begin(kDataCommands), std::end(kDataCommands), id) != std::end(kDataCommands);
    if (dataCommand && !m_shown) {
        syncChecks();  // a greyed command does nothing
        return;
    }
    switch (id) {
    // The start-up load tells its failures with the start-up texts, also for a file named on
    // the command line.
    case CmdLoad: load(m_options.oscillogram.isEmpty() ? m_defaultPath : m_options.oscillogram, true); break;
    case CmdOpen: {
        const QString path = chooseFile(CmdOpen);
        if (!path.isEmpty())
            load(path, false);
        break;
    }
    case CmdSave: save(); break;
    case CmdExportBmp:
    case CmdExportPng: exportImage(id); break;
    case CmdComtrade: exportComtrade(); break;
    case CmdPrint: print(); break;
    case CmdPreview: showPreview(); break;
    case CmdExit: close(); break;
    case CmdStretch: m_plot->stretch(); break;
    case CmdCompress: m_plot->compress(); break;
    case CmdAbsoluteTime:
    case CmdRelativeTime:
        m_settings.absoluteTime = id == CmdAbsoluteTime;
        m_plot->setModes(m_settings.rms, m_settings.absoluteTime);
        break;
    case CmdInstantaneous:
    case CmdRms:
        m_settings.rms = id == CmdRms;
        m_plot->setModes(m_settings.rms, m_settings.absoluteTime);
        break;
    case CmdMarkers:
        m_settings.markers = !m_settings.markers;
        m_plot->setMarkers(m_settings.markers);
        break;
    case CmdAnalogPanel: togglePanel(Panel::Analog); break;
    case CmdDigitalPanel: togglePanel(Panel::Digital); break;
    case CmdGeneralPanel: togglePanel(Panel::General); break;
    case CmdAbout: info(U(tx::kAboutCaption), U(tx::kAboutText), static_cast<int>(MsgIcon::Information)); break;
    case CmdHelp: showHelp(); break;
    default: break;
    }
    syncChecks();
}

void ViewerWindow::load(const QString& path, bool startUp)
{
    m_analog = {};
    setDataCommands(false);
    m_shown = false;
    m_plot->setSource(nullptr, m_settings.digitalShown, m_settings.digitalOn);
    if (auto* analog = dynamic_cast<AnalogPanel*>(m_panel))
        analog->reload();
    setWindowTitle(U(tx::kTitleWithFile) + path);

    ReporterSink sink(m_reporter);
    const LoadResult r = m_image.load(path.toStdString(), sink);
    if (r.status == LoadStatus::CannotOpen) {
        if (!startUp)
            info(U(tx::kCaptionError), QString::asprintf(osc_texts::kOpenFailed, r.systemError),
                 static_cast<int>(MsgIcon::Error));
        else if (r.systemError == kDirNotFound)
            info(U(tx::kCaptionWarning), U(tx::kDefaultFileMissing), static_cast<int>(MsgIcon::Warning));
        else
            info(U(tx::kCaptionError), U(tx::kDefaultFileUnreadable).arg(r.systemError),
                 static_cast<int>(MsgIcon::Error));
        setWindowTitle(U(tx::kTitle));
        return;
    }
    if (r.status != LoadStatus::Loaded) {
        if (r.status != LoadStatus::NoChannels)
            setWindowTitle(U(tx::kTitle));
        return;
    }
    m_source = MakePlotSource(m_image);
    m_analog = AnalogChoiceAtLoad(m_source);
    if (!m_source.digitalValid)
        m_settings.digitalOn = false;
    m_plot->setSource(&m_source, m_settings.digitalShown, m_settings.digitalOn);
    m_plot->setMarkers(m_settings.markers);
    m_plot->setModes(m_settings.rms, m_settings.absoluteTime);
    if (auto* analog = dynamic_cast<AnalogPanel*>(m_panel))
        analog->reload();
    m_shown = true;
    setDataCommands(true);
    syncChecks();
}

void ViewerWindow::togglePanel(Panel p)
{
    const bool wasOpen = m_settings.panel == p;
    if (m_panel != nullptr) {
        delete m_panel;
        m_panel = nullptr;
    }
    m_settings.panel = Panel::None;
    if (!wasOpen) {
        switch (p) {
        case Panel::Analog: m_panel = new AnalogPanel(m_panelSlot, *this); break;
        case Panel::Digital: m_panel = new DigitalPanel(m_panelSlot, *this); break;
        case Panel::General: m_panel = new GeneralPanel(m_panelSlot, *this); break;
        case Panel::None: break;
        }
        m_panelSlot->layout()->addWidget(m_panel);
        m_settings.panel = p;
    }
    m_panelSlot->setVisible(m_panel != nullptr);
    m_panelSlot->setFixedWidth(m_panel != nullptr ? m_panel->sizeHint().width() : 0);
    centralWidget()->layout()->activate();
    syncChecks();
}

void ViewerWindow::analogChanged()
{
    std::array<bool, kPlotChannels> on{};
    for (std::size_t i = 0; i < kPlotChannels; ++i)
        on[i] = m_analog.enabled[i] && m_analog.checked[i];
    m_plot->setGraphs(EffectiveGraphs(m_analog), on);
}

void ViewerWindow::digitalChanged()
{
    m_plot->setDigital(m_settings.digitalShown, m_settings.digitalOn && m_source.digitalValid);
}

void ViewerWindow::appearanceChanged()
{
    m_plot->setColours(m_settings.colours);
    m_plot->setLineWidth(m_settings.lineWidth);
}

bool ViewerWindow::pickColour(std::uint32_t& colour)
{
    QColor c = FromColorRef(colour);
    if (!chooseColour || !chooseColour(c))
        return false;
    colour = ToColorRef(c);
    return true;
}

void ViewerWindow::save()
{
    const QString path = chooseFile(CmdSave);
    if (path.isEmpty())
        return;
    ReporterSink sink(m_reporter);
    m_image.save(path.toStdString(), sink);
}

void ViewerWindow::exportComtrade()
{
    const QString path = chooseFile(CmdComtrade);
    if (path.isEmpty())
        return;
    ReporterSink sink(m_reporter);
    ExportComtrade(m_image, path.toStdString(), sink);
}

void ViewerWindow::exportImage(int id)
{
    const QString chosen = chooseFile(id);
    if (chosen.isEmpty())
        return;
    const bool bmp = id == CmdExportBmp;
    bool tooLong = false;
    const std::string name = ImageFileName(chosen.toStdString(), bmp ? "bmp" : "png", tooLong);
    if (tooLong)
        info(U(tx::kCaptionError), U(osc_texts::kNameTooLong), static_cast<int>(MsgIcon::Error));
    SaveImage(capture(), QString::fromStdString(name), bmp ? ImageKind::Bmp : ImageKind::Png, m_reporter);
}

void ViewerWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!choosePrinter || !choosePrinter(printer))
        return;
    // What the preview shows is printed: its print colours and its orientation. Before the
    // preview is first opened its defaults apply, which are the print style.
    const PlotPalette palette = m_preview != nullptr ? PreviewPalette(m_preview->printColours()) : PrintPalette();
    PrintPicture(m_plot->renderImage(palette), printer, m_preview != nullptr && m_preview->landscape());
}

void ViewerWindow::showPreview()
{
    if (m_preview == nullptr) {
        PreviewDialog::Host host;
        host.render = [this](const PlotPalette& pal) { return m_plot->renderImage(pal); };
        host.screenColours = [this] { return m_settings.colours; };
        host.pickColour = [this](std::uint32_t& c) { return pickColour(c); };
        m_preview = new PreviewDialog(this, std::move(host));
    }
    m_preview->redraw();
    m_preview->show();
    m_preview->raise();
}

void ViewerWindow::showHelp()
{
    const QString path = m_options.programDir + QLatin1Char('/') + U(tx::kHelpFile);
    if (openHelp && openHelp(path))
        return;
    // A file that is there but could not be shown is named with its path, so that the user can
    // open it by hand.
    if (QFileInfo::exists(path))
        info(U(tx::kCaptionError), U(gui_texts::kHelpNotStarted).arg(QDir::toNativeSeparators(path)),
             static_cast<int>(MsgIcon::Warning));
    else
        info(U(tx::kCaptionError), U(tx::kHelpFileMissing).arg(U(tx::kHelpFile)), static_cast<int>(MsgIcon::Warning));
}

}  // namespace tirv
