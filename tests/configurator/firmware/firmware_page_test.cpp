// The firmware update page in the whole program against tirv-sim: a file chosen through the
// dialog seam, the update of each family with its rows, final text and the simulated flash equal
// to the file's image, the protocol file in Windows-1251, the timing fields replaced with their
// messages, a refused file, the image dropped on a change of model class, and the relay left in
// its loader after a failed non-M update offering the update from another page. Screenshots of
// the page during and after each update go to /tmp/fw-shots/.
#include "configurator/firmware/firmware_page.h"

#include "common/cp1251.h"
#include "configurator/link/link_state.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/texts.h"
#include "configurator/shell/main_window.h"
#include "configurator/ui/ids.h"
#include "firmware_records.h"
#include "support/sim_program.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>
#include <iterator>

namespace tirv {
namespace {

namespace tx = firmware_texts;
using test::U;
using test::WaitUntil;

// What status field 2 shows for a relay running its program (as after a link check).
QString AddressField(int address)
{
    return QString::fromUtf8(panel_texts::kDeviceAddress).arg(address);
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Shot(QWidget* w, const QString& name)
{
    QDir().mkpath(QStringLiteral("/tmp/fw-shots"));
    w->grab().save(QStringLiteral("/tmp/fw-shots/") + name + QStringLiteral(".png"));
}

class FirmwarePageTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs, int model)
    {
        startProgram(std::move(simArgs), model);
        win = rig.win.get();
        win->resize(1000, 700);
        win->show();
        page = showPage<FirmwareUpdatePage>(CmdShowFirmware, PageFirmware);
        ASSERT_NE(page, nullptr);
    }
    std::string writeFile(const std::string& name, const std::string& text)
    {
        const std::string path = sim->workDir() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    QStringList rows() const
    {
        QStringList out;
        auto* list = page->control<QTreeWidget>(CtlFwList);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(1);
        return out;
    }
    std::vector<std::uint8_t> flash()
    {
        const std::string path = sim->workDir() + "/flash.bin";
        EXPECT_TRUE(sim->control("flash-dump " + path));
        const std::string bytes = ReadAll(path);
        return {bytes.begin(), bytes.end()};
    }
    // Starts the page command and waits for the end, with a screenshot while rows come in.
    void runAndShoot(int cmd, const QString& shotName)
    {
        bool shot = false;
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, [&] {
            if (!shot && rows().size() >= 6) {
                Shot(win, shotName + QStringLiteral("-during"));
                shot = true;
            }
        });
        during.start(5);
        page->command(cmd);
        WaitUntil([&] { return !page->running() && !win->state().busy; }, 60000);
        WaitUntil({}, 100);
        during.stop();
        Shot(win, shotName + QStringLiteral("-after"));
    }

    MainWindow* win = nullptr;
    FirmwareUpdatePage* page = nullptr;
};

TEST_F(FirmwarePageTest, NonMUpdateWritesTheFileWithItsProtocolAndTimingMessages)
{
    start({"--model", "705"}, 705);
    const std::string mot = test::S3(0xFFF80000, test::Ramp(64, 9)) +
                            test::S3(0xFFF80100, test::Ramp(32, 1)) +
                            test::SRecord('7', 0xFFF80000, 4, {});
    rig.dialogs.paths.push_back(QString::fromStdString(writeFile("new.mot", mot)));
    page->command(CtlFwChooseFile);
    ASSERT_TRUE(page->image().has_value());
    ASSERT_EQ(rig.dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(rig.dialogs.fileRequests[0].title, U(tx::kOpenDialogTitle));
    EXPECT_EQ(rig.dialogs.fileRequests[0].filter, U(tx::kFilterMot));
    EXPECT_FALSE(page->control(CtlFwVerify)->isVisibleTo(page)) << "verify-only is for M models";

    const std::string protocol = sim->workDir() + "/update.txt";
    rig.dialogs.paths.push_back(QString::fromStdString(protocol));
    page->command(CtlFwChooseProtocol);
    page->control<QLineEdit>(CtlFwEraseMs)->setText(QString());
    page->control<QLineEdit>(CtlFwPageMs)->setText(QStringLiteral("5"));
    page->control<QLineEdit>(CtlFwInitMs)->setText(QStringLiteral("1000"));
    runAndShoot(PageCmdFirmwareWrite, QStringLiteral("nonm"));

    const QStringList texts = rig.rep.messageTexts();
    EXPECT_TRUE(texts.contains(U(tx::kEraseTimeEmpty))) << texts.join('\n').toStdString();
    EXPECT_TRUE(texts.contains(U(tx::kWriteTimeRange)));
    EXPECT_EQ(page->control<QLineEdit>(CtlFwEraseMs)->text(), QStringLiteral("200"));
    EXPECT_EQ(page->control<QLineEdit>(CtlFwPageMs)->text(), QStringLiteral("10"));
    const QStringList r = rows();
    ASSERT_FALSE(r.isEmpty());
    EXPECT_EQ(r.front(), U(tx::kEnteringLoader));
    EXPECT_EQ(r.back(), U(tx::kFinalUpdateDone)) << r.join('\n').toStdString();
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kFinalUpdateDone));

