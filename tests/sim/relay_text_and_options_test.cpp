// The ТИРВ protocol side of the relay, Modbus TCP framing, the command line and control
// commands, and the state file.
#include <gtest/gtest.h>

#include <functional>

#include "common/crc16.h"
#include "configurator/link/registers.h"
#include "configurator/link/text_frames.h"
#include "sim/mbap_device.h"
#include "sim/setpoint_registers.h"
#include "sim/sim_options.h"
#include "sim/state_file.h"

namespace tirv::sim {
namespace {

const std::int64_t kNow = ToEpochMs({2026, 3, 14, 10, 20, 30, 400});

// An encoder written from the frame rules, independent of the simulator's own.
std::string Num(unsigned v)
{
    std::string s;
    const unsigned d[3] = {v >> 10, (v >> 5) & 31, v & 31};
    for (unsigned x : d)
        if (!s.empty() || x != 0)
            s.push_back(static_cast<char>(60 + x));
    return s;
}

std::string Close(std::string body)
{
    const std::uint16_t crc =
        Crc16({reinterpret_cast<const std::uint8_t*>(body.data()) + 1, body.size() - 1});
    return body + Num(crc) + "#";
}

std::vector<unsigned> Values(const std::string& reply, std::size_t header)
{
    std::vector<unsigned> values;
    unsigned v = 0;
    for (std::size_t i = header; i < reply.size() && reply[i] != ';'; ++i) {
        if (reply[i] == ',') {
            values.push_back(v);
            v = 0;
        } else {
            v = v * 32 + static_cast<unsigned>(reply[i] - 60);
        }
    }
    values.push_back(v);
    return values;
}

struct TextFixture {
    explicit TextFixture(int variant, int model = 705)
    {
        LineSettings line;
        line.protocol = Protocol::Tirv;
        line.variant = variant;
        line.valuesPerFrame = 8;
        relay = &bus.AddRelay(std::make_unique<Relay>(*FindRelayModel(model), line, kNow));
    }
    std::string exchange(const std::string& frame, std::int64_t now = kNow)
    {
        const auto t = bus.Receive({reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size()},
                                   now, PeerLine{});
        if (!t)
            return {};
        if (t->applyAfter)
            relay->setLine(*t->applyAfter);
        return {t->bytes.begin(), t->bytes.end()};
    }
    RelayLine bus;
    Relay* relay = nullptr;
};

TEST(RelayText, LinkCheckEchoesTheRequestWithAFreshCrc)
{
    TextFixture f(0);
    const std::string request = Close(":=;<;<;");
    EXPECT_EQ(f.exchange(request), request);
    EXPECT_TRUE(f.exchange(Close(":>;<;<;")).empty());  // address 2: not this relay
}

TEST(RelayText, VariantOneReadsCarryStartAndCount)
{
    TextFixture f(1);
    const std::string header = ":=;?;" + Num(130) + ";" + Num(5) + ";";
    const std::string reply = f.exchange(Close(header));
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(reply.substr(0, header.size()), header);
    const auto v = Values(reply, header.size());
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0], regs::kSignatureNonM);
    EXPECT_EQ(v[1], 705u);
    EXPECT_EQ(reply, Close(reply.substr(0, reply.rfind(';') + 1)));  // CRC over the reply
    // A damaged CRC, a Modbus peer or a frame without "#" is ignored.
    std::string damaged = Close(header);
    damaged[damaged.size() - 2] ^= 1;
    EXPECT_TRUE(f.exchange(damaged).empty());
    f.bus.Silence(kNow, PeerLine{});
    EXPECT_TRUE(f.exchange(header).empty());
}

TEST(RelayText, VariantZeroWalksTheSetpointsGroupByGroup)
{
    TextFixture f(0);
    const std::string full = Close(":=;?;<,");
    const std::string last = Close(":=;?;<," + Num(3) + ",");
    const auto& h = f.relay->holding();
    std::vector<unsigned> got;
    for (int g = 0; g < 3; ++g) {
        const auto v = Values(f.exchange(full, kNow + g * 50), std::string(":=;?;<,").size());
        got.insert(got.end(), v.begin(), v.end());
    }
    const auto tail = Values(f.exchange(last, kNow + 200), std::string(":=;?;<,").size() + Num(3).size() + 1);
    got.insert(got.end(), tail.begin(), tail.end());
    ASSERT_EQ(got.size(), 27u);
    for (std::size_t reg = 0; reg < got.size(); ++reg)
        EXPECT_EQ(got[reg], SetpointRegisterToText(f.relay->model(), static_cast<int>(reg), h[reg])) << reg;
    // After the short last group the walk starts again at register 0.
    EXPECT_EQ(Values(f.exchange(full, kNow + 300), 7)[0], got[0]);
}

