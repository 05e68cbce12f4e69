// The 44-entry coefficient table against the coefficient list of the relay's documentation, and
// where the float layout's list view shows each value and with which row text.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "configurator/journals/measurement_list.h"
#include "configurator/journals/measurement_values.h"

namespace tirv {
namespace {

TEST(MeasurementTable, CoefficientsOfAllFortyFourEntries)
{
    std::vector<double> expected = {1.0, 0.01, 0.01, 0.01,  0.1, 0.1,  0.1,
                                    0.1, 0.1,  0.1,  0.001, 0.1, 0.01, 0.01};
    expected.insert(expected.end(), 11, 0.1);   // 14–24
    expected.insert(expected.end(), 7, 0.001);  // 25–31
    expected.insert(expected.end(), 9, 0.01);   // 32–40
    expected.insert(expected.end(), {1.0, 0.1, 0.01});
    ASSERT_EQ(expected.size(), kMeasurementValues);
    for (std::size_t i = 0; i < kMeasurementValues; ++i)
        EXPECT_EQ(ScaleFactor(kMeasurementValueTable[i].scale), expected[i]) << i;
}

TEST(MeasurementList, EveryFloatValueHasItsOwnLabelledCell)
{
    std::set<std::pair<int, int>> cells;
    for (std::size_t i = 0; i < kMeasurementValues; ++i) {
        const MeasurementValueInfo& v = kMeasurementValueTable[i];
        EXPECT_TRUE(cells.insert({v.listRow, v.listColumn}).second) << i;
        EXPECT_LT(v.listRow, kMeasurementListRows) << i;
        EXPECT_FALSE(MeasurementListRowText(v.listRow).empty()) << i;
    }
    struct Case {
        std::size_t value;
        const char* label;  // without its padding
    };
    const Case cases[] = {
        {0, "Температура, гр."},
        {10, "Ток нулевой пос-ти  3Io"},
        {13, "Ток обратной пос-ти  I2"},
        {14, "Ia"},
        {24, "Напряжение нулевой пос-ти 3Uo"},
        {31, "Среднекв. суммы 3-13 гармоник"},
        {41, "Кол-во срабатываний выкл-ля"},
        {42, "Напряжение батарейки, В"},
        {43, "Частота, Гц"},
    };
    for (const Case& c : cases) {
        const std::string text = MeasurementListRowText(kMeasurementValueTable[c.value].listRow);
        EXPECT_EQ(text.substr(text.find_first_not_of(' ')), c.label) << c.value;
    }
    EXPECT_EQ(kMeasurementValueTable[14].listColumn, 2);
    EXPECT_EQ(kMeasurementValueTable[1].listColumn, 1);
}

TEST(MeasurementList, ShortNamesArePaddedToTheRightEdge)
{
    struct Case {
        int row;
        std::size_t spaces;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "Фазные токи:"},
        {1, 51, "Ia"},
        {8, 51, "Uc"},
        {11, 49, "Uab"},
        {13, 49, "Uca"},
        {22, 30, "3-я гармоника"},
        {25, 30, "9-я гармоника"},
        {26, 28, "11-я гармоника"},
        {27, 28, "13-я гармоника"},
        {31, 50, "Ia"},
        {38, 50, "Ic"},
        {41, 51, "A"},
        {43, 51, "C"},
        {51, 0, "Напряжение батарейки, В"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MeasurementListRowText(c.row), std::string(c.spaces, ' ') + c.text) << c.row;
    for (int empty : {4, 9, 14, 17, 20, 29, 34, 39, 44, 46, 48, 50, -1, 52})
        EXPECT_EQ(MeasurementListRowText(empty), "") << empty;
}

}  // namespace
}  // namespace tirv
