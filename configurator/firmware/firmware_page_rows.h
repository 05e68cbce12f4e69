#pragma once
// How the main window shows the firmware update page.
#include "configurator/firmware/firmware_page_texts.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/page_row.h"

namespace tirv::firmware_rows {

inline constexpr ContextCommand kFirmwareContext[] = {
    {CmdRead, 0, PageCmdFirmwareRead, firmware_page_texts::kTipRead},
    {CmdWrite, 0, PageCmdFirmwareWrite, firmware_page_texts::kTipWrite},
};
inline constexpr PageRow kFirmware{PageFirmware,
                                   CmdShowFirmware,
                                   firmware_page_texts::kPageStatus,
                                   nullptr,
                                   kFirmwareContext,
                                   {},
                                   {CmdWriteFirmwareVersion, 0}};

}  // namespace tirv::firmware_rows
