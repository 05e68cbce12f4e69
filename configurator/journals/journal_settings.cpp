#include "configurator/journals/journal_settings.h"

namespace tirv {
namespace {

constexpr std::size_t kColourWords = 0;
constexpr std::size_t kPhasorWords = kColourWords + kJournalPhasors;
constexpr std::size_t kSectorWords = kPhasorWords + kJournalPhasors;
constexpr std::uint32_t kColourMask = 0x00FFFFFF;
static_assert(kSectorWords + kJournalSectorBoxes == kJournalSettingsWords);

}  // namespace

JournalSettingsWords PackJournalSettings(const EmergencyJournalSettings& s)
{
    JournalSettingsWords w{};
    for (std::size_t k = 0; k < kJournalPhasors; ++k) {
        w[kColourWords + k] = s.colours[k] & kColourMask;
        w[kPhasorWords + k] = s.phasors[k] ? 1u : 0u;
    }
    for (std::size_t k = 0; k < kJournalSectorBoxes; ++k)
        w[kSectorWords + k] = s.sectors[k] ? 1u : 0u;
    return w;
}

EmergencyJournalSettings UnpackJournalSettings(
    std::span<const std::uint32_t, kJournalSettingsWords> words)
{
    EmergencyJournalSettings s;
    for (std::size_t k = 0; k < kJournalPhasors; ++k) {
        s.colours[k] = words[kColourWords + k] & kColourMask;
        s.phasors[k] = words[kPhasorWords + k] != 0;
    }
    for (std::size_t k = 0; k < kJournalSectorBoxes; ++k)
        s.sectors[k] = words[kSectorWords + k] != 0;
    return s;
}

}  // namespace tirv
