#pragma once
// "Осциллограф.cfg": the viewer's colours, digital display flags and modes, kept between runs as
// 54 little-endian words closed by the word-array CRC (220 bytes). Only the colours and the
// digital flags are taken back at start-up; every run starts in the default modes.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tirv {

// Colour table indices (values are 0x00BBGGRR).
enum ColourIndex : int {
    ColIa = 0, ColIb, ColIc, ColUa, ColUb, ColUc, Col3Io, ColSpare,
    ColDigital = 8, ColBackground = 9, ColGrid = 10, ColMarker1 = 11, ColMarker0 = 12,
};
inline constexpr int kSettingColours = 13;  // entries 0–12 are settings
inline constexpr int kColourTableSize = 16; // 13–15 are custom-colour slots only
inline constexpr int kDigitalSignals = 32;  // inputs 1–16, then outputs 1–16

inline constexpr std::array<std::uint32_t, kSettingColours> kDefaultColours = {
    0x0000FF, 0x00FF00, 0x00FFFF, 0xFFFF00, 0xFF0000, 0xFF0080, 0x000000,
    0x000000, 0x00FF00, 0x000000, 0x7F7F7F, 0xFF00FF, 0xFFFFFF,
};

enum class Panel : int { None = 0, Analog, Digital, General };

struct ViewerSettings {
    std::array<std::uint32_t, kColourTableSize> colours{};
    std::array<bool, kDigitalSignals> digitalShown{};
    int lineWidth = 1;           // 1–4
    bool digitalOn = true;
    bool absoluteTime = false;
    bool rms = true;
    bool markers = false;
    Panel panel = Panel::None;

    static ViewerSettings Defaults();
    bool operator==(const ViewerSettings&) const = default;
};

inline constexpr std::size_t kViewerSettingsBytes = 220;

// The 220-byte record of the settings (modes included, CRC last).
std::vector<std::uint8_t> SerializeViewerSettings(const ViewerSettings& s);

// What start-up takes from a record: colours 0–12 and the digital flags when the record is
// exactly 220 bytes with a good CRC; the defaults otherwise. Modes always start at defaults.
ViewerSettings SettingsFromRecord(std::span<const std::uint8_t> bytes);

ViewerSettings LoadViewerSettings(const std::string& path);  // missing file → defaults, silently
bool SaveViewerSettings(const std::string& path, const ViewerSettings& s);

}  // namespace tirv
