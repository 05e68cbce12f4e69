#pragma once
// The main window's tables: pages, menu, toolbar and the context commands of the toolbar.
#include "configurator/ui/ids.h"
#include "configurator/shell/texts.h"

#include <array>
#include <utility>

namespace tirv::shell_tables {

enum class Act {
    Submenu,     // opens the sub-menu that follows (deeper rows)
    Main,        // handled by the main window or by a handler registered for the id
    ShowPage,    // show `page`
    PageThenCmd, // show `page` unless current, then send `pageCmd` to it
    CmdOrShow,   // on `page`: send `pageCmd`; elsewhere: show `page`
    ToPage,      // send `pageCmd` to `page` without showing it
    Nothing,     // present, never does anything
};

struct MenuRow {
    int id;  // 0 for a sub-menu
    int depth;
    const char* text;
    bool disabledAtStart;
    Act act;
    int page;
    int pageCmd;
};

inline constexpr auto kMenu = std::to_array<MenuRow>({
    {0, 0, tx::MenuFile, false, Act::Submenu, 0, 0},
    {0, 1, tx::MenuFileNew, false, Act::Submenu, 0, 0},
    {CmdNewProject, 2, tx::MiNewProject, false, Act::Main, 0, 0},
    {CmdNewSetpoints, 2, tx::MiNewSetpoints, false, Act::Main, 0, 0},
    {CmdNewIoSettings, 2, tx::MiNewIo, false, Act::PageThenCmd, PageIoSettings, PageCmdIoNew},
    {CmdNewLedSettings, 2, tx::MiNewLeds, false, Act::PageThenCmd, PageLeds, PageCmdLedNew},
    {0, 1, tx::MenuFileOpen, false, Act::Submenu, 0, 0},
    {CmdOpenProject, 2, tx::MiOpenProject, false, Act::Main, 0, 0},
    {CmdOpenSetpoints, 2, tx::MiOpenSetpoints, false, Act::Main, 0, 0},
    {CmdOpenIoSettings, 2, tx::MiOpenIo, false, Act::PageThenCmd, PageIoSettings, PageCmdIoOpen},
    {CmdOpenLedSettings, 2, tx::MiOpenLeds, false, Act::PageThenCmd, PageLeds, PageCmdLedOpen},
    {CmdOpenEmergencyJournal, 2, tx::MiOpenEmergency, false, Act::PageThenCmd,
     PageEmergencyJournal, PageCmdEmergencyOpen},
    {CmdOpenWorkJournal, 2, tx::MiOpenWork, false, Act::PageThenCmd, PageWorkJournal,
     PageCmdWorkOpen},
    {0, 1, tx::MenuFileSave, false, Act::Submenu, 0, 0},
    {CmdSaveProject, 2, tx::MiNewProject, false, Act::Main, 0, 0},
    {CmdSaveSetpoints, 2, tx::MiNewSetpoints, false, Act::Main, 0, 0},
    {CmdSaveIoSettings, 2, tx::MiNewIo, false, Act::ToPage, PageIoSettings, PageCmdIoSave},
    {CmdSaveLedSettings, 2, tx::MiNewLeds, false, Act::ToPage, PageLeds, PageCmdLedSave},
    {CmdSaveEmergencyJournal, 2, tx::MiSaveEmergency, false, Act::ToPage, PageEmergencyJournal,
     PageCmdEmergencySave},
    {CmdSaveWorkJournal, 2, tx::MiSaveWork, false, Act::ToPage, PageWorkJournal,
     PageCmdWorkSave},
    {CmdExit, 1, tx::MiExit, false, Act::Main, 0, 0},

    {0, 0, tx::MenuDevice, false, Act::Submenu, 0, 0},
    {0, 1, tx::MenuDeviceRead, false, Act::Submenu, 0, 0},
    {CmdReadSetpoints, 2, tx::MiReadSetpoints, false, Act::Main, 0, 0},
    {CmdReadIoSettings, 2, tx::MiNewIo, false, Act::PageThenCmd, PageIoSettings, PageCmdIoRead},
    {CmdReadLedSettings, 2, tx::MiNewLeds, false, Act::PageThenCmd, PageLeds, PageCmdLedRead},
    {CmdReadClock, 2, tx::MiReadClock, false, Act::CmdOrShow, PageClock, PageCmdClockRead},
    {CmdReadMeasurements, 2, tx::MiReadMeas, false, Act::CmdOrShow, PageMeasurements,
     PageCmdMeasRead},
    {CmdReadIoState, 2, tx::MiReadIoState, false, Act::CmdOrShow, PageIoState, PageCmdIoRead},
    {CmdReadEmergencyJournal, 2, tx::MiSaveEmergency, false, Act::PageThenCmd,
     PageEmergencyJournal, PageCmdEmergencyRead},
    {CmdReadWorkJournal, 2, tx::MiSaveWork, false, Act::PageThenCmd, PageWorkJournal,
     PageCmdWorkRead},
    {0, 1, tx::MenuDeviceWrite, false, Act::Submenu, 0, 0},
    {CmdWriteSetpoints, 2, tx::MiNewSetpoints, true, Act::Main, 0, 0},
    {CmdWriteIoSettings, 2, tx::MiNewIo, true, Act::ToPage, PageIoSettings, PageCmdIoWrite},
    {CmdWriteLedSettings, 2, tx::MiNewLeds, true, Act::ToPage, PageLeds, PageCmdLedWrite},
    {CmdWriteClock, 2, tx::MiReadClock, true, Act::ToPage, PageClock, PageCmdClockWrite},
    {CmdWriteLinkSettings, 2, tx::MiWriteLink, true, Act::ToPage, PageLinkSettings,
     PageCmdLinkWrite},
    {CmdWriteFirmwareVersion, 2, tx::MiWriteFirmwareVersion, true, Act::Nothing, 0, 0},
    {CmdAbort, 1, tx::MiAbort, false, Act::Main, 0, 0},

    {0, 0, tx::MenuSetup, false, Act::Submenu, 0, 0},
    {CmdShowSetpoints, 1, tx::MiSetpoints, false, Act::ShowPage, PageSetpoints, 0},
    {CmdShowIoSettings, 1, tx::MiIoSettings, false, Act::ShowPage, PageIoSettings, 0},
    {CmdShowLeds, 1, tx::MiLeds, false, Act::ShowPage, PageLeds, 0},
    {CmdShowClock, 1, tx::MiClock, false, Act::ShowPage, PageClock, 0},
    {CmdShowCalibration, 1, tx::MiCalibration, true, Act::ShowPage, PageCalibration, 0},
    {CmdShowConfiguration, 1, tx::MiConfiguration, false, Act::ShowPage, PageConfiguration, 0},
    {CmdShowFirmware, 1, tx::MiFirmware, false, Act::ShowPage, PageFirmware, 0},

    {0, 0, tx::MenuOperation, false, Act::Submenu, 0, 0},
    {CmdShowMeasurements, 1, tx::MiMeas, false, Act::ShowPage, PageMeasurements, 0},
    {CmdShowIoState, 1, tx::MiIoState, false, Act::ShowPage, PageIoState, 0},
    {CmdShowWorkJournal, 1, tx::MiWorkJournal, false, Act::ShowPage, PageWorkJournal, 0},
    {CmdShowEmergencyJournal, 1, tx::MiEmergencyJournal, false, Act::ShowPage,
     PageEmergencyJournal, 0},
    {CmdBreakerControl, 1, tx::MiBreaker, false, Act::Main, 0, 0},

    {0, 0, tx::MenuLink, false, Act::Submenu, 0, 0},
    {CmdShowScan, 1, tx::MiScan, false, Act::ShowPage, PageScan, 0},
    {CmdShowLinkSettings, 1, tx::MiLinkSettings, false, Act::ShowPage, PageLinkSettings, 0},

    {0, 0, tx::MenuHelp, false, Act::Submenu, 0, 0},
    {CmdHelp, 1, tx::MiHelp, false, Act::Main, 0, 0},
    {CmdCalculator, 1, tx::MiCalculator, false, Act::Main, 0, 0},
    {CmdAbout, 1, tx::MiAbout, false, Act::Main, 0, 0},
});

// The menu row of item `id` (sub-menus aside); nullptr when the menu has none.
inline const MenuRow* FindMenuRow(int id)
{
    for (const MenuRow& row : kMenu)
        if (row.id == id && row.act != Act::Submenu)
            return &row;
    return nullptr;
}

// Toolbar entries in order; command 0 is a separator. Image numbers index the toolbar strip.
struct ToolRow {
    int command;
    int image;
    bool checkGroup;
    bool greyedAtStart;
};

inline constexpr auto kToolbar = std::to_array<ToolRow>({
    {0, 0, false, false},
    {CmdNew, 0, false, false},
    {CmdOpen, 1, false, false},
    {CmdSave, 2, false, true},
    {0, 0, false, false},
    {0, 0, false, false},
    {CmdRead, 4, false, true},
    {CmdWrite, 5, false, true},
    {0, 0, false, false},
    {0, 0, false, false},
    {CmdShowSetpoints, 12, true, false},
    {CmdShowIoSettings, 13, true, false},
    {CmdShowLeds, 14, true, false},
    {0, 0, false, false},
    {0, 0, false, false},
    {CmdShowMeasurements, 6, true, false},
    {CmdShowIoState, 15, true, false},
    {CmdShowWorkJournal, 8, true, false},
    {CmdShowEmergencyJournal, 9, true, false},
    {0, 0, false, false},
    {0, 0, false, false},
    {CmdShowScan, 10, true, false},
    {CmdShowLinkSettings, 11, true, false},
});

// The context toolbar commands where the page shown has none of its own (its PageRow): with no
// page shown yet (PageNone) or on any page (kAnyPage), the command runs window command `mainCmd`;
// 0 means nothing happens.
inline constexpr int kAnyPage = -1;

struct WindowContextRow {
    int command;
    int page;  // PageNone or kAnyPage
    int mainCmd;
    const char* tip;
};

inline constexpr auto kWindowContext = std::to_array<WindowContextRow>({
    {CmdNew, kAnyPage, CmdNewProject, tx::TipNewProject},
    {CmdOpen, PageNone, CmdOpenProject, tx::TipOpenProject},
    {CmdOpen, kAnyPage, 0, tx::TipOpenOther},
    {CmdSave, kAnyPage, 0, tx::TipSaveOther},
    {CmdRead, kAnyPage, 0, tx::TipReadOther},
    {CmdWrite, kAnyPage, 0, tx::TipWriteOther},
});

// Shown on any page: on over the serial link, off over Modbus TCP (writes travel over the
// serial link only).
inline constexpr std::array<int, 1> kSerialOnlyItems{CmdWriteSetpoints};
// Shown on any page (and after the page's poll), always on.
inline constexpr std::array<int, 2> kOnWhenShown{CmdSaveProject, CmdSaveSetpoints};
// The file items an exchange locks, on again when it ends.
inline constexpr std::array<int, 3> kOnAfterExchange{CmdNewSetpoints, CmdOpenSetpoints,
                                                     CmdSaveSetpoints};

}  // namespace tirv::shell_tables
