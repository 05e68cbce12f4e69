// The measurements page in the whole program against tirv-sim: the values of both layouts in
// their fields and list rows, the diagram fed from the reading, the period field's checks,
// cyclic polling ended by "Вкл." and by leaving the page, and the page's words of "ТИРВ.cfg"
// across a restart. Also writes pictures of both layouts after a live reading.
#include "configurator/journals/measurement_page.h"
#include "configurator/journals/measurement_texts.h"
#include "configurator/journals/vector_diagram_view.h"
#include "configurator/iocfg/io_operation_texts.h"
#include "configurator/iocfg/io_page.h"
#include "configurator/link/connection_panel.h"
#include "configurator/link/texts.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/sim_program.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace tirv {
namespace {

namespace tx = measurement_texts;
using test::U;
using test::WaitUntil;

class MeasurementPageTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs, int model)
    {
        startProgram(std::move(simArgs), model);
        showMeasurements();
    }
    // After a restart of the program as well.
    void showMeasurements()
    {
        page = showPage<MeasurementPage>(CmdShowMeasurements, PageMeasurements);
        ASSERT_NE(page, nullptr);
    }
    void set(const std::string& command) { simControl(command); }
    void readOnce() { runToEnd(CmdRead); }
    QString field(std::size_t index) const
    {
        return page->control<QLineEdit>(CtlMeasFirstField + static_cast<int>(index))->text();
    }
    QString cell(int row, int column) const
    {
        return page->control<QTableWidget>(CtlMeasList)->item(row, column)->text();
    }
    QCheckBox* phasorBox(std::size_t k) const
    {
        return page->control<QCheckBox>(CtlMeasFirstPhasor + static_cast<int>(k));
    }
    void shoot(const QString& name)
    {
        page->resize(900, 620);
        QDir().mkpath("/tmp/meas-shots");
        EXPECT_TRUE(page->grab().save("/tmp/meas-shots/" + name));
    }

    MeasurementPage* page = nullptr;
};

TEST_F(MeasurementPageTest, IntegerLayoutFillsItsFieldsAndTheDiagram)
{
    start({"--model", "705"}, 705);
    EXPECT_FALSE(page->floatLayout());
    struct Row {
        const char* command;
        std::size_t index;
        const char* text;
    };
    const Row rows[] = {{"measure 300 250", 0, "250.00"},   {"measure 301 1500", 1, "15.00"},
                        {"measure 304 2300", 4, "230.0"},   {"measure 310 1234", 10, "1.234"},
                        {"measure 313 77", 13, "0.77"},     {"measure 317 900", 17, "90.0"},
                        {"measure 324 -1200", 24, "-120.0"}};
    for (const Row& r : rows)
        set(r.command);
    phasorBox(0)->setChecked(true);
    phasorBox(3)->setChecked(true);
    readOnce();
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kStatusRead));
    for (const Row& r : rows)
        EXPECT_EQ(field(r.index), r.text) << r.command;
    // Ua at raw angle 900 points up: the diagram's phasors come from the reading.
    const auto phasors = page->control<VectorDiagramView>(CtlMeasDiagram)->phasors();
    ASSERT_EQ(phasors.size(), kPhasorCount);
    EXPECT_TRUE(phasors[3].selected);
    EXPECT_DOUBLE_EQ(phasors[3].magnitude, 230.0);
    EXPECT_DOUBLE_EQ(phasors[3].angleTenths, 900.0);
    // The two hidden phasors can never be chosen.
    EXPECT_FALSE(phasorBox(11)->isVisibleTo(page));
    EXPECT_FALSE(phasorBox(12)->isEnabled());
    shoot("integer_layout.png");
}

