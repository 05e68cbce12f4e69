// The setpoint read and write sequences over Modbus RTU through the real paced exchange, link
// check and chunked transfer, against an in-memory relay that can lose a request or hold an
// empty memory.
#include "support/wait.h"
#include "transfer_rig.h"

#include <memory>

namespace tirv::setpoint_test {
namespace {

TEST_F(SetpointTransferTest, ReadBlocksPerModelClass)
{
    struct Case {
        int code;
        std::vector<BlockRange> blocks;
    };
    const Case cases[] = {
        {705, {{0, 115}}}, {306, {{0, 115}}}, {715, {{0, 125}, {125, 2}}}, {717, {{0, 125}, {125, 2}}},
    };
    for (const auto& c : cases) {
        Rig rig(c.code);
        const SetpointImage held = RelaySet(rig.profile);
        rig.relayHolds(held);
        const auto outcome = rig.read();
        ASSERT_TRUE(outcome) << c.code;
        EXPECT_EQ(outcome->end, SetpointTransferEnd::Read) << c.code;
        EXPECT_EQ(rig.image, held) << c.code;
        EXPECT_EQ(Ranges(rig.relay.requestsOf(3)), c.blocks) << c.code;
        EXPECT_TRUE(rig.reporter.statuses.contains(T(tx::kReadStarted))) << c.code;
        EXPECT_EQ(rig.reporter.statuses.contains(T(tx::kReadNextBlock)), c.blocks.size() > 1)
            << c.code;
        EXPECT_EQ(rig.reporter.lastStatus(), T(tx::kReadDone)) << c.code;
        EXPECT_FALSE(rig.state.exchangeInProgress());
    }
}

TEST_F(SetpointTransferTest, WriteBlocksAndAngleCoding)
{
    struct Case {
        int code;
        std::vector<BlockRange> blocks;
        std::uint16_t angleWord;
    };
    const Case cases[] = {
        {705, {{0, 115}}, 32810}, {306, {{0, 115}}, 32810}, {715, {{0, 123}, {123, 4}}, 32813},
    };
    for (const auto& c : cases) {
        Rig rig(c.code);
        rig.image = RelaySet(rig.profile);  // angle −30
        const auto outcome = rig.write();
        ASSERT_TRUE(outcome) << c.code;
        EXPECT_EQ(outcome->end, SetpointTransferEnd::Written) << c.code;
        EXPECT_EQ(Ranges(rig.relay.requestsOf(16)), c.blocks) << c.code;
        EXPECT_EQ(rig.relayRegisterOf("МТЗ-общие Угол макс.чувств."), c.angleWord) << c.code;
        EXPECT_EQ(rig.relay.registers[0], 0x8001) << c.code;  // `МТЗ-1 Вкл.` on, with its bias
        EXPECT_TRUE(rig.reporter.statuses.contains(T(tx::kWriteStarted)));
        EXPECT_EQ(rig.reporter.statuses.contains(T(tx::kWriteNextBlock)), c.blocks.size() > 1);
        EXPECT_EQ(rig.reporter.lastStatus(), T(tx::kWriteDone)) << c.code;
    }
}

TEST_F(SetpointTransferTest, DefaultsRoundTripForEveryModel)
{
    for (int code : {0, 306, 705, 706, 707, 715, 716, 717}) {
        Rig rig(code);
        const SetpointImage defaults = DefaultImage(rig.profile);
        rig.image = defaults;
        ASSERT_EQ(rig.write().value_or(SetpointTransferOutcome{}).end, SetpointTransferEnd::Written);
        rig.image = RelaySet(rig.profile);
        ASSERT_EQ(rig.read().value_or(SetpointTransferOutcome{}).end, SetpointTransferEnd::Read);
        EXPECT_EQ(rig.image, defaults) << code;
    }
}

TEST_F(SetpointTransferTest, EmptyRelayAsksForTheMinimalSet)
{
    for (Answer answer : {Answer::Ok, Answer::Cancel}) {
        Rig rig(715);
        rig.relay.minimalSet = ImageToRegisters(rig.profile, DefaultImage(rig.profile));
        const SetpointImage before = RelaySet(rig.profile);
        rig.image = before;
        rig.reporter.answers = {answer};
        const auto outcome = rig.read();
        ASSERT_TRUE(outcome);
        ASSERT_EQ(rig.reporter.messages.size(), 1u);
        EXPECT_EQ(rig.reporter.messages[0].text, T(tx::kAskMinimalSet));
        EXPECT_EQ(rig.reporter.messages[0].buttons, MsgButtons::OkCancel);
        EXPECT_TRUE(rig.reporter.statuses.contains(T(tx::kReadEmpty)));
        if (answer == Answer::Ok) {
            EXPECT_EQ(rig.relay.requestsOf(0x20).size(), 1u);
            // The relay is given its pause to store the set before it is read again.
            const auto& req = rig.relay.requests();
            const auto at = std::find_if(req.begin(), req.end(),
                                         [](const QByteArray& r) { return quint8(r[1]) == 0x20; });
            ASSERT_NE(at, req.end());
            const auto k = static_cast<std::size_t>(at - req.begin());
            ASSERT_LT(k + 1, req.size());
            EXPECT_GE(rig.relay.arrivalMs(k + 1) - rig.relay.arrivalMs(k),
                      (13 * 5 + 16) * 1000 / 57600 + 500);
            // The relay's minimal set is read straight after.
            EXPECT_EQ(outcome->end, SetpointTransferEnd::Read);
            EXPECT_EQ(rig.image, DefaultImage(rig.profile));
            EXPECT_EQ(Ranges(rig.relay.requestsOf(3)),
                      (std::vector<BlockRange>{{0, 125}, {125, 2}, {0, 125}, {125, 2}}));
            EXPECT_EQ(rig.reporter.lastStatus(), T(tx::kReadDone));
        } else {
            EXPECT_TRUE(rig.relay.requestsOf(0x20).empty());
            EXPECT_EQ(outcome->end, SetpointTransferEnd::Empty);
            EXPECT_EQ(rig.image, before);
        }
    }
}

TEST_F(SetpointTransferTest, InvalidRelayValuesLeaveTheImageUnchanged)
{
    struct Case {
        int code;
        const char* what;
        std::function<void(Rig&)> spoil;
    };
    const Case cases[] = {
        {705, "flag 0x8002", [](Rig& r) { r.relayRegisterOf("МТЗ-1 Вкл.") = 0x8002; }},
        {715, "flag 0x8002", [](Rig& r) { r.relayRegisterOf("ЗОФ Вкл.") = 0x8002; }},
        // "РТ-80" exists on M models only.
        {705, "choice 4", [](Rig& r) { r.relayRegisterOf("МТЗ-2 Врем.х-ка") = 0x8000 + 2 + 4; }},
        {705, "current above range", [](Rig& r) { r.relayRegisterOf("МТЗ-1 гр.А I") = 2001; }},
    };
    for (const auto& c : cases) {
        Rig rig(c.code);
        rig.relayHolds(RelaySet(rig.profile));
        c.spoil(rig);
        const SetpointImage before = rig.image;
        const auto outcome = rig.read();
        ASSERT_TRUE(outcome) << c.what;
        EXPECT_EQ(outcome->end, SetpointTransferEnd::Rejected) << c.what;
        EXPECT_EQ(rig.image, before) << c.what;
        EXPECT_EQ(rig.reporter.lastStatus(), T(tx::kReadRejected)) << c.what;
        EXPECT_EQ(rig.reporter.lastStatusIcon, StatusIcon::Warning);
        EXPECT_TRUE(rig.reporter.messages.empty()) << "the serial read shows no check messages";
    }
    // The same choice is fine on an M model.
    Rig m(715);
    m.relayHolds(RelaySet(m.profile));
    m.relayRegisterOf("МТЗ-2 Врем.х-ка") = 0x8000 + 2 + 4;
    EXPECT_EQ(m.read().value_or(SetpointTransferOutcome{}).end, SetpointTransferEnd::Read);
    EXPECT_EQ(m.at(m.image, "МТЗ-2 Врем.х-ка"), 4);
}

TEST_F(SetpointTransferTest, RecordingTimeBoundsThePreFaultTime)
{
    struct Case {
        std::vector<const char*> recorded;
        int preFault;
        bool accepted;
    };
    const Case cases[] = {
        {{"В АЖ фикс. Ia", "В АЖ фикс. Ua"}, 600, true},
        {{"В АЖ фикс. Ia", "В АЖ фикс. Ua"}, 601, false},
        {{}, 0, true},
        {{}, 1, false},
        {{"В АЖ фикс. 3Io"}, 1, false},
    };
    for (const auto& c : cases) {
        Rig rig(705);
        SetpointImage held = RelaySet(rig.profile);
        for (const char* n : {"В АЖ фикс. Ia", "В АЖ фикс. Ib", "В АЖ фикс. Ic", "В АЖ фикс. Ua",
                              "В АЖ фикс. Ub", "В АЖ фикс. Uc", "В АЖ фикс. 3Io"})
            rig.at(held, n) = 0;
        for (const char* n : c.recorded)
            rig.at(held, n) = 1;
        rig.at(held, "Tпредыст.") = c.preFault;
        rig.relayHolds(held);
        const auto outcome = rig.read();
        ASSERT_TRUE(outcome);
        EXPECT_EQ(outcome->end,
                  c.accepted ? SetpointTransferEnd::Read : SetpointTransferEnd::Rejected)
            << c.preFault;
        if (c.accepted) {
            EXPECT_EQ(rig.image, held);
        }
    }
}

TEST_F(SetpointTransferTest, LostBlockIsRepeatedAfterALinkCheck)
{
    Rig rig(715);
    const SetpointImage held = RelaySet(rig.profile);
    rig.relayHolds(held);
    // The second block (125, 2) is lost once.
    int losses = 0;
    rig.relayLoses([&losses](const QByteArray& r) {
        if (quint8(r[1]) == 3 && SerialRelay::Start(r) == 125 && losses == 0) {
            ++losses;
            return true;
        }
        return false;
    });
    const auto outcome = rig.read();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->end, SetpointTransferEnd::Read);
    EXPECT_EQ(rig.image, held);
    EXPECT_TRUE(rig.reporter.statuses.contains(
        T(tx::kReadRetryPrefix) + link_texts::Text(link_texts::kRepeatSuffix).arg(1)));
    EXPECT_EQ(Ranges(rig.relay.requestsOf(3)),
              (std::vector<BlockRange>{{0, 125}, {125, 2}, {125, 2}}));
    EXPECT_EQ(rig.reporter.lastStatus(), T(tx::kReadDone));
}

TEST_F(SetpointTransferTest, ExhaustedRepeatsEndWithTheFailureText)
{
    for (bool write : {false, true}) {
        Rig rig(705);
        rig.settings.repeatCount = 1;
        rig.relayHolds(RelaySet(rig.profile));
        rig.relayLoses([](const QByteArray& r) {
            return SerialRelay::Start(r) == 0;  // every setpoint block, never the link check
        });
        const SetpointImage before = rig.image;
        const auto outcome = write ? rig.write() : rig.read();
        ASSERT_TRUE(outcome);
        EXPECT_EQ(outcome->end, SetpointTransferEnd::Failed);
        EXPECT_EQ(rig.image, before);
        const char* prefix = write ? tx::kWriteRetryPrefix : tx::kReadRetryPrefix;
        EXPECT_TRUE(rig.reporter.statuses.contains(
            T(prefix) + link_texts::Text(link_texts::kRepeatSuffix).arg(1)));
        EXPECT_TRUE(rig.reporter.statuses.contains(T(write ? tx::kWriteFailed : tx::kReadFailed)));
        EXPECT_EQ(rig.reporter.lastLinkState(), link_texts::Text(link_texts::kNoLink));
        EXPECT_FALSE(rig.state.exchangeInProgress());
    }
}

TEST_F(SetpointTransferTest, AbortEndsWithTheOperationsOwnWords)
{
    for (bool write : {false, true}) {
        Rig rig(705);
        rig.relayHolds(RelaySet(rig.profile));
        rig.relayLoses([](const QByteArray& r) { return SerialRelay::Start(r) == 0; });
        std::optional<SetpointTransferOutcome> outcome;
        auto done = [&outcome](const SetpointTransferOutcome& o) { outcome = o; };
        ASSERT_TRUE(write ? rig.setpoints.startWrite(done) : rig.setpoints.startRead(done));
        EXPECT_FALSE(rig.setpoints.startRead(done)) << "one operation at a time";
        test::WaitUntil([&] { return !rig.relay.requestsOf(write ? 16 : 3).empty(); }, 5000, 5);
        rig.setpoints.abort();
        test::WaitUntil([&outcome] { return outcome.has_value(); }, 5000, 5);
        ASSERT_TRUE(outcome);
        EXPECT_EQ(outcome->end, SetpointTransferEnd::Aborted);
        EXPECT_EQ(rig.reporter.lastStatus(), T(write ? tx::kWriteAborted : tx::kReadAborted));
        EXPECT_FALSE(rig.setpoints.busy());
    }
}

TEST_F(SetpointTransferTest, EthernetChecksTheTcpSettingsAndNeverWrites)
{
    Rig rig(715);
    rig.settings.channel = Channel::Ethernet;
    rig.settings.tcpAddress = {0, 0, 0, 0};
    auto outcome = rig.read();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->end, SetpointTransferEnd::TcpSettings);
    EXPECT_EQ(outcome->invalidField, kTcpAddressField);

