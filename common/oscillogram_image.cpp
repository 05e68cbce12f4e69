#include "common/oscillogram_image.h"
#include "common/calendar.h"
#include "common/relay_family.h"

#include "common/oscillogram_texts.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tirv {
namespace {

// Header words (both layouts unless noted).
constexpr int kWordStopIndex = 0;
constexpr int kWordFlags = 9;  // 9 … 16
constexpr int kWordPreTrigger = 17;
constexpr int kWordRecordCount = 40;
constexpr int kWordLayoutMark = 49;

struct LayoutWords {
    int dateIndex;    // first of day, month, year, hour, minute, second, hundredths
    int tripCause;
    int deviceType;
};
constexpr LayoutWords kCurrentWords{1, 8, 48};
constexpr LayoutWords kLegacyWords{25, 32, 49};
constexpr int kCurrentFloatByte = 36;  // words 18–33: eight IEEE-754 floats, low byte first
constexpr int kLegacyKWord = 1;        // words 1–8: integer coefficients K

constexpr int kLegacyKMin = 1000;
constexpr int kLegacyKMax = 10000;
constexpr int kLegacyDivisor = 10000;

// Integer display values are kept within ±1e9 so that maximum − minimum always fits an int,
// whatever float coefficient a damaged file carries.
constexpr float kDisplayLimit = 1.0e9f;

constexpr std::array<std::string_view, kOscCoefficients> kChannelNames = {
    "Ia", "Ib", "Ic", "Ua", "Ub", "Uc", "3Io", "3Uo"};


constexpr int kHundredthsPerDay = 8640000;

std::uint16_t ReadU16(std::span<const std::uint8_t> b, std::size_t word)
{
    return static_cast<std::uint16_t>(b[2 * word] | (b[2 * word + 1] << 8));
}
std::int16_t ReadS16(std::span<const std::uint8_t> b, std::size_t word)
{
    return static_cast<std::int16_t>(ReadU16(b, word));
}
void WriteU16(std::span<std::uint8_t> b, std::size_t word, std::uint16_t v)
{
    b[2 * word] = static_cast<std::uint8_t>(v & 0xFF);
    b[2 * word + 1] = static_cast<std::uint8_t>(v >> 8);
}

bool IsCurrentLayout(std::span<const std::uint8_t> b)
{
    return ReadU16(b, kWordLayoutMark) == kOscCurrentLayoutMark;
}

OscDateTime ReadDateTime(std::span<const std::uint8_t> b, int first)
{
    OscDateTime t;
    t.day = ReadS16(b, first);
    t.month = ReadS16(b, first + 1);
    t.year = ReadS16(b, first + 2);
    t.hour = ReadS16(b, first + 3);
    t.minute = ReadS16(b, first + 4);
    t.second = ReadS16(b, first + 5);
    t.hundredths = ReadS16(b, first + 6);
    return t;
}

std::string Format(const char* fmt, int a)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, a);
    return buf;
}
std::string Format(const char* fmt, int a, int b)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

OscMessage Error(OscMessageId id, std::string text, bool blocking)
{
    return OscMessage{id, osc_texts::kCaptionError, std::move(text), MsgIcon::Error, blocking};
}

// Current layout: c · r in single precision, truncated toward zero, plus 1 when the fraction is at
// least one half (so positive values round half up and negative ones are truncated).
int CurrentDisplayValue(float value)
{
    if (std::isnan(value))
        return 0;
    value = std::clamp(value, -kDisplayLimit, kDisplayLimit);
    const float whole = std::trunc(value);
    int v = static_cast<int>(whole);
    if (value - whole >= 0.5f)
        ++v;
    return v;
}

// Legacy layout: r·K / 10000 truncated, unless the remainder (sign of the dividend) reaches one
// half, then K / 10000 · r + 1 truncated.
int LegacyDisplayValue(int raw, int k)
{
    const long long product = static_cast<long long>(raw) * k;
    if (product % kLegacyDivisor < kLegacyDivisor / 2)
        return static_cast<int>(product / kLegacyDivisor);
    return static_cast<int>(std::trunc(static_cast<double>(k) / kLegacyDivisor * raw + 1.0));
}

}  // namespace

std::string_view OscChannelName(OscChannel c)
{
    return kChannelNames[static_cast<std::size_t>(c)];
}

bool IsCurrentChannel(OscChannel c)
{
    return c == OscChannel::Ia || c == OscChannel::Ib || c == OscChannel::Ic || c == OscChannel::I0;
}

