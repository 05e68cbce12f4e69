#pragma once
// The front-panel LED assignments as the settings, project and ".tld" files hold them: 8 entries
// of 3 words (signal, mode, operate time in hundredths of a second), plain values. A model below
// 715 has 5 LEDs and uses the first 5 entries; the M modification has 8.
#include <array>
#include <cstdint>
#include <span>

namespace tirv {

inline constexpr int kLedEntries = 8;
inline constexpr int kLedEntryWords = 3;
inline constexpr int kLedImageWords = kLedEntries * kLedEntryWords;  // 24
inline constexpr int kLedCountNonM = 5;
inline constexpr int kLedCountM = 8;
inline constexpr int kLedModeCount = 2;  // "Без фиксации", "С фиксацией"

// Word positions inside one entry.
enum LedWord : int { LedSignal = 0, LedMode = 1, LedTime = 2 };

struct LedImage {
    std::array<std::uint32_t, kLedImageWords> words{};

    std::uint32_t& at(int led, int word) { return words[led * kLedEntryWords + word]; }
    std::uint32_t at(int led, int word) const { return words[led * kLedEntryWords + word]; }
    bool operator==(const LedImage&) const = default;
};

// 5 below model 715, 8 from 715 on.
int LedCountForModel(int modelCode);
// Words used by `ledCount` LEDs: 15 or 24.
constexpr int LedWordCount(int ledCount)
{
    return ledCount * kLedEntryWords;
}

// Start-up value: LED 1 signal 1 ("Готов"), every other word 0.
LedImage DefaultLedImage();
// The New command: every word 0.
inline LedImage EmptyLedImage()
{
    return {};
}

// The first `ledCount` entries from `words` (15 or 24 words); the rest stay 0, so a 5-LED block
// leaves LEDs 6..8 cleared.
LedImage LedImageFromWords(std::span<const std::uint32_t> words);

enum class LedFault {
    None,
    Signal,  // above 94
    Mode,    // above 1
    Time,    // above 9999
};

struct LedCheck {
    LedFault fault = LedFault::None;
    int led = -1;   // 0-based offending LED, -1 when valid
    int word = -1;  // LedWord of the offending word
    bool ok() const { return fault == LedFault::None; }
};

// Checks LEDs 0..ledCount-1 (5 or 8; other counts are clamped to 0..8): signal 0..94, mode 0..1,
// time 0..9999.
LedCheck ValidateLedImage(const LedImage& image, int ledCount);

}  // namespace tirv
