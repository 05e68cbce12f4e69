// The configuration page in the whole program against tirv-sim: the read selects the relay's type
// and shows its serial number (also in the panel, with the frame bytes), a type of the same class
// switches the model tables, a type across the family is refused by the relay and the model is
// kept, the input checks send nothing, the serial number is written while its field is enabled.
#include "configurator/link/connection_panel.h"
#include "configurator/service/breaker_window.h"
#include "configurator/service/device_identity_page.h"
#include "configurator/service/device_identity_texts.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/mbpoll.h"
#include "support/sim_program.h"

#include <gtest/gtest.h>
#include <QRegularExpression>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include <memory>

namespace tirv {
namespace {

using test::U;

namespace it = identity_texts;
using test::WaitUntil;

class IdentityPageTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs, int model)
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(simArgs, model, Settings::Fresh));
        rig.win->command(CmdShowConfiguration);
        page = dynamic_cast<DeviceIdentityPage*>(rig.win->page(PageConfiguration));
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(rig.win->currentPage(), PageConfiguration);
        QObject::connect(page->identity(), &DeviceIdentityControl::requestSent,
                         [this](const QByteArray& f, bool) { frames.push_back(f); });
    }

    QComboBox* type() const { return page->control<QComboBox>(CtlIdentityType); }
    QLineEdit* serial() const { return page->control<QLineEdit>(CtlIdentitySerial); }
    QString panelText(int ctl) { return rig.panel().control<QLineEdit>(ctl)->text(); }

    DeviceIdentityPage* page = nullptr;
    std::vector<QByteArray> frames;
};

TEST_F(IdentityPageTest, ReadSelectsTheTypeAndShowsTheSerialNumber)
{
    start({"--model", "716", "--serial", "4321"}, 716);
    EXPECT_EQ(type()->count(), 8);
    EXPECT_TRUE(type()->itemText(0).isEmpty());
    EXPECT_FALSE(serial()->isEnabled());
    EXPECT_EQ(serial()->maxLength(), 5);

    EXPECT_EQ(runToEnd(CmdRead), U(it::kRead));
    EXPECT_EQ(type()->currentText(), QStringLiteral("ТИРВ/ОЛК-706M"));
    EXPECT_EQ(serial()->text(), "4321");
    EXPECT_EQ(panelText(CtlSerial), "4321");
    // The read's eight bytes in the panel's request field, the reply's thirteen in the other.
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(panelText(CtlFrameRequest), QString::fromLatin1(frames.back().toHex(' ')));
    EXPECT_TRUE(panelText(CtlFrameRequest).startsWith("01 03 00 83 00 04 "));
    EXPECT_EQ(panelText(CtlFrameReply).split(' ', Qt::SkipEmptyParts).size(), 13);

    rig.win->resize(900, 640);
    rig.win->show();
    test::WaitUntil({}, 50);
    QDir().mkpath(QStringLiteral("/tmp/clock-shots"));
    EXPECT_TRUE(rig.win->grab().save(QStringLiteral("/tmp/clock-shots/identity_window.png")));
    rig.win->command(CmdShowLinkSettings);
    test::WaitUntil({}, 50);
    EXPECT_TRUE(rig.win->grab().save(QStringLiteral("/tmp/clock-shots/panel_frames.png")));
    rig.win->command(CmdShowConfiguration);

    ASSERT_TRUE(sim->control("type 0"));  // a code of no model selects the empty item
    EXPECT_EQ(runToEnd(CmdRead), U(it::kRead));
    EXPECT_EQ(type()->currentIndex(), 0);
    EXPECT_TRUE(rig.rep.messages.empty());
}

TEST_F(IdentityPageTest, ALostOrDamagedReplyFailsTheRead)
{
    start({"--model", "715"}, 715);
    ASSERT_EQ(runToEnd(CmdRead), U(it::kRead));
    ASSERT_TRUE(sim->control("drop 1"));
    EXPECT_EQ(runToEnd(CmdRead), U(it::kReadFailed));
    // The failure took the link down; the next read checks it first and so is whole again.
    ASSERT_EQ(runToEnd(CmdRead), U(it::kRead));
    ASSERT_TRUE(sim->control("bad-crc 1"));
    const std::size_t before = rig.rep.messages.size();
    EXPECT_EQ(runToEnd(CmdRead), U(it::kReadFailed));
    ASSERT_EQ(rig.rep.messages.size(), before + 1);
    EXPECT_EQ(rig.rep.messages.back().text, U(it::kOverflow));
    EXPECT_EQ(rig.rep.messages.back().caption, U(it::kOverflowCaption));
}

