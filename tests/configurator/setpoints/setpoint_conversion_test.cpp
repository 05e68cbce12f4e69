#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_conversion.h"

#include <gtest/gtest.h>

namespace tirv {
namespace {

constexpr int kAllCodes[] = {0, 306, 705, 706, 707, 715, 716, 717};

TEST(SetpointConversion, WordsByClassAndWire)
{
    struct Case {
        int code;
        const char* name;
        std::int32_t value;
        SetpointWire wire;
        std::uint16_t word;
    };
    const Case cases[] = {
        // Angles: (v + 180) / 15 from the angle base.
        {705, "МТЗ-общие Угол макс.чувств.", -30, SetpointWire::Modbus, 32810},
        {715, "МТЗ-общие Угол макс.чувств.", -30, SetpointWire::Modbus, 32813},
        {705, "МТЗ-общие Угол макс.чувств.", -30, SetpointWire::Text, 42},
        {715, "МТЗ-общие Угол макс.чувств.", -30, SetpointWire::Text, 42},
        {705, "ОЗЗ Угол макс.чувств.", -180, SetpointWire::Modbus, 32800},
        {715, "ОЗЗ-1Г Угол макс.чувств.", 180, SetpointWire::Modbus, 32803 + 24},
        {705, "ОЗЗ Угол макс.чувств.", 180, SetpointWire::Text, 56},
        // Plain numbers travel as they are.
        {705, "МТЗ-1 гр.А I", 2000, SetpointWire::Modbus, 2000},
        {715, "МТЗ-1 гр.А I", 20000, SetpointWire::Text, 20000},
        // Flags: 0x8000 bias over Modbus only.
        {705, "МТЗ-1 Вкл.", 1, SetpointWire::Modbus, 0x8001},
        {715, "В АЖ фикс. 3Io", 0, SetpointWire::Modbus, 0x8000},
        {705, "МТЗ-1 Вкл.", 1, SetpointWire::Text, 1},
        // Choices: bias plus the per-setpoint offset.
        {705, "МТЗ-2 Врем.х-ка", 3, SetpointWire::Modbus, 0x8000 + 2 + 3},
        {705, "МТЗ-общие Угол сектора", 10, SetpointWire::Modbus, 0x8000 + 45 + 10},
        {715, "МТЗ-общие Угол сектора", 10, SetpointWire::Modbus, 0x8000 + 48 + 10},
        {705, "ОЗЗ Алг.защиты", 2, SetpointWire::Text, 57 + 2},
        {715, "Общие Кнопка F1", 15, SetpointWire::Modbus, 0x8000 + 250 + 15},
        {715, "Общие Цвета светодиодов", 1, SetpointWire::Text, 64},
    };
    for (const auto& c : cases) {
        const ModelProfile p = ProfileForModel(c.code);
        const int i = p.find(c.name);
        ASSERT_GE(i, 0) << c.name;
        EXPECT_EQ(SetpointToWord(p, c.wire, i, c.value), c.word) << c.code << " " << c.name;
        EXPECT_EQ(WordToSetpoint(p, c.wire, i, c.word), c.value) << c.code << " " << c.name;
    }
}

TEST(SetpointConversion, ForeignRegisterValuesDecodeOutOfRange)
{
    const ModelProfile p = ProfileForModel(705);
    const int flag = p.find("МТЗ-1 Вкл.");
    EXPECT_EQ(WordToSetpoint(p, SetpointWire::Modbus, flag, 0x8002), 2);
    // An erased register (0) is no valid flag or choice over Modbus.
    EXPECT_EQ(WordToSetpoint(p, SetpointWire::Modbus, flag, 0), -0x8000);
    const int choice = p.find("МТЗ-4 Действ.защиты");
    EXPECT_EQ(WordToSetpoint(p, SetpointWire::Modbus, choice, 0), -0x8000 - 8);
    const int angle = p.find("МТЗ-общие Угол макс.чувств.");
    EXPECT_EQ(WordToSetpoint(p, SetpointWire::Text, angle, 0), -660);
}

TEST(SetpointConversion, RegisterBlockRoundTripsForEveryModel)
{
    for (int code : kAllCodes) {
        const ModelProfile p = ProfileForModel(code);
        SetpointImage image = DefaultImage(p);
        // Something other than the minimum everywhere, still in range.
        image[static_cast<std::size_t>(p.find("МТЗ-общие Угол макс.чувств."))] = 165;
        image[static_cast<std::size_t>(p.choiceIndex(3))] = 7;
        const auto regs = ImageToRegisters(p, image);
        ASSERT_EQ(static_cast<int>(regs.size()), p.imageWords);
        SetpointImage back{};
        RegistersToImage(p, regs, back);
        EXPECT_EQ(back, image) << code;

        for (SetpointWire wire : {SetpointWire::Modbus, SetpointWire::Text}) {
            SetpointImage viaRegs{};
            for (int r = 0; r < p.imageWords; ++r)
                EXPECT_TRUE(
                    RegisterToImage(p, wire, viaRegs, r, ImageToRegister(p, wire, image, r)));
            EXPECT_EQ(viaRegs, image) << code;
        }
    }
}

TEST(SetpointConversion, RegistersOutsideTheBlockAreIgnored)
{
    const ModelProfile p = ProfileForModel(705);
    SetpointImage image{};
    image.fill(7);
    const SetpointImage before = image;
    EXPECT_FALSE(RegisterToImage(p, SetpointWire::Modbus, image, 115, 1));
    EXPECT_FALSE(RegisterToImage(p, SetpointWire::Modbus, image, -1, 1));
    EXPECT_EQ(image, before);
    EXPECT_EQ(ImageToRegister(p, SetpointWire::Modbus, image, 200), 0);
    EXPECT_EQ(ImageIndexOfRegister(p, 115), -1);
    EXPECT_EQ(ImageIndexOfRegister(ProfileForModel(715), 126), 55);
}

TEST(SetpointConversion, ModbusBlockLayoutOfTheDefaultImage)
{
    const auto regs = ImageToRegisters(705, DefaultImage(705));
    ASSERT_EQ(regs.size(), 115u);
    EXPECT_EQ(regs[0], 0x8000);   // МТЗ-1 Вкл. off
    EXPECT_EQ(regs[1], 20);       // МТЗ-1 гр.А I 2.0 A
    EXPECT_EQ(regs[41], 32800);   // МТЗ-общие Угол макс.чувств. −180
    EXPECT_EQ(regs[114], 50);     // Tпредыст. 0.50 s
    const auto m = ImageToRegisters(715, DefaultImage(715));
    ASSERT_EQ(m.size(), 127u);
    EXPECT_EQ(m[1], 200);         // МТЗ-1 гр.А I 2.00 A in hundredths
    EXPECT_EQ(m[126], 50);
}

}  // namespace
}  // namespace tirv