    const auto bytes = flash();
    const auto& pages = page->image()->relay.pages.pages();
    for (const auto& [base, p] : pages)
        EXPECT_TRUE(std::equal(p.bytes.begin(), p.bytes.end(),
                               bytes.begin() + std::ptrdiff_t(0x2000 + base - 0xFFF80000)));

    const std::string text = Cp1251ToUtf8(ReadAll(protocol));
    EXPECT_NE(text.find(tx::kProtocolHeader), std::string::npos) << text;
    EXPECT_NE(text.find("Устройство ТИРВ-705"), std::string::npos) << text;
    EXPECT_NE(text.find(tx::kLoaderConfirmed), std::string::npos);
    EXPECT_NE(text.find(tx::kFinalUpdateDone), std::string::npos);
    EXPECT_NE(text.find(tx::kProtocolPortClosed), std::string::npos);
    EXPECT_EQ(ReadAll(protocol).find("Устройство"), std::string::npos)
        << "the file is Windows-1251, not UTF-8";
}

TEST_F(FirmwarePageTest, MUpdateThenVerifyWithFrameDumpsInTheProtocol)
{
    start({"--model", "715"}, 715);
    std::string hex = test::HexBase(0x0800);
    for (std::uint16_t offset = 0; offset < 1024; offset += 16)
        hex += test::HexData(offset, test::Ramp(16, std::uint8_t(offset / 16)));
    hex += test::kHexEnd;
    rig.dialogs.paths.push_back(QString::fromStdString(writeFile("new.hex", hex)));
    page->command(CtlFwChooseFile);
    ASSERT_TRUE(page->image().has_value());
    EXPECT_EQ(rig.dialogs.fileRequests[0].filter, U(tx::kFilterHex));
    EXPECT_FALSE(page->control(CtlFwEraseMs)->isVisibleTo(page)) << "timing is for non-M models";
    const std::string protocol = sim->workDir() + "/update.txt";
    rig.dialogs.paths.push_back(QString::fromStdString(protocol));
    page->command(CtlFwChooseProtocol);

    // As a relay known to wait in its bootloader is marked: the update must clear the mark.
    rig.linkState().setBootloaderMode(true);
    runAndShoot(PageCmdFirmwareWrite, QStringLiteral("m"));
    QStringList r = rows();
    ASSERT_GE(r.size(), 2);
    EXPECT_EQ(r[1], U("Обновление ПО ТИРВ-705M:"));
    EXPECT_EQ(r.back(), U(tx::kFinalUpdateDone)) << r.join('\n').toStdString();
    EXPECT_EQ(win->statusText(2).toStdString(), AddressField(rig.settings().address).toStdString())
        << "GO ran the program";
    EXPECT_FALSE(rig.linkState().bootloaderMode());
    const auto bytes = flash();
    const auto& image = page->image()->stm32.bytes;
    EXPECT_TRUE(std::equal(image.begin(), image.end(), bytes.begin()));

    runAndShoot(PageCmdFirmwareRead, QStringLiteral("m-verify"));
    r = rows();
    EXPECT_EQ(r.back(), U(tx::kFinalVerifyDone)) << r.join('\n').toStdString();
    EXPECT_EQ(win->statusText(2).toStdString(), panel_texts::kBootloaderMode)
        << "verification ends without GO: the relay still waits in its bootloader";
    const std::string text = Cp1251ToUtf8(ReadAll(protocol));
    EXPECT_NE(text.find("   W:  7F"), std::string::npos) << "the frame dumps";
    EXPECT_NE(text.find("   R:  79"), std::string::npos);
    EXPECT_NE(text.find(std::string(60, '-')), std::string::npos) << "separator between runs";
}

