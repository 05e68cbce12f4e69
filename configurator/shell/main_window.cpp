#include "configurator/shell/main_window.h"
#include "configurator/shell/qt_dialogs.h"

#include "configurator/shell/icons.h"
#include "configurator/shell/main_window_tables.h"
#include "configurator/shell/program_settings.h"
#include "configurator/ui/page.h"
#include "configurator/shell/texts.h"
#include "common/relay_family.h"
#include "configurator/link/registers.h"
#include "configurator/link/texts.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace tirv {

using namespace shell_tables;

namespace {

constexpr int kBaseWidth = 760;
constexpr int kBaseHeight = 620;
constexpr int kField1Width = 103;
constexpr int kField2Width = 140;  // "  Адрес устр-ва: 247" whole
constexpr int kField3Width = 180;

QScrollArea* NewHost(QWidget* content)
{
    auto* area = new QScrollArea;
    area->setWidget(content);
    // The page follows the window and scrolls once the window is smaller than its minimum.
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    // The program's scroll-bar colour, for the area's own bars only: the spin buttons of the
    // pages are scroll bars too and keep the style's arrow buttons.
    area->setStyleSheet("QAbstractScrollArea > QWidget > QScrollBar { background: rgb(217, 213, 198); }");
    return area;
}

}  // namespace

MainWindow::MainWindow(Options options)
    : m_options(std::move(options))
{
    setObjectName("tirv-main");
    setWindowIcon(AppIcon());
    setWindowTitle(tx::Title);

    m_commandLine = ParseCommandLine(m_options.commandLine.toStdString());
    m_line = std::make_unique<LineHolder>(
        m_state,
        LineHolder::Hooks{
            [this](bool locked) {
                if (locked)
                    lockControls(true);
                else
                    unlockAfterExchange();
            },
            [this] { status(QString::fromUtf8(link_texts::kLineBusy), StatusIcon::Warning); },
            [this] {
                if (m_settle)
                    m_settle();
            },
            [this] {
                const int baud = m_state.link.baudIndex;
                return kMinPollPeriodMs[IsValidBaudIndex(baud) ? std::size_t(baud) : 0];
            }},
        this);

    const QString exe = QCoreApplication::applicationFilePath();
    const bool own = !m_options.programFolder.isEmpty();
    const QString folder = own ? m_options.programFolder : QFileInfo(exe).absolutePath();
    // A program path outside these bounds leaves every file beside the program unused.
    const int length = own ? int(folder.size()) : int(exe.size());
    if (length >= (own ? 1 : 11) && length <= 493) {
        m_state.programFolder = QDir(folder).absolutePath();
        const auto beside = [this](const char* name) {
            return m_state.programFolder + QLatin1Char('/') + QString::fromUtf8(name);
        };
        m_state.oscillogramPath = beside(shared_texts::kOscillogramFile);
        m_state.viewerPath = beside(shared_texts::kViewerName);
    }
    // The settings stay beside a copy run from a folder of its own; an installed program's
    // folder is not writable, so they go to the user's configuration folder.
    const bool writable =
        !m_state.programFolder.isEmpty() && QFileInfo(m_state.programFolder).isWritable();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (const auto path = ChooseSettingsPath(m_state.programFolder.toStdString(), writable,
                                             config.toStdString()))
        m_state.settingsPath = QString::fromStdString(*path);

    QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 0.0;
    m_scale = dpi > 0 ? dpi / 96.0 : 1.0;

    m_work = new QStackedWidget(this);
    auto* blank = new QWidget;
    blank->setAutoFillBackground(true);
    m_work->addWidget(blank);
    setCentralWidget(m_work);

    buildMenu();
    buildToolBar();
    buildStatusBar();
    for (const char* keys : {"Alt+/", "Alt+?"}) {
        auto* sc = new QShortcut(QKeySequence(QString::fromLatin1(keys)), this);
        connect(sc, &QShortcut::activated, this, [this] { command(CmdAbout); });
    }
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { command(CmdAbort); });

    resize(int(kBaseWidth * m_scale), int(kBaseHeight * m_scale));
    if (screen) {
        const QRect avail = screen->geometry();
        move(avail.center().x() - width() / 2, avail.center().y() - height() / 2);
    }
}

