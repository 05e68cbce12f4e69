// The viewer window driven by command ids, offscreen: start-up, data commands, modes, panels,
// settings across a restart, image export, printing and the preview dialog.
#include "viewer/plot_source.h"
#include "viewer/print_export.h"
#include "viewer/viewer_paths.h"
#include "viewer/viewer_window.h"
#include "viewer/window_texts.h"
#include "support/recording_reporter.h"
#include "viewer_test_support.h"
#include "support/texts.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace tirv {
namespace {

using test::U;

namespace tx = viewer_texts;
using namespace viewer;

class ViewerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::GuiApp();
        ASSERT_TRUE(dir.isValid());
    }

    QString defaultFile() const { return dir.filePath(U(tx::kDefaultFile)); }
    void writeDefault(const std::vector<std::uint8_t>& bytes) { ASSERT_TRUE(test::WriteFile(defaultFile(), bytes)); }

    std::unique_ptr<ViewerWindow> start(const QString& commandLineFile = {})
    {
        ViewerWindowOptions o;
        o.programDir = dir.path();
        o.oscillogram = commandLineFile;
        o.screenWidth = 1920;
        auto w = std::make_unique<ViewerWindow>(reporter, o);
        w->resize(1200, 800);
        w->show();
        w->chooseFile = [this](int id) {
            chosenFor.push_back(id);
            return nextFile;
        };
        w->chooseColour = [this](QColor& c) {
            c = nextColour;
            return true;
        };
        QCoreApplication::processEvents();  // the posted start-up load
        return w;
    }

    QTemporaryDir dir;
    test::RecordingReporter reporter;
    QString nextFile;
    QColor nextColour = QColor(10, 20, 30);
    std::vector<int> chosenFor;
};

// ---- start-up and loading ------------------------------------------------------------------

TEST_F(ViewerWindowTest, WithoutTheDefaultFileTheWarningNamesItAndDataCommandsStayGreyed)
{
    auto w = start();
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, U(tx::kCaptionWarning));
    EXPECT_EQ(reporter.messages[0].text, U(tx::kDefaultFileMissing));
    EXPECT_EQ(reporter.messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(w->windowTitle(), U(tx::kTitle));
    for (int id : kDataCommands)
        EXPECT_FALSE(w->action(id)->isEnabled()) << id;
    EXPECT_TRUE(w->action(CmdOpen)->isEnabled());
    EXPECT_TRUE(w->action(CmdAbout)->isEnabled());
    // A greyed command run by id changes nothing.
    w->command(CmdMarkers);
    EXPECT_FALSE(w->settings().markers);
}

TEST_F(ViewerWindowTest, TheDefaultFileIsShownWithItsPathInTheTitle)
{
    writeDefault(test::FaultRecording().build());
    auto w = start();
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_TRUE(w->shown());
    EXPECT_EQ(w->windowTitle(), U(tx::kTitleWithFile) + defaultFile());
    for (int id : kDataCommands)
        EXPECT_TRUE(w->action(id)->isEnabled()) << id;
    EXPECT_TRUE(w->action(CmdRelativeTime)->isChecked());
    EXPECT_TRUE(w->action(CmdRms)->isChecked());
    EXPECT_FALSE(w->action(CmdMarkers)->isChecked());
    // Six channels, each on its own lane.
    EXPECT_EQ(w->plot()->layout().lanes.size(), 6u);
    const AnalogChoice& a = w->analog();
    EXPECT_EQ(a.graph[ChIa], 1);
    EXPECT_EQ(a.graph[ChUc], 6);
    EXPECT_FALSE(a.enabled[Ch3Io]);
}

