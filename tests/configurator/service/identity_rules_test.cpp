// The configuration page's rules: the type list and its codes, the input checks, the frames of
// the read and both writes with their waits, and the panel's frame texts.
#include "configurator/service/device_identity_rules.h"
#include "configurator/service/device_identity_texts.h"
#include "support/reference_crc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tirv {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(IdentityRules, TypeListMapsItemsAndCodesBothWays)
{
    const std::pair<int, int> items[] = {{306, 1}, {705, 2}, {706, 3}, {707, 4},
                                         {715, 5}, {716, 6}, {717, 7}};
    for (auto [code, item] : items) {
        EXPECT_EQ(DeviceTypeItem(code), item) << code;
        EXPECT_EQ(DeviceTypeCode(item), code) << item;
    }
    for (int unknown : {0, 305, 708, 0xFFFF})
        EXPECT_EQ(DeviceTypeItem(unknown), 0) << unknown;
    EXPECT_EQ(DeviceTypeCode(0), 0);
    EXPECT_EQ(DeviceTypeCode(8), 0);
    EXPECT_STREQ(FamilyName(716), "ТИРВ/ОЛК-706M");
    EXPECT_STREQ(FamilyName(708), "");
}

TEST(IdentityRules, InputIsCheckedBeforeAnythingIsSent)
{
    struct Case {
        const char* what;
        int item;
        bool serialEnabled;
        const char* serial;
        IdentityInputError error;
        bool writeSerial;
        int value;
    };
    const Case cases[] = {
        {"empty item", 0, false, "", IdentityInputError::NoType, false, 0},
        {"empty item before serial", 0, true, "", IdentityInputError::NoType, false, 0},
        {"type only", 6, false, "", IdentityInputError::None, false, 0},
        {"serial field disabled keeps its text out", 6, false, "12", IdentityInputError::None,
         false, 0},
        {"empty serial", 6, true, "", IdentityInputError::NoSerial, false, 0},
        {"serial", 2, true, "01234", IdentityInputError::None, true, 1234},
        {"largest", 2, true, "65535", IdentityInputError::None, true, 65535},
        {"beyond 16 bits", 2, true, "65536", IdentityInputError::NoSerial, false, 0},
        {"six digits", 2, true, "123456", IdentityInputError::NoSerial, false, 0},
        {"not digits", 2, true, "12a", IdentityInputError::NoSerial, false, 0},
    };
    for (const Case& c : cases) {
        const IdentityInput in = CheckIdentityInput(c.item, c.serialEnabled, c.serial);
        EXPECT_EQ(in.error, c.error) << c.what;
        EXPECT_EQ(in.writeSerial, c.writeSerial) << c.what;
        if (c.writeSerial) {
            EXPECT_EQ(in.serial, c.value) << c.what;
        }
    }
    EXPECT_STREQ(IdentityInputText(IdentityInputError::NoType), identity_texts::kChooseType);
    EXPECT_STREQ(IdentityInputText(IdentityInputError::NoSerial), identity_texts::kEnterSerial);
    EXPECT_EQ(IdentityInputText(IdentityInputError::None), nullptr);
}

TEST(IdentityRules, ModbusFramesAndWaits)
{
    ConnectionSettings s;
    s.address = 1;
    s.baudIndex = 6;  // 57600
    const IdentityRequest read = BuildIdentityReadRequest(s);
    EXPECT_EQ(read.frame, test::WithBitwiseCrc({0x01, 0x03, 0x00, 0x83, 0x00, 0x04}));
    EXPECT_EQ(read.replyLength, 13);
    EXPECT_EQ(read.waitMs, (13 * 8 + 237) * 1000 / 57600 + 20);

    const IdentityRequest type = BuildTypeWriteRequest(s, 716);
    EXPECT_EQ(type.frame,
              test::WithBitwiseCrc({0x01, 0x10, 0x00, 0x83, 0x00, 0x01, 0x02, 0x02, 0xCC}));
    EXPECT_EQ(type.waitMs, (26 * 11 + 120) * 1000 / 57600 + 20);
    const IdentityRequest serial = BuildSerialWriteRequest(s, 40000);
    EXPECT_EQ(serial.frame,
              test::WithBitwiseCrc({0x01, 0x10, 0x00, 0x86, 0x00, 0x01, 0x02, 0x9C, 0x40}));
    EXPECT_EQ(IdentityWriteWaitMs(11, 0), (26 * 11 + 120) * 1000 / 1200 + 20);

    IdentityRecord r{};
    ASSERT_EQ(ParseIdentityReply(
                  s, read.frame,
                  test::WithBitwiseCrc({0x01, 0x03, 8, 0x02, 0xCC, 0, 120, 0, 3, 0x30, 0x39}), r),
              LinkResult::Good);
    EXPECT_EQ(r[kIdentityType], 716);
    EXPECT_EQ(r[kIdentitySerial], 12345);
    EXPECT_EQ(
        ParseIdentityReply(s, read.frame, test::WithBitwiseCrc({0x01, 0x03, 2, 0x02, 0xCC}), r),
        LinkResult::LengthMismatch);
    EXPECT_EQ(CheckIdentityWriteReply(s, type.frame,
                                      test::WithBitwiseCrc({0x01, 0x10, 0x00, 0x83, 0x00, 0x01})),
              LinkResult::Good);
    EXPECT_EQ(CheckIdentityWriteReply(s, type.frame, test::WithBitwiseCrc({0x01, 0x90, 0x03})),
              LinkResult::Exception);
    // The acknowledgement of the serial write does not pass for the type write.
    EXPECT_NE(CheckIdentityWriteReply(s, type.frame,
                                      test::WithBitwiseCrc({0x01, 0x10, 0x00, 0x86, 0x00, 0x01})),
              LinkResult::Good);
}

TEST(IdentityRules, TextProtocolReadsWithAStartAndHasNoSerialWrite)
{
    ConnectionSettings s;
    s.protocol = Protocol::Tirv;
    s.protocolVariant = 0;
    EXPECT_TRUE(BuildIdentityReadRequest(s).frame.empty());
    s.protocolVariant = 1;
    const IdentityRequest read = BuildIdentityReadRequest(s);
    ASSERT_FALSE(read.frame.empty());
    EXPECT_EQ(read.frame.front(), ':');
    EXPECT_FALSE(BuildTypeWriteRequest(s, 705).frame.empty());
    EXPECT_TRUE(BuildSerialWriteRequest(s, 1).frame.empty());
}

TEST(IdentityRules, FrameTextsOfThePanel)
{
    const Bytes read{0x01, 0x03, 0x00, 0x83, 0x00, 0x04, 0xB5, 0xE1};
    EXPECT_EQ(FrameBytesText(read, true), "01 03 00 83 00 04 b5 e1");
    const Bytes write{0x01, 0x10};
    EXPECT_EQ(FrameBytesText(write, false), "01 10 ");
    EXPECT_EQ(FrameBytesText(Bytes{}, true), "");
}

}  // namespace
}  // namespace tirv
