// The port list (ports/ folder entries and the fixed numbering) and port set-up on a pty.
#include "configurator/link/link_state.h"
#include "configurator/link/port_directory.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/serial_port.h"
#include "support/serial_relay.h"
#include "support/core_app.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tirv::test {
namespace {

TEST(PortNumbering, MachineDevicesKeepFixedComNumbers)
{
    struct Case {
        const char* device;
        int number;
    };
    const std::vector<Case> cases{
        {"ttyS0", 1},       {"/dev/ttyS3", 4},     {"ttyUSB0", 33},  {"/dev/ttyUSB2", 35},
        {"ttyACM0", 65},    {"ttyACM10", 75},      {"ttyS01", 0},    {"ttyS", 0},
        {"ttyUSB-1", 0},    {"ttyS+1", 0},         {"ttyAMA0", 0},   {"pts/3", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FixedPortNumber(QString::fromLatin1(c.device)), c.number) << c.device;
}

class PortFolderTest : public CoreAppFirst, public ::testing::Test {
protected:
    void Link(const QString& name, const QString& target)
    {
        ASSERT_TRUE(QFile::link(target, folder.path() + QLatin1Char('/') + name)) << name.toStdString();
    }
    QTemporaryDir folder;
    QTemporaryDir targets;
};

// Entries of the folder are the published ports; other names and dangling links are not.
TEST_F(PortFolderTest, FolderEntriesAreListedAscendingAndWinOverFixedNumbers)
{
    const QString device = targets.path() + QStringLiteral("/device");
    ASSERT_TRUE(QFile(device).open(QIODevice::WriteOnly));
    Link(QStringLiteral("COM12"), device);
    Link(QStringLiteral("COM3"), device);
    Link(QStringLiteral("COM1"), device);  // also the number of /dev/ttyS0 where it exists
    Link(QStringLiteral("COM0"), device);
    Link(QStringLiteral("COM05"), device);
    Link(QStringLiteral("com4"), device);
    Link(QStringLiteral("COM7.bak"), device);
    Link(QStringLiteral("COM9"), targets.path() + QStringLiteral("/gone"));

    const auto directory = CreatePortDirectory(folder.path());
    const std::vector<int> numbers = EnumeratePorts(*directory);
    for (int expected : {1, 3, 12})
        EXPECT_NE(std::find(numbers.begin(), numbers.end(), expected), numbers.end()) << expected;
    for (int absent : {0, 4, 5, 7, 9})
        EXPECT_EQ(std::find(numbers.begin(), numbers.end(), absent), numbers.end()) << absent;
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end()) << "one entry per number";
    EXPECT_EQ(PortDevice(*directory, 1), folder.path() + QStringLiteral("/COM1"));
    EXPECT_TRUE(PortDevice(*directory, 9).isEmpty());
}

TEST_F(PortFolderTest, PseudoTerminalTakesSpeedAndStopBitsAndParityIsHarmless)
{
    PtyRelay relay(5);
    ASSERT_TRUE(relay.ok());
    SerialPort port(relay.portsFolder());
    ASSERT_TRUE(OpenPort(port, 5));
    EXPECT_TRUE(port.isPseudoTerminal());
    EXPECT_EQ(port.number(), 5);
    struct Case {
        int baudIndex;
        Parity parity;
        StopBits stop;
        bool mModel;
    };
    for (const Case& c : {Case{0, Parity::None, StopBits::One, false},
                          Case{6, Parity::Even, StopBits::Two, false},  // ignored: not an M model
                          Case{9, Parity::Odd, StopBits::Two, true}})
        EXPECT_TRUE(ConfigurePort(port, c.baudIndex, c.parity, c.stop, c.mModel)) << c.baudIndex;
    SetProtocolTimeouts(port, Protocol::Tirv, 9);
    EXPECT_EQ(port.characterGapMs(), 10);
    SetProtocolTimeouts(port, Protocol::Modbus, 0);
    EXPECT_EQ(port.characterGapMs(), 20);

    SerialPort second(relay.portsFolder());
    EXPECT_FALSE(second.open(5)) << "a port is opened exclusively";
    EXPECT_FALSE(second.open(6));
    EXPECT_EQ(second.lastError(), PortError::NotFound);
}

TEST_F(PortFolderTest, ClosingThePortClearsTheLinkFlags)
{
    PtyRelay relay(2);
    ASSERT_TRUE(relay.ok());
    SerialPort port(relay.portsFolder());
    LinkState state;
    ASSERT_TRUE(OpenPort(port, 2));
    state.setEstablished(true);
    state.setExchangeInProgress(true);
    int closedSignals = 0;
    QObject::connect(&state, &LinkState::portClosed, [&] { ++closedSignals; });
    ClosePort(port, state);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.number(), 0);
    EXPECT_FALSE(state.established());
    EXPECT_FALSE(state.exchangeInProgress());
    EXPECT_EQ(closedSignals, 1);
}

}  // namespace
}  // namespace tirv::test
