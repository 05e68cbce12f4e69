#pragma once
// The emergency-journal page's part of the program settings file "ТИРВ.cfg": words 30–40 the
// colours of the 11 phasors Ia … 3Uo (0x00BBGGRR), words 41–51 their selection flags, words
// 52–55 the sector check boxes "Ic", "Ia", "Ib", "3Io".
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tirv {

inline constexpr std::size_t kJournalSettingsFirstWord = 30;
inline constexpr std::size_t kJournalSettingsWords = 26;  // words 30–55
inline constexpr std::size_t kJournalPhasors = 11;
inline constexpr std::size_t kJournalSectorBoxes = 4;
using JournalSettingsWords = std::array<std::uint32_t, kJournalSettingsWords>;

constexpr std::uint32_t JournalColourRef(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 |
           static_cast<std::uint32_t>(b) << 16;
}
constexpr std::uint8_t RedOf(std::uint32_t c)
{
    return static_cast<std::uint8_t>(c);
}
constexpr std::uint8_t GreenOf(std::uint32_t c)
{
    return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t BlueOf(std::uint32_t c)
{
    return static_cast<std::uint8_t>(c >> 16);
}

// Used until the settings supply others.
inline constexpr std::array<std::uint32_t, kJournalPhasors> kDefaultJournalColours{
    JournalColourRef(255, 0, 0),   JournalColourRef(255, 0, 255), JournalColourRef(255, 0, 128),
    JournalColourRef(0, 255, 0),   JournalColourRef(0, 128, 0),   JournalColourRef(0, 128, 128),
    JournalColourRef(0, 255, 255), JournalColourRef(0, 0, 255),   JournalColourRef(128, 0, 255),
    JournalColourRef(255, 255, 0), JournalColourRef(255, 128, 0)};

struct EmergencyJournalSettings {
    std::array<std::uint32_t, kJournalPhasors> colours = kDefaultJournalColours;
    // Without stored settings every phasor and every sector is shown, so that a first read
    // already draws the whole diagram.
    std::array<bool, kJournalPhasors> phasors{true, true, true, true, true, true,
                                              true, true, true, true, true};
    std::array<bool, kJournalSectorBoxes> sectors{true, true, true, true};
    bool operator==(const EmergencyJournalSettings&) const = default;
};

JournalSettingsWords PackJournalSettings(const EmergencyJournalSettings& s);
// Colours keep their low 24 bits; a flag word is on when not 0.
EmergencyJournalSettings UnpackJournalSettings(
    std::span<const std::uint32_t, kJournalSettingsWords> words);

}  // namespace tirv
