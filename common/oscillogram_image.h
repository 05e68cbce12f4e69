#pragma once
// The relay's emergency oscillogram image (".tao"): 11,150 little-endian 16-bit registers of the
// relay's oscillograph area, exactly 22,300 bytes — a 50-word header, 9,600 samples in one ring
// buffer per recorded channel, and 500 six-byte digital records.
//
// OscillogramImage reads, validates and normalises the image the way the viewer needs it:
//   parse(bytes, sink) / load(path, sink)  → LoadStatus; every message goes to the sink in order;
//   afterwards, when status is Loaded, the display data below is valid:
//     – per recorded channel: chronological raw samples, integer display values, float values,
//       "levels" (maximum − value, for drawing with y growing downward), max/min/range/flat;
//     – group ranges (currents Ia…Ic, voltages Ua…Uc + 3Io);
//     – digital records in chronological order with chronological positions, and whether the
//       digital display is allowed (digitalValid);
//     – event time, start time (event − pre-trigger), trip cause, device type, range factor.
//   bytes() is the normalised image (samples chronological, stop index 0), save() writes it.
// The configurator uses PrepareOscillogramForWriting() and ReadEventStamp() on the raw registers.
//
// No Qt here: both programs and the relay simulator compile this in.
#include "common/calendar.h"
#include "common/oscillogram_messages.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tirv {

inline constexpr std::size_t kOscImageBytes = 22300;
inline constexpr int kOscHeaderWords = 50;
inline constexpr int kOscSampleWords = 9600;
inline constexpr std::size_t kOscDigitalOffset = 19300;  // bytes
inline constexpr int kOscDigitalSlots = 500;
inline constexpr int kOscMaxChannels = 6;
inline constexpr std::uint16_t kOscCurrentLayoutMark = 0x464C;  // "LF"
inline constexpr int kOscSampleRateHz = 800;
inline constexpr int kOscSamplePeriodUs = 1250;

// Channel order of the header's flags and coefficients. Only the first seven can be recorded.
enum class OscChannel : int { Ia, Ib, Ic, Ua, Ub, Uc, I0 /* 3Io */, U0 /* 3Uo */ };
inline constexpr int kOscFlaggedChannels = 7;  // Ia … 3Io
inline constexpr int kOscCoefficients = 8;     // Ia … 3Uo

// "Ia", "Ib", "Ic", "Ua", "Ub", "Uc", "3Io", "3Uo"
std::string_view OscChannelName(OscChannel c);
bool IsCurrentChannel(OscChannel c);  // Ia, Ib, Ic, 3Io

enum class OscLayout { Current, Legacy };

struct OscDateTime {
    int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0, hundredths = 0;
    bool operator==(const OscDateTime&) const = default;
};

// The relay's date/time plausibility check (day not above the month's length, etc.).
bool IsValidOscDateTime(const OscDateTime& t);
// t shifted by `hundredths` (may be negative), carrying into the date by the rule above.
OscDateTime ShiftOscDateTime(const OscDateTime& t, int hundredths);

// Name of the protection that started the recording: the lowest set bit among bits 0–14 of the
// trip-cause mask; empty when none names one (bit 13 and bits 15+ carry no name). The names keep
// their trailing blanks.
std::string_view TripCauseName(int mask);

// 1 for the high current range (device types 705, 706, 707), 2 for every other device type.
int RangeFactor(int deviceType);

struct DigitalRecord {
    std::uint16_t position = 0;  // sample index from which this state holds
    std::uint16_t inputs = 0;    // bit i = input i+1
    std::uint16_t outputs = 0;   // bit i = output i+1
    bool operator==(const DigitalRecord&) const = default;
};

// One recorded analog channel after normalisation; every vector holds N samples in
// chronological order.
struct ChannelTrace {
    OscChannel channel = OscChannel::Ia;
    std::vector<std::int16_t> raw;  // raw samples as recorded
    std::vector<int> integers;      // integer display values (amperes / volts, rounded)
    std::vector<float> values;      // physical values
    std::vector<int> levels;        // maximum − integer value; all 0 for a flat channel
    int maximum = 0, minimum = 0;   // of the integer display values
    int range = 0;                  // maximum − minimum
    bool flat = false;              // every integer display value equal
};

enum class LoadStatus {
    Loaded,      // valid; display data available
    NoChannels,  // valid file without analog channels: nothing to display (information message)
    Refused,     // a blocking check failed (messages given); nothing to display
    ShortFile,   // fewer than 22,300 bytes (message given)
    CannotOpen,  // load(path) only: no message given; LoadResult::systemError holds errno
};