TEST_F(ViewerWindowTest, OnlyAQuotedTaoPathOnTheCommandLineReplacesTheDefaultFile)
{
    const struct { const char* raw; bool named; } cases[] = {
        {"\"/data/rec.tao\"", true}, {"/data/rec.tao", false}, {"\"/data/rec.TAO\"", false},
        {"\"/data/rec.cfg\"", false}, {"\"tao\"", false}, {"/data/rec.tao\"", true},
    };
    for (const auto& c : cases) {
        const std::string got = CommandLineOscillogram(c.raw);
        EXPECT_EQ(got.empty(), !c.named) << c.raw;
        if (c.named) {
            EXPECT_EQ(got, "/data/rec.tao") << c.raw;
        }
    }
    // The named file is loaded instead of the default one.
    writeDefault(test::FaultRecording().build());
    const QString other = dir.filePath(QStringLiteral("other.tao"));
    ASSERT_TRUE(test::WriteFile(other, test::FaultRecording().build()));
    auto w = start(other);
    EXPECT_EQ(w->windowTitle(), U(tx::kTitleWithFile) + other);
}

TEST_F(ViewerWindowTest, FailedLoadsLeaveNothingShownAndTheTitleBare)
{
    writeDefault(test::FaultRecording().build());
    auto w = start();
    ASSERT_TRUE(w->shown());
    // A refused file (seven channels) through the open command.
    auto bad = test::OscillogramBuilder::Current();
    bad.channels({OscChannel::Ia, OscChannel::Ib, OscChannel::Ic, OscChannel::Ua, OscChannel::Ub,
                  OscChannel::Uc, OscChannel::I0});
    nextFile = dir.filePath(QStringLiteral("bad.tao"));
    ASSERT_TRUE(test::WriteFile(nextFile, bad.build()));
    w->command(CmdOpen);
    EXPECT_FALSE(w->shown());
    EXPECT_EQ(w->windowTitle(), U(tx::kTitle));
    EXPECT_FALSE(w->action(CmdSave)->isEnabled());
    ASSERT_FALSE(reporter.messages.empty());
    // A missing file through the open command: its own message with the error code.
    reporter.messages.clear();
    nextFile = dir.filePath(QStringLiteral("missing.tao"));
    w->command(CmdOpen);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text,
              QStringLiteral("Невозможно открыть файл аварийных осциллограмм. Код ошибки 2"));
    EXPECT_EQ(w->windowTitle(), U(tx::kTitle));
    // Cancelling the dialog keeps what is shown.
    nextFile.clear();
    reporter.messages.clear();
    w->command(CmdOpen);
    EXPECT_TRUE(reporter.messages.empty());
}

// ---- modes and scale ---------------------------------------------------------------------

// A menu's items in order, a sub-menu as "title[items]".
QString Outline(const QMenu* menu)
{
    QStringList items;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            continue;
        items << (a->menu() ? a->text() + "[" + Outline(a->menu()) + "]" : a->text());
    }
    return items.join(", ");
}

TEST_F(ViewerWindowTest, MenusHoldTheirItemsWithSubMenusWhereTheirFirstItemStands)
{
    auto w = start();
    QStringList menus;
    for (QAction* a : w->menuBar()->actions())
        menus << a->text() + ": " + Outline(a->menu());
    EXPECT_EQ(menus, QStringList({
                         U("Файл: Открыть, Сохранить, Сохранить изображение в формате...[BMP, PNG], "
                           "Экспортировать в COMTRADE, Печать, "
                           "Настройка цвета и предварительный просмотр, Выход"),
                         U("Осциллограммы: Растянуть по оси времени, Сжать по оси времени, "
                           "Значения времени[абсолютные, относительные], "
                           "Значения аналоговых сигналов[мгновенные, действующие], "
                           "Режим меток времени, "
                           "Настройки ...[аналоговых сигналов, цифровых сигналов, общие]"),
                         U("Информация: О программе, Справка"),
                     }));
}

TEST_F(ViewerWindowTest, CheckGroupsKeepMenuAndToolbarInStep)
{
    writeDefault(test::FaultRecording().build());
    auto w = start();
    const struct { int id; int partner; } groups[] = {
        {CmdAbsoluteTime, CmdRelativeTime}, {CmdRelativeTime, CmdAbsoluteTime},
        {CmdInstantaneous, CmdRms}, {CmdRms, CmdInstantaneous},
    };
    for (const auto& g : groups) {
        w->command(g.id);
        EXPECT_TRUE(w->action(g.id)->isChecked()) << g.id;
        EXPECT_FALSE(w->action(g.partner)->isChecked()) << g.id;
    }
    // Triggering the toolbar action is the same as the command.
    w->action(CmdAbsoluteTime)->trigger();
    EXPECT_TRUE(w->settings().absoluteTime);
    EXPECT_TRUE(w->plot()->view().absolute);
    w->action(CmdInstantaneous)->trigger();
    EXPECT_FALSE(w->plot()->view().rms);
    // Tooltips of the toolbar buttons.
    EXPECT_EQ(w->action(CmdMarkers)->toolTip(), U(tx::kTipMarkers));
    EXPECT_EQ(w->action(CmdPreview)->toolTip(), U(tx::kTipPreview));
}

