// The program settings record: defaults, the range checks of a loaded file, and its bytes.
#include "configurator/shell/program_settings.h"

#include "common/crc16.h"
#include "common/word_file.h"
#include "configurator/journals/journal_settings.h"
#include "configurator/journals/measurement_polling.h"
#include "configurator/journals/measurement_settings.h"
#include "configurator/link/registers.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/shell/file_texts.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tirv {
namespace {

namespace sb = settings_blocks;

// The shortest I/O-state poll by baud index.
constexpr std::array<int, 10> kMinIoStateMs{3450, 1900, 1100, 700, 500, 450, 400, 350, 300, 250};
constexpr int kMaxPollPeriodMs = 9999;  // the period fields take four digits

constexpr int kMinAddress = 1;
constexpr int kMaxAddress = 255;
constexpr int kMaxPortNumber = 65535;
constexpr int kMaxRepeatCount = 1000;
constexpr int kMaxParity = 2;
constexpr int kMaxStopBits = 1;
constexpr std::uint32_t kMaxTransportWord = 1 + 2 * 1 + 4 * 2;  // variant, protocol, channel
constexpr int kMaxTcpPort = 65535;
// Words 361–365 of the calibration block are its five flags, on in a new file.
constexpr std::size_t kCalibrationFlagsFirst = 18;

// An index outside the table counts as the slowest speed, as in every per-speed table.
std::size_t TableIndex(int baudIndex)
{
    return IsValidBaudIndex(baudIndex) ? static_cast<std::size_t>(baudIndex) : 0;
}

int DefaultMeasurementPeriod(SettingsSource source, int baudIndex)
{
    const SettingsAbsence why =
        source == SettingsSource::Missing ? SettingsAbsence::Missing : SettingsAbsence::Unusable;
    return DefaultMeasurementSettings(baudIndex, why).periodMs;
}

int MinIoStatePeriodMs(int baudIndex)
{
    return kMinIoStateMs[TableIndex(baudIndex)];
}

// A word as the signed value the pages hold.
int Signed(std::uint32_t w)
{
    return static_cast<std::int32_t>(w);
}

int InRange(std::uint32_t w, int lo, int hi, int fallback)
{
    const int v = Signed(w);
    return v >= lo && v <= hi ? v : fallback;
}

bool Flag(std::uint32_t w)
{
    return w == 1;
}

std::uint8_t Byte(std::uint32_t w)
{
    return w <= 0xFF ? static_cast<std::uint8_t>(w) : 0;
}

// A period outside its range takes the damaged-file default, raised to the page's minimum so
// that it is usable at the loaded speed.
int CheckedPeriod(std::uint32_t w, int min, int fallback)
{
    return InRange(w, min, kMaxPollPeriodMs, std::max(fallback, min));
}

int RaisedPeriod(int periodMs, int min)
{
    return std::clamp(periodMs, min, kMaxPollPeriodMs);
}

template <std::size_t N>
void CopyOut(const std::vector<std::uint32_t>& words, WordBlock b, std::array<std::uint32_t, N>& to)
{
    std::copy_n(words.begin() + static_cast<std::ptrdiff_t>(b.first), N, to.begin());
}

template <std::size_t N>
void CopyIn(const std::array<std::uint32_t, N>& from, WordBlock b,
            std::vector<std::uint32_t>& words)
{
    std::copy(from.begin(), from.end(), words.begin() + static_cast<std::ptrdiff_t>(b.first));
}

template <std::size_t N>
void BytesOut(const std::vector<std::uint32_t>& words, std::size_t first,
              std::array<std::uint8_t, N>& to)
{
    for (std::size_t i = 0; i < N; ++i)
        to[i] = Byte(words[first + i]);
}

template <std::size_t N>
void BytesIn(const std::array<std::uint8_t, N>& from, std::size_t first,
             std::vector<std::uint32_t>& words)
{
    for (std::size_t i = 0; i < N; ++i)
        words[first + i] = from[i];
}

void ParseConnection(const std::vector<std::uint32_t>& w, bool isM, ConnectionSettings& c)
{
    const ConnectionSettings d;
    const std::size_t k = sb::kConnection.first;
    c.port = InRange(w[k], 1, kMaxPortNumber, d.port);
    c.address = InRange(w[k + 1], kMinAddress, kMaxAddress, d.address);
    c.parity = static_cast<Parity>(InRange(w[k + 3], 0, kMaxParity, static_cast<int>(d.parity)));
    c.stopBits =
        static_cast<StopBits>(InRange(w[k + 4], 0, kMaxStopBits, static_cast<int>(d.stopBits)));
    c.repeatCount = InRange(w[k + 5], 0, kMaxRepeatCount, d.repeatCount);
    const std::uint32_t t = w[k + 6] <= kMaxTransportWord ? w[k + 6] : TransportWord(d);
    c.protocolVariant = static_cast<int>(t & 1u);
    c.protocol = static_cast<Protocol>((t >> 1) & 1u);
    c.channel = static_cast<Channel>(t >> 2);
    // The speeds offered depend on the model and, on M models, on the channel.
    const BaudIndexRange offered = OfferedBaudIndexes(isM, isM && c.channel == Channel::Usb);
    c.baudIndex = InRange(w[k + 2], offered.first, offered.end - 1, d.baudIndex);
}

void ParseLinkPage(const std::vector<std::uint32_t>& w, LinkPageSettings& l)
{
    const std::size_t k = sb::kLinkPage.first;
    l.ipValid = Flag(w[k]);
    BytesOut(w, k + 1, l.ip);
    l.tcpPort = InRange(w[k + 5], 0, kMaxTcpPort, LinkPageSettings{}.tcpPort);
    l.macPresent = Flag(w[k + 6]);
    BytesOut(w, k + 7, l.mac);
    l.gatewayValid = Flag(w[k + 13]);
    BytesOut(w, k + 14, l.gateway);
    l.maskValid = Flag(w[k + 18]);
    BytesOut(w, k + 19, l.mask);
    l.masterTimeSync = Flag(w[k + 23]);
    l.ethernetOn = Flag(w[k + 24]);
    l.readAllChannels = Flag(w[k + 25]);
}

void BuildLinkPage(const LinkPageSettings& l, std::vector<std::uint32_t>& w)
{
    const std::size_t k = sb::kLinkPage.first;
    w[k] = l.ipValid;
    BytesIn(l.ip, k + 1, w);
    w[k + 5] = static_cast<std::uint32_t>(l.tcpPort);
    w[k + 6] = l.macPresent;
    BytesIn(l.mac, k + 7, w);
    w[k + 13] = l.gatewayValid;
    BytesIn(l.gateway, k + 14, w);
    w[k + 18] = l.maskValid;
    BytesIn(l.mask, k + 19, w);
    w[k + 23] = l.masterTimeSync;
    w[k + 24] = l.ethernetOn;
    w[k + 25] = l.readAllChannels;
}

}  // namespace

