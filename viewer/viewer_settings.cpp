#include "viewer/viewer_settings.h"

#include "common/crc16.h"
#include "common/word_file.h"

namespace tirv {

namespace {
// Word offsets of the record (byte offset / 4).
constexpr std::size_t kWordColours = 0;
constexpr std::size_t kWordFlags = 13;
constexpr std::size_t kWordLineWidth = 45;
constexpr std::size_t kWordDigitalOn = 46;
constexpr std::size_t kWordAbsolute = 47;
constexpr std::size_t kWordRms = 48;
constexpr std::size_t kWordMarkers = 49;
constexpr std::size_t kWordPanelAnalog = 50;
constexpr std::size_t kWordPanelDigital = 51;
constexpr std::size_t kWordPanelGeneral = 52;
constexpr std::size_t kDataWords = 54;  // the CRC word follows
}  // namespace

ViewerSettings ViewerSettings::Defaults()
{
    ViewerSettings s;
    for (int i = 0; i < kSettingColours; ++i)
        s.colours[static_cast<std::size_t>(i)] = kDefaultColours[static_cast<std::size_t>(i)];
    s.digitalShown.fill(true);
    return s;
}

std::vector<std::uint8_t> SerializeViewerSettings(const ViewerSettings& s)
{
    std::vector<std::uint32_t> w(kDataWords + 1, 0);
    for (std::size_t i = 0; i < kSettingColours; ++i)
        w[kWordColours + i] = s.colours[i];
    for (std::size_t i = 0; i < kDigitalSignals; ++i)
        w[kWordFlags + i] = s.digitalShown[i] ? 1 : 0;
    w[kWordLineWidth] = static_cast<std::uint32_t>(s.lineWidth);
    w[kWordDigitalOn] = s.digitalOn ? 1 : 0;
    w[kWordAbsolute] = s.absoluteTime ? 1 : 0;
    w[kWordRms] = s.rms ? 1 : 0;
    w[kWordMarkers] = s.markers ? 1 : 0;
    w[kWordPanelAnalog] = s.panel == Panel::Analog ? 1 : 0;
    w[kWordPanelDigital] = s.panel == Panel::Digital ? 1 : 0;
    w[kWordPanelGeneral] = s.panel == Panel::General ? 1 : 0;
    AppendWordsCrc(w);
    return WordsToBytes(w);
}

ViewerSettings SettingsFromRecord(std::span<const std::uint8_t> bytes)
{
    ViewerSettings s = ViewerSettings::Defaults();
    std::vector<std::uint32_t> w;
    if (ParseWordFile(bytes, kDataWords, w) != WordFileResult::Ok)
        return s;
    for (std::size_t i = 0; i < kSettingColours; ++i)
        s.colours[i] = w[kWordColours + i] & 0x00FFFFFF;
    for (std::size_t i = 0; i < kDigitalSignals; ++i)
        s.digitalShown[i] = w[kWordFlags + i] != 0;
    return s;
}

ViewerSettings LoadViewerSettings(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    if (path.empty() || !ReadWholeFile(path, bytes))
        return ViewerSettings::Defaults();
    return SettingsFromRecord(bytes);
}

bool SaveViewerSettings(const std::string& path, const ViewerSettings& s)
{
    if (path.empty())
        return false;
    return WriteWholeFile(path, SerializeViewerSettings(s));
}

}  // namespace tirv
