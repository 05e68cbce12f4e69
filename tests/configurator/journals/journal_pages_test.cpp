// The working- and emergency-journal pages in the whole program against tirv-sim: reads shown
// row by row, selection by keys, the values and opening-time rules, the files and their refusals,
// the oscillogram read-out from the page with its messages and the re-read it offers, and the
// page's words of "ТИРВ.cfg".
#include "common/crc16.h"
#include "common/oscillogram_image.h"
#include "common/word_file.h"
#include "configurator/journals/journal_emergency_page.h"
#include "configurator/journals/journal_emergency_values.h"
#include "configurator/journals/journal_texts.h"
#include "configurator/journals/journal_working_page.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/gui_app.h"
#include "support/sim_program.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace tirv {
namespace {

using test::U;

namespace tx = journal_texts;
using test::WaitUntil;

QString U(const std::string& s)
{
    return QString::fromStdString(s);
}

QStringList RowTexts(QTreeWidget* list, int row)
{
    QStringList out;
    const QTreeWidgetItem* item = list->topLevelItem(row);
    for (int c = 0; item && c < list->columnCount(); ++c)
        out << item->text(c);
    return out;
}

void WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

class JournalPagesTest : public test::SimProgramTest {
protected:
    void start(int model)
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(
            std::vector<std::string>{"--model", std::to_string(model)}, model));
    }
    WorkingJournalPage* working()
    {
        return dynamic_cast<WorkingJournalPage*>(rig.win->page(PageWorkJournal));
    }
    EmergencyJournalPage* emergency()
    {
        return dynamic_cast<EmergencyJournalPage*>(rig.win->page(PageEmergencyJournal));
    }
    QString file(const char* name) { return rig.folder.filePath(U(name)); }

};

TEST_F(JournalPagesTest, WorkingJournalIsShownSavedAndOpened)
{
    start(715);
    ASSERT_TRUE(
        sim->control("working 21 year=26 month=1 day=2 hour=3 minute=4 second=5 ms=600 "
                     "code=122"));
    ASSERT_TRUE(
        sim->control("working 22 year=26 month=1 day=2 hour=3 minute=4 second=5 ms=300 "
                     "code=50"));
    runToEnd(CmdReadWorkJournal, 30000);
    ASSERT_EQ(rig.rep.lastStatus(), U(tx::kWjDone));
    WorkingJournalPage* page = working();
    ASSERT_NE(page, nullptr);
    auto* settings = page->control<QTreeWidget>(CtlWjSettingsList);
    auto* events = page->control<QTreeWidget>(CtlWjEventsList);
    const auto check = [&](const WorkingJournal& j) {
        const std::pair<QTreeWidget*, WorkingGroup> lists[] = {{settings, WorkingGroup::Settings},
                                                               {events, WorkingGroup::Events}};
        for (const auto& [list, group] : lists) {
            const auto rows = WorkingListRows(j, group);
            ASSERT_EQ(list->topLevelItemCount(), int(rows.size()));
            for (int k = 0; k < int(rows.size()); ++k)
                EXPECT_EQ(RowTexts(list, k),
                          (QStringList{U(rows[std::size_t(k)].date), U(rows[std::size_t(k)].time),
                                       U(rows[std::size_t(k)].event)}));
            EXPECT_EQ(RowTexts(list, list->topLevelItemCount() - 1),
                      (QStringList{"", "", ""}));  // each list ends with one empty row
            EXPECT_TRUE(list->isEnabled());
        }
    };
    check(page->store().working);
    // Same second: 600 ms before 300 ms, the event texts from the table and the number.
    const int newest = [&] {
        for (int k = 0; k < events->topLevelItemCount(); ++k)
            if (events->topLevelItem(k)->text(1) == U("03:04:05.600"))
                return k;
        return -1;
    }();
    ASSERT_GE(newest, 0);
    EXPECT_EQ(events->topLevelItem(newest)->text(2), U("Сброс по выводу RESET "));
    EXPECT_EQ(events->topLevelItem(newest + 1)->text(1), U("03:04:05.300"));
    EXPECT_EQ(events->topLevelItem(newest + 1)->text(2), U("050"));

    const WorkingJournal read = page->store().working;
    rig.dialogs.paths = {file("saved.twj")};
    runToEnd(CmdSaveWorkJournal, 30000);
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kWjSaved));
    ASSERT_TRUE(sim->control("working clear"));
    runToEnd(CmdReadWorkJournal, 30000);
    ASSERT_EQ(settings->topLevelItemCount(), 1);  // an empty journal: one empty row each
    rig.dialogs.paths = {file("saved.twj")};
    runToEnd(CmdOpenWorkJournal, 30000);
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kWjOpened));
    EXPECT_EQ(page->control<QLabel>(CtlJournalCaption)->text(), U(tx::kWjCaptionFromFile));
    check(page->store().working);
    EXPECT_EQ(WorkingListRows(page->store().working, WorkingGroup::Events),
              WorkingListRows(read, WorkingGroup::Events));

    // Refused files leave the lists as they are.
    const auto before = RowTexts(events, 0);
    struct Bad {
        const char* name;
        std::size_t size;
        const char* message;
    };
    for (const Bad& b : {Bad{"short.twj", 19, tx::kWjBadFile}, Bad{"odd.twj", 41, tx::kWjBadFile},
                         Bad{"other.txt", 40, tx::kWjWrongExtension}}) {
        SCOPED_TRACE(b.name);
        WriteBytes(file(b.name), std::vector<std::uint8_t>(b.size, 1));
        rig.rep.messages.clear();
        rig.dialogs.paths = {file(b.name)};
        runToEnd(CmdOpenWorkJournal, 30000);
        ASSERT_EQ(rig.rep.messages.size(), 1u);
        EXPECT_EQ(rig.rep.messages[0].text, U(b.message));
        EXPECT_EQ(RowTexts(events, 0), before);
    }
}

