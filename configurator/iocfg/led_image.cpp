#include "configurator/iocfg/led_image.h"

#include "configurator/iocfg/io_image.h"
#include "configurator/setpoints/model_profile.h"

#include <algorithm>

namespace tirv {
namespace {

struct LedRule {
    std::uint32_t max;
    LedFault fault;
};
constexpr std::array<LedRule, kLedEntryWords> kLedRules = {{
    {kOutputSignalCount - 1, LedFault::Signal},
    {kLedModeCount - 1, LedFault::Mode},
    {kMaxTimeHundredths, LedFault::Time},
}};

}  // namespace

int LedCountForModel(int modelCode)
{
    return IsMModel(modelCode) ? kLedCountM : kLedCountNonM;
}

LedImage DefaultLedImage()
{
    LedImage image;
    image.at(0, LedSignal) = 1;
    return image;
}

LedImage LedImageFromWords(std::span<const std::uint32_t> words)
{
    LedImage image;
    const std::size_t n = std::min<std::size_t>(words.size(), kLedImageWords);
    std::copy(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(n), image.words.begin());
    return image;
}

LedCheck ValidateLedImage(const LedImage& image, int ledCount)
{
    const int count = std::clamp(ledCount, 0, kLedEntries);
    for (int led = 0; led < count; ++led) {
        for (int w = 0; w < kLedEntryWords; ++w) {
            if (image.at(led, w) > kLedRules[w].max)
                return {kLedRules[w].fault, led, w};
        }
    }
    return {};
}

}  // namespace tirv
