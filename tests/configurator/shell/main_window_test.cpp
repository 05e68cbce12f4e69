// Offscreen tests of the main window: menu, toolbar, status bar, page switching and the
// command line, driven by command ids the way the menu and toolbar drive them.
#include "configurator/shell/main_window.h"
#include "configurator/ui/ids.h"
#include "gui/build_date.h"
#include "gui_test_support.h"
#include "support/recording_reporter.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QStatusBar>
#include <QLabel>
#include <QApplication>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace tirv {
namespace {

using test::RecordingPage;

class MainWindowTest : public ::testing::Test {
protected:
    void make(int model = 715, QString commandLine = {}, bool withPages = true)
    {
        test::GuiApp();
        MainWindow::Options o;
        o.commandLine = commandLine;
        o.reporterTap = &rep;
        o.openUrl = [this](const QUrl& u) {
            opened.push_back(u);
            return true;
        };
        win = std::make_unique<MainWindow>(o);
        win->model().setCode(model);
        if (withPages) {
            std::array<Page*, 5> tabs{};
            for (int i = 0; i < 5; ++i)
                tabs[size_t(i)] = tab[i] = new RecordingPage(*win, PageSetpoints);
            stack = test::RegisterTabs(*win, tabs);
            for (int id : {PageIoSettings, PageLeds, PageMeasurements, PageIoState,
                           PageWorkJournal, PageEmergencyJournal, PageLinkSettings, PageClock,
                           PageConfiguration, PageFirmware}) {
                pages[id] = new RecordingPage(*win, id);
                test::RegisterAs(*win, id, pages[id]);
            }
        }
        win->start();
    }
    bool enabled(int id) const { return win->action(id)->isEnabled(); }
    bool toolEnabled(int id) const { return win->toolAction(id)->isEnabled(); }

    test::RecordingReporter rep;
    std::unique_ptr<MainWindow> win;
    RecordingPage* tab[5] = {};
    PageStack* stack = nullptr;
    std::map<int, RecordingPage*> pages;
    std::vector<QUrl> opened;
};

// At the window's own size every status text is readable beside the other fields.
TEST_F(MainWindowTest, StatusTextsAreReadableAtTheDefaultSize)
{
    make();
    win->show();
    const char* texts[] = {
        "Ошибка проверки связи - повторите операцию",
        "  Устройство находится в режиме ожидания загрузки ПО",
        "  Чтение значений уставок из устройства:   повтор 10",
        "  Идет обмен с устройством: дождитесь окончания операции",
    };
    for (const char* t : texts) {
        win->reporter().status(QString::fromUtf8(t), StatusIcon::Warning);
        win->setModeText(QString::fromUtf8("  Адрес устр-ва: 247"));
        win->reporter().linkState(QString::fromUtf8("Нет связи с устр-вом"), StatusIcon::Warning);
        QApplication::processEvents();
        QLabel* field0 = nullptr;
        for (QLabel* l : win->statusBar()->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(t))
                field0 = l;
        ASSERT_NE(field0, nullptr);
        EXPECT_GE(field0->width(), field0->fontMetrics().horizontalAdvance(field0->text())) << t;
        for (QLabel* l : win->statusBar()->findChildren<QLabel*>())
            if (!l->text().isEmpty() && l != field0) {
                EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text()))
                    << l->text().toStdString();
            }
    }
}

TEST_F(MainWindowTest, TitleFollowsTheModelCode)
{
    make(715);
    const std::pair<int, const char*> titles[] = {
        {715, " ТИРВ - 705М"}, {717, " ТИРВ - 707М"}, {706, " ТИРВ - 706"},
        {306, " ТИРВ - 306"},  {0, " ТИРВ"}};
    for (auto [code, title] : titles) {
        win->setModelCode(code);
        EXPECT_EQ(win->windowTitle(), QString::fromUtf8(title)) << code;
    }
}