bool IsValidOscDateTime(const OscDateTime& t)
{
    return t.day >= 1 && t.month >= 1 && t.month <= 12 && t.year >= 0 && t.hour >= 0 &&
           t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59 &&
           t.hundredths >= 0 && t.day <= MonthLength(t.month, t.year);
}

OscDateTime ShiftOscDateTime(const OscDateTime& from, int hundredths)
{
    OscDateTime t = from;
    long long h = static_cast<long long>(t.hour) * 360000 + t.minute * 6000LL + t.second * 100LL +
                  t.hundredths + hundredths;
    while (h < 0) {
        h += kHundredthsPerDay;
        if (--t.day < 1) {
            if (--t.month < 1) {
                t.month = 12;
                --t.year;
            }
            t.day = MonthLength(t.month, t.year);
        }
    }
    // Hundredths are not bounded by the relay's date check, so a time can also pass midnight.
    while (h >= kHundredthsPerDay) {
        h -= kHundredthsPerDay;
        if (++t.day > MonthLength(t.month, t.year)) {
            t.day = 1;
            if (++t.month > 12) {
                t.month = 1;
                ++t.year;
            }
        }
    }
    t.hour = static_cast<int>(h / 360000);
    t.minute = static_cast<int>(h / 6000 % 60);
    t.second = static_cast<int>(h / 100 % 60);
    t.hundredths = static_cast<int>(h % 100);
    return t;
}

std::string_view TripCauseName(int mask)
{
    for (int bit = 0; bit < 15; ++bit) {
        if (mask & (1 << bit))
            return osc_texts::kTripCauseNames[bit];
    }
    return {};
}

int RangeFactor(int deviceType)
{
    return HighCurrentRange(deviceType) ? 1 : 2;
}

OscillogramImage::OscillogramImage() = default;

const ChannelTrace* OscillogramImage::trace(OscChannel c) const
{
    for (const auto& t : m_traces) {
        if (t.channel == c)
            return &t;
    }
    return nullptr;
}

void OscillogramImage::clearDisplay()
{
    m_loaded = false;
    m_traces.clear();
    m_currentGroupRange = 0;
    m_voltageGroupRange = 0;
    m_digitalValid = false;
}

LoadResult OscillogramImage::load(const std::string& path, MessageSink& sink)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        clearDisplay();
        return {LoadStatus::CannotOpen, errno};
    }
    // Only the image is read; whatever follows it in a longer file is ignored.
    std::vector<std::uint8_t> bytes(kOscImageBytes);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(got);
    return {parse(bytes, sink), 0};
}

LoadStatus OscillogramImage::parse(std::span<const std::uint8_t> in, MessageSink& sink)
{
    clearDisplay();
    if (in.size() < kOscImageBytes) {
        sink.show(OscMessage{OscMessageId::ShortFile, osc_texts::kCaptionReadError,
                             osc_texts::kShortFile, MsgIcon::Error, true});
        return LoadStatus::ShortFile;
    }
    std::copy_n(in.begin(), kOscImageBytes, m_bytes.begin());
    const std::span<const std::uint8_t> b(m_bytes);

    m_layout = IsCurrentLayout(b) ? OscLayout::Current : OscLayout::Legacy;
    const LayoutWords& words = m_layout == OscLayout::Current ? kCurrentWords : kLegacyWords;
    for (int i = 0; i < kOscCoefficients; ++i) {
        if (m_layout == OscLayout::Current) {
            std::uint32_t bits = 0;
            for (int j = 3; j >= 0; --j)
                bits = (bits << 8) | b[static_cast<std::size_t>(kCurrentFloatByte + 4 * i + j)];
            m_coefficients[i] = std::bit_cast<float>(bits);
            m_legacyK[i] = 0;
        } else {
            m_legacyK[i] = ReadS16(b, static_cast<std::size_t>(kLegacyKWord + i));
            m_coefficients[i] = static_cast<float>(m_legacyK[i]) / kLegacyDivisor;
        }
    }
    m_event = ReadDateTime(b, words.dateIndex);
    m_tripCause = ReadS16(b, static_cast<std::size_t>(words.tripCause));
    m_deviceType = ReadS16(b, static_cast<std::size_t>(words.deviceType));
    m_preTrigger = ReadS16(b, kWordPreTrigger);
    m_stopIndex = ReadS16(b, kWordStopIndex);
    // The file gives no meaning to counts outside 0 … 500; only the slots that exist are used.
    m_recordCount = std::clamp<int>(ReadS16(b, kWordRecordCount), 0, kOscDigitalSlots);
    for (int s = 0; s < kOscDigitalSlots; ++s) {
        const std::size_t w = kOscDigitalOffset / 2 + 3 * static_cast<std::size_t>(s);
        m_records[static_cast<std::size_t>(s)] = {ReadU16(b, w), ReadU16(b, w + 1),
                                                  ReadU16(b, w + 2)};
    }
    m_recorded.clear();
    for (int c = 0; c < kOscFlaggedChannels; ++c) {
        if (ReadS16(b, static_cast<std::size_t>(kWordFlags + c)) == 1)
            m_recorded.push_back(static_cast<OscChannel>(c));
    }
    if (m_recorded.empty()) {
        m_n = kOscSampleWords;
        sink.show(OscMessage{OscMessageId::NoChannels, osc_texts::kCaptionInformation,
                             osc_texts::kNoChannels, MsgIcon::Information, false});
        return LoadStatus::NoChannels;
    }
    m_n = kOscSampleWords / static_cast<int>(m_recorded.size());

    if (!validate(sink))
        return LoadStatus::Refused;
    normalise(sink);
    m_loaded = true;
    return LoadStatus::Loaded;
}

