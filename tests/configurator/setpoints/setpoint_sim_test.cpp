// The setpoint sequences against the relay simulator: its own register contents, its own coding
// of the ТИРВ protocol and Modbus TCP, and faults injected on request.
#include "configurator/setpoints/setpoint_transfer.h"
#include "support/core_app.h"

#include "configurator/link/serial_port.h"
#include "configurator/link/texts.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/texts.h"
#include "operation_runner.h"
#include "setpoint_wiring.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"
#include "support/texts.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tirv {
namespace {

using test::U;

namespace tx = setpoint_texts;
using test::RecordingReporter;
using test::SimProcess;

std::vector<std::string> SimArgs(int code, std::vector<std::string> more = {})
{
    std::vector<std::string> args{"--model", std::to_string(code)};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// What the rig owns besides the wiring: one simulator and the serial port to it.
struct SimLine {
    SimLine(int code, std::vector<std::string> simArgs)
        : sim(SimArgs(code, std::move(simArgs))), port(QString::fromStdString(sim.portsDir()))
    {
        settings.port = sim.com();
        settings.baudIndex = 6;
        settings.repeatCount = 3;
        settings.tcpAddress = {127, 0, 0, 1};
        settings.tcpPort = sim.tcpPort() > 0 ? sim.tcpPort() : 502;
    }
    SimProcess sim;
    RecordingReporter reporter;
    ConnectionSettings settings;
    SerialPort port;
};

// The program's wiring against one simulator.
struct SimRig : SimLine, test::SetpointWiring {
    SimRig(int code, std::vector<std::string> simArgs = {})
        : SimLine(code, std::move(simArgs)), SetpointWiring(port, reporter, settings, code, true)
    {
    }

    std::optional<SetpointTransferOutcome> run(bool write)
    {
        return test::RunSetpointOperation(setpoints, write, 30000);
    }
    SetpointTransferEnd read() { return run(false).value_or(SetpointTransferOutcome{}).end; }
    SetpointTransferEnd write() { return run(true).value_or(SetpointTransferOutcome{}).end; }
    std::int32_t& at(SetpointImage& im, const char* name) { return test::ImageAt(profile, im, name); }
};

class SetpointSimTest : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureCoreApp(); }
};

// The simulator's configured set is a valid image of the model, read in the model's blocks.
TEST_F(SetpointSimTest, ReadsTheRelaysSetInTheModelsBlocks)
{
    for (int code : {705, 715}) {
        SimRig rig(code);
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        const SetpointImage before = rig.image;
        EXPECT_EQ(rig.read(), SetpointTransferEnd::Read) << code;
        EXPECT_NE(rig.image, before) << "the relay holds a set of its own";
        EXPECT_TRUE(CheckImage(rig.profile, rig.image));
        EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadDone));
        EXPECT_EQ(rig.reporter.statuses.contains(U(tx::kReadNextBlock)), code >= 715) << code;
    }
}

TEST_F(SetpointSimTest, DefaultsRoundTripForEveryModel)
{
    for (int code : {306, 705, 706, 707, 715, 716, 717}) {
        SimRig rig(code);
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        const SetpointImage defaults = DefaultImage(rig.profile);
        rig.image = defaults;
        ASSERT_EQ(rig.write(), SetpointTransferEnd::Written) << code;
        EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kWriteDone));
        rig.image = SetpointImage{};
        ASSERT_EQ(rig.read(), SetpointTransferEnd::Read) << code;
        EXPECT_EQ(rig.image, defaults) << code;
    }
}

TEST_F(SetpointSimTest, AngleAndChoicesSurviveBothWays)
{
    for (int code : {705, 715}) {
        SimRig rig(code);
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        SetpointImage set = DefaultImage(rig.profile);
        rig.at(set, "МТЗ-общие Угол макс.чувств.") = -30;
        rig.at(set, "МТЗ-общие Угол сектора") = 10;
        rig.at(set, "МТЗ-2 Врем.х-ка") = 3;
        rig.at(set, "МТЗ-1 Вкл.") = 1;
        rig.image = set;
        ASSERT_EQ(rig.write(), SetpointTransferEnd::Written) << code;
        rig.image = DefaultImage(rig.profile);
        ASSERT_EQ(rig.read(), SetpointTransferEnd::Read) << code;
        EXPECT_EQ(rig.image, set) << code;
    }
}

