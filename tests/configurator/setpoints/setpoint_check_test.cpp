#include "configurator/setpoints/setpoint_check.h"

#include "image_at.h"

#include <gtest/gtest.h>

namespace tirv {
namespace {

constexpr int kAllCodes[] = {0, 306, 705, 706, 707, 715, 716, 717};

using test::ImageAt;

// One setpoint set to a value, and whether the check accepts the image.
struct ValueCase {
    int code;
    const char* name;
    std::int32_t value;
    bool ok;
};

void ClearRecordedChannels(SetpointImage& image, const ModelProfile& p)
{
    for (const char* n : {"В АЖ фикс. Ia", "В АЖ фикс. Ib", "В АЖ фикс. Ic", "В АЖ фикс. Ua",
                          "В АЖ фикс. Ub", "В АЖ фикс. Uc"})
        ImageAt(p, image, n) = 0;
}

TEST(DefaultImage, ExamplesAndFlags)
{
    struct Case {
        int code;
        const char* name;
        std::int32_t value;
    };
    const Case cases[] = {
        {705, "МТЗ-1 гр.А I", 20},
        {705, "МТЗ-общие Угол макс.чувств.", -180},
        {705, "ЗМН Квозврата", 104},
        {705, "МТЗ-общие Квозврата", 92},
        {705, "МТЗ-общие Кпересчета", 3},
        {705, "ОЗЗ 3Io", 5},
        {705, "МТЗ-2 гр.А T", 5},
        {705, "Общие Iном.", 20},
        {705, "Общие Uном.", 600},  // editor minimum, not the wider raw minimum
        {705, "АВР Uавр", 50},
        {306, "МТЗ-3 гр.А I", 8},
        {306, "УРОВ Iуров", 8},
        {715, "МТЗ-1 гр.А I", 200},
        {715, "МТЗ-3 гр.B I", 40},
        {715, "ОЗЗ-ВГ Квозврата", 80},
        {715, "УРОВ Т1", 15},
        {705, "Tпредыст.", 50},
        {715, "Tпредыст.", 50},
        {705, "Общие ТТ фазы B", 1},
        {715, "Общие ТТ фазы B", 1},
        {705, "В АЖ фикс. Ia", 1},
        {715, "В АЖ фикс. Uc", 1},
        {705, "В АЖ фикс. 3Io", 0},
        {715, "В АЖ фикс. 3Io", 0},
        {705, "Общие Подсветка деж.", 0},
        {705, "МТЗ-1 Вкл.", 0},
        {715, "Общие Кнопка F2", 0},
    };
    for (const auto& c : cases) {
        SetpointImage image = DefaultImage(c.code);
        EXPECT_EQ(ImageAt(ProfileForModel(c.code), image, c.name), c.value)
            << c.code << " " << c.name;
    }
}

TEST(DefaultImage, PassesTheCheckAndLeavesTheTailZero)
{
    for (int code : kAllCodes) {
        const ModelProfile p = ProfileForModel(code);
        const SetpointImage image = DefaultImage(p);
        std::vector<CheckFinding> messages;
        EXPECT_TRUE(CheckImage(p, image, &messages)) << code;
        EXPECT_TRUE(messages.empty()) << code;
        for (int i = p.imageWords; i < kSetpointImageSize; ++i)
            EXPECT_EQ(image[static_cast<std::size_t>(i)], 0) << code << " word " << i;
    }
}

TEST(RecordingTime, SharedByRecordedPhaseChannels)
{
    struct Case {
        std::vector<const char*> on;
        int channels;
        int rawMax;
        double seconds;
    };
    const std::vector<Case> cases = {
        {{"В АЖ фикс. Ia", "В АЖ фикс. Ua"}, 2, 600, 6.0},
        {{}, 0, 0, 0.0},
        {{"В АЖ фикс. 3Io"}, 0, 0, 0.0},  // 3Io does not share the memory
        {{"В АЖ фикс. Ib"}, 1, 1200, 12.0},
        {{"В АЖ фикс. Ia", "В АЖ фикс. Ib", "В АЖ фикс. Ic", "В АЖ фикс. Ua", "В АЖ фикс. Ub",
          "В АЖ фикс. Uc"},
         6, 200, 2.0},
        {{"В АЖ фикс. Ia", "В АЖ фикс. Ib", "В АЖ фикс. Ic", "В АЖ фикс. Ua", "В АЖ фикс. Ub"},
         5, 240, 2.4},
        {{"В АЖ фикс. Ia", "В АЖ фикс. Ib", "В АЖ фикс. Ic", "В АЖ фикс. Ua", "В АЖ фикс. Ub",
          "В АЖ фикс. Uc", "В АЖ фикс. 3Io"},
         6, 200, 2.0},
    };
    for (int code : {705, 306, 715}) {
        const ModelProfile p = ProfileForModel(code);
        for (const auto& c : cases) {
            SetpointImage image = DefaultImage(p);
            ClearRecordedChannels(image, p);
            for (const char* n : c.on)
                ImageAt(p, image, n) = 1;
            const RecordingTime t = RecordingTimeFor(p, image);
            EXPECT_EQ(t.channels, c.channels) << code;
            EXPECT_EQ(t.rawMax, c.rawMax) << code;
            EXPECT_DOUBLE_EQ(t.seconds, c.seconds) << code;
            EXPECT_EQ(RawMaxFor(p, image, p.find("Tпредыст.")), c.rawMax);

            // The check applies the same bound to `Tпредыст.`.
            ImageAt(p, image, "Tпредыст.") = c.rawMax;
            EXPECT_TRUE(CheckImage(p, image)) << code << " at the maximum " << c.rawMax;
            ImageAt(p, image, "Tпредыст.") = c.rawMax + 1;
            std::vector<CheckFinding> messages;
            EXPECT_FALSE(CheckImage(p, image, &messages)) << code;
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].fault, CheckFault::Numeric);
            EXPECT_EQ(messages[0].max, c.rawMax);
        }
    }
}