TEST_F(IdentityPageTest, TypeOfTheSameClassSwitchesTheModelAndAcrossTheFamilyIsRefused)
{
    start({"--model", "715"}, 715);
    ASSERT_EQ(runToEnd(CmdRead), U(it::kRead));
    type()->setCurrentIndex(6);  // ТИРВ/ОЛК-706M
    EXPECT_EQ(runToEnd(CmdWrite), U(it::kTypeWritten));
    EXPECT_EQ(rig.win->model().code(), 716);
    EXPECT_EQ(rig.panel().control<QComboBox>(CtlDeviceType)->currentIndex(), 6);
    ASSERT_EQ(runToEnd(CmdRead), U(it::kRead));
    EXPECT_EQ(type()->currentIndex(), 6);

    type()->setCurrentIndex(2);  // ТИРВ/ОЛК-705: the relay cannot become a non-M relay
    EXPECT_EQ(runToEnd(CmdWrite), U(it::kTypeWriteFailed));
    EXPECT_EQ(rig.win->model().code(), 716);
    ASSERT_EQ(runToEnd(CmdRead), U(it::kRead));
    EXPECT_EQ(type()->currentIndex(), 6);
}

TEST_F(IdentityPageTest, InputChecksSendNothing)
{
    start({"--model", "715"}, 715);
    type()->setCurrentIndex(0);
    rig.win->command(CmdWrite);
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].text, U(it::kChooseType));
    EXPECT_EQ(rig.rep.messages[0].caption, U(it::kInputCaption));

    type()->setCurrentIndex(5);
    serial()->setEnabled(true);
    serial()->clear();
    rig.win->command(CmdWrite);
    ASSERT_EQ(rig.rep.messages.size(), 2u);
    EXPECT_EQ(rig.rep.messages[1].text, U(it::kEnterSerial));
    EXPECT_EQ(rig.win->focusWidget(), serial());
    EXPECT_TRUE(frames.empty());
    EXPECT_FALSE(rig.win->state().busy);
}

TEST_F(IdentityPageTest, SerialNumberIsWrittenWhileItsFieldIsEnabled)
{
    start({"--model", "705", "--serial", "11"}, 705);
    type()->setCurrentIndex(2);
    serial()->setEnabled(true);
    serial()->setText("54321");
    EXPECT_EQ(runToEnd(CmdWrite), U(it::kBothWritten));
    EXPECT_EQ(panelText(CtlSerial), "54321");
    EXPECT_EQ(frames.size(), 2u);
    serial()->clear();
    ASSERT_EQ(runToEnd(CmdRead), U(it::kRead));
    EXPECT_EQ(serial()->text(), "54321");

    // Six digits cannot be typed into the field.
    serial()->setText("123456");
    EXPECT_EQ(serial()->text(), "12345");
    ASSERT_TRUE(sim->control("drop 1"));
    const std::size_t sent = frames.size();
    EXPECT_EQ(runToEnd(CmdWrite), U(it::kTypeWriteFailed));
    EXPECT_EQ(frames.size(), sent + 1);  // the serial write follows only an acknowledged type
}

// mbpoll, another master on the same line, reads the type and serial number the page shows.
TEST_F(IdentityPageTest, MbpollReadsTheRegistersThePageShows)
{
    if (!test::HaveMbpoll())
        GTEST_SKIP() << "mbpoll is not installed (apt-get install mbpoll)";
    start({"--model", "706", "--serial", "2468"}, 705);
    ASSERT_EQ(runToEnd(CmdRead), U(it::kRead));
    rig.pages->link().closePort();  // one master at a time on the line
    const std::vector<int> regs = test::MbpollValues(test::MbpollRead(*sim, 131, 4));
    ASSERT_EQ(regs.size(), 4u);
    EXPECT_EQ(DeviceTypeCode(type()->currentIndex()), regs[0]);
    EXPECT_EQ(type()->currentText(), QStringLiteral("ТИРВ/ОЛК-706"));
    EXPECT_EQ(serial()->text().toInt(), regs[3]);
}

// The panel's frame fields show the last service exchange, whichever window sent it: the
// identity write's request and acknowledgement, then the breaker command's.
TEST_F(IdentityPageTest, PanelFrameFieldsFollowEveryServiceExchange)
{
    start({"--model", "715"}, 715);
    type()->setCurrentIndex(5);
    ASSERT_EQ(runToEnd(CmdWrite), U(it::kTypeWritten));
    EXPECT_TRUE(panelText(CtlFrameRequest).startsWith("01 10 00 83 00 01 02 02 cb "))
        << panelText(CtlFrameRequest).toStdString();
    EXPECT_TRUE(panelText(CtlFrameReply).startsWith("01 10 00 83 00 01 "));

    rig.win->command(CmdBreakerControl);
    auto* breaker = rig.win->findChild<BreakerWindow*>();
    ASSERT_NE(breaker, nullptr);
    breaker->button(BreakerCommand::Open)->click();
    ASSERT_TRUE(WaitUntil([&] { return !rig.win->state().busy; }, 15000));
    EXPECT_TRUE(panelText(CtlFrameRequest).startsWith("01 10 00 87 00 01 02 00 01 "))
        << panelText(CtlFrameRequest).toStdString();
    EXPECT_TRUE(panelText(CtlFrameReply).startsWith("01 10 00 87 00 01 "))
        << panelText(CtlFrameReply).toStdString();
}

}  // namespace
}  // namespace tirv
