#pragma once
// What the offscreen GUI tests of the shell and the connection panel share: one QApplication, the
// wait of tests/support, a page that records the commands it receives, and a setpoint
// exchange whose end the test decides.
#include "configurator/firmware/firmware_page_rows.h"
#include "configurator/iocfg/iocfg_page_rows.h"
#include "configurator/journals/journal_page_rows.h"
#include "configurator/link/link_page_rows.h"
#include "configurator/service/service_page_rows.h"
#include "configurator/setpoints/setpoint_page_rows.h"
#include "configurator/ui/page.h"
#include "configurator/shell/main_window.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/page_stack.h"
#include "support/gui_app.h"
#include "support/wait.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <functional>
#include <vector>

namespace tirv::test {

class RecordingPage : public Page {
public:
    RecordingPage(Shell& shell, int pageId) : Page(shell, pageId)
    {
        setMinimumSize(600, 500);
        resize(600, 500);
    }
    void command(int id) override
    {
        commands.push_back(id);
        if (onCommand)
            onCommand(id);
    }
    void setControlsLocked(bool on) override { locked = on; }
    void pageHidden(int next) override { hiddenFor.push_back(next); }
    void onTimer(int id) override
    {
        fired.push_back(id);
        killTimer(id);
    }
    bool received(int id) const
    {
        for (int c : commands)
            if (c == id)
                return true;
        return false;
    }
    int count(int id) const
    {
        int n = 0;
        for (int c : commands)
            n += c == id;
        return n;
    }

    std::vector<int> commands;
    std::vector<int> fired;
    std::vector<int> hiddenFor;  // pageHidden calls: the page the user went to
    std::function<void(int)> onCommand;
    bool locked = false;
};

// The row the program registers a page with, for a test page standing in its place.
inline const PageRow& ProgramRowOf(int pageId)
{
    static const PageRow* const rows[] = {
        &setpoint_rows::kSetpoints,    &iocfg_rows::kIoSettings,         &iocfg_rows::kLeds,
        &journal_rows::kMeasurements,  &iocfg_rows::kIoState,            &journal_rows::kWorkJournal,
        &journal_rows::kEmergencyJournal, &link_rows::kScan,             &link_rows::kLinkSettings,
        &service_rows::kClock,         &service_rows::kConfiguration,    &firmware_rows::kFirmware,
    };
    for (const PageRow* row : rows)
        if (row->page == pageId)
            return *row;
    ADD_FAILURE() << "no program page " << pageId;
    return *rows[0];
}

// Registers a test page under its program row.
inline void RegisterAs(MainWindow& win, int pageId, Page* page)
{
    win.registerPage(ProgramRowOf(pageId), page);
}

// Registers five tabs as the setpoint page, the way the program hosts its tab pages.
inline PageStack* RegisterTabs(MainWindow& win, const std::array<Page*, 5>& tabs)
{
    auto* stack = new PageStack(win, PageSetpoints, {tabs.begin(), tabs.end()});
    RegisterAs(win, PageSetpoints, stack);
    return stack;
}

// A setpoint read and write whose end the test decides, run through the window's exchange runner.
class ScriptedExchange {
public:
    void startRead(std::function<void(bool)> done)
    {
        ++reads;
        pending = std::move(done);
    }
    void startWrite(std::function<void(bool)> done)
    {
        ++writes;
        pending = std::move(done);
    }
    void abort()
    {
        ++aborts;
        if (pending) {
            auto d = std::move(pending);
            pending = nullptr;
            d(false);
        }
    }
    void finish(bool ok)
    {
        auto d = std::move(pending);
        pending = nullptr;
        if (d)
            d(ok);
    }
    // Carries the window's setpoint read (162) and write (172), as the program's composition does.
    void attach(MainWindow& win)
    {
        for (const bool write : {false, true})
            win.registerCommand(write ? CmdWriteSetpoints : CmdReadSetpoints, [this, &win, write] {
                win.runExchange({[this, write](std::function<void(bool)> done) {
                                     write ? startWrite(std::move(done)) : startRead(std::move(done));
                                 },
                                 [this] { abort(); }});
            });
    }

    int reads = 0;
    int writes = 0;
    int aborts = 0;
    std::function<void(bool)> pending;
};

}  // namespace tirv::test
