#pragma once
// Numeric ids of the configurator's commands, pages, timers and main-window controls: menus,
// toolbar buttons, pages and tests all refer to them by these numbers.

namespace tirv {

// Commands of the main window (menu items, toolbar buttons and internal commands).
enum Cmd : int {
    CmdNew = 141,  // context toolbar buttons
    CmdOpen = 146,
    CmdSave = 153,
    CmdRead = 161,
    CmdWrite = 171,

    CmdNewProject = 142,
    CmdNewSetpoints = 143,
    CmdNewIoSettings = 144,
    CmdNewLedSettings = 145,
    CmdOpenProject = 147,
    CmdOpenSetpoints = 148,
    CmdOpenIoSettings = 149,
    CmdOpenLedSettings = 150,
    CmdOpenEmergencyJournal = 151,
    CmdOpenWorkJournal = 152,
    CmdSaveProject = 154,
    CmdSaveSetpoints = 155,
    CmdSaveIoSettings = 156,
    CmdSaveLedSettings = 157,
    CmdSaveEmergencyJournal = 158,
    CmdSaveWorkJournal = 159,
    CmdExit = 160,
    CmdReadSetpoints = 162,
    CmdReadIoSettings = 163,
    CmdReadLedSettings = 164,
    CmdReadClock = 165,
    CmdReadMeasurements = 166,
    CmdReadIoState = 167,
    CmdReadEmergencyJournal = 168,
    CmdReadWorkJournal = 169,
    CmdWriteSetpoints = 172,
    CmdWriteIoSettings = 173,
    CmdWriteLedSettings = 174,
    CmdWriteClock = 175,
    CmdWriteLinkSettings = 176,
    CmdWriteIdentity = 177,
    CmdWriteFirmwareVersion = 178,
    CmdShowSetpoints = 179,
    CmdShowIoSettings = 180,
    CmdShowLeds = 181,
    CmdShowClock = 182,
    CmdShowCalibration = 183,
    CmdShowConfiguration = 184,
    CmdShowFirmware = 185,
    CmdShowMeasurements = 186,
    CmdShowIoState = 187,
    CmdShowWorkJournal = 188,
    CmdShowEmergencyJournal = 189,
    CmdBreakerControl = 190,
    CmdShowScan = 191,
    CmdShowLinkSettings = 192,
    // Stops the exchange in flight (Esc and the menu); a number no other command uses.
    CmdAbort = 193,
    CmdAbout = 194,
    CmdHelp = 195,
    CmdCalculator = 196,
    CmdTcpDone = 197,
    CmdTcpLost = 198,
};

// Page commands the main window sends to pages.
enum PageCmd : int {
    PageCmdIoNew = 1409,
    PageCmdIoOpen = 1410,
    PageCmdIoSave = 1411,
    PageCmdIoRead = 1419,
    PageCmdIoWrite = 1708,
    PageCmdLedNew = 1760,
    PageCmdLedOpen = 1761,
    PageCmdLedSave = 1762,
    PageCmdLedRead = 1763,
    PageCmdLedWrite = 1764,
    PageCmdMeasRead = 1340,
    PageCmdClockWrite = 1702,
    PageCmdClockRead = 1703,
    PageCmdEmergencyRead = 1780,
    PageCmdEmergencyOpen = 1782,
    PageCmdEmergencySave = 1783,
    PageCmdWorkRead = 1869,
    PageCmdWorkOpen = 1870,
    PageCmdWorkSave = 1871,
    PageCmdLinkCheck = 2012,
    PageCmdLinkWrite = 2013,
    PageCmdAutoConnect = 2014,
    PageCmdMaxRate = 2018,
    PageCmdDisconnect = 2110,
    PageCmdConnect = 495,  // reopen the port and check the link on behalf of a page
    PageCmdConfigRead = 5800,
    PageCmdConfigWrite = 5801,
    PageCmdFirmwareWrite = 6010,
    PageCmdFirmwareRead = 6011,
    // Told to the setpoint pages when the model tables switch (they rebuild their fields).
    PageCmdRebuild1 = 1290,
    PageCmdRebuild2 = 1291,
    PageCmdRebuild3 = 1293,
};

// Values of "current page".
enum PageId : int {
    PageNone = 0,
    PageSetpoints = 1,
    PageIoSettings = 2,
    PageLeds = 3,
    PageMeasurements = 5,
    PageIoState = 6,
    PageWorkJournal = 7,
    PageEmergencyJournal = 8,
    PageScan = 9,
    PageLinkSettings = 10,
    PageCalibration = 14,
    PageClock = 15,
    PageConfiguration = 16,
    PageFirmware = 17,
};

enum Timer : int {
    TimerSetpointRead = 401,
    TimerSetpointWrite = 402,
    TimerReadConnect = 404,
    TimerWriteConnect = 405,
    TimerMeasPoll = 408,
    TimerIoStatePoll = 411,
    TimerMeasHandOverToMeas = 476,  // on the measurement page, I/O-state poll left in flight
    TimerIoHandOverToIo = 477,      // on the I/O page, measurement poll left in flight
    TimerMeasFinish = 478,          // on the measurement page, leaving it mid-poll
    TimerIoStateFinish = 479,       // on the I/O page, leaving it mid-poll
    TimerAutoLinkCheck = 480,
};

enum MainCtl : int {
    CtlToolBar = 60,
    CtlStatusBar = 61,
    CtlCornerButton = 125,
};

}  // namespace tirv