int ProgramSettings::modelCode() const
{
    return ModelCodeForIndex(modelIndex);
}

std::uint32_t TransportWord(const ConnectionSettings& c)
{
    return static_cast<std::uint32_t>(c.protocolVariant + 2 * static_cast<int>(c.protocol) +
                                      4 * static_cast<int>(c.channel));
}

ProgramSettings DefaultProgramSettings(SettingsSource source)
{
    ProgramSettings s;
    const int baud = s.connection.baudIndex;
    const MeasurementSettingsWords measurement = PackMeasurementSettings(DefaultMeasurementSettings(
        baud,
        source == SettingsSource::Missing ? SettingsAbsence::Missing : SettingsAbsence::Unusable));
    std::copy_n(measurement.begin(), s.measurementPage.size(), s.measurementPage.begin());
    s.journalPage = PackJournalSettings(EmergencyJournalSettings{});
    s.measurementPoll = {false, DefaultMeasurementPeriod(source, baud)};
    s.ioStatePoll = {false, IoStatePollBaseMs(baud)};
    s.modelIndex = kFallbackModelIndex;
    s.setpoints = DefaultImage(s.modelCode());
    s.io = DefaultIoImage();
    s.leds = DefaultLedImage();
    std::fill(s.calibration.begin() + kCalibrationFlagsFirst, s.calibration.end(), 1u);
    return s;
}

ProgramSettingsLoad ParseProgramSettings(std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint32_t> w;
    if (ParseWordFile(bytes, kSettingsWords - 1, w) != WordFileResult::Ok)
        return {DefaultProgramSettings(SettingsSource::Damaged), SettingsSource::Damaged};

    ProgramSettings s;
    CopyOut(w, sb::kMeasurementPage, s.measurementPage);
    CopyOut(w, sb::kJournalPage, s.journalPage);
    CopyOut(w, sb::kCalibration, s.calibration);
    CopyOut(w, sb::kReserved, s.reserved);

    s.modelIndex = InRange(w[sb::kModelIndex.first], 0, kModelCount - 1, kFallbackModelIndex);
    const ModelProfile profile = ProfileForModel(s.modelCode());
    ParseConnection(w, profile.isM, s.connection);

    const int baud = s.connection.baudIndex;
    const std::size_t mp = sb::kMeasurementPoll.first;
    s.measurementPoll.on = Flag(w[mp]);
    s.measurementPoll.periodMs =
        CheckedPeriod(w[mp + 1], MinMeasurementPeriodMs(baud),
                      DefaultMeasurementPeriod(SettingsSource::Damaged, baud));
    const std::size_t ip = sb::kIoStatePoll.first;
    s.ioStatePoll.on = Flag(w[ip]);
    s.ioStatePoll.periodMs =
        CheckedPeriod(w[ip + 1], MinIoStatePeriodMs(baud), IoStatePollBaseMs(baud));

    for (std::size_t i = 0; i < sb::kSetpoints.count; ++i)
        s.setpoints[i] = Signed(w[sb::kSetpoints.first + i]);
    if (!CheckImage(profile, s.setpoints))
        s.setpoints = DefaultImage(profile);

    s.io = IoImageFromWords(
        std::span<const std::uint32_t, kIoImageWords>(w.data() + sb::kIo.first, sb::kIo.count));
    if (!ValidateIoImage(s.io).ok())
        s.io = DefaultIoImage();
    // All eight LEDs are checked whatever the model: the block always holds them, and the model
    // may change to one that shows them during the run.
    s.leds = LedImageFromWords(
        std::span<const std::uint32_t>(w.data() + sb::kLeds.first, sb::kLeds.count));
    if (!ValidateLedImage(s.leds, kLedEntries).ok())
        s.leds = DefaultLedImage();
    ParseLinkPage(w, s.linkPage);
    return {s, SettingsSource::Loaded};
}

