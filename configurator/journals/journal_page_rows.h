#pragma once
// How the main window shows the measurement page and the two journal pages.
#include "configurator/journals/journal_texts.h"
#include "configurator/journals/measurement_texts.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/page_row.h"

namespace tirv::journal_rows {

namespace jt = journal_texts;
namespace mt = measurement_texts;

inline constexpr ContextCommand kMeasurementsContext[] = {
    {CmdRead, 0, PageCmdMeasRead, mt::kTipRead},
};
inline constexpr PageRow kMeasurements{PageMeasurements,   CmdShowMeasurements,  mt::kPageStatus,
                                       mt::kPageButtonTip, kMeasurementsContext, {}};

inline constexpr ContextCommand kWorkContext[] = {
    {CmdOpen, 0, PageCmdWorkOpen, jt::kTipOpenWork},
    {CmdSave, 0, PageCmdWorkSave, jt::kTipSaveWork},
    {CmdRead, 0, PageCmdWorkRead, jt::kTipReadWork},
};
inline constexpr CommandLineOpen kWorkOpens[] = {{FileKind::WorkJournal, 0, PageCmdWorkOpen}};
// The working journal exists on M models only.
inline constexpr PageRow kWorkJournal{
    PageWorkJournal, CmdShowWorkJournal, jt::kWorkStatus,         nullptr,
    kWorkContext,    kWorkOpens,         {CmdSaveWorkJournal, 0}, true};

inline constexpr ContextCommand kEmergencyContext[] = {
    {CmdOpen, 0, PageCmdEmergencyOpen, jt::kTipOpenEmergency},
    {CmdSave, 0, PageCmdEmergencySave, jt::kTipSaveEmergency},
    {CmdRead, 0, PageCmdEmergencyRead, jt::kTipReadEmergency},
};
inline constexpr CommandLineOpen kEmergencyOpens[] = {
    {FileKind::EmergencyJournal, 0, PageCmdEmergencyOpen}};
inline constexpr PageRow kEmergencyJournal{
    PageEmergencyJournal, CmdShowEmergencyJournal, jt::kEmergencyStatus,        nullptr,
    kEmergencyContext,    kEmergencyOpens,         {CmdSaveEmergencyJournal, 0}};

}  // namespace tirv::journal_rows
