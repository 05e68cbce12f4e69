// The main window's command dispatcher: menu and toolbar commands, page switching with the
// hand-over of polls in flight, the exchanges the user starts, abort.
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
    status(text, StatusIcon::Info);
    // While a left poll is ending the toolbar stays as its exchange set it.
    if (!(m_state.busy && m_line->polls(left))) {
        for (int cmd : {CmdNew, CmdOpen, CmdSave, CmdRead, CmdWrite})
            setToolEnabled(cmd, true);
        const bool tcp = m_state.link.channel == Channel::Ethernet;
        for (const SerialWriteRow& row : kSerialWritesOnShow)
            if (row.page == pageId && tcp) {
                setToolEnabled(row.tool, false);
                setMenuEnabled(row.item, false);
            }
        for (int item : kSerialOnlyItems)
            setMenuEnabled(item, !tcp);
        for (int item : kOnWhenShown)
            setMenuEnabled(item, true);
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
    for (int item : kOnAfterExchange)
        setMenuEnabled(item, true);
}

void MainWindow::abortExchange()
{
    m_line->abort();
    for (auto& handler : m_abortHandlers)
        handler();
}

}  // namespace tirv
