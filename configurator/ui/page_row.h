#pragma once
// What the main window knows of a page, declared by the page's own subsystem and handed over
// when the page is registered: the command that shows it, its status text, what the context
// toolbar commands do on it, the command-line files it opens, the menu items it owns.
#include "configurator/ui/file_kind.h"

#include <array>
#include <span>

namespace tirv {

// A context toolbar command (New, Open, Save, Read, Write) on the page: it runs the window
// command `mainCmd` or sends `pageCmd` to the page; `tip` is the button's tooltip there.
struct ContextCommand {
    int command;
    int mainCmd;
    int pageCmd;
    const char* tip;
};

// A command-line file of `kind`: the page is shown, then `mainCmd` runs or `pageCmd` goes to it.
struct CommandLineOpen {
    FileKind kind;
    int mainCmd;
    int pageCmd;
};

struct PageRow {
    int page;
    int showCommand;
    const char* status;     // status-bar field 0 while the page is shown
    const char* buttonTip;  // the page button's tooltip; nullptr: the text of its menu item
    std::span<const ContextCommand> context;
    std::span<const CommandLineOpen> opens;
    std::array<int, 2> offWhenLeft{};  // menu items the page turns on, off again when it is left
    bool mOnly = false;  // the page, and every menu item of it, exists on M models only
    // Writes travel over the serial link only: over Modbus TCP, showing the page turns off this
    // toolbar command and this menu item (0: none).
    int offOverTcpTool = 0;
    int offOverTcpItem = 0;
};

}  // namespace tirv
