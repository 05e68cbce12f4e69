// The main window's command dispatcher: menu and toolbar commands, page switching with the
// hand-over of polls in flight, the automatic connection of setpoint reads and writes, abort.
#include "configurator/shell/main_window.h"

#include "configurator/link/registers.h"
#include "configurator/link/texts.h"
#include "configurator/shell/main_window_tables.h"
#include "configurator/ui/page.h"
#include "configurator/shell/texts.h"

#include <QAction>
#include <QActionGroup>
#include <QScrollArea>
#include <QStackedWidget>

namespace tirv {

using namespace shell_tables;

namespace {

const MenuRow* FindMenuRow(int id)
{
    for (const MenuRow& row : kMenu)
        if (row.id == id && row.act != Act::Submenu)
            return &row;
    return nullptr;
}

const ContextRow* FindContext(int command, int page)
{
    const ContextRow* fallback = nullptr;
    for (const ContextRow& row : kContext) {
        if (row.command != command)
            continue;
        if (row.page == page)
            return &row;
        if (row.page == kAnyPage)
            fallback = &row;
    }
    return fallback;
}

// The page a command-line file belongs to and the open command it gets there; `mainCmd` runs
// in the window, `pageCmd` goes to the page.
struct OpenRow {
    FileKind kind;
    int page;
    int mainCmd;
    int pageCmd;
};

constexpr std::array<OpenRow, 6> kOpenOnShow{{
    {FileKind::Project, PageSetpoints, CmdOpenProject, 0},
    {FileKind::Setpoints, PageSetpoints, CmdOpenSetpoints, 0},
    {FileKind::IoSettings, PageIoSettings, 0, PageCmdIoOpen},
    {FileKind::LedSettings, PageLeds, 0, PageCmdLedOpen},
    {FileKind::WorkJournal, PageWorkJournal, 0, PageCmdWorkOpen},
    {FileKind::EmergencyJournal, PageEmergencyJournal, 0, PageCmdEmergencyOpen},
}};

}  // namespace

void MainWindow::command(int id)
{
    switch (id) {
    case CmdNew: case CmdOpen: case CmdSave: case CmdRead: case CmdWrite:
        contextCommand(id);
        return;
    case CmdExit:
        close();
        return;
    case CmdAbort:
        abortExchange();
        return;
    case CmdAbout:
        showAbout();
        return;
    case CmdHelp:
        showHelp();
        return;
    case CmdNewProject:
        newProject(false);
        return;
    case CmdNewSetpoints:
        newProject(true);
        return;
    case CmdTcpLost:
        // The Modbus TCP worker lost its connection: the exchange is over.
        if (auto it = m_handlers.find(id); it != m_handlers.end())
            it->second();
        m_line->dropped();
        return;
    default:
        break;
    }
    if (auto it = m_handlers.find(id); it != m_handlers.end()) {
        it->second();
        return;
    }
    const MenuRow* row = FindMenuRow(id);
    if (!row)
        return;
    switch (row->act) {
    case Act::ShowPage:
        showPage(row->page);
        break;
    case Act::PageThenCmd:
        if (m_current != row->page)
            showPage(row->page);
        if (m_current == row->page)
            sendToPage(row->page, row->pageCmd);
        break;
    case Act::CmdOrShow:
        if (m_current == row->page)
            sendToPage(row->page, row->pageCmd);
        else
            showPage(row->page);
        break;
    case Act::ToPage:
        sendToPage(row->page, row->pageCmd);
        break;
    case Act::Main: case Act::Nothing: case Act::Submenu:
        break;
    }
}

bool MainWindow::sendToPage(int pageId, int cmd)
{
    Page* p = page(pageId);
    if (!p)
        return false;
    p->command(cmd);
    return true;
}

void MainWindow::contextCommand(int cmd)
{
    const ContextRow* row = FindContext(cmd, m_current);
    if (!row)
        return;
    if (row->mainCmd)
        command(row->mainCmd);
    else if (row->pageCmd)
        sendToPage(m_current, row->pageCmd);
}

void MainWindow::updateContextTips()
{
    for (int cmd : {CmdNew, CmdOpen, CmdSave, CmdRead, CmdWrite})
        if (const ContextRow* row = FindContext(cmd, m_current))
            m_toolActions[cmd]->setToolTip(QString::fromUtf8(row->tip));
}

const char* MainWindow::pageStatus(int pageId) const
{
    for (const PageRow& row : kPages)
        if (row.page == pageId)
            return row.status;
    return "";
}

void MainWindow::showPage(int pageId)
{
    Page* target = page(pageId);
    if (!target)
        return;
    if (Page* leaving = m_current != pageId ? page(m_current) : nullptr) {
        // A poll of the page left ends after its reply in flight; the line is handed on then.
        m_line->pageLeft(m_current, pageId);
        leaving->pageHidden(pageId);
    }

    QScrollArea* host = m_hosts[target];
    m_work->setCurrentWidget(host);
    target->pageShown();
    target->setFocus();

    const int left = m_current;
    m_previous = left;
    m_current = pageId;

    int showCmd = 0;
    for (const PageRow& row : kPages)
        if (row.page == pageId)
            showCmd = row.showCommand;
    if (QAction* button = toolAction(showCmd))
        button->setChecked(true);
    else if (QAction* checked = m_pageGroup->checkedAction())
        checked->setChecked(false);

    for (const LeaveRow& row : kDisabledOnLeave)
        if (row.page == left && left != pageId)
            for (int item : row.items)
                if (item)
                    setMenuEnabled(item, false);

    const QString text = QString::fromUtf8(pageStatus(pageId));
    if (m_state.busy && (left == PageMeasurements || left == PageIoState)) {
        status(text, StatusIcon::Info);
    } else {
        status(text, StatusIcon::Info);
        for (int cmd : {CmdNew, CmdOpen, CmdSave, CmdRead, CmdWrite})
            setToolEnabled(cmd, true);
        const bool tcp = m_state.link.channel == Channel::Ethernet;
        if (pageId == PageSetpoints && tcp) {
            // Writes never travel over Modbus TCP.
            setToolEnabled(CmdWrite, false);
            setMenuEnabled(CmdWriteClock, false);
        }
        // Writes travel over the serial link only.
        setMenuEnabled(CmdWriteSetpoints, !tcp);
        setMenuEnabled(CmdSaveProject, true);
        setMenuEnabled(CmdSaveSetpoints, true);
    }
    updateContextTips();
    sendOpenForCommandLine(pageId);
}

void MainWindow::sendOpenForCommandLine(int pageId)
{
    for (const OpenRow& row : kOpenOnShow) {
        if (row.kind != m_commandLine.kind || row.page != pageId)
            continue;
        if (row.mainCmd)
            command(row.mainCmd);
        else
            sendToPage(pageId, row.pageCmd);
        return;
    }
}

void MainWindow::newProject(bool setpointsOnly)
{
    if (auto it = m_handlers.find(CmdNewSetpoints); it != m_handlers.end())
        it->second();
    if (setpointsOnly) {
        if (m_current != PageSetpoints)
            showPage(PageSetpoints);
        return;
    }
    sendToPage(PageIoSettings, PageCmdIoNew);
    sendToPage(PageLeds, PageCmdLedNew);
    if (m_current != PageSetpoints && m_current != PageIoSettings && m_current != PageLeds)
        showPage(PageSetpoints);
}

// A device exchange the user started: one at a time, refused visibly while another runs (the
// link session's own sequences lock the window too); the window is locked until it ends.
bool MainWindow::runExchange(ExchangeJob job)
{
    // The link session's own sequences lock the window without holding the line here.
    if (m_locked && !m_state.busy) {
        status(QString::fromUtf8(link_texts::kLineBusy), StatusIcon::Warning);
        return false;
    }
    return m_line->run(m_current, std::move(job));
}

void MainWindow::registerPoller(int pageId, int finishTimer, int handOverTimer)
{
    m_line->registerPoller(pageId, finishTimer, handOverTimer);
}

void MainWindow::unlockAfterExchange()
{
    lockControls(false);
    for (int cmd : {CmdNew, CmdOpen, CmdSave})
        setToolEnabled(cmd, true);
    for (int item : {CmdNewSetpoints, CmdOpenSetpoints, CmdSaveSetpoints})
        setMenuEnabled(item, true);
}

void MainWindow::abortExchange()
{
    m_line->abort();
    for (auto& handler : m_abortHandlers)
        handler();
}

}  // namespace tirv