struct LoadResult {
    LoadStatus status = LoadStatus::Refused;
    int systemError = 0;
};

class OscillogramImage {
public:
    OscillogramImage();

    // Validates and normalises the first 22,300 bytes (longer input is accepted, the rest
    // ignored). Messages go to the sink in the order the checks run. On anything but Loaded the
    // display data is cleared; bytes() keeps the rejected contents as read.
    LoadStatus parse(std::span<const std::uint8_t> bytes, MessageSink& sink);
    // Reads the first 22,300 bytes of the file (path in UTF-8) and parses them. An open failure
    // gives no message (the loading command words it) and returns CannotOpen with errno.
    LoadResult load(const std::string& path, MessageSink& sink);

    // Writes bytes() to the file ("Сохранить"); on failure shows the save message with errno.
    bool save(const std::string& path, MessageSink& sink) const;

    bool loaded() const { return m_loaded; }
    // The image as it stands: after a successful load, normalised (samples chronological,
    // stop index 0, digital positions chronological); otherwise as read.
    const std::array<std::uint8_t, kOscImageBytes>& bytes() const { return m_bytes; }

    OscLayout layout() const { return m_layout; }
    int channelCount() const { return static_cast<int>(m_traces.size()); }  // nA
    int samplesPerChannel() const { return m_n; }                           // N
    int stopIndex() const { return m_stopIndex; }  // as read from the file
    // Recorded channels in channel order; traces()[k] is block k of the sample area.
    const std::vector<ChannelTrace>& traces() const { return m_traces; }
    const ChannelTrace* trace(OscChannel c) const;  // nullptr when not recorded

    // Largest channel range among Ia, Ib, Ic (currents) and among Ua, Ub, Uc, 3Io (voltages).
    int currentGroupRange() const { return m_currentGroupRange; }
    int voltageGroupRange() const { return m_voltageGroupRange; }

    // Scale coefficient c of a channel (current layout: the stored float; legacy: K / 10000)
    // and, in the legacy layout, the stored integer K (0 in the current layout).
    float coefficient(OscChannel c) const { return m_coefficients[static_cast<int>(c)]; }
    int legacyK(OscChannel c) const { return m_legacyK[static_cast<int>(c)]; }

    // Valid digital records (word 40, limited to 0 … 500), chronological after a load.
    std::span<const DigitalRecord> digitalRecords() const
    {
        return std::span<const DigitalRecord>(m_records).first(static_cast<std::size_t>(m_recordCount));
    }
    // False when the positions are out of order: the digital signals must not be displayed.
    bool digitalValid() const { return m_digitalValid; }

    OscDateTime eventTime() const { return m_event; }
    OscDateTime startTime() const { return m_start; }  // time of the first sample
    int preTrigger() const { return m_preTrigger; }    // hundredths of a second
    int tripCause() const { return m_tripCause; }
    std::string_view tripCauseName() const { return TripCauseName(m_tripCause); }
    int deviceType() const { return m_deviceType; }
    int rangeFactor() const { return RangeFactor(m_deviceType); }

private:
    void clearDisplay();
    bool validate(MessageSink& sink);
    void normalise(MessageSink& sink);

    std::array<std::uint8_t, kOscImageBytes> m_bytes{};
    bool m_loaded = false;
    OscLayout m_layout = OscLayout::Legacy;
    int m_n = kOscSampleWords;
    int m_stopIndex = 0;
    std::vector<OscChannel> m_recorded;
    std::vector<ChannelTrace> m_traces;
    int m_currentGroupRange = 0;
    int m_voltageGroupRange = 0;
    std::array<float, kOscCoefficients> m_coefficients{};
    std::array<int, kOscCoefficients> m_legacyK{};
    std::array<DigitalRecord, kOscDigitalSlots> m_records{};
    int m_recordCount = 0;
    bool m_digitalValid = false;
    OscDateTime m_event, m_start;
    int m_preTrigger = 0;
    int m_tripCause = 0;
    int m_deviceType = 0;
};

// What the configurator does to the registers read from the relay before writing the file:
// clears the high byte of the channel flags (words 9–16) and stores its device-type code in
// word 48 (current layout) or word 49 (legacy layout). `image` holds at least 22,300 bytes.
void PrepareOscillogramForWriting(std::span<std::uint8_t> image, int deviceType);

// Event date/time and trip-cause mask straight from the raw registers (either layout), for the
// configurator's comparison with the newest emergency-journal entry.
struct OscEventStamp {
    OscDateTime time;
    int tripCause = 0;
    bool operator==(const OscEventStamp&) const = default;
};
OscEventStamp ReadEventStamp(std::span<const std::uint8_t> image);

}  // namespace tirv