TEST_F(MeasurementPageTest, RejectedReadingLeavesTheFieldsAsTheyWere)
{
    start({"--model", "705"}, 705);
    set("measure 301 1500");
    readOnce();
    ASSERT_EQ(field(1), "15.00");
    set("measure 301 999");
    set("measure 300 10001");
    readOnce();
    EXPECT_EQ(field(1), "15.00");
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kStatusInvalidValues));
    ASSERT_FALSE(rig.rep.messages.empty());
    EXPECT_EQ(rig.rep.messages.back().text,
              U("Недопустимое значение температуры: T*10=10001"));
}

TEST_F(MeasurementPageTest, FloatLayoutFillsTheListRowsAndKeepsNanOutOfTheDiagram)
{
    start({"--model", "715"}, 715);
    EXPECT_TRUE(page->floatLayout());
    set("measure-float 1 12.5");   // Ia, row 1
    set("measure-float 14 -30");   // its angle
    set("measure-float 4 nan");    // Ua, row 6
    set("measure-float 5 230.2");  // Ub, row 7
    set("measure-float 18 -120");  // Ub's angle
    set("measure-float 43 50");    // frequency, row 45
    set("measure-float 0 35.4");   // temperature, row 49
    for (std::size_t k : {0u, 3u, 4u})
        phasorBox(k)->setChecked(true);
    readOnce();
    EXPECT_EQ(cell(1, 1), "12.50");
    EXPECT_EQ(cell(1, 2), "-30.0");
    EXPECT_EQ(cell(6, 1), "NaN");
    EXPECT_EQ(cell(7, 1), "230.2");
    EXPECT_EQ(cell(7, 2), "-120.0");
    EXPECT_EQ(cell(45, 1), "50.00");
    EXPECT_EQ(cell(49, 1), "35");
    EXPECT_EQ(cell(0, 0), U(tx::kRowPhaseCurrents));
    // Ub is the longest drawable voltage: its tip is at the radius, and no NaN reaches the
    // picture.
    const QImage picture = page->control<VectorDiagramView>(CtlMeasDiagram)->grab().toImage();
    bool ubDrawn = false;
    for (int y = 0; y < picture.height() && !ubDrawn; ++y)
        for (int x = 0; x < picture.width() && !ubDrawn; ++x) {
            const Rgb c = kDefaultPhasorColours[4];
            ubDrawn = picture.pixel(x, y) == qRgb(c.r, c.g, c.b);
        }
    EXPECT_TRUE(ubDrawn);
    shoot("float_layout.png");
}

TEST_F(MeasurementPageTest, PeriodFieldRaisesAShortPeriodWithTheWarning)
{
    start({"--model", "705", "--baud", "1200"}, 705);
    rig.settings().baudIndex = 0;
    page->show();
    auto* period = page->control<QLineEdit>(CtlMeasPeriod);
    period->setText("100");
    // The offscreen window is never active: the loss of focus is delivered by hand.
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(period, &out);
    EXPECT_EQ(period->text(), "850");
    ASSERT_FALSE(rig.rep.messages.empty());
    EXPECT_EQ(rig.rep.messages.back().text, U(tx::kPeriodTooSmall));
    // A fifth digit cannot be typed.
    period->setText("");
    QTest::keyClicks(period, "99999");
    EXPECT_EQ(period->text(), "9999");

    // Minimized, the field is not checked; back from the task bar the first short period is
    // corrected without the message (the restore took the focus, not the user), the next one
    // is told again.
    rig.win->show();
    rig.rep.messages.clear();
    rig.win->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    period->setText("100");
    QApplication::sendEvent(period, &out);
    EXPECT_EQ(period->text(), "100");
    rig.win->setWindowState(Qt::WindowNoState);
    QApplication::processEvents();
    QApplication::sendEvent(period, &out);
    EXPECT_EQ(period->text(), "850");
    EXPECT_TRUE(rig.rep.messages.empty());
    period->setText("100");
    QApplication::sendEvent(period, &out);
    EXPECT_EQ(period->text(), "850");
    EXPECT_EQ(rig.rep.messages.size(), 1u);
}

