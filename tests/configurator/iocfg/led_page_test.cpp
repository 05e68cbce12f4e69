// The LED page in the whole program against tirv-sim: the panel of each model class drawn with
// its labels and the selected LED's highlight, the pop-up storing at once, write and read back,
// a refused pop-up time cancelling the write, .tld files of the other layout and of a wrong size;
// the front-panel pictures beside the program, and the project save taking the pop-up's time.
#include "configurator/iocfg/led_page.h"
#include "common/word_file.h"
#include "configurator/iocfg/io_files.h"
#include "configurator/iocfg/io_operation_texts.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/iocfg/led_page_texts.h"
#include "configurator/iocfg/led_panel_layout.h"
#include "configurator/iocfg/led_panel_view.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/shell/program_pages.h"
#include "configurator/shell/project_file.h"
#include "support/sim_process.h"
#include "support/sim_program.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>

#include <memory>

namespace tirv {
namespace {

using test::U;

namespace ot = io_operation_texts;
namespace it = io_texts;
using test::WaitUntil;

// The pictures the build draws beside the programs.
QString InstalledPicture(bool m)
{
    const QDir bin = QFileInfo(QString::fromStdString(test::SimProcess::ProgramPath())).dir();
    return bin.filePath(U(m ? led_page_texts::kPictureM : led_page_texts::kPictureNonM));
}

QPoint At(const PanelBox& b, double dx, double dy)
{
    return QPointF(b.x + dx, b.y + dy).toPoint();
}

class LedPageTest : public test::SimProgramTest {
protected:
    // `pictures`: the front-panel pictures lie beside the program, as installed.
    void start(int model, bool pictures = false)
    {
        for (const bool m : {false, true}) {
            const QString beside = rig.folder.filePath(QFileInfo(InstalledPicture(m)).fileName());
            QFile::remove(beside);
            if (pictures) {
                ASSERT_TRUE(QFile::copy(InstalledPicture(m), beside)) << beside.toStdString();
            }
        }
        startProgram({"--model", std::to_string(model)}, model, Settings::Fresh);
        page = showPage<LedPage>(CmdShowLeds, PageLeds);
        ASSERT_NE(page, nullptr);
        page->panel()->resize(520, 340);
    }
    void click(int led) { page->clickPanel(page->panel()->labelRect(led).center()); }
    void typeTime(const QString& text)
    {
        auto* e = page->control<QLineEdit>(CtlLedTime);
        e->setText(text);
        emit e->textEdited(text);
    }
    LedImage saved()
    {
        const QString path = rig.folder.filePath(QStringLiteral("saved.tld"));
        rig.dialogs.paths.push_back(path);
        page->command(PageCmdLedSave);
        std::vector<std::uint8_t> bytes;
        ReadWholeFile(path.toStdString(), bytes);
        return ParseTldFile(bytes, rig.win->model().code()).image;
    }

