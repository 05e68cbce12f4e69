#include "viewer/comtrade_export.h"

#include "common/cp1251.h"
#include "common/oscillogram_texts.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>

namespace tirv {
namespace {

// Analog channel lines and multiplier factors by channel. Ranges are the raw sample limits of the
// two layouts' converters (16-bit samples in the current layout, 14-bit in the legacy one).
struct ChannelFormat {
    const char* identifier;
    const char* unit;
    double currentFactor[2];  // × float coefficient c, by range factor R = 1, 2
    double legacyFactor[2];   // × integer coefficient K, by range factor R = 1, 2
};
constexpr std::array<ChannelFormat, kOscCoefficients> kChannelFormats = {{
    {"Ia", "A", {0.14142, 0.014142}, {1.41e-05, 1.41e-06}},
    {"Ib", "A", {0.14142, 0.014142}, {1.41e-05, 1.41e-06}},
    {"Ic", "A", {0.14142, 0.014142}, {1.41e-05, 1.41e-06}},
    {"Ua", "V", {0.14142, 0.14142}, {1.41e-05, 1.41e-05}},
    {"Ub", "V", {0.14142, 0.14142}, {1.41e-05, 1.41e-05}},
    {"Uc", "V", {0.14142, 0.14142}, {1.41e-05, 1.41e-05}},
    {"3Io", "A", {0.0014142, 0.0014142}, {1.41e-07, 1.41e-07}},
    {"3Uo", "V", {0.14142, 0.14142}, {1.41e-05, 1.41e-05}},
}};
constexpr const char* kCurrentLayoutRange = "-32768,32767";
constexpr const char* kLegacyLayoutRange = "-8192,8191";

constexpr int kLineFrequencyHz = 50;

// "%.10f" without the process locale: the viewer runs under a desktop locale that may use a
// decimal comma, and the file must keep the point.
std::string Fixed10(double v)
{
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 10);
    return std::string(buf, r.ptr);
}

template <typename... Args>
void Append(std::string& out, const char* fmt, Args... args)
{
    char buf[512];
    const int n = std::snprintf(buf, sizeof buf, fmt, args...);
    if (n > 0)
        out.append(buf, static_cast<std::size_t>(std::min<int>(n, static_cast<int>(sizeof buf) - 1)));
}

std::string Format(const char* fmt, int a)
{
    std::string s;
    Append(s, fmt, a);
    return s;
}

OscMessage ErrorMessage(OscMessageId id, std::string text)
{
    return OscMessage{id, osc_texts::kCaptionError, std::move(text), MsgIcon::Error, false};
}

// Number of characters (code points) in UTF-8 text.
std::size_t CharacterCount(std::string_view utf8)
{
    std::size_t n = 0;
    for (unsigned char ch : utf8)
        n += (ch & 0xC0) != 0x80;
    return n;
}

// Replaces the last three characters (all ASCII after the rules above, or kept as chosen).
std::string WithSuffix(const std::string& cfg, const char* suffix)
{
    if (cfg.size() <= 3)
        return cfg;
    return cfg.substr(0, cfg.size() - 3) + suffix;
}

// Writes the whole content; 0 or the system error code.
int WriteFile(const std::string& path, const std::string& content)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return errno ? errno : EIO;
    errno = 0;
    const bool written = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    int code = written ? 0 : (errno ? errno : EIO);
    if (std::fclose(f) != 0 && code == 0)
        code = errno ? errno : EIO;
    return code;
}

}  // namespace

ComtradeNames ComtradeFileNames(std::string_view chosen, MessageSink& sink)
{
    std::string cfg(chosen);
    // Only a dot of the file name itself counts: a dot in a folder name is no extension.
    const std::size_t slash = cfg.find_last_of('/');
    const std::size_t dot = cfg.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        cfg += ".CFG";
    } else if (CharacterCount(std::string_view(cfg).substr(0, dot)) < kComtradeDotLimit) {
        cfg = cfg.substr(0, dot + 1) + "CFG";
    } else {
        sink.show(ErrorMessage(OscMessageId::ComtradeNameTooLong, osc_texts::kNameTooLong));
    }
    return {cfg, WithSuffix(cfg, "HDR"), WithSuffix(cfg, "DAT")};
}

double ComtradeMultiplier(const OscillogramImage& image, OscChannel c)
{
    const ChannelFormat& f = kChannelFormats[static_cast<std::size_t>(c)];
    const std::size_t r = image.rangeFactor() == 1 ? 0 : 1;
    if (image.layout() == OscLayout::Current)
        return static_cast<double>(image.coefficient(c)) * f.currentFactor[r];
    return image.legacyK(c) * f.legacyFactor[r];
}