MainWindow::MainWindow() : MainWindow(Options()) {}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenu()
{
    QMenu* top = nullptr;
    QMenu* sub = nullptr;
    for (const MenuRow& row : kMenu) {
        if (row.act == Act::Submenu) {
            if (row.depth == 0)
                top = menuBar()->addMenu(QString::fromUtf8(row.text)), sub = nullptr;
            else
                sub = top->addMenu(QString::fromUtf8(row.text));
            continue;
        }
        QMenu* parent = (row.depth == 2 && sub) ? sub : top;
        if (row.depth == 1 && row.id == CmdExit)
            parent->addSeparator();
        QAction* a = parent->addAction(QString::fromUtf8(row.text));
        a->setObjectName(QString::number(row.id));
        a->setData(row.id);
        const int id = row.id;
        connect(a, &QAction::triggered, this, [this, id] { command(id); });
        m_actions[id] = a;
        if (row.disabledAtStart)
            m_wantDisabled.insert(id);
    }
}

void MainWindow::buildToolBar()
{
    m_toolBar = addToolBar(QString());
    m_toolBar->setObjectName(QString::number(CtlToolBar));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(40, 32));
    // Buttons as large as their pictures, so that all of them fit the window's width.
    m_toolBar->setStyleSheet("QToolButton { padding: 0px; margin: 0px; }");
    m_pageGroup = new QActionGroup(this);
    m_pageGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const ToolRow& row : kToolbar) {
        if (row.command == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* a = m_toolBar->addAction(ToolbarIcon(row.image), QString());
        a->setObjectName("tool" + QString::number(row.command));
        a->setData(row.command);
        const int id = row.command;
        connect(a, &QAction::triggered, this, [this, id] { command(id); });
        if (row.checkGroup) {
            a->setCheckable(true);
            m_pageGroup->addAction(a);
        }
        if (row.greyedAtStart)
            m_toolDisabled.insert(id);
        m_toolActions[id] = a;
    }
    updateContextTips();
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QString::number(CtlStatusBar));
    bar->setSizeGripEnabled(false);
    bar->setMinimumHeight(int(22 * m_scale));  // present before the first text arrives

    auto* cell0 = new QWidget;
    auto* row = new QHBoxLayout(cell0);
    row->setContentsMargins(2, 0, 2, 0);
    m_field0Icon = new QLabel;
    m_field0Icon->setFixedSize(16, 16);
    m_fields[0] = new QLabel;
    m_progress = new QProgressBar;
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(14);
    m_progress->hide();
    row->addWidget(m_field0Icon);
    row->addWidget(m_fields[0], 1);
    row->addWidget(m_progress, 1);
    bar->addWidget(cell0, 1);

    // Fields 1–3 take the width of what they show, up to their own; an empty one gives its
    // room to field 0, whose texts are the longest.
    const int widths[4] = {0, kField1Width, kField2Width, kField3Width};
    for (int i = 1; i < 4; ++i) {
        m_fields[i] = new QLabel;
        m_fields[i]->setMaximumWidth(int(widths[i] * m_scale));
        m_fields[i]->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
        bar->addPermanentWidget(m_fields[i]);
    }
    m_linkIcon = new QLabel;
    m_linkIcon->setFixedSize(16, 16);
    bar->insertPermanentWidget(3, m_linkIcon);  // after cell 0, field 1 and field 2
}

void MainWindow::registerPage(const PageRow& row, Page* page)
{
    m_pages[row.page] = page;
    m_rows[row.page] = row;
    if (QAction* button = toolAction(row.showCommand)) {
        const MenuRow* item = FindMenuRow(row.showCommand);
        const char* tip = row.buttonTip ? row.buttonTip : item ? item->text : "";
        button->setToolTip(QString::fromUtf8(tip));
    }
    if (!m_hosts.count(page)) {
        QScrollArea* host = NewHost(page);
        m_hosts[page] = host;
        m_work->addWidget(host);
    }
    refreshAvailability();
}

void MainWindow::registerCommand(int id, std::function<void()> handler)
{
    m_handlers[id] = std::move(handler);
    refreshAvailability();
}

void MainWindow::registerAbort(std::function<void()> handler)
{
    m_abortHandlers.push_back(std::move(handler));
}

void MainWindow::start()
{
    connect(&m_model, &DeviceModel::changed, this, [this](int code) { modelChanged(code); });
    modelChanged(m_model.code());
    refreshAvailability();
    // The command-line file opens on the page that takes its kind.
    if (m_commandLine.kind == FileKind::None)
        return;
    for (const auto& [id, row] : m_rows)
        for (const CommandLineOpen& open : row.opens)
            if (open.kind == m_commandLine.kind) {
                command(row.showCommand);
                return;
            }
}

