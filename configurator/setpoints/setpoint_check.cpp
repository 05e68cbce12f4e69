// The default image, the recording-time rule and the check of images from outside.
#include "configurator/setpoints/setpoint_check.h"

#include "configurator/setpoints/texts.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace tirv {
namespace {

namespace tx = setpoint_texts;

// The phase channels whose recording shares the oscillogram memory (3Io has its own).
constexpr std::array<std::string_view, 6> kRecordedChannelFlags{
    "В АЖ фикс. Ia", "В АЖ фикс. Ib", "В АЖ фикс. Ic",
    "В АЖ фикс. Ua", "В АЖ фикс. Ub", "В АЖ фикс. Uc"};
constexpr std::string_view kPhaseBCtFlag = "Общие ТТ фазы B";
constexpr std::string_view kStandbyBacklightFlag = "Общие Подсветка деж.";

constexpr int kRecordingRawTotal = 1200;  // 12.00 s of memory in hundredths
constexpr double kRecordingSecondsTotal = 12.0;
constexpr std::int32_t kDefaultPreFaultTime = 50;  // 0.50 s

// The pre-fault time `Tпредыст.` is the last numeric setpoint of every catalogue.
int PreFaultIndex(const ModelProfile& p) { return p.numericCount() - 1; }

void SetByName(const ModelProfile& p, SetpointImage& image, std::string_view name,
               std::int32_t value)
{
    const int i = p.find(name);
    if (i >= 0)
        image[static_cast<std::size_t>(i)] = value;
}

}  // namespace

SetpointImage DefaultImage(const ModelProfile& p)
{
    SetpointImage image{};
    for (int i = 0; i < PreFaultIndex(p); ++i) {
        const NumericSetpoint& s = p.numeric[static_cast<std::size_t>(i)];
        const int factor = DefaultFactor(s.kind);
        const double v = factor == 0 ? s.editMin : s.editMin * factor;
        // Through single precision: 0.29 × 100 is 28.999… in double but 29 in float.
        image[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(static_cast<float>(v));
    }
    if (p.numericCount() > 0)
        image[static_cast<std::size_t>(PreFaultIndex(p))] = kDefaultPreFaultTime;
    SetByName(p, image, kPhaseBCtFlag, 1);
    for (const auto name : kRecordedChannelFlags)
        SetByName(p, image, name, 1);
    if (!p.isM)
        SetByName(p, image, kStandbyBacklightFlag, 0);
    return image;
}

SetpointImage DefaultImage(int modelCode) { return DefaultImage(ProfileForModel(modelCode)); }

RecordingTime RecordingTimeFor(const ModelProfile& p, const SetpointImage& image)
{
    RecordingTime t;
    for (const auto name : kRecordedChannelFlags) {
        const int i = p.find(name);
        if (i >= 0 && image[static_cast<std::size_t>(i)] == 1)
            ++t.channels;
    }
    if (t.channels > 0) {
        t.rawMax = kRecordingRawTotal / t.channels;
        t.seconds = kRecordingSecondsTotal / t.channels;
    }
    return t;
}

int RawMaxFor(const ModelProfile& p, const SetpointImage& image, int numericIndex)
{
    if (numericIndex == PreFaultIndex(p))
        return RecordingTimeFor(p, image).rawMax;
    return p.numeric[static_cast<std::size_t>(numericIndex)].rawMax;
}

bool CheckImage(const ModelProfile& p, const SetpointImage& image,
                std::vector<CheckFinding>* messages)
{
    auto report = [messages](CheckFinding m) {
        if (messages)
            messages->push_back(m);
    };

    for (int k = 0; k < p.flagCount(); ++k) {
        const std::int32_t v = image[static_cast<std::size_t>(p.flagIndex(k))];
        if (v != 0 && v != 1) {
            report({CheckFault::Flag, k, v, 0, 1});
            return false;
        }
    }

    bool choicesOk = true;
    for (int k = 0; k < p.choiceCount(); ++k) {
        const std::int32_t v = image[static_cast<std::size_t>(p.choiceIndex(k))];
        const int max = p.choices[static_cast<std::size_t>(k)].max;
        if (v < 0 || v > max) {
            report({CheckFault::Choice, k, v, 0, max});
            choicesOk = false;
        }
    }
    if (!choicesOk)
        return false;

    const int preFaultMax = RecordingTimeFor(p, image).rawMax;
    for (int i = 0; i < p.numericCount(); ++i) {
        const NumericSetpoint& s = p.numeric[static_cast<std::size_t>(i)];
        const int max = i == PreFaultIndex(p) ? preFaultMax : s.rawMax;
        const std::int32_t v = image[static_cast<std::size_t>(i)];
        if (v < s.rawMin || v > max) {
            report({CheckFault::Numeric, i, v, s.rawMin, max});
            return false;
        }
    }
    return true;
}

Message CheckFindingBox(const CheckFinding& f)
{
    Message box;
    box.icon = MsgIcon::Warning;
    switch (f.fault) {
    case CheckFault::Flag:
        box.caption = tx::kCheckCaptionFlag;
        box.text = tx::kCheckFailed;
        break;
    case CheckFault::Choice: {
        box.caption = tx::kCheckCaptionChoice;
        char buf[128];
        std::snprintf(buf, sizeof buf, tx::kCheckChoiceFormat, f.item, f.value, f.min, f.max);
        box.text = buf;
        break;
    }
    case CheckFault::Numeric:
        box.caption = tx::kCheckCaptionNumeric;
        box.text = tx::kCheckFailed;
        break;
    }
    return box;
}

}  // namespace tirv