TEST_F(ViewerWindowTest, StretchAndCompressStopAtTheirLimits)
{
    writeDefault(test::FaultRecording().build());  // N = 1,600 on a 1,920-pixel screen: S = 1/2
    auto w = start();
    EXPECT_EQ(w->plot()->horizontal().scale(), 0.5);
    w->command(CmdCompress);
    EXPECT_EQ(w->plot()->horizontal().scale(), 0.5);
    for (int i = 0; i < 8; ++i)
        w->command(CmdStretch);
    EXPECT_EQ(w->plot()->horizontal().scale(), 32.0);
    EXPECT_TRUE(w->plot()->horizontalBar()->isVisible());
    for (int i = 0; i < 8; ++i)
        w->command(CmdCompress);
    EXPECT_EQ(w->plot()->horizontal().scale(), 0.5);
    EXPECT_FALSE(w->plot()->horizontalBar()->isVisible());
}

TEST_F(ViewerWindowTest, MarkersStartInsideTheWindowAndFollowTheMouse)
{
    writeDefault(test::FaultRecording().build());
    auto w = start();
    w->command(CmdStretch);
    w->command(CmdStretch);  // S = 2
    w->command(CmdMarkers);
    EXPECT_TRUE(w->action(CmdMarkers)->isChecked());
    EXPECT_EQ(w->plot()->view().t1, 10);  // 20 px / 2
    EXPECT_EQ(w->plot()->view().t0, 5);
    // Grab t0 (x = L + 10) and drag it to x = L + 100: sample 50.
    QWidget* surface = w->control(CtlSurface);
    const int l = w->plot()->view().labelMargin;
    QTest::mouseMove(surface, QPoint(l + 10, 200));
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(l + 10, 200));
    QTest::mouseMove(surface, QPoint(l + 100, 200));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(l + 100, 200));
    EXPECT_EQ(w->plot()->view().t0, 50);
    EXPECT_EQ(w->plot()->view().t1, 10);
    // Away from both markers nothing is grabbed.
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(l + 300, 200));
    QTest::mouseMove(surface, QPoint(l + 400, 200));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(l + 400, 200));
    EXPECT_EQ(w->plot()->view().t0, 50);
    EXPECT_EQ(w->plot()->view().t1, 10);
}

TEST_F(ViewerWindowTest, OneLongChannelFitsAnEighthAndScrollsByTheBar)
{
    auto b = test::OscillogramBuilder::Current();
    b.channels({OscChannel::Ua}).sine(OscChannel::Ua, 1000);
    writeDefault(b.build());
    auto w = start();  // N = 9,600 on a 1,920-pixel screen
    ASSERT_TRUE(w->shown());
    const HorizontalState& h = w->plot()->horizontal();
    EXPECT_EQ(h.scale(), 0.125);
    EXPECT_EQ(h.d, 8);
    for (int i = 0; i < 4; ++i)
        w->command(CmdStretch);
    EXPECT_EQ(h.scale(), 2.0);
    QScrollBar* bar = w->plot()->horizontalBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), h.maximum);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(h.pos, h.page);
    EXPECT_EQ(bar->value(), h.pos);
    EXPECT_EQ(FirstVisibleSample(h), h.page * h.d / 2);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(h.pos, h.page + 2);  // one sample of two pixels
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(h.pos, h.maximum);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(h.pos, 0);
}

