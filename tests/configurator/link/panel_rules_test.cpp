#include "configurator/link/panel_rules.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tirv::panel {
namespace {

TEST(PanelRules, NonMBlockCarriesBiasedCodes)
{
    const auto r = EncodeNonM(17, 4, 1);
    EXPECT_EQ(r[0], 17);
    EXPECT_EQ(r[1], 0x8000 + 25 + 4);
    EXPECT_EQ(r[2], 0x8000 + 65 + 1);
    const auto back = DecodeNonM(r);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rsAddress, 17);
    EXPECT_EQ(back->rsBaudIndex, 4);
    EXPECT_EQ(back->rsProtocol, 1);
}

TEST(PanelRules, MBlockLayoutRegisterByRegister)
{
    DeviceSettings s;
    s.rsProtocol = 0;
    s.rsAddress = 200;
    s.rsBaudIndex = 9;
    s.parity = 2;
    s.stopBits = 1;
    s.mode = 1;
    s.timeSync = true;
    s.usbBaudIndex = 7;
    s.ethernetOn = true;
    s.ip = {192, 168, 1, 20};
    s.tcpPort = 5020;
    s.mac = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    s.gateway = {192, 168, 1, 1};
    s.mask = {255, 255, 255, 0};
    const auto r = EncodeM(s);
    const std::array<std::uint16_t, 19> expected{
        0x8000 + 65 + 0, 200,    0x8000 + 25 + 9, 0x8000 + 18 + 2, 0x8000 + 21 + 1,
        0x8000 + 78 + 1, 0x8001, 0x8000 + 25 + 7, 0x8001,
        1 * 256 + 20,    192 * 256 + 168,  // IP: third/fourth, then first/second
        5020,
        0x0506, 0x0304, 0x0102,           // MAC bytes 5-6, 3-4, 1-2
        1 * 256 + 1,     192 * 256 + 168, 255 * 256 + 0, 255 * 256 + 255};
    EXPECT_EQ(r, expected);
    const auto back = DecodeM(r);
    ASSERT_TRUE(back);
    EXPECT_EQ(EncodeM(*back), r);
}

TEST(PanelRules, DecodingRefusesCodesOutsideTheirTables)
{
    std::array<std::uint16_t, 3> nonM = EncodeNonM(1, 6, 1);
    nonM[1] = 0x8000 + 25 + 7;  // 115200 on a non-M relay
    EXPECT_FALSE(DecodeNonM(nonM));
    nonM = EncodeNonM(1, 6, 1);
    nonM[2] = 0x8000 + 65 + 2;
    EXPECT_FALSE(DecodeNonM(nonM));
    nonM = EncodeNonM(0, 6, 1);
    EXPECT_FALSE(DecodeNonM(nonM));

    auto m = EncodeM(DeviceSettings{});
    m[7] = 0x8000 + 25 + 5;  // USB below 57600
    EXPECT_FALSE(DecodeM(m));
    m = EncodeM(DeviceSettings{});
    m[3] = 0x8000 + 18 + 3;
    EXPECT_FALSE(DecodeM(m));
    EXPECT_FALSE(DecodeM(std::span<const std::uint16_t>(m).first(18)));
}

TEST(PanelRules, RateWriteFormByModelAndFirmware)
{
    EXPECT_EQ(RateWriteFor(false, 300), RateWrite::NonMBlock);
    EXPECT_EQ(RateWriteFor(true, 121), RateWrite::MBlock);  // 1.21 exactly: whole block
    EXPECT_EQ(RateWriteFor(true, 122), RateWrite::MSingle);
    EXPECT_EQ(RateWriteFor(true, 0), RateWrite::MBlock);
}

struct TcpCase {
    const char* label;  // the case's name in the test list
    std::array<std::string, 4> octets;
    const char* port;
    TcpFieldError error;
    int octet;
};

void PrintTo(const TcpCase& c, std::ostream* os) { *os << c.label; }

class TcpFields : public ::testing::TestWithParam<TcpCase> {};