TEST(RelayText, WritesAndBreakerCommandsAreAcknowledged)
{
    TextFixture f(1);
    // Serial number (plain register) written with "L", then the breaker opened with "K".
    const std::string write = ":=;L;" + Num(134) + ";" + Num(1) + ";" + Num(2222) + ";";
    const std::string ack = f.exchange(Close(write));
    ASSERT_FALSE(ack.empty());
    EXPECT_EQ(ack, Close(":=;L;" + Num(134) + ";" + Num(1) + ";;"));
    EXPECT_EQ(f.relay->holding()[regs::kSerialNumber], 2222);
    EXPECT_FALSE(f.exchange(Close(":=;K;" + Num(135) + ";" + Num(1) + ";" + Num(1) + ";")).empty());
    EXPECT_FALSE(f.relay->breakerClosed());
    // "K" on any other register is not a breaker command.
    EXPECT_TRUE(f.exchange(Close(":=;K;" + Num(134) + ";" + Num(1) + ";" + Num(0x8000) + ";")).empty());
    EXPECT_EQ(f.relay->holding()[regs::kSerialNumber], 2222);
    f.relay->setBlocked(true);
    EXPECT_TRUE(f.exchange(Close(":=;K;" + Num(135) + ";" + Num(1) + ";" + Num(0x8000) + ";")).empty());
    // Link settings: unbiased codes at 115; the new address answers after the acknowledgement.
    EXPECT_FALSE(f.exchange(Close(":=;L;" + Num(115) + ";" + Num(3) + ";" + Num(9) + "," + Num(25 + 6) +
                                  "," + Num(65 + 0) + ";"))
                     .empty());
    EXPECT_EQ(f.relay->line().address, 9);
    EXPECT_FALSE(f.exchange(Close(":" + Num(9) + ";?;" + Num(130) + ";" + Num(1) + ";")).empty());
}

// The configurator's own ТИРВ-protocol codec against the relay, both variants.
TEST(RelayText, TalksWithTheConfiguratorsCodecInBothVariants)
{
    for (int variant : {0, 1}) {
        TextFixture f(variant, 715);
        const TextFraming framing{static_cast<TextVariant>(variant), 8};
        std::array<std::uint8_t, kFrameBufferSize> out{};
        auto exchange = [&](std::size_t n) {
            return f.exchange(std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n)));
        };
        auto bytes = [](const std::string& s) {
            return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
        };
        const std::size_t check = BuildTextLinkCheck(out, 1);
        const std::string checkReply = exchange(check);
        EXPECT_TRUE(CheckTextFrameCrc(bytes(checkReply)).good()) << variant;

        // The setpoint block in groups of 8, as the configurator reads it.
        const int words = f.relay->model().setpointWords;
        std::vector<std::int32_t> block(static_cast<std::size_t>(words));
        for (std::size_t g = 0; g < BlockCount(block.size(), 8); ++g) {
            const Block b = BlockAt(g, block.size(), 8);
            const std::size_t n = BuildTextRead(framing, out, 1, static_cast<std::uint16_t>(b.offset),
                                                static_cast<std::uint8_t>(b.count));
            const std::vector<std::uint8_t> request(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
            const std::string reply = exchange(n);
            const TextReply r = ParseTextRead(framing, bytes(reply), request, g, block);
            ASSERT_TRUE(r.good()) << variant << " group " << g << " " << static_cast<int>(r.result);
        }
        for (int reg = 0; reg < words; ++reg)
            EXPECT_EQ(block[static_cast<std::size_t>(reg)],
                      SetpointRegisterToText(f.relay->model(), reg, f.relay->holding()[static_cast<std::size_t>(reg)]))
                << variant << " register " << reg;

        // A write acknowledged in the codec's terms, and stored with the Modbus coding.
        const std::int32_t serial[] = {3456};
        const std::size_t n = BuildTextWrite(framing, out, 1, regs::kSerialNumber, 1, serial);
        const std::vector<std::uint8_t> request(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
        const std::string ack = exchange(n);
        EXPECT_TRUE(ParseTextWriteAck(framing, bytes(ack), request).good()) << variant;
        EXPECT_EQ(f.relay->holding()[regs::kSerialNumber], 3456);
    }
}

