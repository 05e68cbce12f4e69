#pragma once
// How the main window shows the clock page and the type and serial number page.
#include "configurator/service/clock_texts.h"
#include "configurator/service/device_identity_texts.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/page_row.h"

namespace tirv::service_rows {

inline constexpr ContextCommand kClockContext[] = {
    {CmdRead, 0, PageCmdClockRead, clock_texts::kTipRead},
    {CmdWrite, 0, PageCmdClockWrite, clock_texts::kTipWrite},
};
inline constexpr PageRow kClock{PageClock,     CmdShowClock, clock_texts::kPageStatus, nullptr,
                                kClockContext, {},           {CmdWriteClock, 0}};

inline constexpr ContextCommand kConfigurationContext[] = {
    {CmdRead, 0, PageCmdConfigRead, identity_texts::kTipRead},
    {CmdWrite, 0, PageCmdConfigWrite, identity_texts::kTipWrite},
};
inline constexpr PageRow kConfiguration{PageConfiguration,           CmdShowConfiguration,
                                        identity_texts::kPageStatus, nullptr,
                                        kConfigurationContext,       {},
                                        {CmdWriteIdentity, 0}};

}  // namespace tirv::service_rows