TEST_F(MainWindowTest, AModelChangeIsAnnouncedOnceAndAClassChangeOnlyAcrossTheFamily)
{
    make(715);
    std::vector<int> codes;
    std::vector<bool> classes;
    QObject::connect(&win->model(), &DeviceModel::changed, [&](int c) { codes.push_back(c); });
    QObject::connect(&win->model(), &DeviceModel::classChanged,
                     [&](bool m) { classes.push_back(m); });
    win->setModelCode(715);
    win->setModelCode(716);
    win->setModelCode(705);
    win->setModelCode(705);
    win->setModelCode(306);
    EXPECT_EQ(codes, (std::vector<int>{716, 705, 306}));
    EXPECT_EQ(classes, (std::vector<bool>{false}));
    EXPECT_TRUE(win->action(CmdShowWorkJournal) == nullptr ||
                !win->action(CmdShowWorkJournal)->isEnabled());
}

TEST_F(MainWindowTest, SizeIsScaledAndCentred)
{
    make();
    const double scale = win->dpiScale();
    EXPECT_EQ(win->width(), int(760 * scale));
    EXPECT_EQ(win->height(), int(620 * scale));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_NEAR(win->x() + win->width() / 2, screen.center().x(), 1);
    EXPECT_NEAR(win->y() + win->height() / 2, screen.center().y(), 1);
}

TEST_F(MainWindowTest, MenuItemsCarryTheirTexts)
{
    make();
    const std::pair<int, const char*> items[] = {
        {142, "проект ТИРВ (уставки и настройки)"}, {148, "уставок"},
        {151, "записей аварийного журнала"},        {159, "записи рабочего журнала"},
        {160, "Выход"},                              {162, "записи уставок"},
        {166, "текущие измерения U,I"},              {176, "новые настройки связи"},
        {178, "версию ПО"},                          {183, "Калибровка"},
        {187, "Контроль &состояния входов/выходов"}, {190, "Дистанционное управление (ДУ) выключателем"},
        {192, "Настройка связи с устройством"},      {196, "Помощь при расчетах МТЗ-2, МТЗ-3"},
        {194, "О программе"}};
    for (auto [id, text] : items) {
        ASSERT_NE(win->action(id), nullptr) << id;
        EXPECT_EQ(win->action(id)->text(), QString::fromUtf8(text)) << id;
    }
}

TEST_F(MainWindowTest, InitialMenuAndToolbarStates)
{
    make();
    // Disabled at start whatever pages exist.
    for (int id : {172, 173, 174, 175, 176, 178, 183})
        EXPECT_FALSE(enabled(id)) << id;
    for (int id : {160, 179, 180, 186, 188, 192, 194, 195})
        EXPECT_TRUE(enabled(id)) << id;
    // Carried out by parts this test does not register (files, setpoint transfer).
    for (int id : {142, 147, 162})
        EXPECT_FALSE(enabled(id)) << id;
    // Save, Read and Write greyed until a page is shown.
    EXPECT_TRUE(toolEnabled(CmdNew));
    EXPECT_TRUE(toolEnabled(CmdOpen));
    for (int id : {CmdSave, CmdRead, CmdWrite})
        EXPECT_FALSE(toolEnabled(id)) << id;
    EXPECT_FALSE(win->toolAction(CmdShowSetpoints)->isChecked());
    // 23 entries: 9 separators, 5 context buttons, 9 page buttons in one check group.
    const QList<QAction*> entries = win->toolBar()->actions();
    EXPECT_EQ(entries.size(), 23);
    int separators = 0, checkable = 0;
    for (QAction* a : entries) {
        separators += a->isSeparator();
        checkable += a->isCheckable();
    }
    EXPECT_EQ(separators, 9);
    EXPECT_EQ(checkable, 9);
    EXPECT_FALSE(enabled(CmdAbort));  // nothing to stop yet
}

