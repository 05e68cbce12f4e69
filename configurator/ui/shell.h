#pragma once
// What the main window offers its pages: shared state, the status bar through the Reporter,
// the menu and toolbar states, and the way to send commands to the window and to other pages.
#include "gui/reporter.h"
#include "configurator/device/device_model.h"
#include "configurator/ui/dialogs.h"
#include "configurator/ui/shell_state.h"

#include <QString>
#include <functional>

namespace tirv {

class Page;

class Shell {
public:
    virtual ~Shell() = default;

    virtual Reporter& reporter() = 0;
    virtual ShellState& state() = 0;
    // The relay model the program works with; pages listen to it and rebuild themselves.
    virtual DeviceModel& model() = 0;
    // The file and colour dialogs (scripted in tests).
    virtual FileDialogs& dialogs() = 0;

    virtual int currentPage() const = 0;
    virtual Page* page(int pageId) const = 0;
    // Runs a main-window command as if chosen from the menu (see Cmd in shell_ids.h).
    virtual void command(int id) = 0;
    // Sends a command to a page without showing it; false when the page does not exist.
    virtual bool sendToPage(int pageId, int cmd) = 0;

    virtual void setMenuEnabled(int id, bool enabled) = 0;
    virtual void setToolEnabled(int id, bool enabled) = 0;
    // Status-bar field 2: the device address or the bootloader mode.
    virtual void setModeText(const QString& text) = 0;

    // A new model code selects other model tables (the same as model().setCode(code)).
    void setModelCode(int code) { model().setCode(code); }
    // Runs a device exchange the user started: refused with a visible status while another
    // holds the line; otherwise the menu, toolbar and pages stay locked until `start`'s `done`
    // is called (on every ending path), and abort (Esc) goes to `abort`.
    // A poll gives `finish`: stop after the reply in flight, called when the user leaves the
    // page it was started on.
    struct ExchangeJob {
        std::function<void(std::function<void(bool ok)> done)> start;
        std::function<void()> abort;
        std::function<void()> finish = nullptr;
    };
    virtual bool runExchange(ExchangeJob job) = 0;
    // A polling page names its completion timers: `finishTimer` ends its poll when the user
    // leaves it, `handOverTimer` when the user comes to it while another page's poll ends. A
    // request made before that end is held and started after it.
    virtual void registerPoller(int pageId, int finishTimer, int handOverTimer)
    {
        (void)pageId, (void)finishTimer, (void)handOverTimer;
    }

    // Disables the menu, the toolbar and the pages' exchange controls while an exchange runs.
    virtual void lockControls(bool locked) = 0;
    // The link state changed (up, down, or a new model was found); the open pages are told.
    virtual void linkChanged() = 0;

    // The command-line path when the program was started with a file of `kind` (see FileKind in
    // command_line.h); the kind is consumed, so only the first open command uses it.
    virtual QString takeCommandLinePath(int kind) { (void)kind; return {}; }
};

}  // namespace tirv
