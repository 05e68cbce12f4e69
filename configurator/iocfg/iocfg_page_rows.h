#pragma once
// How the main window shows the I/O settings, the I/O state and the LED pages.
#include "configurator/iocfg/io_page_texts.h"
#include "configurator/iocfg/led_page_texts.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/page_row.h"

namespace tirv::iocfg_rows {

namespace it = io_page_texts;
namespace lt = led_page_texts;

inline constexpr ContextCommand kIoSettingsContext[] = {
    {CmdNew, 0, PageCmdIoNew, it::kTipNew},       {CmdOpen, 0, PageCmdIoOpen, it::kTipOpen},
    {CmdSave, 0, PageCmdIoSave, it::kTipSave},    {CmdRead, 0, PageCmdIoRead, it::kTipRead},
    {CmdWrite, 0, PageCmdIoWrite, it::kTipWrite},
};
inline constexpr CommandLineOpen kIoSettingsOpens[] = {{FileKind::IoSettings, 0, PageCmdIoOpen}};
inline constexpr PageRow kIoSettings{PageIoSettings,
                                     CmdShowIoSettings,
                                     it::kSettingsStatus,
                                     nullptr,
                                     kIoSettingsContext,
                                     kIoSettingsOpens,
                                     {CmdSaveIoSettings, CmdWriteIoSettings}};

inline constexpr ContextCommand kIoStateContext[] = {
    {CmdRead, 0, PageCmdIoRead, it::kTipReadState},
};
inline constexpr PageRow kIoState{PageIoState,         CmdShowIoState,  it::kStateStatus,
                                  it::kStateButtonTip, kIoStateContext, {}};

inline constexpr ContextCommand kLedsContext[] = {
    {CmdNew, 0, PageCmdLedNew, lt::kTipNew},       {CmdOpen, 0, PageCmdLedOpen, lt::kTipOpen},
    {CmdSave, 0, PageCmdLedSave, lt::kTipSave},    {CmdRead, 0, PageCmdLedRead, lt::kTipRead},
    {CmdWrite, 0, PageCmdLedWrite, lt::kTipWrite},
};
inline constexpr CommandLineOpen kLedsOpens[] = {{FileKind::LedSettings, 0, PageCmdLedOpen}};
inline constexpr PageRow kLeds{PageLeds,
                               CmdShowLeds,
                               lt::kStatus,
                               nullptr,
                               kLedsContext,
                               kLedsOpens,
                               {CmdSaveLedSettings, CmdWriteLedSettings}};

}  // namespace tirv::iocfg_rows
