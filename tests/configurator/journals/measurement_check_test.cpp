// The range test of integer-layout readings: boundaries, the two message boxes, the statuses of
// the serial and the Modbus TCP path, and the float layout's absence of any test.
#include <gtest/gtest.h>

#include <string>

#include "configurator/journals/measurement_check.h"
#include "configurator/journals/measurement_texts.h"

namespace tirv {
namespace {

namespace tx = measurement_texts;

MeasurementTable IntegerTable()
{
    MeasurementTable t;
    t.layout = MeasurementLayout::Integer;
    t.raw[0] = 310;
    return t;
}

TEST(MeasurementCheck, TemperatureBoundaries)
{
    struct Case {
        std::int32_t raw;
        bool valid;
    };
    for (const Case c : {Case{10000, true}, Case{-10000, true}, Case{10001, false},
                         Case{-10001, false}, Case{32767, false}}) {
        MeasurementTable t = IntegerTable();
        t.raw[kTemperatureValue] = c.raw;
        const MeasurementCheck check = CheckMeasurements(t, MeasurementPath::Serial);
        EXPECT_EQ(check.valid, c.valid) << c.raw;
        if (c.valid) {
            EXPECT_EQ(check.messageCount, 0u);
            EXPECT_EQ(check.status, nullptr);
            continue;
        }
        ASSERT_EQ(check.messageCount, 1u) << c.raw;
        const Message& m = check.messages[0];
        EXPECT_EQ(m.caption, "Ошибка");
        EXPECT_EQ(m.text, "Недопустимое значение температуры: T*10=" + std::to_string(c.raw));
        EXPECT_EQ(m.icon, MsgIcon::Warning);
        EXPECT_STREQ(check.status, "Чтение U,I прервано: обнаружены недопустимые значения");
    }
}

TEST(MeasurementCheck, EveryCarriedAngleSlotAndItsBoundaries)
{
    for (std::size_t slot = 1; slot <= 11; ++slot) {
        for (const std::int32_t raw : {3599, -3599, 3600, -3600}) {
            MeasurementTable t = IntegerTable();
            t.raw[13 + slot] = raw;
            const MeasurementCheck check = CheckMeasurements(t, MeasurementPath::Serial);
            const bool expectedValid = raw == 3599 || raw == -3599;
            EXPECT_EQ(check.valid, expectedValid) << slot << " " << raw;
            if (expectedValid)
                continue;
            ASSERT_EQ(check.messageCount, 1u);
            EXPECT_EQ(check.messages[0].caption, "Ошибка данных");
            EXPECT_EQ(check.messages[0].text, "Недопустимое значение фазы[" + std::to_string(slot) +
                                                  "]=" + std::to_string(raw));
        }
    }
}

TEST(MeasurementCheck, EveryViolationIsToldInOrderFound)
{
    MeasurementTable t = IntegerTable();
    t.raw[0] = 10001;
    t.raw[14] = 3600;
    t.raw[24] = -4000;
    const MeasurementCheck check = CheckMeasurements(t, MeasurementPath::Serial);
    EXPECT_FALSE(check.valid);
    ASSERT_EQ(check.shownMessages().size(), 3u);
    EXPECT_EQ(check.messages[0].text, "Недопустимое значение температуры: T*10=10001");
    EXPECT_EQ(check.messages[1].text, "Недопустимое значение фазы[1]=3600");
    EXPECT_EQ(check.messages[2].text, "Недопустимое значение фазы[11]=-4000");
}

TEST(MeasurementCheck, TcpPathHasOnlyItsStatus)
{
    MeasurementTable t = IntegerTable();
    t.raw[20] = -3600;
    const MeasurementCheck check = CheckMeasurements(t, MeasurementPath::Tcp);
    EXPECT_FALSE(check.valid);
    EXPECT_EQ(check.messageCount, 0u);
    EXPECT_STREQ(check.status, tx::kTcpStatusInvalidValues);
}

TEST(MeasurementCheck, FloatLayoutHasNoRangeTest)
{
    MeasurementTable t;
    t.layout = MeasurementLayout::Float;
    t.values[0] = 20000.0;
    t.values[14] = 4000.0;
    t.raw[14] = 4000;  // not a float-layout field; ignored all the same
    EXPECT_TRUE(CheckMeasurements(t, MeasurementPath::Serial).valid);
}

}  // namespace
}  // namespace tirv
