#pragma once
// How the main window shows the link settings page and the network scan page.
#include "configurator/link/panel_texts.h"
#include "configurator/link/scan_texts.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/page_row.h"

namespace tirv::link_rows {

inline constexpr ContextCommand kLinkSettingsContext[] = {
    {CmdRead, 0, PageCmdLinkCheck, panel_texts::kCheckLink},
    {CmdWrite, 0, PageCmdLinkWrite, panel_texts::kTipWrite},
};
inline constexpr PageRow kLinkSettings{PageLinkSettings,         CmdShowLinkSettings,
                                       panel_texts::kPageStatus, nullptr,
                                       kLinkSettingsContext,     {},
                                       {CmdWriteLinkSettings, 0}};

inline constexpr PageRow kScan{
    PageScan, CmdShowScan, scan_texts::kPageStatus, scan_texts::kPageButtonTip, {}, {}};

}  // namespace tirv::link_rows
