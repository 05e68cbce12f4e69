// What the working- and emergency-journal pages share, on both pages in the whole program against
// tirv-sim: the file commands' dialogs, refusals (wrong extension, damaged, missing, unwritable)
// with their messages and untouched lists, and the date fields shown day first in Russian.
#include "configurator/journals/journal_emergency_page.h"
#include "configurator/journals/journal_texts.h"
#include "configurator/journals/journal_working_page.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/gui_app.h"
#include "support/sim_program.h"

#include <gtest/gtest.h>
#include <QCalendarWidget>
#include <QDate>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>

#include <cerrno>
#include <memory>
#include <vector>

namespace tirv {
namespace {

using test::U;

namespace tx = journal_texts;
using test::WaitUntil;

QStringList ListTexts(const QTreeWidget* list)
{
    QStringList out;
    for (int r = 0; r < list->topLevelItemCount(); ++r)
        for (int c = 0; c < list->columnCount(); ++c)
            out << list->topLevelItem(r)->text(c);
    return out;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// One journal page as the file commands see it.
struct PageCase {
    const char* name;
    int page;
    int readCmd, openCmd, saveCmd;
    int listId;         // the list whose rows a refused file must leave alone
    const char* clear;  // the simulator command that empties the journal
    const char* ext;    // with the dot
    const char* openTitle;
    const char* saveTitle;
    const char* filter;
    const char* extension;
    const char* badFile;
    const char* wrongExtension;  // null: a name of another kind is ignored without a word
    const char* opened;
    const char* saved;
    const char* captionFromFile;
};

const PageCase kPages[] = {
    {"working", PageWorkJournal, CmdReadWorkJournal, CmdOpenWorkJournal, CmdSaveWorkJournal,
     CtlWjEventsList, "working clear", ".twj", tx::kWjOpenTitle, tx::kWjSaveTitle, tx::kWjFilter,
     tx::kWjExtension, tx::kWjBadFile, tx::kWjWrongExtension, tx::kWjOpened, tx::kWjSaved,
     tx::kWjCaptionFromFile},
    {"emergency", PageEmergencyJournal, CmdReadEmergencyJournal, CmdOpenEmergencyJournal,
     CmdSaveEmergencyJournal, CtlEjEvents, "emergency clear", ".taj", tx::kEjOpenTitle,
     tx::kEjSaveTitle, tx::kEjFilter, tx::kEjExtension, tx::kEjBadFile, nullptr, tx::kEjOpened,
     tx::kEjSaved, tx::kEjCaptionFromFile},
};

// The one dialog a file command asked for: this journal's title, filter and extension.
void ExpectOneRequest(const std::vector<FileRequest>& requests, const PageCase& p, bool save)
{
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, U(save ? p.saveTitle : p.openTitle));
    EXPECT_EQ(requests[0].filter, U(p.filter));
    EXPECT_EQ(requests[0].defaultExtension, U(p.extension));
    EXPECT_EQ(requests[0].save, save);
}

class JournalPageSharedTest : public test::SimProgramTest {
protected:
    void start()
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(std::vector<std::string>{"--model", "715"}, 715));
    }
    QString file(const QString& name) { return rig.folder.filePath(name); }

};