TEST_F(MainWindowTest, ItemsOfPagesNotBuiltAreDisabled)
{
    make(715, {}, false);
    for (int id : {144, 149, 163, 165, 179, 180, 181, 182, 184, 185, 186, 187, 188, 189, 191, 192})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_FALSE(toolEnabled(CmdShowLinkSettings));
    // The window's own commands stay.
    for (int id : {160, 194, 195})
        EXPECT_TRUE(enabled(id)) << id;
}

TEST_F(MainWindowTest, WorkingJournalOnlyOnMModels)
{
    make(705);
    for (int id : {152, 159, 169, 188})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_FALSE(toolEnabled(CmdShowWorkJournal));
    win->setModelCode(715);
    for (int id : {152, 169, 188})
        EXPECT_TRUE(enabled(id)) << id;
    EXPECT_TRUE(toolEnabled(CmdShowWorkJournal));
}

TEST_F(MainWindowTest, ShowingAPageSetsStatusChecksItsButtonAndEnablesTheToolbar)
{
    make();
    const std::pair<int, const char*> rows[] = {
        {179, "  Редактирование уставок"},
        {180, "  Настройка входов\\выходов устройства"},
        {181, "  Программирование светодиодов"},
        {186, "  Контроль текущих значений U,I"},
        {187, "  Контроль состояния входов\\выходов устройства"},
        {188, "  Рабочий журнал"},
        {189, "  Аварийный журнал"},
        {192, "  Настройка связи с устройством"},
        {182, "  Настройка календаря/часов устройства"},
        {184, "  Конфигурация (тип устр-ва и зав.№)"},
        {185, "  Обновление ПО устройства"}};
    for (auto [cmd, text] : rows) {
        win->command(cmd);
        EXPECT_EQ(win->statusText(0), QString::fromUtf8(text)) << cmd;
        if (QAction* b = win->toolAction(cmd)) {
            EXPECT_TRUE(b->isChecked()) << cmd;
        }
        for (int id : {CmdSave, CmdRead, CmdWrite})
            EXPECT_TRUE(toolEnabled(id)) << cmd << " " << id;
    }
    // Pages without a button leave none checked.
    for (int cmd : {179, 180, 181, 186, 187, 188, 189, 191, 192})
        EXPECT_FALSE(win->toolAction(cmd)->isChecked()) << cmd;
}

TEST_F(MainWindowTest, LeavingAPageDisablesTheItemsItEnabled)
{
    make();
    const std::pair<int, std::vector<int>> rows[] = {
        {180, {156, 173}}, {181, {157, 174}}, {188, {159}}, {189, {158}},
        {192, {176}},      {182, {175}}};
    for (const auto& [show, items] : rows) {
        win->command(show);
        for (int item : items)
            win->setMenuEnabled(item, true);  // as the page does while shown
        for (int item : items)
            EXPECT_TRUE(enabled(item)) << item;
        win->command(186);
        for (int item : items)
            EXPECT_FALSE(enabled(item)) << show << " left, item " << item;
    }
}

TEST_F(MainWindowTest, FirmwareVersionItemNeverEnables)
{
    make();
    win->command(185);
    win->setMenuEnabled(178, true);
    EXPECT_FALSE(enabled(178));
}

TEST_F(MainWindowTest, WriteSetpointsItemFollowsTheChannel)
{
    make();
    win->state().link.channel = Channel::Rs485;
    win->command(179);
    EXPECT_FALSE(enabled(172));  // no setpoint exchange registered in this build of the test
    test::ScriptedExchange ex;
    ex.attach(*win);
    win->command(192);
    win->command(179);
    EXPECT_TRUE(enabled(172));
    EXPECT_TRUE(toolEnabled(CmdWrite));
    win->state().link.channel = Channel::Ethernet;
    win->command(192);
    win->command(179);
    EXPECT_FALSE(toolEnabled(CmdWrite));
    EXPECT_FALSE(enabled(172));  // the menu item as well: writes never go over Modbus TCP
    win->state().link.channel = Channel::Usb;
    win->command(192);
    win->command(179);
    EXPECT_TRUE(enabled(172));
}