FileDialogs& MainWindow::dialogs()
{
    if (m_options.dialogs)
        return *m_options.dialogs;
    if (!m_realDialogs)
        m_realDialogs = std::make_unique<QtDialogs>(this);
    return *m_realDialogs;
}

Page* MainWindow::page(int pageId) const
{
    auto it = m_pages.find(pageId);
    return it == m_pages.end() ? nullptr : it->second;
}

QAction* MainWindow::action(int id) const
{
    auto it = m_actions.find(id);
    if (it != m_actions.end())
        return it->second;
    auto t = m_toolActions.find(id);
    return t == m_toolActions.end() ? nullptr : t->second;
}

QAction* MainWindow::toolAction(int id) const
{
    auto t = m_toolActions.find(id);
    return t == m_toolActions.end() ? nullptr : t->second;
}

QString MainWindow::statusText(int field) const
{
    return field >= 0 && field < 4 && m_fields[size_t(field)] ? m_fields[size_t(field)]->text()
                                                              : QString();
}

bool MainWindow::progressVisible() const { return m_progress && !m_progress->isHidden(); }

QScrollArea* MainWindow::pageArea(int pageId) const
{
    Page* p = page(pageId);
    auto it = m_hosts.find(p);
    return it == m_hosts.end() ? nullptr : it->second;
}

QString MainWindow::takeCommandLinePath(int kind)
{
    if (kind == 0 || int(m_commandLine.kind) != kind)
        return {};
    m_commandLine.kind = FileKind::None;
    return QString::fromStdString(m_commandLine.path);
}

void MainWindow::setMenuEnabled(int id, bool enabled)
{
    if (enabled)
        m_wantDisabled.erase(id);
    else
        m_wantDisabled.insert(id);
    applyEnabled(id);
}

void MainWindow::setToolEnabled(int id, bool enabled)
{
    if (enabled)
        m_toolDisabled.erase(id);
    else
        m_toolDisabled.insert(id);
    applyEnabled(id);
}

void MainWindow::setModeText(const QString& text) { m_fields[2]->setText(text); }

void MainWindow::modelChanged(int code)
{
    setWindowTitle(QString::fromStdString(RelayTitle(code)));
    refreshAvailability();
}

void MainWindow::lockControls(bool locked)
{
    m_locked = locked;
    refreshAvailability();
    for (auto& [id, p] : m_pages)
        p->setControlsLocked(locked);
}

void MainWindow::linkChanged()
{
    for (auto& [id, p] : m_pages)
        p->linkChanged();
}

// Whether the command behind a menu item or toolbar button can run at all in this build: its
// page exists, or the window or a registered handler carries it out.
bool MainWindow::available(int id) const
{
    if (!m_model.isM() && mOnlyItem(id))
        return false;
    if (m_handlers.count(id))
        return true;
    switch (id) {
    case CmdNew: case CmdOpen: case CmdSave: case CmdRead: case CmdWrite:
    case CmdExit: case CmdAbort: case CmdAbout: case CmdHelp:
        return true;
    default:
        break;
    }
    for (const MenuRow& row : kMenu) {
        if (row.id != id)
            continue;
        switch (row.act) {
        case Act::ShowPage: case Act::PageThenCmd: case Act::CmdOrShow: case Act::ToPage:
            return m_pages.count(row.page) != 0;
        default:
            return false;
        }
    }
    return false;
}

// An item of an M-only page (its show command and the items that act on it).
bool MainWindow::mOnlyItem(int id) const
{
    for (const MenuRow& item : kMenu)
        if (item.id == id && item.act != Act::Submenu && item.act != Act::Main)
            if (const PageRow* row = rowOf(item.page))
                return row->mOnly;
    return false;
}

void MainWindow::applyEnabled(int id)
{
    // While an exchange runs only the abort command, help and About stay usable.
    const bool lockable = id != CmdAbort && id != CmdHelp && id != CmdAbout;
    const bool unlocked = !(m_locked && lockable);
    if (auto it = m_actions.find(id); it != m_actions.end()) {
        bool on = unlocked && available(id) && !m_wantDisabled.count(id);
        if (id == CmdAbort)
            on = m_locked;  // only while there is something to stop
        it->second->setEnabled(on);
    }
    if (auto it = m_toolActions.find(id); it != m_toolActions.end())
        it->second->setEnabled(unlocked && available(id) && !m_toolDisabled.count(id));
}

void MainWindow::refreshAvailability()
{
    for (auto& [id, a] : m_actions)
        applyEnabled(id);
    for (auto& [id, a] : m_toolActions)
        applyEnabled(id);
}

}  // namespace tirv