TEST_P(TcpFields, CheckedInOrder)
{
    const TcpCase& c = GetParam();
    const TcpFieldCheck r = CheckTcpFields(c.octets, c.port);
    EXPECT_EQ(r.error, c.error);
    if (c.error == TcpFieldError::AddressIncomplete) {
        EXPECT_EQ(r.octet, c.octet);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Order, TcpFields,
    ::testing::Values(
        TcpCase{"allBlank", {"", "", "", ""}, "", TcpFieldError::AddressBlank, 0},
        TcpCase{"thirdOctetBlank", {"127", "0", "", "1"}, "", TcpFieldError::AddressIncomplete, 2},
        TcpCase{"fourthOctetOver255", {"127", "0", "0", "300"}, "502", TcpFieldError::AddressIncomplete, 3},
        TcpCase{"portBlank", {"127", "0", "0", "1"}, "", TcpFieldError::PortEmpty, 0},
        TcpCase{"port0", {"127", "0", "0", "1"}, "0", TcpFieldError::PortInvalid, 0},
        TcpCase{"port65536", {"127", "0", "0", "1"}, "65536", TcpFieldError::PortInvalid, 0},
        TcpCase{"port65535", {"127", "0", "0", "1"}, "65535", TcpFieldError::None, 0},
        TcpCase{"port502", {"127", "0", "0", "1"}, "502", TcpFieldError::None, 0}));

TEST(PanelRules, GoodTcpFieldsAreReturned)
{
    const auto r = CheckTcpFields({"10", "1", "2", "3"}, "1502");
    EXPECT_EQ(r.address, (std::array<std::uint8_t, 4>{10, 1, 2, 3}));
    EXPECT_EQ(r.port, 1502);
}

TEST(PanelRules, HexByteFields)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"0", 0},   {"9", 9},    {"F", 15},   {"1A", 26}, {"FF", 255},
        {"a", 0},   {"1a", 0},   {"G1", 0},   // another character: the whole field is 0
        {"", std::nullopt}, {"100", std::nullopt}};
    for (auto [text, value] : cases)
        EXPECT_EQ(ParseHexByte(text), value) << text;
}

TEST(PanelRules, IdentityNeedsAKnownFamily)
{
    const std::array<std::uint16_t, 5> m{0xAABB, 716, 122, 45, 9001};
    const auto id = DecodeIdentity(m);
    ASSERT_TRUE(id);
    EXPECT_TRUE(id->mModel);
    EXPECT_EQ(id->modelCode, 716);
    EXPECT_EQ(id->firmwareX100, 122);
    EXPECT_EQ(id->build, 45);
    EXPECT_EQ(id->serial, 9001);
    const std::array<std::uint16_t, 5> nonM{0xAAAA, 705, 300, 1, 2};
    ASSERT_TRUE(DecodeIdentity(nonM));
    EXPECT_FALSE(DecodeIdentity(nonM)->mModel);
    const std::array<std::uint16_t, 5> zero{0, 705, 300, 1, 2};
    EXPECT_FALSE(DecodeIdentity(zero));
}

TEST(PanelRules, ModelItems)
{
    for (int item = 1; item <= 7; ++item)
        EXPECT_EQ(ModelItem(ModelCodeOfItem(item)), item);
    EXPECT_EQ(ModelItem(715), 5);
    EXPECT_EQ(ModelItem(800), 0);
    EXPECT_EQ(ModelCodeOfItem(0), 0);
}

TEST(PanelRules, ModelTablesFollowSignatureAndCodeTogether)
{
    struct Case {
        std::uint16_t signature;
        std::uint16_t code;
        int model;  // 0: no tables for this relay
    };
    const Case cases[] = {
        // Each code under its own family's signature is kept.
        {0xAAAA, 306, 306}, {0xAAAA, 705, 705}, {0xAAAA, 706, 706}, {0xAAAA, 707, 707},
        {0xAABB, 715, 715}, {0xAABB, 716, 716}, {0xAABB, 717, 717},
        // A base code under the M signature is its M modification, never another M model.
        {0xAABB, 705, 715}, {0xAABB, 706, 716}, {0xAABB, 707, 717},
        // An M code under the non-M signature is its base model.
        {0xAAAA, 715, 705}, {0xAAAA, 716, 706}, {0xAAAA, 717, 707},
        // 306 has no M modification; unknown codes have no tables.
        {0xAABB, 306, 0}, {0xAAAA, 800, 0}, {0xAABB, 0, 0},
    };
    for (const Case& c : cases) {
        const std::array<std::uint16_t, 5> regs{c.signature, c.code, 100, 1, 1};
        const auto id = DecodeIdentity(regs);
        ASSERT_TRUE(id);
        EXPECT_EQ(ModelFromIdentity(*id).value_or(0), c.model) << c.signature << " " << c.code;
    }
}

}  // namespace
}  // namespace tirv::panel