TEST_F(MainWindowTest, ContextCommandsGoToTheCurrentPage)
{
    make();
    struct Row {
        int show, command, page, pageCmd;
    };
    const Row rows[] = {
        {180, CmdNew, PageIoSettings, 1409},  {180, CmdOpen, PageIoSettings, 1410},
        {180, CmdSave, PageIoSettings, 1411}, {180, CmdRead, PageIoSettings, 1419},
        {180, CmdWrite, PageIoSettings, 1708}, {181, CmdNew, PageLeds, 1760},
        {181, CmdWrite, PageLeds, 1764},      {186, CmdRead, PageMeasurements, 1340},
        {187, CmdRead, PageIoState, 1419},    {188, CmdOpen, PageWorkJournal, 1870},
        {188, CmdRead, PageWorkJournal, 1869}, {189, CmdSave, PageEmergencyJournal, 1783},
        {192, CmdRead, PageLinkSettings, 2012}, {192, CmdWrite, PageLinkSettings, 2013},
        {182, CmdRead, PageClock, 1703},      {182, CmdWrite, PageClock, 1702},
        {184, CmdRead, PageConfiguration, 5800}, {184, CmdWrite, PageConfiguration, 5801},
        {185, CmdRead, PageFirmware, 6011},   {185, CmdWrite, PageFirmware, 6010}};
    for (const Row& r : rows) {
        win->command(r.show);
        pages[r.page]->commands.clear();
        win->command(r.command);
        EXPECT_EQ(pages[r.page]->commands, std::vector<int>{r.pageCmd})
            << r.show << " / " << r.command;
    }
}

TEST_F(MainWindowTest, ContextTooltipsFollowThePage)
{
    make();
    struct Row {
        int show;
        const char *neu, *open, *save, *read, *write;
    };
    const Row rows[] = {
        {179, "Новые уставки", "Открыть файл уставок", "Сохранить уставки",
         "Прочитать из устройства уставки", "Записать в устройство уставки"},
        {180, "Новые настройки входов/выходов", "Открыть файл настроек входов/выходов",
         "Сохранить настройки входов/выходов", "Прочитать из устройства настройки входов/выходов",
         "Записать в устройство настройки входов/выходов"},
        {187, "Новый проект (уставки и настройки)", "Открыть файл ...", "Сохранить ...",
         "Прочитать из устройства состояние входов/выходов", "Записать в устройство ..."},
        {192, "Новый проект (уставки и настройки)", "Открыть файл ...", "Сохранить ...",
         "Проверить связь с устройством", "Записать в устройство новые настройки связи"},
        {185, "Новый проект (уставки и настройки)", "Открыть файл ...", "Сохранить ...",
         "Прочитать ПО устройства и сравнить с ПО из открытого файла",
         "Записать обновление программного обеспечения устройства"}};
    EXPECT_EQ(win->toolAction(CmdOpen)->toolTip(),
              QString::fromUtf8("Открыть файл проекта (уставки и настройки)"));
    for (const Row& r : rows) {
        win->command(r.show);
        EXPECT_EQ(win->toolAction(CmdNew)->toolTip(), QString::fromUtf8(r.neu)) << r.show;
        EXPECT_EQ(win->toolAction(CmdOpen)->toolTip(), QString::fromUtf8(r.open)) << r.show;
        EXPECT_EQ(win->toolAction(CmdSave)->toolTip(), QString::fromUtf8(r.save)) << r.show;
        EXPECT_EQ(win->toolAction(CmdRead)->toolTip(), QString::fromUtf8(r.read)) << r.show;
        EXPECT_EQ(win->toolAction(CmdWrite)->toolTip(), QString::fromUtf8(r.write)) << r.show;
    }
    EXPECT_EQ(win->toolAction(CmdShowIoState)->toolTip(),
              QString::fromUtf8("Контроль состояния входов\\выходов"));
}