class EmergencyPageTest : public JournalPagesTest, public ::testing::WithParamInterface<int> {};

TEST_P(EmergencyPageTest, EventsValuesOpeningTimesAndFiles)
{
    struct Case {
        int record;
        const char* opening;
        QString shown;  // empty: the header is blanked
    };
    const std::vector<Case> cases{
        {1, "0x8005", U("5 мин.")}, {2, "85", QString()}, {3, "250", U("2.50 сек.")}};
    {
        const int model = GetParam();
        start(model);
        // The last day of this year: newer than every record the simulator starts with.
        const std::string year = std::to_string(QDate::currentDate().year());
        for (const Case& c : cases)
            ASSERT_TRUE(sim->control(
                "emergency " + std::to_string(c.record) + " day=31 month=12 year=" + year +
                " hour=" + std::to_string(20 + c.record) +
                " minute=0 second=0 fraction=0 event=4 started=6 opening=" + c.opening));
        runToEnd(CmdReadEmergencyJournal, 30000);
        ASSERT_EQ(rig.rep.lastStatus(), U(tx::kEjDone));
        EmergencyJournalPage* page = emergency();
        ASSERT_NE(page, nullptr);
        auto* list = page->control<QTreeWidget>(CtlEjEvents);
        auto* values = page->control<QTreeWidget>(CtlEjValues);
        const EmergencyJournal& j = page->store().emergency;
        const auto events = j.events();
        ASSERT_EQ(list->topLevelItemCount(), 2 * int(events.size()));
        for (int k = 0; k < int(events.size()); ++k) {
            const auto rows =
                EmergencyRows(j.records[std::size_t(events[std::size_t(k)])], j.mClass);
            EXPECT_EQ(RowTexts(list, 2 * k), (QStringList{U(rows.first[0]), U(rows.first[1]),
                                                          U(rows.first[2]), U(rows.first[3])}));
            EXPECT_EQ(list->topLevelItem(2 * k + 1)->text(2), U(rows.outcome));
        }
        // The crafted events are the three newest (hours 23, 22, 21).
        list->setFocus();
        page->selectEvent(0);
        for (std::size_t n = 0; n < cases.size(); ++n) {
            const Case& c = cases[cases.size() - 1 - n];
            SCOPED_TRACE(c.record);
            ASSERT_EQ(page->selectedEvent(), int(n));
            const EmergencyRecord& r = j.records[std::size_t(c.record - 1)];
            EXPECT_EQ(page->control<QLineEdit>(CtlEjSummary)->text(),
                      U(EmergencySummaryText(r, j.mClass)));
            ASSERT_EQ(values->topLevelItemCount(), 2);
            EXPECT_EQ(values->topLevelItem(0)->text(0), U(tx::kEjRowMagnitudes));
            EXPECT_EQ(values->topLevelItem(1)->text(0), U(tx::kEjRowAngles));
            const EmergencyValues v = EmergencyValuesOf(r, j.mClass);
            EXPECT_EQ(values->topLevelItem(0)->text(1), U(v.magnitudeTexts[0]));
            EXPECT_EQ(values->topLevelItem(0)->text(14), c.shown);
            EXPECT_EQ(values->headerItem()->text(14),
                      c.shown.isEmpty() ? QString() : U(tx::kEjColumnOpeningTime));
            // Only the newest event that names a protection has an oscillogram to read.
            EXPECT_EQ(page->control<QPushButton>(CtlEjReadOscillogram)->isEnabled(), n == 0);
            // Down moves over the outcome row to the next event.
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Down);
        }
        QTest::keyClick(list, Qt::Key_Up);
        EXPECT_EQ(page->selectedEvent(), int(cases.size()) - 1);

        // Save and open reproduce the list; an 11-record file is refused.
        const QStringList first = RowTexts(list, 0);
        rig.dialogs.paths = {file("saved.taj")};
        runToEnd(CmdSaveEmergencyJournal, 30000);
        EXPECT_EQ(rig.rep.lastStatus(), U(tx::kEjSaved));
        ASSERT_TRUE(sim->control("emergency clear"));
        runToEnd(CmdReadEmergencyJournal, 30000);
        EXPECT_EQ(list->topLevelItemCount(), 0);
        rig.dialogs.paths = {file("saved.taj")};
        runToEnd(CmdOpenEmergencyJournal, 30000);
        EXPECT_EQ(rig.rep.lastStatus(), U(tx::kEjOpened));
        EXPECT_EQ(RowTexts(list, 0), first);
        EXPECT_EQ(page->control<QLabel>(CtlJournalCaption)->text(), U(tx::kEjCaptionFromFile));

        std::vector<std::uint32_t> words{715, 1, 1, kCoefficientSetM};
        for (int k = 0; k < 11; ++k) {
            std::vector<std::uint32_t> rec(kEmergencyRecordWords, 0);
            rec[kEwDay] = 1;
            rec[kEwMonth] = 1;
            rec[kEwYear] = 2020;
            rec[kEwEvent] = 1;
            words.insert(words.end(), rec.begin(), rec.end());
        }
        words.push_back(0);
        AppendWordsCrc(words);
        WriteBytes(file("eleven.taj"), WordsToBytes(words));
        rig.rep.messages.clear();
        rig.dialogs.paths = {file("eleven.taj")};
        runToEnd(CmdOpenEmergencyJournal, 30000);
        ASSERT_EQ(rig.rep.messages.size(), 1u);
        EXPECT_EQ(rig.rep.messages[0].text, U(tx::kEjBadFile));
        EXPECT_EQ(RowTexts(list, 0), first);
    }
}

