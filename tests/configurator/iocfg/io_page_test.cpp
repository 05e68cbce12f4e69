// The I/O page in the whole program against tirv-sim, in both modes: read, edit, write and read
// back; the time fields' rules; .tio files saved, opened, damaged and invalid; the lamps drawn
// from the live states; the cyclic poll with its minimum period and its end when the page is
// left.
#include "configurator/iocfg/io_page.h"
#include "cli/cli_run.h"
#include "common/word_file.h"
#include "configurator/iocfg/io_files.h"
#include "configurator/iocfg/io_operation_texts.h"
#include "configurator/iocfg/io_page_texts.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/shell/program_files.h"
#include "configurator/shell/program_settings.h"
#include "support/sim_program.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QSpinBox>

#include <memory>

namespace tirv {
namespace {

using test::U;

namespace ot = io_operation_texts;
namespace pt = io_page_texts;
namespace it = io_texts;
using test::WaitUntil;

class IoPageTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs, int model = 715)
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(simArgs, model, Settings::Fresh));
        settings = dynamic_cast<IoPage*>(rig.win->page(PageIoSettings));
        state = dynamic_cast<IoPage*>(rig.win->page(PageIoState));
        ASSERT_NE(settings, nullptr);
        ASSERT_NE(state, nullptr);
    }

    QLineEdit* edit(IoPage* page, int id) { return page->control<QLineEdit>(id); }
    QComboBox* combo(IoPage* page, int id) { return page->control<QComboBox>(id); }
    // Types `text` into a time field as the user would and leaves it.
    void type(QLineEdit* e, const QString& text)
    {
        e->setText(QString());
        for (const QChar c : text) {
            e->insert(QString(c));
            emit e->textEdited(e->text());
        }
        emit e->editingFinished();
    }
    QString tempPath(const char* name) const
    {
        return rig.folder.filePath(QString::fromUtf8(name));
    }

    IoPage* settings = nullptr;
    IoPage* state = nullptr;
};

TEST_F(IoPageTest, ReadEditWriteAndReadBackInSettingsMode)
{
    for (const int model : {705, 715}) {
        SCOPED_TRACE(model);
        start({"--model", std::to_string(model)}, model);
        rig.win->command(CmdShowIoSettings);
        ASSERT_EQ(rig.win->currentPage(), PageIoSettings);
        EXPECT_EQ(runToEnd(CmdReadIoSettings), U(ot::kReadDone[0]));
        // Channels 1–8 are fixed; 9–16 list only the free functions.
        EXPECT_FALSE(combo(settings, CtlIoInputFunction)->isEnabled());
        EXPECT_TRUE(combo(settings, CtlIoInputFunction + 8)->isEnabled());
        EXPECT_EQ(combo(settings, CtlIoInputFunction + 8)->count(), 37);
        EXPECT_EQ(combo(settings, CtlIoInputFunction)->count(), 45);

        combo(settings, CtlIoInputFunction + 8)->setCurrentIndex(44 - 8);
        combo(settings, CtlIoOutputMode + 12)->setCurrentIndex(2);
        type(edit(settings, CtlIoInputPickUp + 10), QStringLiteral("0,29"));
        EXPECT_EQ(edit(settings, CtlIoInputPickUp + 10)->text(), QStringLiteral("0.29"));
        EXPECT_EQ(settings->control<QSpinBox>(CtlIoInputPickUpSpin + 10)->value(), 29);
        settings->control<QSpinBox>(CtlIoOutputReturnSpin + 15)->stepUp();
        EXPECT_EQ(edit(settings, CtlIoOutputReturn + 15)->text(), QString::fromStdString("0.01"));
        EXPECT_EQ(runToEnd(CmdWriteIoSettings), U(ot::kWriteDone));

        settings->command(PageCmdIoNew);
        EXPECT_EQ(edit(settings, CtlIoInputPickUp + 10)->text(), QStringLiteral("0.00"));
        EXPECT_EQ(runToEnd(CmdReadIoSettings), U(ot::kReadDone[0]));
        EXPECT_EQ(combo(settings, CtlIoInputFunction + 8)->currentText(),
                  U(it::kInputFunctions[44]));
        EXPECT_EQ(combo(settings, CtlIoOutputMode + 12)->currentIndex(), 2);
        EXPECT_EQ(edit(settings, CtlIoInputPickUp + 10)->text(), QStringLiteral("0.29"));
        EXPECT_EQ(edit(settings, CtlIoOutputReturn + 15)->text(), QStringLiteral("0.01"));
        rig.reset();
    }
}