TEST_F(MainWindowTest, MenuCommandsOfOtherPagesShowThePageFirst)
{
    make();
    win->command(186);
    win->command(149);  // open I/O settings: page 2, then 1410
    EXPECT_EQ(win->currentPage(), PageIoSettings);
    EXPECT_TRUE(pages[PageIoSettings]->received(1410));
    // 165: on the clock page it reads, elsewhere it only shows the page.
    win->command(165);
    EXPECT_EQ(win->currentPage(), PageClock);
    EXPECT_FALSE(pages[PageClock]->received(1703));
    win->command(165);
    EXPECT_TRUE(pages[PageClock]->received(1703));
    // 176 goes to the link page without showing it.
    win->command(176);
    EXPECT_EQ(win->currentPage(), PageClock);
    EXPECT_TRUE(pages[PageLinkSettings]->received(2013));
}

TEST_F(MainWindowTest, CommandLineShowsThePageAndOpensTheFile)
{
    struct Row {
        const char* line;
        int page;
        int openCmd;  // sent to the page; 0 when the window opens it itself
        int kind;
    };
    const Row rows[] = {{"\"/d/a.tio\"", PageIoSettings, 1410, 3},
                        {"\"/d/a.tld\"", PageLeds, 1761, 4},
                        {"\"/d/a.twj\"", PageWorkJournal, 1870, 5},
                        {"\"/d/a.taj\"", PageEmergencyJournal, 1782, 6},
                        {"\"/d/a.tpr\"", PageSetpoints, 0, 2},
                        {"\"/d/a.tirv\"", PageSetpoints, 0, 1}};
    for (const Row& r : rows) {
        pages.clear();
        make(715, QString::fromUtf8(r.line));
        QString taken;
        int openedBy = 0;
        for (int cmd : {147, 148})
            win->registerCommand(cmd, [&, cmd] { openedBy = cmd; taken = win->takeCommandLinePath(r.kind); });
        if (r.openCmd)
            pages[r.page]->onCommand = [&](int id) {
                if (id == r.openCmd)
                    taken = win->takeCommandLinePath(r.kind);
            };
        // Registration after start: run the start-up step again as the program would.
        win->start();
        EXPECT_EQ(win->currentPage(), r.page) << r.line;
        EXPECT_EQ(taken, QString::fromUtf8(r.line).mid(1).chopped(1)) << r.line;
        if (!r.openCmd) {
            EXPECT_EQ(openedBy, r.kind == 2 ? 148 : 147) << r.line;
        }
        // The kind is consumed: showing the page again opens nothing.
        EXPECT_TRUE(win->takeCommandLinePath(r.kind).isEmpty());
    }
}

TEST_F(MainWindowTest, UpperCaseCommandLineStartsNormally)
{
    for (const char* line : {"/d/A.TPR", "\"/d/A.TPR\""}) {
        make(715, QString::fromUtf8(line));
        EXPECT_EQ(win->currentPage(), PageNone) << line;
        EXPECT_EQ(win->commandLineFile().kind, FileKind::None) << line;
    }
}

// The hand-over of a poll in flight (476–479) is the polling page's own: the window only tells
// the page it leaves where the user goes, and stops none of its timers.
TEST_F(MainWindowTest, LeavingAPageTellsItWhereTheUserGoes)
{
    make();
    const struct {
        int from, to;
        int left, target;
    } rows[] = {{186, 179, PageMeasurements, PageSetpoints},
                {186, 187, PageMeasurements, PageIoState},
                {187, 192, PageIoState, PageLinkSettings},
                {187, 186, PageIoState, PageMeasurements}};
    for (const auto& r : rows) {
        win->command(r.from);
        pages[r.left]->hiddenFor.clear();
        pages[r.left]->setTimer(408, 10000);
        win->state().busy = true;
        win->command(r.to);
        win->state().busy = false;
        EXPECT_EQ(pages[r.left]->hiddenFor, std::vector<int>{r.target}) << r.from << "→" << r.to;
        EXPECT_TRUE(pages[r.left]->timerActive(408)) << r.from << "→" << r.to;
        pages[r.left]->killTimer(408);
    }
    pages[PageMeasurements]->hiddenFor.clear();
    win->command(186);
    win->command(186);  // showing the page shown leaves nothing
    EXPECT_TRUE(pages[PageMeasurements]->hiddenFor.empty());
}

