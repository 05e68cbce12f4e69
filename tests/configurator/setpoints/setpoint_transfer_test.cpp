// The setpoint read and write sequences through the real paced exchange, link check and chunked
// transfer, against an in-memory relay that can lose a request or hold an empty memory.
#include "configurator/setpoints/setpoint_transfer.h"

#include "configurator/link/chunked_transfer.h"
#include "configurator/link/link_check.h"
#include "configurator/link/link_state.h"
#include "configurator/link/modbus_tcp_transfer.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/texts.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_conversion.h"
#include "configurator/setpoints/texts.h"
#include "memory_relay.h"
#include "tcp_relay.h"
#include "support/recording_reporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <optional>

namespace tirv {
namespace {

namespace tx = setpoint_texts;
using test::MemoryRelay;
using test::RecordingReporter;

QString T(const char* utf8) { return QString::fromUtf8(utf8); }

void EnsureApp()
{
    static int argc = 1;
    static char name[] = "setpoint_transfer_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// The program's wiring of one relay, one link and the setpoint operations.
struct Rig {
    explicit Rig(int modelCode)
        : relay(modelCode), profile(ProfileForModel(modelCode)), image(DefaultImage(profile))
    {
        settings.baudIndex = 6;
        settings.repeatCount = 2;
    }
    LinkContext context() { return {relay, state, reporter, settings}; }

    std::optional<SetpointTransferOutcome> run(bool write)
    {
        std::optional<SetpointTransferOutcome> outcome;
        auto done = [&outcome](const SetpointTransferOutcome& o) { outcome = o; };
        const bool started = write ? setpoints.startWrite(done) : setpoints.startRead(done);
        if (!started)
            return std::nullopt;
        QElapsedTimer clock;
        clock.start();
        while (!outcome && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return outcome;
    }
    std::optional<SetpointTransferOutcome> read() { return run(false); }
    std::optional<SetpointTransferOutcome> write() { return run(true); }

    // The relay holds `held` in its setpoint registers.
    void relayHolds(const SetpointImage& held) { relay.loadBlock(ImageToRegisters(profile, held)); }
    std::uint16_t& relayRegisterOf(const char* name)
    {
        const int i = profile.find(name);
        for (int r = 0; r < profile.imageWords; ++r)
            if (profile.registerOrder[static_cast<std::size_t>(r)] == i)
                return relay.registers[static_cast<std::size_t>(r)];
        ADD_FAILURE() << name;
        return relay.registers[199];
    }
    std::int32_t& at(SetpointImage& im, const char* name)
    {
        const int i = profile.find(name);
        EXPECT_GE(i, 0) << name;
        return im[static_cast<std::size_t>(i < 0 ? 0 : i)];
    }

    RecordingReporter reporter;
    ConnectionSettings settings;
    MemoryRelay relay;
    LinkState state;
    PacedExchange paced{relay};
    DefaultLinkCheck check{context(), paced};
    ChunkedTransfer transfer{context(), paced, check};
    ModbusTcpTransfer tcp{reporter, state};
    ModelProfile profile;
    SetpointImage image;
    SetpointTransfer setpoints{transfer, tcp, reporter, settings, profile, image};
};

// A relay set that differs from the default image everywhere it matters.
SetpointImage RelaySet(const ModelProfile& p)
{
    SetpointImage s = DefaultImage(p);
    s[static_cast<std::size_t>(p.find("МТЗ-1 гр.А I"))] += 7;
    s[static_cast<std::size_t>(p.find("МТЗ-общие Угол макс.чувств."))] = -30;
    s[static_cast<std::size_t>(p.find("МТЗ-1 Вкл."))] = 1;
    s[static_cast<std::size_t>(p.find("МТЗ-общие Угол сектора"))] = 3;
    return s;
}

struct BlockRange {
    int start;
    int count;
    bool operator==(const BlockRange&) const = default;
};
std::vector<BlockRange> Ranges(const std::vector<QByteArray>& requests)
{
    std::vector<BlockRange> out;
    for (const auto& r : requests)
        out.push_back({MemoryRelay::Word(r, 2), MemoryRelay::Word(r, 4)});
    return out;
}

class SetpointTransferTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApp(); }
};

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
            const auto& req = rig.relay.requests;
            const auto at = std::find_if(req.begin(), req.end(),
                                         [](const QByteArray& r) { return quint8(r[1]) == 0x20; });
            ASSERT_NE(at, req.end());
            const auto k = static_cast<std::size_t>(at - req.begin());
            ASSERT_LT(k + 1, req.size());
            EXPECT_GE(rig.relay.requestTimesMs[k + 1] - rig.relay.requestTimesMs[k],
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
    rig.relay.lose = [&losses](const QByteArray& r, int) {
        if (quint8(r[1]) == 3 && MemoryRelay::Word(r, 2) == 125 && losses == 0) {
            ++losses;
            return true;
        }
        return false;
    };
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
        rig.relay.lose = [](const QByteArray& r, int) {
            return MemoryRelay::Word(r, 2) == 0;  // every setpoint block, never the link check
        };
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
        rig.relay.lose = [](const QByteArray& r, int) { return MemoryRelay::Word(r, 2) == 0; };
        std::optional<SetpointTransferOutcome> outcome;
        auto done = [&outcome](const SetpointTransferOutcome& o) { outcome = o; };
        ASSERT_TRUE(write ? rig.setpoints.startWrite(done) : rig.setpoints.startRead(done));
        EXPECT_FALSE(rig.setpoints.startRead(done)) << "one operation at a time";
        QElapsedTimer clock;
        clock.start();
        while (rig.relay.requestsOf(write ? 16 : 3).empty() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        rig.setpoints.abort();
        while (!outcome && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
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
    EXPECT_TRUE(rig.relay.requests.empty());
}

// Over the ТИРВ protocol: groups of values per frame, no bias, angles from 32.
TEST_F(SetpointTransferTest, TextProtocolReadAndWrite)
{
    struct Case {
        int code;
        TextVariant variant;
        int perFrame;
        std::size_t frames;
    };
    const Case cases[] = {
        {705, TextVariant::New, 34, 4}, {715, TextVariant::New, 34, 4},
        {705, TextVariant::Old, 34, 4}, {717, TextVariant::New, 125, 2},
    };
    for (const auto& c : cases) {
        Rig rig(c.code);
        rig.settings.protocol = Protocol::Tirv;
        rig.settings.protocolVariant = c.variant == TextVariant::New ? 1 : 0;
        rig.settings.valuesPerFrame = c.perFrame;
        rig.relay.framing = {c.variant, c.perFrame};

        // Write: the angle −30 travels as 42, a flag as 1, a choice with its offset only.
        rig.image = RelaySet(rig.profile);
        const auto written = rig.write();
        ASSERT_TRUE(written) << c.code;
        EXPECT_EQ(written->end, SetpointTransferEnd::Written) << c.code;
        const auto angleReg = [&] {
            const int i = rig.profile.find("МТЗ-общие Угол макс.чувств.");
            for (int r = 0; r < rig.profile.imageWords; ++r)
                if (rig.profile.registerOrder[static_cast<std::size_t>(r)] == i)
                    return static_cast<std::size_t>(r);
            return std::size_t{0};
        }();
        EXPECT_EQ(rig.relay.textValues[angleReg], 42) << c.code;
        EXPECT_EQ(rig.relay.textValues[0], 1) << c.code;  // `МТЗ-1 Вкл.`
        EXPECT_EQ(rig.reporter.lastStatus(), T(tx::kWriteDone));

        // Read back into a different image.
        const SetpointImage written_set = rig.image;
        rig.image = DefaultImage(rig.profile);
        const std::size_t before = rig.relay.requests.size();
        const auto read = rig.read();
        ASSERT_TRUE(read) << c.code;
        EXPECT_EQ(read->end, SetpointTransferEnd::Read) << c.code;
        EXPECT_EQ(rig.image, written_set) << c.code;
        std::size_t reads = 0;
        for (std::size_t k = before; k < rig.relay.requests.size(); ++k)
            reads += rig.relay.requests[k].contains(";?;") ? 1 : 0;
        EXPECT_EQ(reads, c.frames) << c.code;
        EXPECT_FALSE(rig.reporter.statuses.contains(T(tx::kReadNextBlock)));
        EXPECT_EQ(rig.reporter.lastStatus(), T(tx::kReadDone));
    }
}

TEST_F(SetpointTransferTest, TextProtocolRejectionKeepsTheImage)
{
    Rig rig(705);
    rig.settings.protocol = Protocol::Tirv;
    rig.settings.protocolVariant = 1;
    rig.relay.framing = {TextVariant::New, 34};
    const SetpointImage held = RelaySet(rig.profile);
    for (int r = 0; r < rig.profile.imageWords; ++r)
        rig.relay.textValues[static_cast<std::size_t>(r)] =
            ImageToRegister(rig.profile, SetpointWire::Text, held, r);
    rig.relay.textValues[0] = 2;  // `МТЗ-1 Вкл.` neither on nor off
    const SetpointImage before = rig.image;
    const auto outcome = rig.read();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->end, SetpointTransferEnd::Rejected);
    EXPECT_EQ(rig.image, before);
    EXPECT_EQ(rig.reporter.lastStatus(), T(tx::kReadRejected));
    // An all-zero text relay is not "empty": no question, no function 0x20.
    Rig zero(705);
    zero.settings.protocol = Protocol::Tirv;
    zero.settings.protocolVariant = 1;
    zero.relay.framing = {TextVariant::New, 34};
    EXPECT_EQ(zero.read().value_or(SetpointTransferOutcome{}).end, SetpointTransferEnd::Rejected);
    EXPECT_TRUE(zero.reporter.messages.empty());
}

// Over Ethernet the whole block comes in one TCP transfer and is checked with its messages.
TEST_F(SetpointTransferTest, ReadOverModbusTcp)
{
    struct Case {
        int code;
        bool spoil;
        std::vector<std::pair<int, int>> frames;
    };
    const Case cases[] = {
        {705, false, {{0, 115}}},
        {715, false, {{0, 125}, {125, 2}}},
        {705, true, {{0, 115}}},
    };
    for (const auto& c : cases) {
        Rig rig(c.code);
        test::TcpRelay tcp;
        rig.settings.channel = Channel::Ethernet;
        rig.settings.tcpAddress = {127, 0, 0, 1};
        rig.settings.tcpPort = tcp.port();
        SetpointImage held = RelaySet(rig.profile);
        if (c.spoil)
            rig.at(held, "МТЗ-2 Врем.х-ка") = 4;  // beyond the non-M maximum of 3
        const auto regs = ImageToRegisters(rig.profile, held);
        std::copy(regs.begin(), regs.end(), tcp.registers.begin());
        const SetpointImage before = rig.image;

        const auto outcome = rig.read();
        ASSERT_TRUE(outcome) << c.code;
        EXPECT_EQ(tcp.reads, c.frames) << c.code;
        EXPECT_TRUE(rig.relay.requests.empty()) << "nothing goes over the serial port";
        if (c.spoil) {
            EXPECT_EQ(outcome->end, SetpointTransferEnd::Rejected);
            EXPECT_EQ(rig.image, before);
            EXPECT_EQ(rig.reporter.lastStatus(),
                      T(" Уставки прочитаны, обнаружены недопустимые значения"));
            ASSERT_EQ(rig.reporter.messages.size(), 1u);
            EXPECT_EQ(rig.reporter.messages[0].caption, T("Combo"));
            EXPECT_EQ(rig.reporter.messages[0].text,
                      T("bCheckErr=TRUE; iCombo=0; nCombo=4, min=0; max=3"));
        } else {
            EXPECT_EQ(outcome->end, SetpointTransferEnd::Read);
            EXPECT_EQ(rig.image, held);
            EXPECT_EQ(rig.reporter.lastStatus(), T(tx::kReadDone));
            EXPECT_TRUE(rig.reporter.messages.empty());
        }
    }
}

}  // namespace
}  // namespace tirv
