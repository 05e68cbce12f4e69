#pragma once
// The working-journal page (page 7, dialog 105): the settings-changes list (1860, group 1) and
// the current-events list (1861, group 2), the read from the relay (1869), and the ".twj" file
// (open 1870, save 1871; a file named on the command line opens without the dialog). The sort
// and date-selection controls are present and disabled, as on the relay's own page.
#include "configurator/journals/journal_operation.h"
#include "configurator/journals/journal_page_commands.h"  // SerialNumberSource
#include "configurator/ui/page.h"

class QLabel;
class QTreeWidget;

namespace tirv {

enum WorkingJournalCtl : int {
    CtlJournalCaption = 1789,
    CtlWjSettingsList = 1860,
    CtlWjEventsList = 1861,
    CtlWjSortOrder = 1862,
    CtlWjSortApply = 1863,
    CtlWjByDates = 1864,
    CtlWjFrom = 1866,
    CtlWjTo = 1867,
    CtlWjPrevious = 1868,
};

class WorkingJournalPage : public Page {
public:
    WorkingJournalPage(Shell& shell, JournalOperations& ops, JournalStore& store,
                       SerialNumberSource serial, QWidget* parent = nullptr);

    void command(int id) override;
    void setControlsLocked(bool locked) override;
    const JournalStore& store() const { return m_store; }

    // Fills both lists from the journal held (each ends with one empty row).
    void refill();

private:
    void read();
    void open();
    void save();
    void setListsEnabled(bool on);

    JournalOperations& m_ops;
    JournalStore& m_store;
    SerialNumberSource m_serial;
    QLabel* m_caption = nullptr;
    QTreeWidget* m_settings = nullptr;
    QTreeWidget* m_events = nullptr;
};

}  // namespace tirv