TEST_F(JournalPageSharedTest, FileCommandsOfBothPagesAskTheirDialogsAndRefuseBadFiles)
{
    start();
    const QString cannotOpen = U(tx::kCannotOpenFile).replace("%i", QString::number(ENOENT));
    for (const PageCase& p : kPages) {
        SCOPED_TRACE(p.name);
        const QString ext = U(p.ext);
        runToEnd(p.readCmd, 30000);
        Page* page = rig.win->page(p.page);
        ASSERT_NE(page, nullptr);
        auto* list = page->control<QTreeWidget>(p.listId);
        auto* caption = page->control<QLabel>(CtlJournalCaption);
        const QStringList shown = ListTexts(list);
        ASSERT_GT(list->topLevelItemCount(), 1);  // the simulator's records, to be kept

        // Save: the save dialog of this journal, then a file that opens again.
        rig.dialogs.fileRequests.clear();
        rig.dialogs.paths = {file("good" + ext)};
        runToEnd(p.saveCmd, 30000);
        ExpectOneRequest(rig.dialogs.fileRequests, p, true);
        EXPECT_EQ(rig.rep.lastStatus(), U(p.saved));
        const QByteArray good = ReadAll(file("good" + ext));
        ASSERT_GT(good.size(), 20);

        // A folder that is not there cannot take the file: the error code, no status.
        rig.rep.messages.clear();
        rig.rep.statuses.clear();
        rig.dialogs.paths = {file("nowhere/saved" + ext)};
        runToEnd(p.saveCmd, 30000);
        ASSERT_EQ(rig.rep.messages.size(), 1u);
        EXPECT_EQ(rig.rep.messages[0].caption, U(tx::kCaptionFileError));
        EXPECT_EQ(rig.rep.messages[0].text, cannotOpen);
        EXPECT_TRUE(rig.rep.statuses.isEmpty());

        // Refused opens leave the list, the caption and the status as they are.
        QByteArray crcBroken = good;
        crcBroken[16] = char(crcBroken[16] ^ 0x5a);  // the first record's first byte
        WriteAll(file("short" + ext), good.left(19));
        WriteAll(file("crc" + ext), crcBroken);
        WriteAll(file("longer" + ext), good + QByteArray(1, '\0'));
        WriteAll(file("good.txt"), good);  // good content under another name
        struct Refusal {
            QString name;
            const char* message;  // null: no message
            QString text;         // the message's text, when not `message`
        };
        const Refusal refusals[] = {
            {"short" + ext, p.badFile, {}},
            {"crc" + ext, p.badFile, {}},
            {"longer" + ext, p.badFile, {}},
            {"good.txt", p.wrongExtension, {}},
            {"missing" + ext, nullptr, cannotOpen},
            {QString(), nullptr, {}},  // the dialog cancelled
        };
        for (const Refusal& r : refusals) {
            SCOPED_TRACE(r.name.toStdString());
            rig.rep.messages.clear();
            rig.rep.statuses.clear();
            rig.dialogs.fileRequests.clear();
            rig.dialogs.paths = {r.name.isEmpty() ? QString() : file(r.name)};
            runToEnd(p.openCmd, 30000);
            ExpectOneRequest(rig.dialogs.fileRequests, p, false);
            const QString expected = r.message ? U(r.message) : r.text;
            if (expected.isEmpty()) {
                EXPECT_TRUE(rig.rep.messages.empty())
                    << rig.rep.messageTexts().join('|').toStdString();
            } else {
                ASSERT_EQ(rig.rep.messages.size(), 1u);
                EXPECT_EQ(rig.rep.messages[0].caption, U(tx::kCaptionFileError));
                EXPECT_EQ(rig.rep.messages[0].text, expected);
            }
            EXPECT_TRUE(rig.rep.statuses.isEmpty());
            EXPECT_EQ(ListTexts(list), shown);
            EXPECT_NE(caption->text(), U(p.captionFromFile));
        }

        // The saved file brings the rows back after the relay's journal was emptied.
        ASSERT_TRUE(sim->control(p.clear));
        runToEnd(p.readCmd, 30000);
        ASSERT_NE(ListTexts(list), shown);
        rig.dialogs.paths = {file("good" + ext)};
        runToEnd(p.openCmd, 30000);
        EXPECT_EQ(rig.rep.lastStatus(), U(p.opened));
        EXPECT_EQ(caption->text(), U(p.captionFromFile));
        EXPECT_EQ(ListTexts(list), shown);
    }
}

