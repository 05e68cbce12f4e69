#pragma once
// The program settings file "ТИРВ.cfg": one record of 512 little-endian words (2048 bytes)
// closed by the word-array CRC, carrying the connection settings, the poll options, the model,
// the setpoint image, the I/O and LED settings and the options of other pages from one run to
// the next. Words whose pages are not built here are kept as read and written back unchanged.
#include "configurator/iocfg/io_image.h"
#include "configurator/iocfg/led_image.h"
#include "configurator/link/connection_settings.h"
#include "configurator/link/link_page_settings.h"
#include "configurator/setpoints/setpoint_image.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tirv {

inline constexpr std::size_t kSettingsWords = 512;  // the CRC word included
inline constexpr std::size_t kSettingsBytes = kSettingsWords * 4;

// Where each block lies: first word and word count.
struct WordBlock {
    std::size_t first;
    std::size_t count;
};
namespace settings_blocks {
inline constexpr WordBlock kMeasurementPage{0, 26};  // colours and options of that page
inline constexpr WordBlock kMeasurementPoll{26, 2};  // polling on, period in ms
inline constexpr WordBlock kIoStatePoll{28, 2};      // polling on, period in ms
inline constexpr WordBlock kJournalPage{30, 26};     // emergency-journal colours and options
inline constexpr WordBlock kConnection{56, 7};       // port … transport word
inline constexpr WordBlock kModelIndex{63, 1};
inline constexpr WordBlock kSetpoints{64, 127};
inline constexpr WordBlock kIo{191, 128};  // first table, then second table
inline constexpr WordBlock kLeds{319, 24};
inline constexpr WordBlock kCalibration{343, 23};
inline constexpr WordBlock kLinkPage{366, 26};
inline constexpr WordBlock kReserved{392, 119};
inline constexpr std::size_t kCrcWord = 511;
}  // namespace settings_blocks

struct PollSettings {
    bool on = false;
    int periodMs = 0;
};

struct ProgramSettings {
    std::array<std::uint32_t, 26> measurementPage{};
    PollSettings measurementPoll;
    PollSettings ioStatePoll;
    std::array<std::uint32_t, 26> journalPage{};
    ConnectionSettings connection;  // values per frame is not stored: always 34 when read
    int modelIndex = 5;
    SetpointImage setpoints{};  // 127 words kept; a non-M image uses the first 115
    IoImage io;
    LedImage leds;  // all 8 entries kept; a model below 715 shows the first 5
    std::array<std::uint32_t, 23> calibration{};
    LinkPageSettings linkPage;
    std::array<std::uint32_t, 119> reserved{};

    int modelCode() const;
};

// Why the record holds what it holds: the defaults of a missing file and of an unreadable or
// damaged one differ in the measurement poll period.
enum class SettingsSource { Loaded, Missing, Damaged };

ProgramSettings DefaultProgramSettings(SettingsSource source);

struct ProgramSettingsLoad {
    ProgramSettings settings;
    SettingsSource source = SettingsSource::Missing;
};

// 2048 bytes with a matching CRC give the file's values, each checked against its range (a value
// outside it takes its default); anything else gives the defaults of a damaged file.
ProgramSettingsLoad ParseProgramSettings(std::span<const std::uint8_t> bytes);
// The file's bytes; poll periods below the minimum of the speed are raised to it.
std::vector<std::uint8_t> BuildProgramSettings(const ProgramSettings& s);

ProgramSettingsLoad LoadProgramSettings(const std::string& path);
// Through a temporary file and a rename: a failed write leaves the previous file as it was.
bool SaveProgramSettings(const std::string& path, const ProgramSettings& s);

// Transport word 62: variant + 2 × protocol + 4 × channel.
std::uint32_t TransportWord(const ConnectionSettings& c);

// The connection settings with the TCP address and port of the link-settings words.
ConnectionSettings EffectiveConnection(const ProgramSettings& s);

// The longest path the files are opened with; a longer one is refused whole, never shortened.
inline constexpr std::size_t kMaxPathBytes = 4095;

// Folder + "/" + name, or nothing when the folder is empty or the path would be too long.
std::optional<std::string> PathInFolder(std::string_view folder, std::string_view name);

// "ТИРВ.cfg" beside the program when its folder is writable (a copy run from a folder of its
// own), otherwise in the user's configuration folder (an installed package); nothing when
// neither gives a usable path.
std::optional<std::string> ChooseSettingsPath(std::string_view programFolder,
                                              bool programFolderWritable,
                                              std::string_view userConfigFolder);

}  // namespace tirv