TEST_F(MainWindowTest, NoHandOverWithoutAnExchangeInFlight)
{
    make();
    win->command(186);
    pages[PageMeasurements]->setTimer(408, 10000);
    win->command(179);
    EXPECT_TRUE(pages[PageMeasurements]->timerActive(408));
    EXPECT_FALSE(pages[PageMeasurements]->timerActive(478));
}

TEST_F(MainWindowTest, ScrollOffsetsArePerPageAndSharedByTheSetpointTabs)
{
    make();
    win->show();
    win->resize(300, 250);
    QApplication::processEvents();
    win->command(179);
    QScrollArea* sp = win->pageArea(PageSetpoints);
    ASSERT_NE(sp, nullptr);
    QApplication::processEvents();
    ASSERT_GT(sp->verticalScrollBar()->maximum(), 0);
    sp->verticalScrollBar()->setValue(40);
    stack->showIndex(3);
    EXPECT_EQ(win->pageArea(PageSetpoints)->verticalScrollBar()->value(), 40);
    win->command(180);
    QScrollArea* io = win->pageArea(PageIoSettings);
    QApplication::processEvents();
    io->verticalScrollBar()->setValue(10);
    win->command(179);
    EXPECT_EQ(stack->currentIndex(), 3);
    EXPECT_EQ(win->pageArea(PageSetpoints)->verticalScrollBar()->value(), 40);
    win->command(180);
    EXPECT_EQ(win->pageArea(PageIoSettings)->verticalScrollBar()->value(), 10);
}

TEST_F(MainWindowTest, HelpOpensTheHtmlBesideTheProgramOrNamesTheMissingFile)
{
    make();
    QTemporaryDir dir;
    win->state().programFolder = dir.path();
    win->command(CmdHelp);
    ASSERT_EQ(rep.messages.size(), 1u);
    EXPECT_EQ(rep.messages[0].caption, QString::fromUtf8("Ошибка"));
    EXPECT_EQ(rep.messages[0].text,
              QString::fromUtf8("Файл 'ТИРВ.html' в текущей папке не обнаружен"));
    EXPECT_TRUE(opened.empty());

    QFile f(dir.filePath(QString::fromUtf8("ТИРВ.html")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html></html>");
    f.close();
    win->command(CmdHelp);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile(), f.fileName());
    EXPECT_EQ(rep.messages.size(), 1u);
}

TEST_F(MainWindowTest, MinimizingIsTrackedAndRestoringIsTold)
{
    make();
    int restored = 0;
    win->setRestoreHandler([&] { ++restored; });
    win->show();
    win->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    EXPECT_TRUE(win->state().minimized);
    EXPECT_EQ(restored, 0);
    win->setWindowState(Qt::WindowNoState);
    QApplication::processEvents();
    EXPECT_FALSE(win->state().minimized);
    EXPECT_EQ(restored, 1);
    // One field message is dropped for every page, once.
    EXPECT_FALSE(win->state().takeFieldMessage());
    EXPECT_TRUE(win->state().takeFieldMessage());
}

TEST_F(MainWindowTest, AboutShowsVersionAndBuildDate)
{
    make();
    win->command(CmdAbout);
    QWidget* about = win->aboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    auto* version = about->findChild<QLabel*>("version");
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->text().contains(QString::fromStdString(BuildDate(__DATE__)))) << version->text().toStdString();
    EXPECT_EQ(about->windowTitle(), QString::fromUtf8("О программе"));
}

}  // namespace
}  // namespace tirv