TEST_F(ViewerWindowTest, TallContentGetsAVerticalBarThatShiftsTheCurves)
{
    writeDefault(test::FaultRecording().build());  // six lanes and 32 digital rows
    auto w = start();
    QScrollBar* bar = w->plot()->verticalBar();
    ASSERT_TRUE(bar->isVisible());
    const PlotRects r = ComputePlotRects(w->plot()->surfaceSize(), w->plot()->view().labelMargin, false);
    EXPECT_EQ(bar->maximum(), w->plot()->layout().contentHeight - r.h);
    EXPECT_EQ(bar->pageStep(), r.h - 60);
    EXPECT_EQ(bar->y(), 60);
    bar->setValue(40);
    EXPECT_EQ(w->plot()->view().vpos, 40);
    // Without the 32 digital rows the lanes fit: the bar goes and the curves return to the top.
    w->command(CmdDigitalPanel);
    static_cast<QCheckBox*>(w->control(CtlDigitalOn))->setChecked(false);
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(w->plot()->view().vpos, 0);
}

TEST_F(ViewerWindowTest, SaveAndComtradeWriteTheirFiles)
{
    writeDefault(test::FaultRecording().build());
    auto w = start();
    nextFile = dir.filePath(QStringLiteral("copy.tao"));
    w->command(CmdSave);
    EXPECT_EQ(QFileInfo(nextFile).size(), 22300);
    nextFile = dir.filePath(QStringLiteral("rec1.cfg"));
    w->command(CmdComtrade);
    for (const char* name : {"rec1.CFG", "rec1.HDR", "rec1.DAT"})
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(QString::fromLatin1(name)))) << name;
    EXPECT_TRUE(reporter.messages.empty());
    // The saved copy loads to the same display.
    const std::vector<float> before = w->plot()->layout().ys[ChIa];
    nextFile = dir.filePath(QStringLiteral("copy.tao"));
    w->command(CmdOpen);
    ASSERT_TRUE(w->shown());
    EXPECT_EQ(w->plot()->layout().ys[ChIa], before);
    EXPECT_EQ(chosenFor, (std::vector<int>{CmdSave, CmdComtrade, CmdOpen}));
}

TEST_F(ViewerWindowTest, DigitalSignalsOutOfOrderAreNotShown)
{
    auto b = test::FaultRecording();
    b.digital({{0, 1, 0}, {100, 0, 0}, {100, 1, 0}});
    writeDefault(b.build());
    auto w = start();
    ASSERT_TRUE(w->shown());
    EXPECT_FALSE(w->settings().digitalOn);
    EXPECT_TRUE(w->plot()->layout().rows.empty());
    // Switching the display on cannot show an invalid digital part.
    w->command(CmdDigitalPanel);
    static_cast<QCheckBox*>(w->control(CtlDigitalOn))->setChecked(true);
    EXPECT_TRUE(w->plot()->layout().rows.empty());
}

// ---- panels ------------------------------------------------------------------------------

TEST_F(ViewerWindowTest, OneSettingsPanelAtATimeAtTheLeft)
{
    writeDefault(test::FaultRecording().build());
    auto w = start();
    w->command(CmdAnalogPanel);
    EXPECT_EQ(w->openPanel(), Panel::Analog);
    ASSERT_NE(w->control(CtlChannelCheck), nullptr);
    QCoreApplication::processEvents();
    EXPECT_LT(w->panel()->mapTo(w.get(), QPoint(0, 0)).x(), w->plot()->mapTo(w.get(), QPoint(0, 0)).x());
    w->command(CmdDigitalPanel);
    EXPECT_EQ(w->openPanel(), Panel::Digital);
    EXPECT_FALSE(w->action(CmdAnalogPanel)->isChecked());
    EXPECT_TRUE(w->action(CmdDigitalPanel)->isChecked());
    EXPECT_EQ(w->control(CtlChannelCheck), nullptr);
    ASSERT_NE(w->control(CtlDigitalOn), nullptr);
    w->command(CmdDigitalPanel);
    EXPECT_EQ(w->openPanel(), Panel::None);
    EXPECT_FALSE(w->action(CmdDigitalPanel)->isChecked());
    EXPECT_EQ(w->panel(), nullptr);
}