TEST(ModbusTcpDevice, TakesWholeRequestsFromTheStreamAndAnswersUnitOne)
{
    RelayLine bus;
    Relay& relay = bus.AddRelay(std::make_unique<Relay>(*FindRelayModel(715), LineSettings{}, kNow));
    const std::vector<std::uint8_t> read{0, 7, 0, 0, 0, 6, 1, 3, 0, 130, 0, 5};
    std::vector<std::uint8_t> stream(read.begin(), read.begin() + 5), request;
    EXPECT_EQ(TakeMbapRequest(stream, request), MbapTake::NeedMore);
    stream.insert(stream.end(), read.begin() + 5, read.end());
    stream.insert(stream.end(), read.begin(), read.begin() + 3);  // the next one begins
    ASSERT_EQ(TakeMbapRequest(stream, request), MbapTake::Request);
    EXPECT_EQ(request, read);
    EXPECT_EQ(stream.size(), 3u);
    const auto reply = AnswerMbap(request, relay, kNow, bus);
    ASSERT_TRUE(reply.has_value());
    ASSERT_EQ(reply->size(), 19u);
    EXPECT_EQ((*reply)[1], 7);  // transaction echoed
    EXPECT_EQ((*reply)[5], 13);  // length: unit, function, byte count, 10 data bytes
    EXPECT_EQ((*reply)[9] << 8 | (*reply)[10], regs::kSignatureM);

    std::vector<std::uint8_t> otherUnit = read;
    otherUnit[6] = 2;
    EXPECT_FALSE(AnswerMbap(otherUnit, relay, kNow, bus).has_value());
    std::vector<std::uint8_t> write{0, 0, 0, 0, 0, 9, 1, 0x10, 0, 134, 0, 1, 2, 0, 5};
    EXPECT_EQ(AnswerMbap(write, relay, kNow, bus)->at(8), kIllegalFunction);
    std::vector<std::uint8_t> broken{0, 0, 0, 1, 0, 6, 1, 3, 0, 0, 0, 1};
    EXPECT_EQ(TakeMbapRequest(broken, request), MbapTake::Broken);
}

TEST(SimCommandLine, GoodAndBadCommandLines)
{
    struct Case {
        std::vector<std::string> args;
        bool good;
    } cases[] = {
        {{}, true},
        {{"--model", "306", "--baud", "9600", "--stop-bits", "2", "--protocol", "tirv"}, true},
        {{"--model", "705", "--baud", "115200"}, false},  // non-M relays stop at 57600
        {{"--model", "708"}, false},
        {{"--address", "0"}, false},
        {{"--com"}, false},
        {{"--tcp", "0", "--drop", "2", "--silent", "--exception=4"}, true},
        {{"--device", "address=2,model=715", "--device", "address=3,baud=19200"}, true},
        {{"--device", "address=2,colour=red"}, false},
        {{"stray"}, false},
        {{"--model", "705", "--channel", "usb"}, false},  // non-M relays have no USB channel
        {{"--device", "model=716,channel=rs485"}, true},
    };
    for (const Case& c : cases) {
        const ParseResult r = ParseSimOptions(c.args);
        EXPECT_EQ(r.error.empty(), c.good) << (c.args.empty() ? "" : c.args[0]) << ": " << r.error;
    }
    const ParseResult two = ParseSimOptions({"--model", "306", "--device", "address=2",
                                             "--device", "address=3,model=717,baud=460800"});
    ASSERT_EQ(two.options.devices.size(), 2u);
    EXPECT_EQ(two.options.devices[0].model, 306);  // the options are the defaults of --device
    EXPECT_EQ(two.options.devices[1].line.baudIndex, 9);
    EXPECT_FALSE(two.options.devices[0].line.usb);
    EXPECT_TRUE(two.options.devices[1].line.usb);  // an M relay is reached over USB by default
    const ParseResult faults = ParseSimOptions({"--drop", "3", "--exception", "4", "--blocked"});
    EXPECT_EQ(faults.options.faults.dropNext, 3);
    EXPECT_EQ(faults.options.faults.exceptionCode, 4);
    EXPECT_EQ(faults.options.flags.blocked, true);
}