TEST_F(SetpointSimTest, EmptyRelayGetsTheMinimalSetAfterOk)
{
    SimRig rig(715, {"--empty-memory"});
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    rig.reporter.answers = {Answer::Ok};
    EXPECT_EQ(rig.read(), SetpointTransferEnd::Read);
    ASSERT_EQ(rig.reporter.messages.size(), 1u);
    EXPECT_EQ(rig.reporter.messages[0].text, U(tx::kAskMinimalSet));
    EXPECT_TRUE(rig.reporter.statuses.contains(U(tx::kReadEmpty)));
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadDone));
    EXPECT_TRUE(CheckImage(rig.profile, rig.image));

    SimRig declined(705, {"--empty-memory"});
    ASSERT_TRUE(declined.sim.ready()) << declined.sim.error();
    declined.reporter.answers = {Answer::Cancel};
    const SetpointImage before = declined.image;
    EXPECT_EQ(declined.read(), SetpointTransferEnd::Empty);
    EXPECT_EQ(declined.image, before);
}

using Spoil = std::function<void(SimRig&, SetpointImage&)>;

Spoil Setting(const char* name, std::int32_t value)
{
    return [=](SimRig& r, SetpointImage& s) { r.at(s, name) = value; };
}

// Stops recording the phase channels named in `off` ("Ib" …) and sets the pre-fault time
// (hundredths of a second).
Spoil Recording(std::vector<std::string> off, int preFaultHundredths)
{
    return [=](SimRig& r, SetpointImage& s) {
        for (const std::string& channel : off)
            r.at(s, ("В АЖ фикс. " + channel).c_str()) = 0;
        r.at(s, "Tпредыст.") = preFaultHundredths;
    };
}

// Values the editor would refuse, stored in the relay by a write, are refused on the way back.
TEST_F(SetpointSimTest, InvalidValuesInTheRelayAreRejected)
{
    struct Case {
        int code;
        const char* what;
        Spoil spoil;
        bool accepted;
    };
    const Case cases[] = {
        {705, "flag 0x8002", Setting("ЗОФ Вкл.", 2), false},
        {705, "choice 4", Setting("МТЗ-2 Врем.х-ка", 4), false},
        {715, "choice 4 on M", Setting("МТЗ-2 Врем.х-ка", 4), true},
        {705, "Ia + Ua, 6.00 s", Recording({"Ib", "Ic", "Ub", "Uc"}, 600), true},
        {705, "Ia + Ua, 6.01 s", Recording({"Ib", "Ic", "Ub", "Uc"}, 601), false},
        {715, "no channel, 0 s", Recording({"Ia", "Ib", "Ic", "Ua", "Ub", "Uc"}, 0), true},
    };
    for (const auto& c : cases) {
        SimRig rig(c.code);
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        SetpointImage stored = DefaultImage(rig.profile);
        c.spoil(rig, stored);
        rig.image = stored;
        ASSERT_EQ(rig.write(), SetpointTransferEnd::Written) << c.what;
        const SetpointImage before = DefaultImage(rig.profile);
        rig.image = before;
        const SetpointTransferEnd end = rig.read();
        if (c.accepted) {
            EXPECT_EQ(end, SetpointTransferEnd::Read) << c.what;
            EXPECT_EQ(rig.image, stored) << c.what;
        } else {
            EXPECT_EQ(end, SetpointTransferEnd::Rejected) << c.what;
            EXPECT_EQ(rig.image, before) << c.what;
            EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadRejected)) << c.what;
        }
    }
}

TEST_F(SetpointSimTest, LostBlockIsReadAgain)
{
    SimRig rig(715);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_EQ(rig.read(), SetpointTransferEnd::Read);  // the link is up from here on
    const SetpointImage first = rig.image;
    rig.reporter.statuses.clear();
    ASSERT_TRUE(rig.sim.control("drop 1"));
    rig.image = DefaultImage(rig.profile);
    EXPECT_EQ(rig.read(), SetpointTransferEnd::Read);
    EXPECT_EQ(rig.image, first);
    EXPECT_TRUE(rig.reporter.statuses.contains(
        U(tx::kReadRetryPrefix) + link_texts::Text(link_texts::kRepeatSuffix).arg(1)));
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadDone));
}