// Checks in a fixed order; every failing check speaks, the blocking ones refuse the
// file at the end.
bool OscillogramImage::validate(MessageSink& sink)
{
    const std::span<const std::uint8_t> b(m_bytes);
    bool blocked = false;
    auto report = [&](OscMessage m) {
        blocked = blocked || m.blocking;
        sink.show(m);
    };
    const int nA = static_cast<int>(m_recorded.size());

    if (nA > kOscMaxChannels) {
        report(Error(OscMessageId::TooManyChannels, Format(osc_texts::kTooManyChannels, nA), true));
    } else if (m_stopIndex < 0 || m_stopIndex > m_n) {
        report(Error(OscMessageId::BadStopIndex,
                     Format(osc_texts::kBadStopIndex, m_stopIndex, nA), true));
    }

    // 3Io's flag is not checked here: only a flag of exactly 1 records it anyway.
    for (int w = kWordFlags; w < kWordFlags + 6; ++w) {
        const int flag = ReadS16(b, static_cast<std::size_t>(w));
        if (flag != 0 && flag != 1) {
            report(Error(OscMessageId::BadChannelFlag, osc_texts::kBadChannelFlag, true));
            break;
        }
    }

    if (m_layout == OscLayout::Legacy) {
        for (OscChannel c : m_recorded) {
            const int i = static_cast<int>(c);
            if (i > static_cast<int>(OscChannel::Uc))
                break;
            const int k = m_legacyK[i];
            if (k >= kLegacyKMin && k <= kLegacyKMax)
                continue;
            if (k < 0) {
                report(Error(OscMessageId::NegativeCoefficient,
                             Format(osc_texts::kNegativeCoefficient, k), true));
            } else {
                report(Error(OscMessageId::CoefficientOutOfRange,
                             Format(osc_texts::kCoefficientOutOfRange[i], k), false));
            }
            break;
        }
    }

    if (!IsValidOscDateTime(m_event))
        report(Error(OscMessageId::BadDateTime, osc_texts::kBadDateTime, true));

    for (int s = 0; s < m_recordCount; ++s) {
        if (m_records[static_cast<std::size_t>(s)].position > m_n) {
            report(Error(OscMessageId::BadDigitalPosition, osc_texts::kBadDigitalPosition, false));
            break;
        }
    }
    return !blocked;
}

