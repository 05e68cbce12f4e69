#pragma once
// Controls that the working- and emergency-journal pages build alike: the lists with grid lines,
// and the sort and date-selection row that the relay's own pages show disabled.
#include <QString>

#include <functional>
#include <initializer_list>

class QBoxLayout;
class QDateEdit;
class QTreeWidget;
class QWidget;

namespace tirv {

// Builds a list with grid lines, full-row selection and the given columns and widths (pixels at
// 96 dpi, scaled to the screen).
QTreeWidget* MakeJournalList(QWidget* owner, std::initializer_list<const char*> columns,
                             std::initializer_list<int> widths);
// Widens the columns of a filled list where a text would be cut.
void WidenJournalColumns(QTreeWidget* list);

// A date field that shows its date day first ("05.12.2026") in Russian, whatever the machine's
// locale is.
QDateEdit* MakeJournalDateField();

// The ids and texts of one page's sort and date-selection row; `previous` 0: no
// "Прочитать предыдущие..." button.
struct JournalFilterRow {
    int sortOrder;
    int sortApply;
    const char* fromFileGroup;
    int byDates;
    int from;
    int to;
    int previous;
};
// Adds the row's controls to `row`, each disabled (they have no function) and handed to
// `addControl` under its id.
void AddJournalFilterRow(QBoxLayout* row, const JournalFilterRow& ids,
                         const std::function<void(int, QWidget*)>& addControl);

}  // namespace tirv