INSTANTIATE_TEST_SUITE_P(NonMAndM, EmergencyPageTest, ::testing::Values(705, 715));

TEST_F(JournalPagesTest, OscillogramFromThePageAndTheNewerTripQuestion)
{
    start(715);
    runToEnd(CmdReadEmergencyJournal, 30000);
    EmergencyJournalPage* page = emergency();
    ASSERT_NE(page, nullptr);
    page->selectEvent(0);
    auto* button = page->control<QPushButton>(CtlEjReadOscillogram);
    ASSERT_TRUE(button->isEnabled());
    const int eventsBefore = int(page->store().emergency.events().size());

    ASSERT_TRUE(sim->control("trip"));
    QTest::qWait(3500);  // the relay stores the new oscillogram meanwhile
    rig.rep.messages.clear();
    rig.rep.answers = {Answer::Ok, Answer::Ok};
    button->click();
    WaitUntil([&] { return !rig.win->state().busy; }, 30000);
    // The file beside the program, no viewer there, then the question; OK reads the journal.
    EXPECT_EQ(QFile(rig.win->state().oscillogramPath).size(), qint64(kOscImageBytes));
    ASSERT_EQ(rig.rep.messages.size(), 2u) << rig.rep.messageTexts().join('|').toStdString();
    EXPECT_EQ(rig.rep.messages[0].text, U("Файл 'Осциллограф' в рабочей папке не обнаружен"));
    EXPECT_EQ(rig.rep.messages[1].text, U(tx::kOscNewerQuestion));
    WaitUntil([&] { return rig.rep.lastStatus() == U(tx::kEjDone) && !rig.win->state().busy; },
              30000);
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kEjDone));
    EXPECT_EQ(int(page->store().emergency.events().size()),
              std::min(eventsBefore + 1, kEmergencyRecords));
}