TEST_F(ViewerWindowTest, AnalogPanelRegroupsLanes)
{
    auto b = test::FaultRecording();
    b.channels({OscChannel::Ia, OscChannel::Ic, OscChannel::Ua, OscChannel::I0});
    b.sine(OscChannel::Ia, 300).sine(OscChannel::Ic, 100).sine(OscChannel::Ua, 1000).sine(OscChannel::I0, 50);
    writeDefault(b.build());
    auto w = start();
    ASSERT_TRUE(w->shown());
    ASSERT_EQ(w->plot()->layout().lanes.size(), 4u);
    EXPECT_EQ(w->plot()->layout().lanes[3].graph, 7);  // 3Io in its own lane, voltage group
    w->command(CmdAnalogPanel);
    auto* iaGraph = static_cast<QComboBox*>(w->control(CtlChannelGraph + int(ChIa)));
    auto* ioGraph = static_cast<QComboBox*>(w->control(CtlChannelGraph + int(Ch3Io)));
    EXPECT_EQ(ioGraph->currentText(), QString());
    EXPECT_FALSE(w->control(CtlChannelCheck + int(ChIb))->isEnabled());
    iaGraph->setCurrentIndex(2);  // "Гр.3" with Ic
    auto lanes = w->plot()->layout().lanes;
    ASSERT_EQ(lanes.size(), 3u);
    EXPECT_EQ(lanes[0].graph, 3);
    EXPECT_TRUE(lanes[0].members[ChIa] && lanes[0].members[ChIc]);
    ioGraph->setCurrentIndex(0);  // 3Io joins "Гр.4" with Ua
    lanes = w->plot()->layout().lanes;
    ASSERT_EQ(lanes.size(), 2u);
    EXPECT_TRUE(lanes[1].members[Ch3Io] && lanes[1].members[ChUa]);
    static_cast<QCheckBox*>(w->control(CtlChannelCheck + int(Ch3Io)))->setChecked(false);
    EXPECT_EQ(w->plot()->layout().laneOf(Ch3Io), -1);
    EXPECT_FALSE(ioGraph->isEnabled());
    static_cast<QCheckBox*>(w->control(CtlChannelCheck + int(ChIa)))->setChecked(false);
    EXPECT_EQ(w->plot()->layout().laneOf(ChIa), -1);
    EXPECT_FALSE(w->plot()->view().channelOn[ChIa]);
}

TEST_F(ViewerWindowTest, DigitalPanelEditsPendingFlagsUntilApplied)
{
    writeDefault(test::FaultRecording().build());
    auto w = start();
    EXPECT_EQ(w->plot()->layout().rows.size(), 32u);
    w->command(CmdDigitalPanel);
    static_cast<QComboBox*>(w->control(CtlFilter))->setCurrentIndex(1);  // outputs
    static_cast<QPushButton*>(w->control(CtlClear))->click();
    EXPECT_FALSE(static_cast<QCheckBox*>(w->control(CtlOutputCheck + 3))->isChecked());
    EXPECT_TRUE(static_cast<QCheckBox*>(w->control(CtlInputCheck + 3))->isChecked());
    EXPECT_EQ(w->plot()->layout().rows.size(), 32u);  // not yet applied
    static_cast<QPushButton*>(w->control(CtlApply))->click();
    EXPECT_EQ(w->plot()->layout().rows.size(), 16u);
    // Cancel brings the boxes back to the shown flags.
    static_cast<QCheckBox*>(w->control(CtlInputCheck + 0))->setChecked(false);
    static_cast<QPushButton*>(w->control(CtlCancel))->click();
    EXPECT_TRUE(static_cast<QCheckBox*>(w->control(CtlInputCheck + 0))->isChecked());
    // The filter is kept when the panel opens again.
    w->command(CmdDigitalPanel);
    w->command(CmdDigitalPanel);
    EXPECT_EQ(static_cast<QComboBox*>(w->control(CtlFilter))->currentIndex(), 1);
    static_cast<QCheckBox*>(w->control(CtlDigitalOn))->setChecked(false);
    EXPECT_TRUE(w->plot()->layout().rows.empty());
}

