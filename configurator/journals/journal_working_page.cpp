#include "configurator/journals/journal_working_page.h"

#include "configurator/journals/journal_texts.h"
#include "configurator/journals/journal_working_file.h"
#include "configurator/shell/command_line.h"
#include "configurator/ui/ids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tirv {
namespace {

namespace tx = journal_texts;

QString Utf8(const char* s)
{
    return QString::fromUtf8(s);
}

QString Utf8(const std::string& s)
{
    return QString::fromStdString(s);
}

constexpr char kSortLabel[] = "Сортировка";
constexpr char kSortAscending[] = "По возрастанию";
constexpr char kSortDescending[] = "По убыванию";
constexpr char kApply[] = "Применить";
constexpr char kFromFileGroup[] = "Чтение записей PЖ из файла:";
constexpr char kByDates[] = "Выборка по датам";
constexpr char kFrom[] = "от";
constexpr char kTo[] = "до";
constexpr char kPrevious[] = "Прочитать предыдущие...";

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

WorkingJournalPage::WorkingJournalPage(Shell& shell, JournalOperations& ops, JournalStore& store,
                                       SerialNumberSource serial, QWidget* parent)
    : Page(shell, PageWorkJournal, parent), m_ops(ops), m_store(store), m_serial(std::move(serial))
{
    auto* grid = new QGridLayout(this);
    m_caption = new QLabel(Utf8(tx::kWjCaption));
    addControl(CtlJournalCaption, m_caption);
    grid->addWidget(m_caption, 0, 0, 1, 2);

    m_events = MakeJournalList(this, {tx::kColumnDate, tx::kColumnTime, tx::kWjColumnEvent},
                               {60, 80, 220});
    m_settings = MakeJournalList(this, {tx::kColumnDate, tx::kColumnTime, tx::kWjColumnEvent},
                                 {60, 80, 220});
    addControl(CtlWjEventsList, m_events);
    addControl(CtlWjSettingsList, m_settings);
    grid->addWidget(new QLabel(Utf8(tx::kWjListEvents)), 1, 0);
    grid->addWidget(new QLabel(Utf8(tx::kWjListSettings)), 1, 1);
    grid->addWidget(m_events, 2, 0);
    grid->addWidget(m_settings, 2, 1);

    // Present but without a function: disabled.
    auto* row = new QHBoxLayout;
    auto* sort = new QComboBox;
    sort->addItems({Utf8(kSortAscending), Utf8(kSortDescending)});
    sort->setCurrentIndex(1);
    auto* apply = new QPushButton(Utf8(kApply));
    auto* byDates = new QCheckBox(Utf8(kByDates));
    auto* from = new QDateEdit;
    auto* to = new QDateEdit;
    auto* previous = new QPushButton(Utf8(kPrevious));
    row->addWidget(new QLabel(Utf8(kSortLabel)));
    row->addWidget(sort);
    row->addWidget(apply);
    row->addWidget(new QLabel(Utf8(kFromFileGroup)));
    row->addWidget(byDates);
    row->addWidget(new QLabel(Utf8(kFrom)));
    row->addWidget(from);
    row->addWidget(new QLabel(Utf8(kTo)));
    row->addWidget(to);
    row->addWidget(previous);
    row->addStretch();
    const std::pair<int, QWidget*> unused[] = {{CtlWjSortOrder, sort},  {CtlWjSortApply, apply},
                                               {CtlWjByDates, byDates}, {CtlWjFrom, from},
                                               {CtlWjTo, to},           {CtlWjPrevious, previous}};
    for (const auto& [id, w] : unused) {
        w->setEnabled(false);
        addControl(id, w);
    }
    grid->addLayout(row, 3, 0, 1, 2);
    refill();
}

void WorkingJournalPage::command(int id)
{
    switch (id) {
        case PageCmdWorkRead:
            read();
            break;
        case PageCmdWorkOpen:
            open();
            break;
        case PageCmdWorkSave:
            save();
            break;
        default:
            break;
    }
}

void WorkingJournalPage::setControlsLocked(bool locked)
{
    (void)locked;  // the lists are disabled by the read itself
}

void WorkingJournalPage::setListsEnabled(bool on)
{
    m_settings->setEnabled(on);
    m_events->setEnabled(on);
}

void WorkingJournalPage::refill()
{
    const std::pair<QTreeWidget*, WorkingGroup> lists[] = {{m_settings, WorkingGroup::Settings},
                                                           {m_events, WorkingGroup::Events}};
    for (const auto& [list, group] : lists) {
        list->clear();
        if (!m_store.working.hasData)
            continue;
        for (const WorkingRow& r : WorkingListRows(m_store.working, group))
            new QTreeWidgetItem(list, {Utf8(r.date), Utf8(r.time), Utf8(r.event)});
        WidenJournalColumns(list);
    }
}

void WorkingJournalPage::read()
{
    QPointer<WorkingJournalPage> self(this);
    shell().runExchange({[self](std::function<void(bool)> done) {
                             if (!self) {
                                 done(false);
                                 return;
                             }
                             self->setListsEnabled(false);
                             const bool started = self->m_ops.startWorkingRead(
                                 [self, done](const JournalOutcome& o) {
                                     if (self) {
                                         if (o.ok()) {
                                             self->m_caption->setText(Utf8(tx::kWjCaption));
                                             self->refill();
                                         }
                                         self->setListsEnabled(true);
                                     }
                                     done(o.ok());
                                 });
                             if (!started) {
                                 self->setListsEnabled(true);
                                 done(false);
                             }
                         },
                         [self] {
                             if (self)
                                 self->m_ops.abort();
                         }});
}

void WorkingJournalPage::open()
{
    QString path = shell().takeCommandLinePath(int(FileKind::WorkJournal));
    if (path.isEmpty()) {
        FileRequest request{
            Utf8(tx::kWjOpenTitle), Utf8(tx::kWjFilter), Utf8(tx::kWjExtension), false, {}};
        path = shell().dialogs().chooseFile(request);
        if (path.isEmpty())
            return;
        if (!HasJournalExtension(path.toStdString(), tx::kWjExtension)) {
            shell().reporter().ask(WorkingJournalWrongExtensionMessage());
            return;
        }
    }
    WorkingJournal loaded;
    const JournalFileOutcome o = LoadWorkingJournalFile(path.toStdString(), loaded);
    if (o.result == JournalFileResult::CannotOpen) {
        shell().reporter().ask(CannotOpenJournalFileMessage(o.systemError));
        return;
    }
    if (o.result == JournalFileResult::BadFormat) {
        shell().reporter().ask(WorkingJournalBadFileMessage());
        return;
    }
    m_store.working = loaded;
    refill();
    m_caption->setText(Utf8(tx::kWjCaptionFromFile));
    if (!shell().state().busy)
        shell().reporter().status(Utf8(tx::kWjOpened), StatusIcon::Ok);
}

void WorkingJournalPage::save()
{
    FileRequest request{
        Utf8(tx::kWjSaveTitle), Utf8(tx::kWjFilter), Utf8(tx::kWjExtension), true, {}};
    const QString path = shell().dialogs().chooseFile(request);
    if (path.isEmpty())
        return;
    const JournalFileOutcome o = SaveWorkingJournalFile(
        path.toStdString(), m_store.working, shell().model().code(), m_serial ? m_serial() : 0);
    if (o.result != JournalFileResult::Ok) {
        shell().reporter().ask(CannotOpenJournalFileMessage(o.systemError));
        return;
    }
    if (!shell().state().busy)
        shell().reporter().status(Utf8(tx::kWjSaved), StatusIcon::Ok);
}

}  // namespace tirv