    LedPage* page = nullptr;
};

TEST_F(LedPageTest, PanelsOfBothClassesWithLabelsAndTheSelectedLedHighlighted)
{
    for (const int model : {705, 715}) {
        SCOPED_TRACE(model);
        start(model);
        EXPECT_EQ(runToEnd(CmdReadLedSettings), U(ot::kLedReadDone));
        LedPanelView* view = page->panel();
        EXPECT_EQ(view->ledCount(), model >= 715 ? 8 : 5);
        EXPECT_NE(page->control(model >= 715 ? CtlLedColumnFirst + 7 : CtlLedRowFirst + 4),
                  nullptr);
        // No picture beside the program: the plain panel, still usable.
        QImage shot = view->grab().toImage();
        EXPECT_EQ(shot.pixelColor(10, 10), QColor(70, 74, 80));
        const QRect r = view->labelRect(1);
        EXPECT_EQ(shot.pixelColor(r.right() - 2, r.top() + 2), QColor(235, 235, 228));

        click(1);
        ASSERT_TRUE(page->popupOpen());
        EXPECT_EQ(view->selected(), 1);
        shot = view->grab().toImage();
        EXPECT_EQ(shot.pixelColor(r.right() - 2, r.top() + 2),
                  view->palette().color(QPalette::Highlight));
        // A click beside every LED closes the pop-up.
        page->clickPanel(QPoint(2, 2));
        EXPECT_FALSE(page->popupOpen());
        EXPECT_EQ(view->selected(), -1);
        rig.reset();
    }
}

// The build's pictures show the lamps and the label windows where the page writes and takes
// clicks; the page draws the model's picture found beside the program and stays usable on it.
TEST_F(LedPageTest, FrontPanelPicturesBesideTheProgramAreShownWithTheLedsWhereThePageHasThem)
{
    for (const int model : {705, 715}) {
        SCOPED_TRACE(model);
        const bool m = model >= 715;
        const QImage picture(InstalledPicture(m));
        ASSERT_FALSE(picture.isNull()) << InstalledPicture(m).toStdString();
        ASSERT_EQ(picture.size(), QSize(int(kPanelWidth), int(kPanelHeight)));
        const int leds = m ? 8 : 5;
        for (int k = 0; k < leds; ++k) {
            SCOPED_TRACE(k);
            const LedPlace place = LedPlaceOf(leds, k);
            const QColor dome = picture.pixelColor(At(place.lamp, 10, 10));
            EXPECT_GT(dome.red(), dome.green() + 40) << "an unlit red lamp at the lamp's place";
            EXPECT_GT(picture.pixelColor(At(place.label, 6, 4)).lightness(), 235)
                << "a label window under the label";
            EXPECT_LT(picture.pixelColor(At(place.label, -4, 14)).lightness(), 215)
                << "the window ends where the label does";
        }

        start(model, true);
        LedPanelView* view = page->panel();
        ASSERT_EQ(view->size(), picture.size());
        QImage shot = view->grab().toImage();
        for (const QPoint at : {QPoint(1, 1), QPoint(250, 20), view->labelRect(0).topLeft()})
            EXPECT_EQ(shot.pixelColor(at), picture.pixelColor(at)) << at.x() << "," << at.y();
        EXPECT_EQ(runToEnd(CmdReadLedSettings), U(ot::kLedReadDone));
        click(leds - 1);
        ASSERT_TRUE(page->popupOpen());
        const QRect r = view->labelRect(leds - 1);
        shot = view->grab().toImage();
        EXPECT_EQ(shot.pixelColor(r.right() - 2, r.top() + 2),
                  view->palette().color(QPalette::Highlight));
        rig.reset();
    }
}

TEST_F(LedPageTest, PopupStoresAtOnceAndTheWriteReadsBack)
{
    start(715);
    click(0);
    page->control<QComboBox>(CtlLedSignal)->setCurrentIndex(94);
    EXPECT_EQ(saved().at(0, LedSignal), 94u) << "stored with the selection alone";
    click(0);
    page->control<QComboBox>(CtlLedSignal)->setCurrentIndex(1);
    page->control<QComboBox>(CtlLedMode)->setCurrentIndex(1);
    typeTime(QStringLiteral("0,5"));
    // The write first takes the typed time.
    EXPECT_EQ(runToEnd(CmdWriteLedSettings), U(ot::kLedWriteDone));
    page->command(PageCmdLedNew);
    EXPECT_EQ(saved(), LedImage{});
    EXPECT_EQ(runToEnd(CmdReadLedSettings), U(ot::kLedReadDone));
    click(0);
    EXPECT_EQ(page->control<QComboBox>(CtlLedSignal)->currentIndex(), 1);
    EXPECT_EQ(page->control<QComboBox>(CtlLedMode)->currentIndex(), 1);
    EXPECT_EQ(page->control<QLineEdit>(CtlLedTime)->text(), QStringLiteral("0.50"));
}

TEST_F(LedPageTest, RefusedPopupTimeKeepsThePopupAndCancelsTheWrite)
{
    start(715);
    click(2);
    typeTime(QStringLiteral("100"));
    rig.rep.messages.clear();
    click(3);
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].text, U(it::kTimeAboveMaximum));
    EXPECT_EQ(rig.rep.messages[0].caption, U(it::kCaptionLedInput));
    EXPECT_EQ(page->panel()->selected(), 2) << "the old LED keeps the pop-up";

