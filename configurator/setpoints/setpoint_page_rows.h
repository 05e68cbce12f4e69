#pragma once
// How the main window shows the setpoint page: its file and exchange commands are the
// window's own (registered by the program), so the toolbar runs those.
#include "configurator/setpoints/texts.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/page_row.h"

namespace tirv::setpoint_rows {

namespace st = setpoint_texts;

inline constexpr ContextCommand kSetpointsContext[] = {
    {CmdNew, CmdNewSetpoints, 0, st::kTipNew},       {CmdOpen, CmdOpenSetpoints, 0, st::kTipOpen},
    {CmdSave, CmdSaveSetpoints, 0, st::kTipSave},    {CmdRead, CmdReadSetpoints, 0, st::kTipRead},
    {CmdWrite, CmdWriteSetpoints, 0, st::kTipWrite},
};
inline constexpr CommandLineOpen kSetpointsOpens[] = {
    {FileKind::Project, CmdOpenProject, 0},
    {FileKind::Setpoints, CmdOpenSetpoints, 0},
};
inline constexpr PageRow kSetpoints{.page = PageSetpoints,
                                    .showCommand = CmdShowSetpoints,
                                    .status = st::kPageStatus,
                                    .buttonTip = nullptr,
                                    .context = kSetpointsContext,
                                    .opens = kSetpointsOpens,
                                    .offOverTcpTool = CmdWrite,
                                    .offOverTcpItem = CmdWriteClock};

}  // namespace tirv::setpoint_rows