TEST(SimCommandLine, EachDeviceFieldSetsItsSettingAndRefusesBadValues)
{
    using Channel = DeviceOptions::Channel;
    struct Case {
        std::string field;  // name=value of --device
        bool good;
        std::function<bool(const DeviceOptions&)> holds;  // checked when good
    };
    const Case cases[] = {
        {"address=255", true, [](const DeviceOptions& d) { return d.line.address == 255; }},
        {"address=256", false, {}},
        {"address=x", false, {}},
        {"parity=none", true, [](const DeviceOptions& d) { return d.line.parity == 0; }},
        {"parity=even", true, [](const DeviceOptions& d) { return d.line.parity == 1; }},
        {"parity=odd", true, [](const DeviceOptions& d) { return d.line.parity == 2; }},
        {"parity=mark", false, {}},
        {"stop-bits=2", true, [](const DeviceOptions& d) { return d.line.stopBits == 2; }},
        {"stop-bits=3", false, {}},
        {"protocol=tirv", true,
         [](const DeviceOptions& d) { return d.line.protocol == Protocol::Tirv; }},
        {"protocol=modbus", true,
         [](const DeviceOptions& d) { return d.line.protocol == Protocol::Modbus; }},
        {"protocol=rtu", false, {}},
        {"variant=1", true, [](const DeviceOptions& d) { return d.line.variant == 1; }},
        {"variant=2", false, {}},
        {"values-per-frame=8", true,
         [](const DeviceOptions& d) { return d.line.valuesPerFrame == 8; }},
        {"values-per-frame=7", false, {}},
        {"serial=65535", true, [](const DeviceOptions& d) { return d.serial == 65535; }},
        {"serial=65536", false, {}},
        {"channel=rs485", true,
         [](const DeviceOptions& d) { return d.channel == Channel::Rs485; }},
        {"channel=usb", true, [](const DeviceOptions& d) { return d.channel == Channel::Usb; }},
        {"channel=can", false, {}},
        {"model=306", true, [](const DeviceOptions& d) { return d.model == 306; }},
        {"model=9", false, {}},
        {"baud=9600", true, [](const DeviceOptions& d) { return d.line.baudIndex == BaudIndexOf(9600); }},
        {"baud=9601", false, {}},
    };
    for (const Case& c : cases) {
        // Model 715 has both channels and every baud rate.
        const ParseResult r = ParseSimOptions({"--device", "model=715," + c.field});
        ASSERT_EQ(r.error.empty(), c.good) << c.field << ": " << r.error;
        if (c.good) {
            ASSERT_EQ(r.options.devices.size(), 1u) << c.field;
            EXPECT_TRUE(c.holds(r.options.devices[0])) << c.field;
        }
    }
}

TEST(SimCommandLine, ControlCommands)
{
    ControlCommand c;
    EXPECT_EQ(ApplyControlCommand("bad-crc 2", c), "");
    EXPECT_EQ(c.faults.badCrcNext, 2);
    EXPECT_EQ(ApplyControlCommand("drop-share 25", c), "");
    EXPECT_DOUBLE_EQ(c.faults.dropShare, 0.25);
    EXPECT_EQ(ApplyControlCommand("archive-busy off", c), "");
    EXPECT_EQ(c.flags.archiveBusy, false);
    EXPECT_EQ(ApplyControlCommand("clear", c), "");
    EXPECT_EQ(c.faults.badCrcNext, 0);
    EXPECT_NE(ApplyControlCommand("late soon", c), "");
    EXPECT_EQ(ApplyControlCommand("silent on", c), "");
    EXPECT_TRUE(c.faults.silent);
    EXPECT_EQ(ApplyControlCommand("silent off", c), "");
    EXPECT_FALSE(c.faults.silent);
    EXPECT_NE(ApplyControlCommand("silent maybe", c), "");
    EXPECT_EQ(ApplyControlCommand("trip", c), "");
    EXPECT_TRUE(c.trip);
    EXPECT_EQ(ApplyControlCommand("quit", c), "");
    EXPECT_TRUE(c.quit);
}

TEST(SimStateFile, RoundTripKeepsMemoryLinkAndClock)
{
    RelayLine a;
    LineSettings line;
    line.address = 17;
    line.baudIndex = 4;
    line.protocol = Protocol::Tirv;
    Relay& ra = a.AddRelay(std::make_unique<Relay>(*FindRelayModel(715), line, kNow));
    ra.holding()[regs::kSerialNumber] = 999;
    ra.holding()[5] = 1234;
    ra.setClockOffsetMs(-3'600'000);
    ra.setBreakerClosed(false);
    a.AddRelay(std::make_unique<Relay>(*FindRelayModel(306), LineSettings{2}, kNow));

    RelayLine b;
    Relay& rb = b.AddRelay(std::make_unique<Relay>(*FindRelayModel(705), LineSettings{}, kNow));
    b.AddRelay(std::make_unique<Relay>(*FindRelayModel(705), LineSettings{}, kNow));
    ASSERT_EQ(LoadState(SaveState(a), b), "");
    EXPECT_EQ(rb.model().code, 715);
    EXPECT_EQ(rb.line(), line);
    EXPECT_EQ(rb.holding()[regs::kSerialNumber], 999);
    EXPECT_EQ(rb.holding()[5], 1234);
    EXPECT_EQ(rb.clockOffsetMs(), -3'600'000);
    EXPECT_FALSE(rb.breakerClosed());
    EXPECT_EQ(b.relays()[1]->model().code, 306);

    std::string damaged = SaveState(a);
    damaged.replace(damaged.find("registers") + 10, 4, "zzzz");
    EXPECT_NE(LoadState(damaged, b), "");
    EXPECT_NE(LoadState("something else\n", b), "");
}

}  // namespace
}  // namespace tirv::sim