TEST(CheckImage, FlagOutsideZeroOneStopsAtTheFirst)
{
    const ModelProfile p = ProfileForModel(705);
    SetpointImage image = DefaultImage(p);
    ImageAt(p, image, "ЗОФ Вкл.") = 2;  // a register of 0x8002
    ImageAt(p, image, "ДЗ Вкл.") = -1;
    ImageAt(p, image, "МТЗ-2 Врем.х-ка") = 9;
    std::vector<CheckFinding> messages;
    EXPECT_FALSE(CheckImage(p, image, &messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].fault, CheckFault::Flag);
    EXPECT_EQ(messages[0].item, 19);
    EXPECT_EQ(messages[0].value, 2);
    EXPECT_EQ(CheckFindingBox(messages[0]).caption, "Switch");
    EXPECT_EQ(CheckFindingBox(messages[0]).text, "bCheckErr=TRUE");
    EXPECT_EQ(CheckFindingBox(messages[0]).icon, MsgIcon::Warning);
    EXPECT_FALSE(CheckImage(p, image));  // same verdict without messages
}

TEST(CheckImage, ChoicesAreAllReportedThenRejected)
{
    const ModelProfile p = ProfileForModel(705);
    SetpointImage image = DefaultImage(p);
    ImageAt(p, image, "МТЗ-2 Врем.х-ка") = 4;  // "РТ-80" exists on M models only
    ImageAt(p, image, "Общие Чередов.фаз") = -1;
    ImageAt(p, image, "МТЗ-1 гр.А I") = 0;      // would fail step 4, never reached
    std::vector<CheckFinding> messages;
    EXPECT_FALSE(CheckImage(p, image, &messages));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(CheckFindingBox(messages[0]).caption, "Combo");
    EXPECT_EQ(CheckFindingBox(messages[0]).text, "bCheckErr=TRUE; iCombo=0; nCombo=4, min=0; max=3");
    EXPECT_EQ(CheckFindingBox(messages[1]).text, "bCheckErr=TRUE; iCombo=12; nCombo=-1, min=0; max=1");
}

TEST(CheckImage, ChoiceMaximaDifferByModel)
{
    const ValueCase cases[] = {
        {705, "МТЗ-2 Врем.х-ка", 3, true},   {705, "МТЗ-2 Врем.х-ка", 4, false},
        {306, "МТЗ-3 Врем.х-ка", 4, false},  {715, "МТЗ-2 Врем.х-ка", 4, true},
        {715, "МТЗ-2 Врем.х-ка", 5, true},   {715, "МТЗ-2 Врем.х-ка", 6, false},
        {705, "ОЗЗ Алг.защиты", 2, true},    {705, "ОЗЗ Алг.защиты", 3, false},
        {705, "Общие Режим сигн-и", 1, false}, {715, "Общие Кнопка F1", 15, true},
        {715, "Общие Кнопка F1", 16, false}, {715, "МТЗ-общие Угол сектора", 10, true},
    };
    for (const auto& c : cases) {
        const ModelProfile p = ProfileForModel(c.code);
        SetpointImage image = DefaultImage(p);
        ImageAt(p, image, c.name) = c.value;
        EXPECT_EQ(CheckImage(p, image), c.ok) << c.code << " " << c.name << " = " << c.value;
    }
}

TEST(CheckImage, NumericRawBounds)
{
    const ValueCase cases[] = {
        {705, "МТЗ-1 гр.А I", 19, false},      {705, "МТЗ-1 гр.А I", 2000, true},
        {705, "МТЗ-1 гр.А I", 2001, false},    {705, "АВР Uавр", 5, true},
        {705, "АВР Uавр", 4, false},           {705, "Общие Uном.", 300, true},
        {306, "Общие Uном.", 300, false},      {715, "МТЗ-1 гр.А I", 20000, true},
        {715, "МТЗ-1 гр.А I", 20001, false},   {715, "МТЗ-4 гр.А I", 1999, true},
        {705, "МТЗ-общие Угол макс.чувств.", -195, false},
        {705, "МТЗ-общие Угол макс.чувств.", 180, true},
    };
    for (const auto& c : cases) {
        const ModelProfile p = ProfileForModel(c.code);
        SetpointImage image = DefaultImage(p);
        ImageAt(p, image, c.name) = c.value;
        std::vector<CheckFinding> messages;
        EXPECT_EQ(CheckImage(p, image, &messages), c.ok) << c.code << " " << c.name;
        if (!c.ok) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].item, p.find(c.name));
            EXPECT_EQ(CheckFindingBox(messages[0]).caption, "Edit");
            EXPECT_EQ(CheckFindingBox(messages[0]).text, "bCheckErr=TRUE");
        }
    }
}

}  // namespace
}  // namespace tirv