// A read that fails or is stopped: the lists are disabled while it runs, then enabled again with
// the rows and caption they had; the status is the journal's own.
TEST_F(JournalPageSharedTest, FailedAndStoppedReadsOfBothPagesKeepTheListsAndEnableThem)
{
    start();
    rig.settings().repeatCount = 1;
    struct Lists {
        const char* name;
        int page;
        int readCmd;
        std::vector<int> lists;
        const char* failed;
    };
    const Lists pages[] = {
        {"working",
         PageWorkJournal,
         CmdReadWorkJournal,
         {CtlWjSettingsList, CtlWjEventsList},
         tx::kWjFailed},
        {"emergency",
         PageEmergencyJournal,
         CmdReadEmergencyJournal,
         {CtlEjEvents, CtlEjValues},
         tx::kEjFailed},
    };
    const QString stopped = U(tx::kStatusStopped).remove("%i");
    for (const Lists& p : pages) {
        SCOPED_TRACE(p.name);
        runToEnd(p.readCmd, 30000);
        Page* page = rig.win->page(p.page);
        ASSERT_NE(page, nullptr);
        const QString caption = page->control<QLabel>(CtlJournalCaption)->text();
        std::vector<QStringList> before;
        for (const int id : p.lists)
            before.push_back(ListTexts(page->control<QTreeWidget>(id)));
        ASSERT_GT(before[0].size(), 0);

        for (const bool stop : {false, true}) {
            SCOPED_TRACE(stop ? "stopped" : "failed");
            ASSERT_TRUE(sim->control("silent on"));
            rig.win->command(p.readCmd);
            ASSERT_TRUE(rig.win->state().busy);
            for (const int id : p.lists)
                EXPECT_FALSE(page->control<QTreeWidget>(id)->isEnabled());
            if (stop)
                rig.win->command(CmdAbort);
            WaitUntil([&] { return !rig.win->state().busy; }, 30000);
            ASSERT_FALSE(rig.win->state().busy);
            if (stop)
                EXPECT_TRUE(rig.rep.lastStatus().startsWith(stopped))
                    << rig.rep.lastStatus().toStdString();
            else
                EXPECT_EQ(rig.rep.lastStatus(), U(p.failed));
            for (std::size_t k = 0; k < p.lists.size(); ++k) {
                auto* list = page->control<QTreeWidget>(p.lists[k]);
                EXPECT_TRUE(list->isEnabled());
                EXPECT_EQ(ListTexts(list), before[k]);
            }
            EXPECT_EQ(page->control<QLabel>(CtlJournalCaption)->text(), caption);
            ASSERT_TRUE(sim->control("silent off"));
            runToEnd(p.readCmd, 30000);  // the link comes back before the next case
        }
    }
}

// The date fields read day first whatever the machine's locale is; the text stands for the
// field's own date, the one a selection by dates would take.
TEST_F(JournalPageSharedTest, DateFieldsOfBothPagesShowDatesDayFirstInRussian)
{
    const QLocale machine;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    start();
    struct Field {
        int page;
        int id;
    };
    const Field fields[] = {{PageWorkJournal, CtlWjFrom},
                            {PageWorkJournal, CtlWjTo},
                            {PageEmergencyJournal, CtlEjFrom},
                            {PageEmergencyJournal, CtlEjTo}};
    struct Shown {
        QDate date;
        const char* text;
    };
    const Shown dates[] = {{QDate(2026, 12, 5), "05.12.2026"},
                           {QDate(2024, 2, 29), "29.02.2024"},
                           {QDate(2031, 10, 17), "17.10.2031"}};
    for (const Field& f : fields) {
        SCOPED_TRACE(f.id);
        Page* page = rig.win->page(f.page);
        ASSERT_NE(page, nullptr);
        auto* edit = page->control<QDateEdit>(f.id);
        ASSERT_NE(edit, nullptr);
        EXPECT_FALSE(edit->isEnabled());  // present without a function
        EXPECT_EQ(edit->date(), QDate::currentDate());
        EXPECT_EQ(edit->text(), QDate::currentDate().toString(U("dd.MM.yyyy")));
        for (const Shown& d : dates) {
            edit->setDate(d.date);
            EXPECT_EQ(edit->text(), U(d.text));
            EXPECT_EQ(QDate::fromString(edit->text(), U("dd.MM.yyyy")), edit->date());
        }
        // The calendar names its months in Russian.
        EXPECT_EQ(edit->locale().language(), QLocale::Russian);
        ASSERT_NE(edit->calendarWidget(), nullptr);
        EXPECT_EQ(edit->calendarWidget()->locale().monthName(12, QLocale::LongFormat),
                  QLocale(QLocale::Russian).monthName(12, QLocale::LongFormat));
    }
    QLocale::setDefault(machine);
}

}  // namespace
}  // namespace tirv
