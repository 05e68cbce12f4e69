// The setpoint sequences over the ТИРВ protocol and over Modbus TCP, against in-memory relays.
#include "support/tcp_relay.h"
#include "transfer_rig.h"

namespace tirv::setpoint_test {
namespace {

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
        const std::size_t before = rig.relay.requests().size();
        const auto read = rig.read();
        ASSERT_TRUE(read) << c.code;
        EXPECT_EQ(read->end, SetpointTransferEnd::Read) << c.code;
        EXPECT_EQ(rig.image, written_set) << c.code;
        std::size_t reads = 0;
        for (std::size_t k = before; k < rig.relay.requests().size(); ++k)
            reads += rig.relay.requests()[k].contains(";?;") ? 1 : 0;
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
        tcp.registers.assign(regs.begin(), regs.end());
        const SetpointImage before = rig.image;

        const auto outcome = rig.read();
        ASSERT_TRUE(outcome) << c.code;
        EXPECT_EQ(tcp.reads(), c.frames) << c.code;
        EXPECT_TRUE(rig.relay.requests().empty()) << "nothing goes over the serial port";
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
}  // namespace tirv::setpoint_test