TEST_F(IoPageTest, TimeFieldsTakeDecimalsUpTo99_99)
{
    start({"--model", "715"});
    rig.win->command(CmdShowIoSettings);
    QLineEdit* e = edit(settings, CtlIoOutputOperate + 9);
    struct Case {
        const char* typed;
        const char* shown;    // after leaving the field
        const char* message;  // nullptr: accepted
    };
    const Case cases[] = {
        {"99,99", "99.99", nullptr},
        {"0", "0.00", nullptr},
        {"1a.5", "1.50", nullptr},  // the letter never reaches the field
        {"100", nullptr, it::kTimeAboveMaximum},
        {"", nullptr, it::kTimeEmpty},
        {".", nullptr, it::kTimeNotANumber},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        rig.rep.messages.clear();
        type(e, QString::fromUtf8(c.typed));
        if (c.message) {
            ASSERT_EQ(rig.rep.messages.size(), 1u);
            EXPECT_EQ(rig.rep.messages[0].text, U(c.message));
            EXPECT_EQ(rig.rep.messages[0].caption, U(it::kCaptionIoInput));
            continue;
        }
        EXPECT_TRUE(rig.rep.messages.empty());
        EXPECT_EQ(e->text(), QString::fromUtf8(c.shown));
    }
    // A refused field cancels Save before the dialog is shown.
    type(e, QStringLiteral("100"));
    rig.rep.messages.clear();
    settings->command(PageCmdIoSave);
    EXPECT_TRUE(rig.dialogs.fileRequests.empty());
    ASSERT_FALSE(rig.rep.messages.empty());
    EXPECT_EQ(rig.rep.messages[0].text, U(it::kTimeAboveMaximum));
}

TEST_F(IoPageTest, TioFilesSaveOpenAndRefusal)
{
    start({"--model", "715"});
    rig.win->command(CmdShowIoSettings);
    combo(settings, CtlIoOutputSignal + 9)->setCurrentIndex(94);
    type(edit(settings, CtlIoInputReset + 14), QStringLiteral("12.34"));
    const QString path = tempPath("page.tio");
    rig.dialogs.paths.push_back(path);
    settings->command(PageCmdIoSave);
    ASSERT_EQ(rig.dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(rig.dialogs.fileRequests[0].title, U(pt::kSaveTitle));
    EXPECT_EQ(rig.rep.lastStatus(), U(ot::kIoFileSaved));

    settings->command(PageCmdIoNew);
    rig.dialogs.paths.push_back(path);
    settings->command(PageCmdIoOpen);
    EXPECT_EQ(rig.rep.lastStatus(), U(ot::kIoFileLoaded));
    EXPECT_EQ(combo(settings, CtlIoOutputSignal + 9)->currentIndex(), 94);
    EXPECT_EQ(edit(settings, CtlIoInputReset + 14)->text(), QStringLiteral("12.34"));

    // One changed byte: damaged; input 9 with function 3: refused; the page unchanged either way.
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(path.toStdString(), bytes));
    bytes[300] ^= 0x40;
    ASSERT_TRUE(WriteWholeFile(path.toStdString(), bytes));
    rig.dialogs.paths.push_back(path);
    rig.rep.messages.clear();
    settings->command(PageCmdIoOpen);
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].text, U(it::kTioDamaged));

    IoImage invalid = DefaultIoImage();
    invalid.input(8, IoFunction) = 3;
    ASSERT_TRUE(WriteWholeFile(path.toStdString(), BuildTioFile(715, {}, invalid)));
    rig.dialogs.paths.push_back(path);
    rig.rep.messages.clear();
    settings->command(PageCmdIoOpen);
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].text, U(it::kTioInvalidMessage));
    EXPECT_EQ(rig.rep.lastStatus(), U(it::kTioInvalidStatus));
    EXPECT_EQ(combo(settings, CtlIoOutputSignal + 9)->currentIndex(), 94);

    rig.dialogs.paths.push_back(tempPath("page.tld"));
    rig.rep.messages.clear();
    settings->command(PageCmdIoOpen);
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].text, U(it::kTioWrongExtension));
}