TEST_F(MeasurementPageTest, PollingEndsWhenVklIsUntickedAndWhenThePageIsLeft)
{
    start({"--model", "705", "--baud", "1200"}, 705);
    rig.settings().baudIndex = 0;
    auto* polling = page->control<QCheckBox>(CtlMeasPolling);
    auto* period = page->control<QLineEdit>(CtlMeasPeriod);
    for (const bool leave : {false, true}) {
        SCOPED_TRACE(leave ? "leaving the page" : "unticking");
        if (leave)
            rig.win->command(CmdShowMeasurements);
        period->setText("900");
        rig.rep.statuses.clear();
        polling->setChecked(true);  // ticking it starts the reading
        ASSERT_TRUE(
            WaitUntil([&] { return rig.rep.statuses.count(U(tx::kStatusRead)) >= 2; }, 20000));
        EXPECT_FALSE(period->isEnabled());
        if (leave)
            rig.win->command(CmdShowSetpoints);
        else
            polling->setChecked(false);
        ASSERT_TRUE(WaitUntil([&] { return !rig.win->state().busy; }, 10000));
        const qsizetype reads = rig.rep.statuses.count(U(tx::kStatusRead));
        WaitUntil({}, 2000);
        EXPECT_EQ(rig.rep.statuses.count(U(tx::kStatusRead)), reads);
        EXPECT_TRUE(period->isEnabled());
        EXPECT_FALSE(rig.linkState().exchangeInProgress());
        polling->setChecked(false);
    }
}

// Coming to this page while the I/O-state poll still reads its block at 1200 bit/s (about 3 s a
// block): the polling ticked on meanwhile is neither refused nor run under the reply in flight;
// it starts when the I/O read has ended, and no further I/O read follows.
TEST_F(MeasurementPageTest, PollingTickedWhileTheLeftIoPollEndsStartsAfterIt)
{
    namespace io = io_operation_texts;
    start({"--model", "705", "--baud", "1200"}, 705);
    rig.settings().baudIndex = 0;
    rig.win->command(CmdShowIoState);
    auto* ioPolling = rig.win->page(PageIoState)->control<QCheckBox>(CtlIoPollOn);
    ioPolling->setChecked(true);
    const QString ioStarted = U(io::kReadStarted[1]);
    const QString ioDone = U(io::kReadDone[1]);
    ASSERT_TRUE(WaitUntil([&] { return rig.rep.statuses.count(ioDone) >= 1; }, 15000));
    ASSERT_TRUE(WaitUntil([&] { return rig.rep.lastStatus() != ioDone; }, 8000))
        << "the next I/O read is in flight";

    rig.win->command(CmdShowMeasurements);
    rig.rep.statuses.clear();
    auto* polling = page->control<QCheckBox>(CtlMeasPolling);
    page->control<QLineEdit>(CtlMeasPeriod)->setText("900");
    ASSERT_TRUE(polling->isEnabled());
    polling->click();
    ASSERT_TRUE(WaitUntil([&] { return rig.rep.statuses.contains(U(tx::kStatusRead)); }, 15000));
    polling->click();
    ASSERT_TRUE(WaitUntil([&] { return !rig.win->state().busy; }, 5000));
    const QStringList seen = rig.rep.statuses;
    EXPECT_FALSE(seen.contains(U(link_texts::kLineBusy))) << seen.join('|').toStdString();
    const qsizetype ioEnd = seen.indexOf(ioDone);
    ASSERT_GE(ioEnd, 0) << "the I/O read in flight ended with its block";
    EXPECT_LT(ioEnd, seen.indexOf(U(tx::kStatusRead)));
    WaitUntil({}, 4000);
    EXPECT_EQ(rig.rep.statuses.count(ioStarted), 0) << "no I/O read after leaving";
    EXPECT_TRUE(ioPolling->isChecked()) << "the setting stays for the next visit";
}