TEST_F(JournalPagesTest, PhasorAndSectorChoicesAreKeptInTheSettingsFile)
{
    start(715);
    EmergencyJournalPage* page = emergency();
    ASSERT_NE(page, nullptr);
    page->control<QCheckBox>(CtlEjFirstSectorBox + 1)->setChecked(false);   // "Ia"
    page->control<QCheckBox>(CtlEjFirstPhasorBox + 10)->setChecked(false);  // "3Uo"
    rig.dialogs.colours = {qRgb(1, 2, 3)};
    page->control<QPushButton>(CtlEjFirstSwatch + 2)->click();  // "Ic"
    EXPECT_EQ(page->settings().colours[2], JournalColourRef(1, 2, 3));
    rig.reset();
    rig.build(QString::fromStdString(sim->portsDir()), 715);
    rig.win->start();
    page = emergency();
    EXPECT_FALSE(page->control<QCheckBox>(CtlEjFirstSectorBox + 1)->isChecked());
    EXPECT_TRUE(page->control<QCheckBox>(CtlEjFirstSectorBox)->isChecked());
    EXPECT_FALSE(page->control<QCheckBox>(CtlEjFirstPhasorBox + 10)->isChecked());
    EXPECT_EQ(page->settings().colours[2], JournalColourRef(1, 2, 3));
}

}  // namespace
}  // namespace tirv

namespace tirv {
namespace {

// A journal file named on the command line opens on its page without the dialog (kinds 5, 6).
TEST_F(JournalPagesTest, JournalFilesNamedOnTheCommandLineOpenWithoutTheDialog)
{
    start(715);
    runToEnd(CmdReadWorkJournal, 30000);
    runToEnd(CmdReadEmergencyJournal, 30000);
    const WorkingJournal workingRead = working()->store().working;
    const EmergencyJournal emergencyRead = emergency()->store().emergency;
    rig.dialogs.paths = {file("cl.twj")};
    runToEnd(CmdSaveWorkJournal, 30000);
    rig.dialogs.paths = {file("cl.taj")};
    runToEnd(CmdSaveEmergencyJournal, 30000);
    struct Case {
        const char* name;
        int page;
    };
    for (const Case& c : {Case{"cl.twj", PageWorkJournal}, Case{"cl.taj", PageEmergencyJournal}}) {
        SCOPED_TRACE(c.name);
        rig.reset();
        rig.build(QString::fromStdString(sim->portsDir()), 715, file(c.name));
        rig.dialogs.fileRequests.clear();
        rig.win->start();
        QCoreApplication::processEvents();
        EXPECT_EQ(rig.win->currentPage(), c.page);
        EXPECT_TRUE(rig.dialogs.fileRequests.empty());
        if (c.page == PageWorkJournal) {
            EXPECT_EQ(WorkingListRows(working()->store().working, WorkingGroup::Events),
                      WorkingListRows(workingRead, WorkingGroup::Events));
            EXPECT_EQ(working()->store().working.source, JournalSource::File);
        } else {
            EXPECT_EQ(emergency()->store().emergency.events().size(),
                      emergencyRead.events().size());
            EXPECT_EQ(emergency()->store().emergency.source, JournalSource::File);
        }
    }
}

}  // namespace
}  // namespace tirv
