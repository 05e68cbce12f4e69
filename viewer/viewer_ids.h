#pragma once
// Command, dialog and control ids of the viewer. Menus, toolbar, panels and tests reach every
// command and control by its number.
namespace tirv::viewer {

enum Cmd : int {
    CmdLoad = 105,  // start-up load
    CmdOpen = 106,
    CmdSave = 107,
    CmdExportBmp = 108,
    CmdExportPng = 109,
    CmdComtrade = 115,
    CmdPrint = 116,
    CmdPreview = 117,
    CmdStretch = 119,
    CmdCompress = 120,
    CmdAbsoluteTime = 121,
    CmdRelativeTime = 122,
    CmdInstantaneous = 123,
    CmdRms = 124,
    CmdMarkers = 125,
    CmdAnalogPanel = 126,
    CmdDigitalPanel = 127,
    CmdGeneralPanel = 128,
    CmdAbout = 129,
    CmdHelp = 130,
    CmdExit = 131,
};

enum Dialog : int {
    DlgAbout = 104,
    DlgAnalog = 145,
    DlgDigital = 146,
    DlgGeneral = 147,
    DlgPreview = 148,
    DlgPlot = 200,
};

enum Ctl : int {
    // plot panel
    CtlSurface = 201,
    CtlHScroll = 500,
    CtlFiller = 501,
    CtlVScroll = 1180,
    // analog panel: checkbox, swatch and graph selector per channel Ia … 3Io
    CtlChannelCheck = 1000,
    CtlChannelSwatch = 1020,
    CtlChannelGraph = 2040,
    // digital panel
    CtlDigitalOn = 1008,
    CtlDigitalSwatch = 1028,
    CtlInputCheck = 1143,   // … 1158
    CtlOutputCheck = 1159,  // … 1174
    CtlFilter = 1115,
    CtlSet = 1112,
    CtlClear = 1114,
    CtlApply = 1106,
    CtlCancel = 1105,
    // general panel
    CtlLineWidth = 1080,
    CtlBackgroundSwatch = 1029,
    CtlGridSwatch = 1030,
    CtlMarker1Swatch = 1031,
    CtlMarker0Swatch = 1032,
    // colour and preview dialog
    CtlPrintSwatch = 2520,  // … 2526 for Ia … 3Io
    CtlPrintDigital = 2528,
    CtlPrintBackground = 2529,
    CtlPrintGrid = 2530,
    CtlPrintMarker1 = 2531,
    CtlPrintMarker0 = 2532,
    CtlMatchScreen = 2501,
    CtlBlackWhite = 2500,
    CtlPortrait = 2504,
    CtlLandscape = 2505,
    CtlPreviewArea = 1110,
    CtlPreviewPrint = 2502,  // hidden, without function
    CtlPreviewPrinter = 2503,
    CtlPreviewCancel = 1108,
};

// Commands that need a shown oscillogram.
inline constexpr int kDataCommands[] = {CmdSave,      CmdExportBmp,     CmdExportPng,    CmdComtrade,
                                        CmdPrint,     CmdPreview,       CmdStretch,      CmdCompress,
                                        CmdAbsoluteTime, CmdRelativeTime, CmdInstantaneous, CmdRms,
                                        CmdMarkers,   CmdAnalogPanel,   CmdDigitalPanel, CmdGeneralPanel};

}  // namespace tirv::viewer
