#pragma once
// The main window's tables: pages, menu, toolbar and the context commands of the toolbar.
#include "configurator/shell/command_line.h"
#include "configurator/ui/ids.h"
#include "configurator/shell/texts.h"

#include <array>
#include <utility>

namespace tirv::shell_tables {

struct PageRow {
    int page;
    int showCommand;
    const char* status;  // status-bar field 0 while the page is shown
};

inline constexpr auto kPages = std::to_array<PageRow>({
    {PageSetpoints, CmdShowSetpoints, tx::StSetpoints},
    {PageIoSettings, CmdShowIoSettings, tx::StIoSettings},
    {PageLeds, CmdShowLeds, tx::StLeds},
    {PageMeasurements, CmdShowMeasurements, tx::StMeas},
    {PageIoState, CmdShowIoState, tx::StIoState},
    {PageWorkJournal, CmdShowWorkJournal, tx::StWorkJournal},
    {PageEmergencyJournal, CmdShowEmergencyJournal, tx::StEmergencyJournal},
    {PageScan, CmdShowScan, tx::StScan},
    {PageLinkSettings, CmdShowLinkSettings, tx::StLinkSettings},
    {PageCalibration, CmdShowCalibration, tx::StCalibration},
    {PageClock, CmdShowClock, tx::StClock},
    {PageConfiguration, CmdShowConfiguration, tx::StConfiguration},
    {PageFirmware, CmdShowFirmware, tx::StFirmware},
});

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

inline constexpr auto kPageButtonTips = std::to_array<std::pair<int, const char*>>({
    {CmdShowSetpoints, tx::TipPageSetpoints},
    {CmdShowIoSettings, tx::TipPageIo},
    {CmdShowLeds, tx::TipPageLeds},
    {CmdShowMeasurements, tx::TipPageMeas},
    {CmdShowIoState, tx::TipPageIoState},
    {CmdShowWorkJournal, tx::TipPageWork},
    {CmdShowEmergencyJournal, tx::TipPageEmergency},
    {CmdShowScan, tx::TipPageScan},
    {CmdShowLinkSettings, tx::TipPageLink},
});

// Context toolbar commands: on `page` (kAnyPage: every page not listed before it for the
// same command) the command runs main-window command `mainCmd` or sends `pageCmd` to the
// current page; both 0 means nothing happens.
inline constexpr int kAnyPage = -1;

struct ContextRow {
    int command;
    int page;
    int mainCmd;
    int pageCmd;
    const char* tip;
};

inline constexpr auto kContext = std::to_array<ContextRow>({
    {CmdNew, PageSetpoints, CmdNewSetpoints, 0, tx::TipNewSetpoints},
    {CmdNew, PageIoSettings, 0, PageCmdIoNew, tx::TipNewIo},
    {CmdNew, PageLeds, 0, PageCmdLedNew, tx::TipNewLeds},
    {CmdNew, kAnyPage, CmdNewProject, 0, tx::TipNewProject},

    {CmdOpen, PageNone, CmdOpenProject, 0, tx::TipOpenProject},
    {CmdOpen, PageSetpoints, CmdOpenSetpoints, 0, tx::TipOpenSetpoints},
    {CmdOpen, PageIoSettings, 0, PageCmdIoOpen, tx::TipOpenIo},
    {CmdOpen, PageLeds, 0, PageCmdLedOpen, tx::TipOpenLeds},
    {CmdOpen, PageWorkJournal, 0, PageCmdWorkOpen, tx::TipOpenWork},
    {CmdOpen, PageEmergencyJournal, 0, PageCmdEmergencyOpen, tx::TipOpenEmergency},
    {CmdOpen, kAnyPage, 0, 0, tx::TipOpenOther},

    {CmdSave, PageSetpoints, CmdSaveSetpoints, 0, tx::TipSaveSetpoints},
    {CmdSave, PageIoSettings, 0, PageCmdIoSave, tx::TipSaveIo},
    {CmdSave, PageLeds, 0, PageCmdLedSave, tx::TipSaveLeds},
    {CmdSave, PageWorkJournal, 0, PageCmdWorkSave, tx::TipSaveWork},
    {CmdSave, PageEmergencyJournal, 0, PageCmdEmergencySave, tx::TipSaveEmergency},
    {CmdSave, kAnyPage, 0, 0, tx::TipSaveOther},

    {CmdRead, PageSetpoints, CmdReadSetpoints, 0, tx::TipReadSetpoints},
    {CmdRead, PageIoSettings, 0, PageCmdIoRead, tx::TipReadIo},
    {CmdRead, PageIoState, 0, PageCmdIoRead, tx::TipReadIoState},
    {CmdRead, PageLeds, 0, PageCmdLedRead, tx::TipReadLeds},
    {CmdRead, PageMeasurements, 0, PageCmdMeasRead, tx::TipReadMeas},
    {CmdRead, PageWorkJournal, 0, PageCmdWorkRead, tx::TipReadWork},
    {CmdRead, PageEmergencyJournal, 0, PageCmdEmergencyRead, tx::TipReadEmergency},
    {CmdRead, PageLinkSettings, 0, PageCmdLinkCheck, tx::TipReadLink},
    {CmdRead, PageClock, 0, PageCmdClockRead, tx::TipReadClock},
    {CmdRead, PageConfiguration, 0, PageCmdConfigRead, tx::TipReadConfig},
    {CmdRead, PageFirmware, 0, PageCmdFirmwareRead, tx::TipReadFirmware},
    {CmdRead, kAnyPage, 0, 0, tx::TipReadOther},

    {CmdWrite, PageSetpoints, CmdWriteSetpoints, 0, tx::TipWriteSetpoints},
    {CmdWrite, PageIoSettings, 0, PageCmdIoWrite, tx::TipWriteIo},
    {CmdWrite, PageLeds, 0, PageCmdLedWrite, tx::TipWriteLeds},
    {CmdWrite, PageLinkSettings, 0, PageCmdLinkWrite, tx::TipWriteLink},
    {CmdWrite, PageClock, 0, PageCmdClockWrite, tx::TipWriteClock},
    {CmdWrite, PageConfiguration, 0, PageCmdConfigWrite, tx::TipWriteConfig},
    {CmdWrite, PageFirmware, 0, PageCmdFirmwareWrite, tx::TipWriteFirmware},
    {CmdWrite, kAnyPage, 0, 0, tx::TipWriteOther},
});

// Menu items a page enables while it is shown and that are disabled again when it is left.
struct LeaveRow {
    int page;
    std::array<int, 2> items;
};

inline constexpr auto kDisabledOnLeave = std::to_array<LeaveRow>({
    {PageIoSettings, {CmdSaveIoSettings, CmdWriteIoSettings}},
    {PageLeds, {CmdSaveLedSettings, CmdWriteLedSettings}},
    {PageWorkJournal, {CmdSaveWorkJournal, 0}},
    {PageEmergencyJournal, {CmdSaveEmergencyJournal, 0}},
    {PageLinkSettings, {CmdWriteLinkSettings, 0}},
    {PageClock, {CmdWriteClock, 0}},
    {PageConfiguration, {CmdWriteIdentity, 0}},
    {PageFirmware, {CmdWriteFirmwareVersion, 0}},
});

// The working journal exists on M models only.
// Writes travel over the serial link only: over Modbus TCP, showing `page` turns its toolbar
// command `tool` and the menu item `item` off.
struct SerialWriteRow {
    int page;
    int tool;
    int item;
};
inline constexpr auto kSerialWritesOnShow = std::to_array<SerialWriteRow>({
    {PageSetpoints, CmdWrite, CmdWriteClock},
});
// Shown on any page: on over the serial link, off over Modbus TCP.
inline constexpr std::array<int, 1> kSerialOnlyItems{CmdWriteSetpoints};
// Shown on any page (and after the page's poll), always on.
inline constexpr std::array<int, 2> kOnWhenShown{CmdSaveProject, CmdSaveSetpoints};
// The file items an exchange locks, on again when it ends.
inline constexpr std::array<int, 3> kOnAfterExchange{CmdNewSetpoints, CmdOpenSetpoints,
                                                     CmdSaveSetpoints};

// The page a command-line file belongs to and the open command it gets there; `mainCmd` runs
// in the window, `pageCmd` goes to the page.
struct OpenRow {
    FileKind kind;
    int page;
    int mainCmd;
    int pageCmd;
};

inline constexpr std::array<OpenRow, 6> kOpenOnShow{{
    {FileKind::Project, PageSetpoints, CmdOpenProject, 0},
    {FileKind::Setpoints, PageSetpoints, CmdOpenSetpoints, 0},
    {FileKind::IoSettings, PageIoSettings, 0, PageCmdIoOpen},
    {FileKind::LedSettings, PageLeds, 0, PageCmdLedOpen},
    {FileKind::WorkJournal, PageWorkJournal, 0, PageCmdWorkOpen},
    {FileKind::EmergencyJournal, PageEmergencyJournal, 0, PageCmdEmergencyOpen},
}};

inline constexpr std::array<int, 4> kMOnlyMenuItems{CmdOpenWorkJournal, CmdSaveWorkJournal,
                                                    CmdReadWorkJournal, CmdShowWorkJournal};
}  // namespace tirv::shell_tables
