#include "configurator/journals/journal_working_page.h"

#include "configurator/journals/journal_page_controls.h"
#include "configurator/journals/journal_texts.h"
#include "configurator/journals/journal_working_file.h"
#include "configurator/ui/ids.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>

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

}  // namespace

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
    AddJournalFilterRow(row,
                        {CtlWjSortOrder, CtlWjSortApply, tx::kWjFromFileGroup, CtlWjByDates,
                         CtlWjFrom, CtlWjTo, CtlWjPrevious},
                        [this](int id, QWidget* w) { addControl(id, w); });
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
    RunJournalExchange(
        shell(), m_ops, this,
        {[this](JournalOperations::Done done) { return m_ops.startWorkingRead(std::move(done)); },
         [this] { setListsEnabled(false); },
         [this](const JournalOutcome& o) {
             if (o.ok()) {
                 m_caption->setText(Utf8(tx::kWjCaption));
                 refill();
             }
             setListsEnabled(true);
         }});
}

void WorkingJournalPage::open()
{
    // The parser leaves the journal as it was unless the file is good.
    OpenJournalFile(
        shell(), kWorkingJournalFileTexts,
        [this](const std::string& path) { return LoadWorkingJournalFile(path, m_store.working); },
        [this] {
            refill();
            m_caption->setText(Utf8(tx::kWjCaptionFromFile));
        });
}

void WorkingJournalPage::save()
{
    SaveJournalFile(shell(), kWorkingJournalFileTexts, m_serial,
                    [this](const std::string& path, int modelCode, int serialNumber) {
                        return SaveWorkingJournalFile(path, m_store.working, modelCode,
                                                      serialNumber);
                    });
}

}  // namespace tirv
