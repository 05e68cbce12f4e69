// The network scan page in the whole program against one simulated line holding several relays
// at different addresses, models and speeds; the addresses found are checked against mbpoll.
#include "configurator/link/registers.h"
#include "configurator/link/scan_page.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/mbpoll.h"
#include "support/sim_program.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <set>

namespace tirv {
namespace {

using test::WaitUntil;

int BaudIndexOf(std::uint32_t rate)
{
    for (std::size_t k = 0; k < kBaudRates.size(); ++k)
        if (kBaudRates[k] == rate)
            return int(k);
    return -1;
}

class ScanPageTest : public test::SimProgramTest {
protected:
    void start(std::vector<std::string> simArgs)
    {
        startProgram(std::move(simArgs), 715);
        page = showPage<ScanPage>(CmdShowScan, PageScan);
        ASSERT_NE(page, nullptr);
    }
    void setRange(int a1, int a2, std::uint32_t fromRate, std::uint32_t toRate, int stopItem = 0)
    {
        page->control<QLineEdit>(CtlScanFirstAddress)->setText(QString::number(a1));
        page->control<QLineEdit>(CtlScanLastAddress)->setText(QString::number(a2));
        const std::pair<int, std::uint32_t> rates[] = {{CtlScanFirstBaud, fromRate},
                                                       {CtlScanLastBaud, toRate}};
        for (auto [ctl, rate] : rates) {
            auto* list = page->control<QComboBox>(ctl);
            list->setCurrentIndex(list->findData(BaudIndexOf(rate)));
        }
        page->control<QComboBox>(CtlScanStopBits)->setCurrentIndex(stopItem);
    }
    bool scanning() const { return rig.win->state().busy; }
    void scan()
    {
        page->startOrStop();
        ASSERT_TRUE(scanning());
        ASSERT_TRUE(WaitUntil([&] { return !scanning(); }, 30000));
    }
    // Each row as "address|model|rate|stop".
    std::vector<std::string> rows() const
    {
        std::vector<std::string> out;
        QTreeWidget* list = page->results();
        for (int k = 0; k < list->topLevelItemCount(); ++k) {
            const QTreeWidgetItem* i = list->topLevelItem(k);
            out.push_back((i->text(1) + "|" + i->text(2) + "|" + i->text(3) + "|" + i->text(5))
                              .toStdString());
        }
        return out;
    }
    QString buttonText() const { return page->control<QPushButton>(CtlScanStart)->text(); }

    ScanPage* page = nullptr;
};

TEST_F(ScanPageTest, EveryRelayIsListedOnceAtItsHighestSpeedWithItsModel)
{
    start({"--device", "model=705,address=2,baud=57600", "--device",
           "model=716,address=5,baud=19200,channel=rs485", "--device",
           "model=306,address=7,baud=57600", "--device", "model=707,address=9,baud=57600"});
    ASSERT_TRUE(sim->control("@9 type 999"));
    rig.settings().repeatCount = 0;
    setRange(1, 10, 19200, 57600);
    scan();
    EXPECT_EQ(rows(), (std::vector<std::string>{"2| ТИРВ - 705|57600|1", "7| ТИРВ - 306|57600|1",
                                                "9| ТИРВ|57600|1", "5| ТИРВ - 706М|19200|1"}));
    EXPECT_EQ(buttonText(), QString::fromUtf8("Сканировать"));
    EXPECT_EQ(rig.rep.lastStatus(), QString::fromUtf8("  Сканирование сети завершено"));
    EXPECT_TRUE(rig.win->action(CmdShowLinkSettings)->isEnabled());  // unlocked again

    // mbpoll, on its own, finds the same addresses at 57600.
    if (!test::HaveMbpoll())
        GTEST_SKIP() << "mbpoll is not installed (apt-get install mbpoll)";
    std::set<int> answering;
    for (int a = 1; a <= 10; ++a) {
        const std::string out = test::MbpollRead(*sim, 130, 5, a);
        if (out.find("[131]:") != std::string::npos)
            answering.insert(a);
    }
    EXPECT_EQ(answering, (std::set<int>{2, 7, 9}));
}

TEST_F(ScanPageTest, AddressesInEitherOrderAndStopBitsThatMustMatch)
{
    start({"--device", "model=705,address=4", "--device", "model=705,address=5", "--device",
           "model=705,address=10", "--device", "model=705,address=11"});
    rig.settings().repeatCount = 0;
    setRange(10, 5, 57600, 57600);
    scan();
    EXPECT_EQ(rows(), (std::vector<std::string>{"5| ТИРВ - 705|57600|1", "10| ТИРВ - 705|57600|1"}));

    // The relays run at one stop bit: two stop bits find nothing.
    page->clearResults();
    setRange(4, 5, 57600, 57600, 1);
    scan();
    EXPECT_TRUE(rows().empty());
    setRange(4, 5, 57600, 57600, 0);
    scan();
    EXPECT_EQ(rows().size(), 2u);
}

TEST_F(ScanPageTest, StoppingDuringTheFirstProbeKeepsTheListAndRestoresTheButton)
{
    start({"--silent"});
    setRange(1, 255, 1200, 57600);
    page->startOrStop();
    ASSERT_TRUE(scanning());
    EXPECT_EQ(buttonText(), QString::fromUtf8("Остановить сканирование"));
    EXPECT_TRUE(page->control<QPushButton>(CtlScanStart)->isEnabled());
    page->startOrStop();  // the same button stops it
    ASSERT_TRUE(WaitUntil([&] { return !scanning(); }, 3000));
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(buttonText(), QString::fromUtf8("Сканировать"));
    EXPECT_EQ(rig.rep.lastStatus(), QString::fromUtf8("Операция прервана пользователем"));
    EXPECT_TRUE(page->control<QComboBox>(CtlScanPort)->isEnabled());
}

TEST_F(ScanPageTest, AddressFieldsAreCheckedOnLeaving)
{
    start({});
    const std::pair<const char*, const char*> cases[] = {
        {"", "Введите значение!"},
        {"0", "Адрес устройства не может быть меньше 1"},
        {"256", "Адрес устройства не может быть больше 255"}};
    for (auto [text, message] : cases) {
        rig.rep.messages.clear();
        page->control<QLineEdit>(CtlScanLastAddress)->setText(QString::fromUtf8(text));
        EXPECT_FALSE(page->checkAddress(CtlScanLastAddress));
        ASSERT_EQ(rig.rep.messages.size(), 1u) << text;
        EXPECT_EQ(rig.rep.messages[0].caption, QString::fromUtf8("Ошибка ввода адреса устройства"));
        EXPECT_EQ(rig.rep.messages[0].text, QString::fromUtf8(message));
        // A bad field never starts a scan.
        page->startOrStop();
        EXPECT_FALSE(scanning()) << text;
    }
}

// Closing the window while a scan runs ends it with nothing left holding the line: another
// program can talk to the relay right after.
TEST_F(ScanPageTest, ClosingTheWindowEndsTheScan)
{
    start({"--device", "model=705,address=200"});
    setRange(1, 255, 1200, 57600);
    page->startOrStop();
    ASSERT_TRUE(WaitUntil({}, 300) || scanning());
    rig.reset();
    if (!test::HaveMbpoll())
        GTEST_SKIP() << "mbpoll is not installed (apt-get install mbpoll)";
    const std::string out = test::MbpollRead(*sim, 131, 1, 200);
    EXPECT_NE(out.find("[131]: \t705"), std::string::npos) << out;
}

}  // namespace
}  // namespace tirv