// Red for an active channel, grey for an inactive one, row by row.
TEST_F(IoPageTest, StateModeLampsShowTheLiveStates)
{
    start({"--model", "705"}, 705);
    ASSERT_TRUE(sim->control("io inputs 5"));
    ASSERT_TRUE(sim->control("io outputs 0x8000"));
    rig.win->command(CmdShowIoState);
    ASSERT_EQ(rig.win->currentPage(), PageIoState);
    EXPECT_FALSE(edit(state, CtlIoInputPickUp + 12)->isEnabled());
    EXPECT_EQ(runToEnd(CmdReadIoState), U(ot::kReadDone[1]));
    EXPECT_EQ(state->inputStates(), 5);

    // Each lamp sits level with its row of the laid-out table, down to the last one.
    rig.win->show();
    QApplication::processEvents();
    auto* lamps = state->control<IoLampColumn>(CtlIoInputLamps);
    ASSERT_NE(lamps, nullptr);
    const QImage image = lamps->grab().toImage();
    const auto lampAt = [&](int row) {
        QWidget* function = state->control(CtlIoInputFunction + row);
        const int y = lamps->mapFromGlobal(function->mapToGlobal(QPoint(0, function->height() / 2))).y();
        return image.pixelColor(image.width() / 2, y);
    };
    EXPECT_EQ(lampAt(0), QColor(255, 0, 0));
    EXPECT_EQ(lampAt(1), QColor(192, 192, 192));
    EXPECT_EQ(lampAt(2), QColor(255, 0, 0));
    EXPECT_EQ(lampAt(15), QColor(192, 192, 192));
    for (int row : {0, 15}) {
        QWidget* function = state->control(CtlIoInputFunction + row);
        const int y = lamps->mapFromGlobal(function->mapToGlobal(QPoint(0, function->height() / 2))).y();
        EXPECT_EQ(lamps->rowCentre(row), y) << row;
    }
    auto* outputs = state->control<IoLampColumn>(CtlIoOutputLamps);
    EXPECT_EQ(outputs->states(), 0x8000);
}

TEST_F(IoPageTest, PollingRaisesThePeriodLightsTheLampAndEndsWhenThePageIsLeft)
{
    start({"--model", "705", "--baud", "1200"}, 705);
    rig.settings().baudIndex = 0;
    rig.win->command(CmdShowIoState);
    ASSERT_TRUE(sim->control("io inputs 0"));
    auto* period = edit(state, CtlIoPollPeriod);
    period->setText(QStringLiteral("3000"));
    rig.rep.messages.clear();
    state->control<QCheckBox>(CtlIoPollOn)->setChecked(true);
    ASSERT_FALSE(rig.rep.messages.empty());
    EXPECT_EQ(rig.rep.messages[0].text, U(pt::kPeriodTooSmall));
    EXPECT_EQ(period->text(), QStringLiteral("3450"));
    EXPECT_FALSE(period->isEnabled());

    ASSERT_TRUE(WaitUntil([&] { return rig.rep.lastStatus() == U(ot::kReadDone[1]); }, 10000));
    ASSERT_TRUE(sim->control("io input 2 on"));
    EXPECT_TRUE(WaitUntil([&] { return state->inputStates() == 2; }, 3450 + 3000));

    // Leave while a read is in flight: it ends with its reply, and no other starts.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return rig.rep.lastStatus() == U(ot::kReadStarted[1]) ||
                   rig.rep.lastStatus() == U(ot::kReadNextBlock[1]);
        },
        8000));
    rig.win->command(CmdShowIoSettings);
    ASSERT_TRUE(WaitUntil([&] { return rig.rep.lastStatus() == U(ot::kReadDone[1]); }, 8000));
    const int reads = static_cast<int>(rig.rep.statuses.count(U(ot::kReadStarted[1])));
    WaitUntil({}, 5000);
    EXPECT_EQ(rig.rep.statuses.count(U(ot::kReadStarted[1])), reads);
    EXPECT_FALSE(state->timerActive(TimerIoStatePoll));
}