    rig.rep.messages.clear();
    const int before = static_cast<int>(rig.rep.statuses.size());
    rig.win->command(CmdWriteLedSettings);
    WaitUntil([&] { return !rig.win->state().busy; }, 3000);
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    for (int k = before; k < rig.rep.statuses.size(); ++k)
        EXPECT_NE(rig.rep.statuses[k], U(ot::kLedWriteStarted));
    typeTime(QStringLiteral("99,99"));
    EXPECT_EQ(saved().at(2, LedTime), 9999u);
}

// Project save (154) first takes the time typed in the open pop-up, as Write and Save do; an
// invalid one shows its message and nothing is written.
TEST_F(LedPageTest, ProjectSaveTakesThePopupsTypedTimeFirst)
{
    start(715);
    const QString project = rig.folder.filePath(QStringLiteral("typed.tirv"));
    click(2);
    typeTime(QStringLiteral("1,25"));
    rig.dialogs.paths.push_back(project);
    rig.win->command(CmdSaveProject);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(project.toStdString(), bytes));
    const ProjectFileRead read = ParseProjectFile(bytes, rig.pages->editor().profile());
    EXPECT_EQ(read.content.leds.at(2, LedTime), 125u);
    EXPECT_EQ(page->control<QLineEdit>(CtlLedTime)->text(), QStringLiteral("1.25"));

    ASSERT_TRUE(QFile::remove(project));
    typeTime(QStringLiteral("100"));
    rig.rep.messages.clear();
    rig.dialogs.paths.push_back(project);
    rig.win->command(CmdSaveProject);
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].text, U(it::kTimeAboveMaximum));
    EXPECT_FALSE(QFile::exists(project));
    EXPECT_EQ(rig.dialogs.paths.size(), 1u) << "no file was asked for";
    EXPECT_TRUE(page->popupOpen());
}

TEST_F(LedPageTest, OlderLayoutFileAsksAndClearsLedsSixToEight)
{
    start(715);
    LedImage leds{};
    leds.at(0, LedSignal) = 3;
    leds.at(4, LedTime) = 70;
    const QString five = rig.folder.filePath(QStringLiteral("five.tld"));
    ASSERT_TRUE(WriteWholeFile(five.toStdString(), BuildTldFile(705, {}, leds)));
    click(6);
    page->control<QComboBox>(CtlLedSignal)->setCurrentIndex(40);
    page->clickPanel(QPoint(2, 2));

    rig.rep.answers.push_back(Answer::Cancel);
    rig.dialogs.paths.push_back(five);
    page->command(PageCmdLedOpen);
    ASSERT_FALSE(rig.rep.messages.empty());
    EXPECT_EQ(rig.rep.messages.back().text, U(it::kTldOlderLayout));
    EXPECT_EQ(saved().at(6, LedSignal), 40u) << "Cancel keeps the page";

    rig.dialogs.paths.push_back(five);
    page->command(PageCmdLedOpen);
    EXPECT_EQ(rig.rep.lastStatus(), U(ot::kLedFileLoaded));
    EXPECT_EQ(saved(), leds);

    std::vector<std::uint8_t> hundred(100, 0);
    ASSERT_TRUE(WriteWholeFile(five.toStdString(), hundred));
    rig.dialogs.paths.push_back(five);
    rig.rep.messages.clear();
    page->command(PageCmdLedOpen);
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].text, U(it::kTldDamaged));
}

}  // namespace
}  // namespace tirv