TEST_F(ViewerWindowTest, ColoursAndDigitalFlagsSurviveARestartButModesDoNot)
{
    writeDefault(test::FaultRecording().build());
    {
        auto w = start();
        w->command(CmdGeneralPanel);
        static_cast<QComboBox*>(w->control(CtlLineWidth))->setCurrentIndex(2);
        EXPECT_EQ(w->plot()->view().lineWidth, 3);
        static_cast<QPushButton*>(w->control(CtlGridSwatch))->click();
        EXPECT_EQ(w->settings().colours[ColGrid], ToColorRef(nextColour));
        w->command(CmdDigitalPanel);
        static_cast<QComboBox*>(w->control(CtlFilter))->setCurrentIndex(0);
        static_cast<QPushButton*>(w->control(CtlClear))->click();
        static_cast<QPushButton*>(w->control(CtlApply))->click();
        w->command(CmdAbsoluteTime);
        w->command(CmdMarkers);
        w->command(CmdExit);
    }
    EXPECT_EQ(QFileInfo(dir.filePath(U(tx::kSettingsFile))).size(), 220);
    auto w = start();
    EXPECT_EQ(w->settings().colours[ColGrid], ToColorRef(nextColour));
    EXPECT_FALSE(w->settings().digitalShown[0]);
    EXPECT_TRUE(w->settings().digitalShown[16]);
    EXPECT_EQ(w->settings().lineWidth, 1);
    EXPECT_FALSE(w->settings().absoluteTime);
    EXPECT_FALSE(w->settings().markers);
    EXPECT_EQ(w->openPanel(), Panel::None);
    EXPECT_TRUE(w->action(CmdRelativeTime)->isChecked());
}

// ---- about, help -------------------------------------------------------------------------

TEST_F(ViewerWindowTest, AboutAndHelpMessages)
{
    auto w = start();
    reporter.messages.clear();
    w->command(CmdAbout);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, U(tx::kAboutCaption));
    EXPECT_EQ(reporter.messages[0].text, U(tx::kAboutText));
    QString opened;
    w->openHelp = [&](const QString& path) {
        opened = path;
        return QFileInfo::exists(path);
    };
    w->command(CmdHelp);
    EXPECT_EQ(opened, dir.filePath(U(tx::kHelpFile)));
    ASSERT_EQ(reporter.messages.size(), 2u);
    EXPECT_EQ(reporter.messages[1].text, U(tx::kHelpFileMissing).arg(U(tx::kHelpFile)));
    ASSERT_TRUE(test::WriteFile(dir.filePath(U(tx::kHelpFile)), {'<', 'p', '>'}));
    w->command(CmdHelp);
    EXPECT_EQ(reporter.messages.size(), 2u);
}

// ---- export, print, preview --------------------------------------------------------------

TEST_F(ViewerWindowTest, ImagesHaveThePanelsExactSizeAndItsPixels)
{
    writeDefault(test::FaultRecording().build());
    auto w = start();
    // Make the surface 1,001 pixels wide: BMP rows of 3,003 bytes need padding.
    const int extra = w->width() - w->plot()->surfaceSize().width();
    w->resize(1001 + extra, 700);
    QCoreApplication::processEvents();
    ASSERT_EQ(w->plot()->surfaceSize().width(), 1001);
    const QImage screen = w->capture();
    const struct { int id; const char* chosen; const char* saved; } cases[] = {
        {CmdExportBmp, "view.xyz", "view.bmp"},
        {CmdExportPng, "view.b.PNG", "view.b.png"},
        {CmdExportPng, "noext", "noext"},
    };
    for (const auto& c : cases) {
        nextFile = dir.filePath(QString::fromLatin1(c.chosen));
        w->command(c.id);
        const QImage saved(dir.filePath(QString::fromLatin1(c.saved)), c.id == CmdExportBmp ? "bmp" : "png");
        ASSERT_FALSE(saved.isNull()) << c.saved;
        EXPECT_EQ(saved.size(), w->plot()->surfaceSize()) << c.saved;
        EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), screen.convertToFormat(QImage::Format_RGB32))
            << c.saved;
    }
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(ViewerWindowTest, ImageNameRulesAndWriteFailures)
{
    bool tooLong = false;
    const struct { const char* chosen; const char* ext; const char* name; } names[] = {
        {"a/pic.jpeg", "png", "a/pic.png"}, {"a/pic.", "bmp", "a/pic.bmp"},
        {"a/b.c/pic", "png", "a/b.c/pic"},  // a folder's dot is not the extension
        {"a\\b.c\\pic.x", "bmp", "a\\b.c\\pic.bmp"},
    };
    for (const auto& n : names) {
        EXPECT_EQ(ImageFileName(n.chosen, n.ext, tooLong), n.name);
        EXPECT_FALSE(tooLong);
    }
    const std::string longName = std::string(260, 'x') + ".dat";
    EXPECT_EQ(ImageFileName(longName, "bmp", tooLong), longName);
    EXPECT_TRUE(tooLong);

    writeDefault(test::FaultRecording().build());
    auto w = start();
    nextFile = dir.filePath(QStringLiteral("no/such/folder/pic.bmp"));
    w->command(CmdExportBmp);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, U(tx::kCaptionReadWrite));
    EXPECT_TRUE(reporter.messages[0].text.startsWith(QStringLiteral("Невозможно осуществить запись файла .bmp, код ошибки ")));
    EXPECT_EQ(reporter.messages[0].icon, MsgIcon::Warning);
}

