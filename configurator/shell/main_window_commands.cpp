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

const PageRow* MainWindow::rowOf(int pageId) const
{
    const auto it = m_rows.find(pageId);
    return it == m_rows.end() ? nullptr : &it->second;
}

std::optional<MainWindow::Context> MainWindow::contextOf(int cmd, int page) const
{
    if (const PageRow* row = rowOf(page))
        for (const ContextCommand& c : row->context)
            if (c.command == cmd)
                return Context{c.mainCmd, c.pageCmd, c.tip};
    std::optional<Context> fallback;
    for (const WindowContextRow& row : kWindowContext) {
        if (row.command != cmd)
            continue;
        if (row.page == page)
            return Context{row.mainCmd, 0, row.tip};
        if (row.page == kAnyPage && !fallback)
            fallback = Context{row.mainCmd, 0, row.tip};
    }
    return fallback;
}

void MainWindow::contextCommand(int cmd)
{
    const std::optional<Context> c = contextOf(cmd, m_current);
    if (!c)
        return;
    if (c->mainCmd)
        command(c->mainCmd);
    else if (c->pageCmd)
        sendToPage(m_current, c->pageCmd);
}

void MainWindow::updateContextTips()
{
    for (int cmd : {CmdNew, CmdOpen, CmdSave, CmdRead, CmdWrite})
        if (const std::optional<Context> c = contextOf(cmd, m_current))
            m_toolActions[cmd]->setToolTip(QString::fromUtf8(c->tip));
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

    const PageRow& row = m_rows.at(pageId);
    if (QAction* button = toolAction(row.showCommand))
        button->setChecked(true);
    else if (QAction* checked = m_pageGroup->checkedAction())
        checked->setChecked(false);

    if (const PageRow* leftRow = left != pageId ? rowOf(left) : nullptr)
        for (int item : leftRow->offWhenLeft)
            if (item)
                setMenuEnabled(item, false);

    status(QString::fromUtf8(row.status), StatusIcon::Info);
    // While a left poll is ending the toolbar stays as its exchange set it.
    if (!(m_state.busy && m_line->polls(left))) {
        for (int cmd : {CmdNew, CmdOpen, CmdSave, CmdRead, CmdWrite})
            setToolEnabled(cmd, true);
        const bool tcp = m_state.link.channel == Channel::Ethernet;
        if (tcp && row.offOverTcpTool)
            setToolEnabled(row.offOverTcpTool, false);
        if (tcp && row.offOverTcpItem)
            setMenuEnabled(row.offOverTcpItem, false);
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
    for (const CommandLineOpen& open : m_rows.at(pageId).opens) {
        if (open.kind != m_commandLine.kind)
            continue;
        if (open.mainCmd)
            command(open.mainCmd);
        else
            sendToPage(pageId, open.pageCmd);
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