TEST_F(SetpointSimTest, SilentOrRefusingRelayEndsWithTheFailureText)
{
    SimRig rig(705);
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_EQ(rig.read(), SetpointTransferEnd::Read);
    rig.settings.repeatCount = 1;
    ASSERT_TRUE(rig.sim.control("silent"));
    const SetpointImage before = rig.image;
    EXPECT_EQ(rig.write(), SetpointTransferEnd::Failed);
    EXPECT_TRUE(rig.reporter.statuses.contains(U(tx::kWriteFailed)));
    EXPECT_EQ(rig.reporter.lastLinkState(), link_texts::Text(link_texts::kNoLink));
    EXPECT_EQ(rig.image, before);

    // A relay that answers with an exception is not retried: the read ends at once.
    SimRig refusing(715);
    ASSERT_TRUE(refusing.sim.ready()) << refusing.sim.error();
    ASSERT_EQ(refusing.read(), SetpointTransferEnd::Read);
    const SetpointImage kept = refusing.image;
    refusing.reporter.messages.clear();
    ASSERT_TRUE(refusing.sim.control("exception 2"));
    EXPECT_EQ(refusing.read(), SetpointTransferEnd::Failed);
    EXPECT_EQ(refusing.image, kept);
    EXPECT_EQ(refusing.reporter.lastStatus(), U(tx::kReadFailed));
    ASSERT_FALSE(refusing.reporter.messages.empty());
    EXPECT_EQ(refusing.reporter.messages[0].text,
              link_texts::Text(link_texts::kDeviceCannotExecute));
}

TEST_F(SetpointSimTest, TextProtocolRoundTrip)
{
    for (int variant : {0, 1}) {
        SimRig rig(715, {"--protocol", "tirv", "--variant", std::to_string(variant)});
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        rig.settings.protocol = Protocol::Tirv;
        rig.settings.protocolVariant = variant;
        SetpointImage set = DefaultImage(rig.profile);
        rig.at(set, "МТЗ-общие Угол макс.чувств.") = -30;
        rig.at(set, "Общие Кнопка F1") = 15;
        rig.image = set;
        ASSERT_EQ(rig.write(), SetpointTransferEnd::Written) << variant;
        rig.image = DefaultImage(rig.profile);
        ASSERT_EQ(rig.read(), SetpointTransferEnd::Read) << variant;
        EXPECT_EQ(rig.image, set) << variant;
    }
}

TEST_F(SetpointSimTest, ReadOverModbusTcp)
{
    SimRig rig(716, {"--tcp", "0"});
    ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
    ASSERT_GT(rig.sim.tcpPort(), 0);
    rig.settings.tcpPort = rig.sim.tcpPort();
    rig.settings.channel = Channel::Ethernet;
    EXPECT_EQ(rig.read(), SetpointTransferEnd::Read);
    EXPECT_TRUE(CheckImage(rig.profile, rig.image));
    EXPECT_TRUE(rig.reporter.statuses.contains(link_texts::Text(link_texts::kTcpThreadOpened)));
    EXPECT_EQ(rig.reporter.lastStatus(), U(tx::kReadDone));
    EXPECT_TRUE(rig.reporter.messages.empty());
}

// Variant 0 names no start in its reads, so a repeated group must still land in its place.
TEST_F(SetpointSimTest, LostTextBlockIsReadAgain)
{
    for (int variant : {0, 1}) {
        SimRig rig(705, {"--protocol", "tirv", "--variant", std::to_string(variant)});
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        rig.settings.protocol = Protocol::Tirv;
        rig.settings.protocolVariant = variant;
        ASSERT_EQ(rig.read(), SetpointTransferEnd::Read);
        const SetpointImage first = rig.image;
        ASSERT_TRUE(rig.sim.control("drop 1"));
        rig.image = DefaultImage(rig.profile);
        EXPECT_EQ(rig.read(), SetpointTransferEnd::Read) << variant;
        EXPECT_EQ(rig.image, first) << variant;
        EXPECT_TRUE(rig.reporter.statuses.contains(
            U(tx::kReadRetryPrefix) + link_texts::Text(link_texts::kRepeatSuffix).arg(1)));
    }
}

}  // namespace
}  // namespace tirv