// A block out of range is refused with its status and leaves the page as it was; the poll
// goes on and takes the relay's block again once it is valid.
TEST_F(IoPageTest, PollingGoesOnPastARejectedBlock)
{
    start({"--model", "715"});
    rig.win->command(CmdShowIoState);
    ASSERT_EQ(runToEnd(CmdReadIoState), U(ot::kReadDone[1]));
    const QString signal = combo(state, CtlIoOutputSignal)->currentText();
    ASSERT_TRUE(sim->control("io register 234 " + std::to_string(0x8064 + 95)));
    state->control<QCheckBox>(CtlIoPollOn)->setChecked(true);
    ASSERT_TRUE(WaitUntil([&] { return rig.rep.lastStatus() == U(it::kIoReadInvalid); }, 5000));
    EXPECT_EQ(combo(state, CtlIoOutputSignal)->currentText(), signal);
    const auto rejected = [&] { return rig.rep.statuses.count(U(it::kIoReadInvalid)); };
    EXPECT_TRUE(WaitUntil([&] { return rejected() >= 2; }, 5000)) << "the poll goes on";
    ASSERT_TRUE(sim->control("io register 234 " + std::to_string(0x8064 + 94)));
    EXPECT_TRUE(
        WaitUntil([&] { return combo(state, CtlIoOutputSignal)->currentIndex() == 94; }, 5000));
    state->control<QCheckBox>(CtlIoPollOn)->setChecked(false);
}

// What pages 2 and 6 hold lives in "ТИРВ.cfg": the I/O record and the poll's words, raised to
// the minimum of the speed.
TEST_F(IoPageTest, SettingsFileKeepsTheRecordAndThePoll)
{
    start({"--model", "715"});
    rig.win->command(CmdShowIoSettings);
    combo(settings, CtlIoOutputSignal + 13)->setCurrentIndex(88);
    rig.win->command(CmdShowIoState);
    edit(state, CtlIoPollPeriod)->setText(QStringLiteral("100"));
    emit edit(state, CtlIoPollPeriod)->editingFinished();
    rig.pages->files().saveSettings();
    const ProgramSettingsLoad load = LoadProgramSettings(rig.settingsPath().toStdString());
    EXPECT_EQ(load.settings.io.output(13, IoFunction), 88u);
    EXPECT_EQ(load.settings.ioStatePoll.periodMs, 400) << "57600 bit/s: 400 ms at least";
}

// A .tio saved by the window goes into the relay through tirv-cli, comes back through tirv-cli
// and opens in the window, named on its command line (kind 3), with every field as saved.
TEST_F(IoPageTest, WindowAndCliFilesAreOneFormat)
{
    start({"--model", "715"});
    rig.win->command(CmdShowIoSettings);
    combo(settings, CtlIoInputFunction + 15)->setCurrentIndex(43 - 8);
    type(edit(settings, CtlIoOutputOperate + 11), QStringLiteral("7.07"));
    const QString saved = tempPath("window.tio");
    rig.dialogs.paths.push_back(saved);
    settings->command(PageCmdIoSave);
    const test::CliResult w = test::RunCli(test::On(*sim, {"io", "write", saved.toStdString()}));
    ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
    const QString back = tempPath("cli.tio");
    ASSERT_EQ(test::RunCli(test::On(*sim, {"io", "read", back.toStdString()})).exitCode, 0);

    rig.reset();
    rig.build(QString::fromStdString(sim->portsDir()), 715, back);
    rig.win->start();
    settings = dynamic_cast<IoPage*>(rig.win->page(PageIoSettings));
    ASSERT_NE(settings, nullptr);
    WaitUntil({}, 200);
    EXPECT_EQ(rig.win->currentPage(), PageIoSettings);
    EXPECT_EQ(combo(settings, CtlIoInputFunction + 15)->currentText(), U(it::kInputFunctions[43]));
    EXPECT_EQ(edit(settings, CtlIoOutputOperate + 11)->text(), QStringLiteral("7.07"));
}

}  // namespace
}  // namespace tirv