TEST_F(FirmwarePageTest, RefusedFileAndAClassChangeLeaveNoImage)
{
    start({"--model", "705"}, 705);
    rig.dialogs.paths.push_back(
        QString::fromStdString(writeFile("old.mot", test::SRecord('1', 0x1000, 2, test::Ramp(4)))));
    page->command(CtlFwChooseFile);
    EXPECT_FALSE(page->image().has_value());
    ASSERT_FALSE(rig.rep.messages.empty());
    EXPECT_EQ(rig.rep.messages.back().text, U(tx::kSrecAddressing));

    rig.dialogs.paths.push_back(
        QString::fromStdString(writeFile("good.mot", test::S3(0xFFF80000, test::Ramp(16)))));
    page->command(CtlFwChooseFile);
    ASSERT_TRUE(page->image().has_value());
    win->setModelCode(715);
    EXPECT_FALSE(page->image().has_value()) << "an image of the other family is dropped";
    EXPECT_TRUE(page->control<QLineEdit>(CtlFwFileName)->text().isEmpty());
}

TEST_F(FirmwarePageTest, AFailedNonMUpdateLeavesTheRelayInItsLoaderAndOtherPagesOfferTheUpdate)
{
    start({"--model", "705"}, 705);
    ASSERT_TRUE(sim->control("loader-page-ms 3000"));
    rig.dialogs.paths.push_back(
        QString::fromStdString(writeFile("new.mot", test::S3(0xFFF80000, test::Ramp(16)))));
    page->command(CtlFwChooseFile);
    page->control<QLineEdit>(CtlFwPageMs)->setText(QStringLiteral("10"));
    page->command(PageCmdFirmwareWrite);
    WaitUntil([&] { return !page->running() && !win->state().busy; }, 30000);
    ASSERT_EQ(rows().back(), U(tx::kFinalUpdateFailed)) << rows().join('\n').toStdString();
    ASSERT_TRUE(rig.linkState().bootloaderMode());

    rig.rep.answers.push_back(Answer::Ok);
    win->command(CmdShowSetpoints);
    win->command(CmdReadSetpoints);
    WaitUntil([&] { return win->currentPage() == PageFirmware && !win->state().busy; }, 15000);
    EXPECT_EQ(win->currentPage(), PageFirmware) << "the setpoint read offered the update";
}

// A relay left in its loader by a failed update is written by a second run: field 2 shows its
// address at once (not only after the next link check) and the mark is gone, so a page whose
// link check then fails reports the failure instead of offering the update again.
TEST_F(FirmwarePageTest, AfterASuccessfulUpdateTheRelayCountsAsRunningItsProgram)
{
    start({"--model", "705"}, 705);
    rig.settings().repeatCount = 0;
    ASSERT_TRUE(sim->control("loader-page-ms 3000"));
    rig.dialogs.paths.push_back(
        QString::fromStdString(writeFile("new.mot", test::S3(0xFFF80000, test::Ramp(16)))));
    page->command(CtlFwChooseFile);
    page->control<QLineEdit>(CtlFwPageMs)->setText(QStringLiteral("10"));
    page->command(PageCmdFirmwareWrite);
    WaitUntil([&] { return !page->running() && !win->state().busy; }, 30000);
    ASSERT_EQ(rows().back(), U(tx::kFinalUpdateFailed)) << rows().join('\n').toStdString();
    ASSERT_TRUE(rig.linkState().bootloaderMode());
    EXPECT_EQ(win->statusText(2).toStdString(), panel_texts::kBootloaderMode);

    ASSERT_TRUE(sim->control("loader-page-ms 8"));
    WaitUntil({}, 3200);  // the loader ends the slow write it was busy with
    page->command(PageCmdFirmwareWrite);
    WaitUntil([&] { return !page->running() && !win->state().busy; }, 30000);
    ASSERT_EQ(rows().back(), U(tx::kFinalUpdateDone)) << rows().join('\n').toStdString();
    EXPECT_EQ(rows().front(), U(tx::kConfirmLoaderMode)) << "the second run skipped the switch";
    EXPECT_EQ(win->statusText(2).toStdString(), AddressField(rig.settings().address).toStdString());
    EXPECT_FALSE(rig.linkState().bootloaderMode());

    ASSERT_TRUE(sim->control("silent on"));
    const std::size_t before = rig.rep.messages.size();
    rig.rep.answers.push_back(Answer::Ok);
    win->command(CmdShowSetpoints);
    win->command(CmdReadSetpoints);
    WaitUntil([&] { return rig.rep.messages.size() > before && !win->state().busy; }, 15000);
    ASSERT_GT(rig.rep.messages.size(), before);
    EXPECT_EQ(rig.rep.messages.back().text.toStdString(), link_texts::kCannotConnect);
    EXPECT_NE(win->currentPage(), PageFirmware);
}

}  // namespace
}  // namespace tirv