void OscillogramImage::normalise(MessageSink& sink)
{
    const std::span<std::uint8_t> image(m_bytes);
    const auto n = static_cast<std::size_t>(m_n);
    const auto stop = static_cast<std::size_t>(m_stopIndex);

    m_traces.clear();
    for (std::size_t k = 0; k < m_recorded.size(); ++k) {
        ChannelTrace t;
        t.channel = m_recorded[k];
        const int ci = static_cast<int>(t.channel);
        const float c = m_coefficients[ci];
        const std::size_t first = kOscHeaderWords + k * n;
        t.raw.resize(n);
        t.integers.resize(n);
        t.values.resize(n);
        // Chronological order is stop … N−1, then 0 … stop−1 (a stop index of N means stored order).
        for (std::size_t j = 0; j < n; ++j) {
            const std::int16_t r = ReadS16(image, first + (stop + j) % n);
            t.raw[j] = r;
            if (m_layout == OscLayout::Current) {
                const float v = c * static_cast<float>(r);
                t.integers[j] = CurrentDisplayValue(v);
                t.values[j] = v;
            } else {
                t.integers[j] = LegacyDisplayValue(r, m_legacyK[ci]);
                t.values[j] = c * static_cast<float>(t.integers[j]);
            }
        }
        const auto [lo, hi] = std::minmax_element(t.integers.begin(), t.integers.end());
        t.minimum = *lo;
        t.maximum = *hi;
        t.range = t.maximum - t.minimum;
        t.flat = t.range == 0;
        t.levels.resize(n);
        for (std::size_t j = 0; j < n; ++j)
            t.levels[j] = t.flat ? 0 : t.maximum - t.integers[j];
        // The block is stored chronologically even when its display is flat: the stop index
        // becomes 0 for the whole image, and a block left in ring order would then be misread
        // on reloading and exported out of order.
        for (std::size_t j = 0; j < n; ++j)
            WriteU16(image, first + j, static_cast<std::uint16_t>(t.raw[j]));

        int& group = IsCurrentChannel(t.channel) && t.channel != OscChannel::I0
                         ? m_currentGroupRange
                         : m_voltageGroupRange;
        group = std::max(group, t.range);
        m_traces.push_back(std::move(t));
    }
    WriteU16(image, kWordStopIndex, 0);

    // Digital records: the one at the stop index is the oldest.
    int match = -1;
    for (int s = 0; s < kOscDigitalSlots; ++s) {
        if (m_records[static_cast<std::size_t>(s)].position == stop) {
            match = s;
            break;
        }
    }
    std::array<DigitalRecord, kOscDigitalSlots> ordered{};
    const auto count = static_cast<std::size_t>(m_recordCount);
    if (match < 0) {
        sink.show(OscMessage{OscMessageId::NoStopRecord, osc_texts::kCaptionDigitalMayBeWrong,
                             osc_texts::kNoStopRecord, MsgIcon::Warning, false});
        std::copy_n(m_records.begin(), count, ordered.begin());
    } else {
        // Slots match … count−1, then 0 … match−1; a match beyond the valid slots leaves them
        // in stored order.
        std::size_t o = 0;
        for (std::size_t s = static_cast<std::size_t>(match); s < count; ++s)
            ordered[o++] = m_records[s];
        for (std::size_t s = 0; o < count; ++s)
            ordered[o++] = m_records[s];
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t p = ordered[i].position;
        ordered[i].position = static_cast<std::uint16_t>(p >= stop ? p - stop : p + n - stop);
    }
    m_digitalValid = true;
    for (std::size_t i = 1; i < count; ++i) {
        if (ordered[i].position <= ordered[i - 1].position) {
            m_digitalValid = false;
            sink.show(Error(OscMessageId::BadDigitalOrder, osc_texts::kBadDigitalOrder, false));
            break;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        m_records[i] = ordered[i];
        const std::size_t w = kOscDigitalOffset / 2 + 3 * i;
        WriteU16(image, w, ordered[i].position);
        WriteU16(image, w + 1, ordered[i].inputs);
        WriteU16(image, w + 2, ordered[i].outputs);
    }

    m_start = ShiftOscDateTime(m_event, -m_preTrigger);
}

bool OscillogramImage::save(const std::string& path, MessageSink& sink) const
{
    auto fail = [&](int code) {
        sink.show(Error(OscMessageId::SaveFailed, Format(osc_texts::kSaveFailed, code), false));
        return false;
    };
    // Written beside the target and renamed over it, so a failed write never leaves half an image.
    const std::string tmp = path + ".tmp";
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return fail(errno);
    const bool written = std::fwrite(m_bytes.data(), 1, m_bytes.size(), f) == m_bytes.size();
    const int writeErrno = errno;
    if (std::fclose(f) != 0 || !written) {
        const int code = written ? errno : writeErrno;
        std::remove(tmp.c_str());
        return fail(code);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        const int code = errno;
        std::remove(tmp.c_str());
        return fail(code);
    }
    return true;
}

void PrepareOscillogramForWriting(std::span<std::uint8_t> image, int deviceType)
{
    if (image.size() < kOscImageBytes)
        return;
    // Only the low byte of a channel flag carries the flag; the viewer wants exactly 0 or 1.
    for (std::size_t w = kWordFlags; w < kWordFlags + 8; ++w)
        image[2 * w + 1] = 0;
    const LayoutWords& words = IsCurrentLayout(image) ? kCurrentWords : kLegacyWords;
    WriteU16(image, static_cast<std::size_t>(words.deviceType), static_cast<std::uint16_t>(deviceType));
}

OscEventStamp ReadEventStamp(std::span<const std::uint8_t> image)
{
    if (image.size() < 2 * kOscHeaderWords)
        return {};
    const LayoutWords& words = IsCurrentLayout(image) ? kCurrentWords : kLegacyWords;
    return {ReadDateTime(image, words.dateIndex), ReadS16(image, static_cast<std::size_t>(words.tripCause))};
}

}  // namespace tirv