// Over Ethernet the read takes one reading, polls never and asks nothing.
TEST_F(MeasurementPageTest, ModbusTcpReadFillsTheListOnceWithoutAQuestion)
{
    start({"--model", "715", "--tcp", "0"}, 715);
    ASSERT_GT(sim->tcpPort(), 0);
    rig.win->command(CmdShowLinkSettings);
    ConnectionPanel& panel = rig.panel();
    panel.control<QRadioButton>(CtlChannelEthernet)->click();
    const char* ip[] = {"127", "0", "0", "1"};
    for (int k = 0; k < 4; ++k)
        panel.octet(CtlTcpAddress, k)->setText(ip[k]);
    panel.control<QLineEdit>(CtlTcpPort)->setText(QString::number(sim->tcpPort()));
    rig.win->command(CmdShowMeasurements);
    set("measure-float 1 2.75");  // Ia, row 1
    page->control<QCheckBox>(CtlMeasPolling)->setChecked(true);
    ASSERT_TRUE(WaitUntil([&] { return !rig.win->state().busy; }, 10000));
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kTcpStatusRead));
    EXPECT_EQ(cell(1, 1), "2.75");
    WaitUntil({}, 1500);
    EXPECT_EQ(rig.rep.statuses.count(U(tx::kTcpStatusRead)), 1);
    EXPECT_TRUE(rig.rep.messages.empty());

    // With the relay gone the read ends with its text and the page keeps its values.
    sim->stop();
    readOnce();
    EXPECT_EQ(rig.rep.lastStatus(), U(tx::kTcpStatusReadFailed));
    EXPECT_EQ(cell(1, 1), "2.75");
}

TEST_F(MeasurementPageTest, EnterTogglesTheBoxInFocusAndLeavesThePeriodField)
{
    start({"--model", "715"}, 715);
    struct Row {
        int key;
        bool checked;
    };
    for (const Row row : {Row{Qt::Key_Return, true}, Row{Qt::Key_Enter, false}}) {
        QTest::keyClick(phasorBox(4), static_cast<Qt::Key>(row.key));
        EXPECT_EQ(phasorBox(4)->isChecked(), row.checked);
    }
    // Ticked: the diagram takes the phasor at once.
    QTest::keyClick(phasorBox(7), Qt::Key_Return);
    EXPECT_TRUE(page->control<VectorDiagramView>(CtlMeasDiagram)->phasors()[7].selected);
    // On the period field Enter reads nothing.
    QTest::keyClick(page->control<QLineEdit>(CtlMeasPeriod), Qt::Key_Return);
    EXPECT_FALSE(rig.win->state().busy);
}

TEST_F(MeasurementPageTest, SelectionColourPollingAndPeriodSurviveARestart)
{
    start({"--model", "715"}, 715);
    phasorBox(2)->setChecked(true);
    phasorBox(9)->setChecked(true);
    rig.dialogs.colours.push_back(qRgb(10, 20, 30));
    page->control<QPushButton>(CtlMeasFirstSwatch + 5)->click();
    {
        const QSignalBlocker noRead(page->control<QCheckBox>(CtlMeasPolling));
        page->control<QCheckBox>(CtlMeasPolling)->setChecked(true);
    }
    page->control<QLineEdit>(CtlMeasPeriod)->setText("1234");
    restartProgram(715);
    showMeasurements();
    const MeasurementSettings s = page->settings();
    EXPECT_TRUE(s.selected(2));
    EXPECT_TRUE(s.selected(9));
    EXPECT_FALSE(s.selected(0));
    EXPECT_EQ(s.colours[5], (Rgb{10, 20, 30}));
    EXPECT_EQ(s.colours[0], kDefaultPhasorColours[0]);
    EXPECT_TRUE(s.polling);
    EXPECT_EQ(s.periodMs, 1234);
    EXPECT_TRUE(phasorBox(2)->isChecked());
}

}  // namespace
}  // namespace tirv