std::string ComtradeConfiguration(const OscillogramImage& image)
{
    const int nA = image.channelCount();
    std::string s;
    Append(s, "TIRV,%i\r\n%i,%iA,%iD\r\n", image.deviceType(), nA + kComtradeStatusChannels, nA,
           kComtradeStatusChannels);
    const char* range =
        image.layout() == OscLayout::Current ? kCurrentLayoutRange : kLegacyLayoutRange;
    int index = 1;
    for (const ChannelTrace& t : image.traces()) {
        const ChannelFormat& f = kChannelFormats[static_cast<std::size_t>(t.channel)];
        Append(s, "%i,%s,,,%s,%s,0,,%s\r\n", index++, f.identifier, f.unit,
               Fixed10(ComtradeMultiplier(image, t.channel)).c_str(), range);
    }
    for (int n = 1; n <= kComtradeInputs; ++n)
        Append(s, "%i,Вход_%2i,0\r\n", n, n);
    for (int n = 1; n <= kComtradeOutputs; ++n)
        Append(s, "%i,Выход_%2i,0\r\n", kComtradeInputs + n, n);
    Append(s, "%i\r\n1\r\n%i,%i\r\n", kLineFrequencyHz, kOscSampleRateHz, image.samplesPerChannel());
    const OscDateTime t = image.startTime();
    // The first sample's time doubles as the trigger time.
    for (int line = 0; line < 2; ++line)
        Append(s, "%02i/%02i/%02i,%02i:%02i:%02i.%02i\r\n", t.month, t.day, t.year, t.hour, t.minute,
               t.second, t.hundredths);
    s += "ASCII\r\n";
    return Utf8ToCp1251(s);
}

std::string ComtradeData(const OscillogramImage& image)
{
    const auto& traces = image.traces();
    const auto records = image.digitalRecords();
    // Each record holds from its own sample on; before the first one its state applies. Without
    // any valid record there is no state to show and every status channel is 0.
    std::size_t next = 0;
    std::uint16_t inputs = records.empty() ? 0 : records[0].inputs;
    std::uint16_t outputs = records.empty() ? 0 : records[0].outputs;

    const int n = image.samplesPerChannel();
    std::string s;
    s.reserve(static_cast<std::size_t>(n) * (20 + 7 * traces.size() + 2 * kComtradeStatusChannels));
    for (int i = 0; i < n; ++i) {
        if (next < records.size() && records[next].position == i) {
            inputs = records[next].inputs;
            outputs = records[next].outputs;
            ++next;
        }
        Append(s, "%i,%i,", i + 1, i * kOscSamplePeriodUs);
        for (const ChannelTrace& t : traces)
            Append(s, "%i,", t.raw[static_cast<std::size_t>(i)]);
        for (int b = 0; b < kComtradeInputs; ++b)
            s += (inputs >> b & 1) ? "1," : "0,";
        for (int b = 0; b < kComtradeOutputs; ++b) {
            s += (outputs >> b & 1) ? '1' : '0';
            if (b + 1 < kComtradeOutputs)
                s += ',';
        }
        s += "\r\n";
    }
    return s;
}

ComtradeResult ExportComtrade(const OscillogramImage& image, std::string_view chosen, MessageSink& sink)
{
    if (!image.loaded())
        return ComtradeResult::Failed;
    const ComtradeNames names = ComtradeFileNames(chosen, sink);

    // Unlike a bare "create and write", every file is checked to the end: a full disk must not
    // pass for a finished export.
    if (const int code = WriteFile(names.cfg, ComtradeConfiguration(image))) {
        sink.show(ErrorMessage(OscMessageId::ComtradeCfgFailed, Format(osc_texts::kComtradeCfgFailed, code)));
        return ComtradeResult::Failed;
    }
    ComtradeResult result = ComtradeResult::Written;
    if (const int code = WriteFile(names.hdr, std::string())) {
        sink.show(ErrorMessage(OscMessageId::ComtradeHdrFailed, Format(osc_texts::kComtradeHdrFailed, code)));
        result = ComtradeResult::HeaderMissing;
    }
    if (const int code = WriteFile(names.dat, ComtradeData(image))) {
        sink.show(ErrorMessage(OscMessageId::ComtradeDatFailed, Format(osc_texts::kComtradeDatFailed, code)));
        return ComtradeResult::Failed;
    }
    return result;
}

}  // namespace tirv