TEST_F(ViewerWindowTest, PrintingWritesOnePageInPrintStyle)
{
    writeDefault(test::FaultRecording().build());
    auto w = start();
    const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
    int asked = 0;
    w->choosePrinter = [&](QPrinter& p) {
        ++asked;
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        return true;
    };
    w->command(CmdPrint);
    EXPECT_EQ(asked, 1);
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
    // Cancelling the dialog prints nothing.
    QFile::remove(pdf);
    w->choosePrinter = [](QPrinter&) { return false; };
    w->command(CmdPrint);
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST_F(ViewerWindowTest, PreviewDialogKeepsItsOwnPrintColours)
{
    writeDefault(test::FaultRecording().build());
    auto w = start();
    w->command(CmdPreview);
    PreviewDialog* d = w->previewDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->printColours(), DefaultPrintColours());
    static_cast<QPushButton*>(w->control(CtlMatchScreen))->click();
    EXPECT_EQ(d->printColours()[ColIa], w->settings().colours[ColIa]);
    // A later screen colour change does not reach the print colours.
    w->command(CmdGeneralPanel);
    static_cast<QPushButton*>(w->control(CtlBackgroundSwatch))->click();
    EXPECT_EQ(d->printColours()[ColBackground], 0x000000u);
    EXPECT_EQ(w->settings().colours[ColBackground], ToColorRef(nextColour));
    static_cast<QPushButton*>(w->control(CtlBlackWhite))->click();
    EXPECT_EQ(d->printColours(), DefaultPrintColours());
    // The preview picture uses the print colours: white background, black curves.
    const QImage pic = d->previewPicture();
    EXPECT_EQ(pic.size(), w->plot()->surfaceSize());
    EXPECT_EQ(QColor(pic.pixel(w->plot()->view().labelMargin + 5, 300)), QColor(Qt::white));
    static_cast<QRadioButton*>(w->control(CtlLandscape))->setChecked(true);
    EXPECT_TRUE(d->landscape());
    // Created once.
    w->command(CmdPreview);
    EXPECT_EQ(w->previewDialog(), d);
}

TEST_F(ViewerWindowTest, PngCommandRendersTheFileAtTheGivenSize)
{
    const QString in = dir.filePath(QStringLiteral("in.tao"));
    ASSERT_TRUE(test::WriteFile(in, test::FaultRecording().build()));
    const QString out = dir.filePath(QStringLiteral("out.png"));
    EXPECT_EQ(RenderOscillogramPng(in, out, QSize(1001, 480), dir.path(), stderr), 0);
    const QImage img(out);
    EXPECT_EQ(img.size(), QSize(1001, 480));
    // The axis strip along the bottom is the light grey of the panel, the plot black.
    EXPECT_EQ(QColor(img.pixel(500, 479)), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(QColor(img.pixel(998, 200)), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(RenderOscillogramPng(dir.filePath(QStringLiteral("none.tao")), out, QSize(10, 10), dir.path(), stderr), 1);
}

}  // namespace
}  // namespace tirv
