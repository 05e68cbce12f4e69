#include "configurator/journals/journal_page_controls.h"

#include "configurator/journals/journal_texts.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace tirv {
namespace {

namespace tx = journal_texts;

QString Utf8(const char* s)
{
    return QString::fromUtf8(s);
}

}  // namespace

QTreeWidget* MakeJournalList(QWidget* owner, std::initializer_list<const char*> columns,
                             std::initializer_list<int> widths)
{
    auto* list = new QTreeWidget(owner);
    QStringList headers;
    for (const char* c : columns)
        headers << Utf8(c);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    // Grid lines, as the relay's own lists have them.
    list->setStyleSheet(
        QStringLiteral("QTreeView::item { border: 1px solid #d0d0d0; }"
                       "QTreeView::item:selected { background: palette(highlight); color: "
                       "palette(highlighted-text); }"));
    const double scale = owner->logicalDpiX() > 0 ? owner->logicalDpiX() / 96.0 : 1.0;
    int k = 0;
    for (const int w : widths)
        list->setColumnWidth(k++, static_cast<int>(w * scale));
    return list;
}

void WidenJournalColumns(QTreeWidget* list)
{
    // The columns keep their set widths unless a text would be cut.
    for (int c = 0; c < list->columnCount(); ++c) {
        const int set = list->columnWidth(c);
        list->resizeColumnToContents(c);
        list->setColumnWidth(c, std::max(set, list->columnWidth(c)));
    }
}

QDateEdit* MakeJournalDateField()
{
    auto* field = new QDateEdit;
    // The locale names the months of the calendar; the format keeps the numbers day first.
    field->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    field->setDisplayFormat(Utf8(tx::kDateFieldFormat));
    field->setCalendarPopup(true);
    // A date picker starts on the current date.
    field->setDate(QDate::currentDate());
    return field;
}

void AddJournalFilterRow(QBoxLayout* row, const JournalFilterRow& ids,
                         const std::function<void(int, QWidget*)>& addControl)
{
    auto* sort = new QComboBox;
    sort->addItems({Utf8(tx::kSortAscending), Utf8(tx::kSortDescending)});
    sort->setCurrentIndex(1);
    auto* apply = new QPushButton(Utf8(tx::kApply));
    auto* byDates = new QCheckBox(Utf8(tx::kByDates));
    QDateEdit* from = MakeJournalDateField();
    QDateEdit* to = MakeJournalDateField();
    row->addWidget(new QLabel(Utf8(tx::kSortLabel)));
    row->addWidget(sort);
    row->addWidget(apply);
    row->addWidget(new QLabel(Utf8(ids.fromFileGroup)));
    row->addWidget(byDates);
    row->addWidget(new QLabel(Utf8(tx::kFrom)));
    row->addWidget(from);
    row->addWidget(new QLabel(Utf8(tx::kTo)));
    row->addWidget(to);
    const std::pair<int, QWidget*> controls[] = {{ids.sortOrder, sort},
                                                 {ids.sortApply, apply},
                                                 {ids.byDates, byDates},
                                                 {ids.from, from},
                                                 {ids.to, to}};
    for (const auto& [id, w] : controls) {
        w->setEnabled(false);
        addControl(id, w);
    }
    if (ids.previous != 0) {
        auto* previous = new QPushButton(Utf8(tx::kWjPrevious));
        previous->setEnabled(false);
        row->addWidget(previous);
        addControl(ids.previous, previous);
    }
    row->addStretch();
}

}  // namespace tirv
