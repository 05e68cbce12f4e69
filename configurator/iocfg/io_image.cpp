#include "configurator/iocfg/io_image.h"

#include <algorithm>

namespace tirv {
namespace {

constexpr std::array<std::uint32_t, 8> kDefaultOutputSignals = {1, 2, 3, 4, 5, 5, 6, 7};

// Largest value of each word of an entry, and the fault it raises.
struct WordRule {
    std::uint32_t max;
    IoFault fault;
};
constexpr std::array<WordRule, kIoEntryWords> kInputRules = {{
    {kInputFunctionCount - 1, IoFault::InputFunction},
    {kLevelCount - 1, IoFault::InputLevel},
    {kMaxTimeHundredths, IoFault::InputTime},
    {kMaxTimeHundredths, IoFault::InputTime},
}};
constexpr std::array<WordRule, kIoEntryWords> kOutputRules = {{
    {kOutputSignalCount - 1, IoFault::OutputSignal},
    {kOutputModeCount - 1, IoFault::OutputMode},
    {kMaxTimeHundredths, IoFault::OutputTime},
    {kMaxTimeHundredths, IoFault::OutputTime},
}};

IoCheck CheckTable(const std::array<std::uint32_t, kIoTableWords>& table,
                   const std::array<WordRule, kIoEntryWords>& rules, bool inputs)
{
    for (int ch = 0; ch < kIoChannels; ++ch) {
        for (int w = 0; w < kIoEntryWords; ++w) {
            const std::uint32_t v = table[ch * kIoEntryWords + w];
            bool bad = v > rules[w].max;
            if (inputs && w == IoFunction && ch >= kFirstFreeInput)
                bad = bad || v < static_cast<std::uint32_t>(kFirstFreeInputFunction);
            if (bad)
                return {rules[w].fault, ch, w};
        }
    }
    return {};
}

}  // namespace

IoImage DefaultIoImage()
{
    IoImage image;
    for (int ch = 0; ch < kIoChannels; ++ch) {
        const bool fixed = ch < kFirstFreeInput;
        image.input(ch, IoFunction) = fixed ? ch : kFirstFreeInputFunction;
        image.output(ch, IoFunction) = fixed ? kDefaultOutputSignals[ch] : 0;
    }
    return image;
}

std::array<std::uint32_t, kIoImageWords> IoImageWords(const IoImage& image)
{
    std::array<std::uint32_t, kIoImageWords> words{};
    std::copy(image.inputs.begin(), image.inputs.end(), words.begin());
    std::copy(image.outputs.begin(), image.outputs.end(), words.begin() + kIoTableWords);
    return words;
}

IoImage IoImageFromWords(std::span<const std::uint32_t, kIoImageWords> words)
{
    IoImage image;
    std::copy(words.begin(), words.begin() + kIoTableWords, image.inputs.begin());
    std::copy(words.begin() + kIoTableWords, words.end(), image.outputs.begin());
    return image;
}

IoCheck ValidateIoImage(const IoImage& image)
{
    const IoCheck in = CheckTable(image.inputs, kInputRules, true);
    if (!in.ok())
        return in;
    return CheckTable(image.outputs, kOutputRules, false);
}

}  // namespace tirv
