#include "viewer/viewer_settings.h"

#include "common/crc16.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace tirv {
namespace {

ViewerSettings Changed()
{
    ViewerSettings s = ViewerSettings::Defaults();
    s.colours[ColUa] = 0x123456;
    s.colours[ColMarker0] = 0x00ABCDEF;
    s.digitalShown[3] = false;
    s.digitalShown[31] = false;
    s.lineWidth = 3;
    s.digitalOn = false;
    s.absoluteTime = true;
    s.rms = false;
    s.markers = true;
    s.panel = Panel::Digital;
    return s;
}

TEST(ViewerSettingsRecord, LayoutHasFieldsAtTheirOffsetsAndCrcLast)
{
    const auto bytes = SerializeViewerSettings(Changed());
    ASSERT_EQ(bytes.size(), kViewerSettingsBytes);
    auto word = [&](std::size_t off) {
        return bytes[off] | bytes[off + 1] << 8 | bytes[off + 2] << 16 | bytes[off + 3] << 24;
    };
    struct Field { std::size_t offset; std::uint32_t value; };
    const Field fields[] = {
        {0, 0x0000FF}, {12, 0x123456}, {48, 0xABCDEF}, {52, 1}, {52 + 3 * 4, 0}, {52 + 31 * 4, 0},
        {180, 3}, {184, 0}, {188, 1}, {192, 0}, {196, 1}, {200, 0}, {204, 1}, {208, 0}, {212, 0},
    };
    for (const Field& f : fields)
        EXPECT_EQ(word(f.offset), f.value) << "offset " << f.offset;
    const std::uint16_t crc = Crc16(std::span(bytes).first(216));
    EXPECT_EQ(bytes[216], crc & 0xFF);
    EXPECT_EQ(bytes[217], crc >> 8);
    EXPECT_EQ(bytes[218], 0);
    EXPECT_EQ(bytes[219], 0);
}

TEST(ViewerSettingsRecord, ColoursAndFlagsComeBackButModesStartAtDefaults)
{
    const ViewerSettings saved = Changed();
    const ViewerSettings back = SettingsFromRecord(SerializeViewerSettings(saved));
    for (int i = 0; i < kSettingColours; ++i)
        EXPECT_EQ(back.colours[i], saved.colours[i]) << i;
    EXPECT_EQ(back.digitalShown, saved.digitalShown);
    const ViewerSettings d = ViewerSettings::Defaults();
    EXPECT_EQ(back.lineWidth, d.lineWidth);
    EXPECT_EQ(back.digitalOn, d.digitalOn);
    EXPECT_EQ(back.absoluteTime, d.absoluteTime);
    EXPECT_EQ(back.rms, d.rms);
    EXPECT_EQ(back.markers, d.markers);
    EXPECT_EQ(back.panel, d.panel);
}

TEST(ViewerSettingsRecord, DamagedRecordsGiveDefaults)
{
    const auto good = SerializeViewerSettings(Changed());
    struct Case { const char* what; std::vector<std::uint8_t> bytes; };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"short", std::vector<std::uint8_t>(good.begin(), good.end() - 4)});
    auto longer = good;
    longer.insert(longer.end(), 4, 0);
    cases.push_back({"long", longer});
    auto flipped = good;
    flipped[12] ^= 1;
    cases.push_back({"data bit flipped", flipped});
    auto badCrc = good;
    badCrc[217] ^= 0x80;
    cases.push_back({"crc changed", badCrc});
    for (const Case& c : cases) {
        const ViewerSettings s = SettingsFromRecord(c.bytes);
        EXPECT_EQ(s, ViewerSettings::Defaults()) << c.what;
    }
}

TEST(ViewerSettingsFile, DefaultsHaveTheFixedColourTableAndAllSignalsShown)
{
    const ViewerSettings d = ViewerSettings::Defaults();
    EXPECT_EQ(d.colours[ColIa], 0x0000FFu);
    EXPECT_EQ(d.colours[ColUc], 0xFF0080u);
    EXPECT_EQ(d.colours[ColGrid], 0x7F7F7Fu);
    EXPECT_EQ(d.colours[13], 0u);
    for (bool shown : d.digitalShown)
        EXPECT_TRUE(shown);
    EXPECT_TRUE(d.rms);
    EXPECT_FALSE(d.absoluteTime);
    EXPECT_TRUE(d.digitalOn);
}

TEST(ViewerSettingsFile, SavedFileSurvivesARestartAndMissingFileGivesDefaults)
{
    const auto dir = std::filesystem::temp_directory_path() / "viewer_settings_test";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "Осциллограф.cfg").string();
    std::remove(path.c_str());
    EXPECT_EQ(LoadViewerSettings(path), ViewerSettings::Defaults());
    ASSERT_TRUE(SaveViewerSettings(path, Changed()));
    EXPECT_EQ(std::filesystem::file_size(path), kViewerSettingsBytes);
    const ViewerSettings back = LoadViewerSettings(path);
    EXPECT_EQ(back.colours[ColUa], 0x123456u);
    EXPECT_EQ(back.lineWidth, 1);
    EXPECT_FALSE(SaveViewerSettings((dir / "no-such-dir" / "x.cfg").string(), Changed()));
    EXPECT_FALSE(SaveViewerSettings("", Changed()));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tirv