std::vector<std::uint8_t> BuildProgramSettings(const ProgramSettings& s)
{
    std::vector<std::uint32_t> w(kSettingsWords, 0);
    CopyIn(s.measurementPage, sb::kMeasurementPage, w);
    CopyIn(s.journalPage, sb::kJournalPage, w);
    CopyIn(s.calibration, sb::kCalibration, w);
    CopyIn(s.reserved, sb::kReserved, w);

    const ConnectionSettings& c = s.connection;
    const int baud = c.baudIndex;
    w[sb::kMeasurementPoll.first] = s.measurementPoll.on;
    w[sb::kMeasurementPoll.first + 1] = static_cast<std::uint32_t>(
        RaisedPeriod(s.measurementPoll.periodMs, MinMeasurementPeriodMs(baud)));
    w[sb::kIoStatePoll.first] = s.ioStatePoll.on;
    w[sb::kIoStatePoll.first + 1] =
        static_cast<std::uint32_t>(RaisedPeriod(s.ioStatePoll.periodMs, MinIoStatePeriodMs(baud)));

    const std::size_t k = sb::kConnection.first;
    w[k] = static_cast<std::uint32_t>(c.port);
    w[k + 1] = static_cast<std::uint32_t>(c.address);
    w[k + 2] = static_cast<std::uint32_t>(c.baudIndex);
    w[k + 3] = static_cast<std::uint32_t>(c.parity);
    w[k + 4] = static_cast<std::uint32_t>(c.stopBits);
    w[k + 5] = static_cast<std::uint32_t>(c.repeatCount);
    w[k + 6] = TransportWord(c);
    w[sb::kModelIndex.first] = static_cast<std::uint32_t>(s.modelIndex);

    for (std::size_t i = 0; i < sb::kSetpoints.count; ++i)
        w[sb::kSetpoints.first + i] = static_cast<std::uint32_t>(s.setpoints[i]);
    CopyIn(IoImageWords(s.io), sb::kIo, w);
    CopyIn(s.leds.words, sb::kLeds, w);
    BuildLinkPage(s.linkPage, w);
    AppendWordsCrc(w);
    return WordsToBytes(w);
}

ProgramSettingsLoad LoadProgramSettings(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::path(path), ec) && !ec)
        return {DefaultProgramSettings(SettingsSource::Missing), SettingsSource::Missing};
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes))
        return {DefaultProgramSettings(SettingsSource::Damaged), SettingsSource::Damaged};
    return ParseProgramSettings(bytes);
}

bool SaveProgramSettings(const std::string& path, const ProgramSettings& s)
{
    return WriteWholeFile(path, BuildProgramSettings(s));
}

ConnectionSettings EffectiveConnection(const ProgramSettings& s)
{
    ConnectionSettings c = s.connection;
    if (s.linkPage.ipValid)
        c.tcpAddress = s.linkPage.ip;
    if (s.linkPage.tcpPort > 0)
        c.tcpPort = s.linkPage.tcpPort;
    return c;
}

std::optional<std::string> PathInFolder(std::string_view folder, std::string_view name)
{
    if (folder.empty())
        return std::nullopt;
    std::string path(folder);
    if (path.back() != '/')
        path += '/';
    path += name;
    if (path.size() > kMaxPathBytes)
        return std::nullopt;
    return path;
}

std::optional<std::string> ChooseSettingsPath(std::string_view programFolder,
                                              bool programFolderWritable,
                                              std::string_view userConfigFolder)
{
    if (programFolderWritable) {
        if (auto p = PathInFolder(programFolder, file_texts::kSettingsFile))
            return p;
    }
    return PathInFolder(userConfigFolder, file_texts::kSettingsFile);
}

}  // namespace tirv