    rig.settings.tcpAddress = {127, 0, 0, 1};
    rig.settings.tcpPort = 70000;
    outcome = rig.read();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->invalidField, kTcpPortField);

    EXPECT_FALSE(rig.setpoints.startWrite([](const SetpointTransferOutcome&) {}));
    EXPECT_TRUE(rig.relay.requests().empty());
}

TEST_F(SetpointTransferTest, DestroyedMidReadLeavesTheLinkFree)
{
    Rig rig(715);
    rig.relayHolds(RelaySet(rig.profile));
    bool lose = true;
    rig.relayLoses([&lose](const QByteArray& r) { return lose && SerialRelay::Start(r) == 0; });
    bool called = false;
    auto other = std::make_unique<SetpointTransfer>(rig.transfer, rig.tcp, rig.reporter, rig.settings,
                                                    rig.profile, rig.image);
    ASSERT_TRUE(other->startRead([&called](const SetpointTransferOutcome&) { called = true; }));
    test::WaitUntil([&] { return !rig.relay.requestsOf(3).empty(); }, 5000, 5);
    other.reset();
    test::WaitUntil({}, 300, 5);
    EXPECT_FALSE(called);
    EXPECT_FALSE(rig.transfer.busy());
    EXPECT_FALSE(rig.state.exchangeInProgress());
    lose = false;
    EXPECT_EQ(rig.read().value_or(SetpointTransferOutcome{}).end, SetpointTransferEnd::Read);
}
}  // namespace
}  // namespace tirv::setpoint_test
