#pragma once
// A small COMTRADE reader for tests, written from IEEE C37.111-1991 alone (configuration file
// without revision year, ASCII data file), so that our export is checked against the standard's
// structure rather than against our own writer. It is strict: every deviation it notices is an
// error.
//
// Configuration file, one record per CR LF line:
//   station_name,rec_dev_id
//   TT,##A,##D
//   An,ch_id,ph,ccbm,uu,a,b,skew,min,max        (## analog lines)
//   Dn,ch_id,y                                 (## status lines)
//   lf
//   nrates
//   samp,endsamp                               (nrates lines)
//   mm/dd/yy,hh:mm:ss.ssssss                   (first data point)
//   mm/dd/yy,hh:mm:ss.ssssss                   (trigger point)
//   ft                                         (ASCII or BINARY)
// Data file: n,timestamp,A1…Ak,D1…Dm per line; timestamp in microseconds.
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace tirv::test {

struct ComtradeRecord {
    struct Analog {
        int index = 0;
        std::string id, phase, component, unit;
        double a = 0, b = 0, skew = 0;
        long min = 0, max = 0;
    };
    struct Status {
        int index = 0;
        std::string id;
        int normal = 0;
    };
    struct Sample {
        long number = 0;
        long long timestamp = 0;
        std::vector<long> analog;
        std::vector<int> status;
    };

    std::string station, device;
    std::vector<Analog> analogs;
    std::vector<Status> statuses;
    double lineFrequency = 0;
    std::vector<std::pair<double, long>> rates;  // samples per second, last sample number
    std::string firstDate, firstTime, triggerDate, triggerTime;
    std::string fileType;
    std::vector<Sample> samples;
    std::string error;  // empty when both files were read without fault

    // Physical value of analog channel k (0-based) in sample s: a·x + b.
    double physical(std::size_t k, std::size_t s) const
    {
        return analogs[k].a * static_cast<double>(samples[s].analog[k]) + analogs[k].b;
    }
};

namespace comtrade_reader_detail {

inline std::vector<std::string> Split(std::string_view s, char sep)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t p = s.find(sep, start);
        out.emplace_back(s.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start));
        if (p == std::string_view::npos)
            return out;
        start = p + 1;
    }
}

// Lines must end in CR LF; the text must end with one; no line holds a lone CR or LF.
inline bool Lines(std::string_view text, std::vector<std::string>& lines)
{
    if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n")
        return false;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t p = text.find("\r\n", start);
        const std::string_view line = text.substr(start, p - start);
        if (line.find_first_of("\r\n") != std::string_view::npos)
            return false;
        lines.emplace_back(line);
        start = p + 2;
    }
    return true;
}

inline bool Integer(const std::string& s, long long& v)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    v = std::strtoll(s.c_str(), &end, 10);
    return *end == '\0';
}

inline bool Real(const std::string& s, double& v)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return *end == '\0';
}

// mm/dd/yy and hh:mm:ss.ssssss (seconds with a fraction).
inline bool DateTime(const std::string& line, std::string& date, std::string& time)
{
    const auto f = Split(line, ',');
    if (f.size() != 2)
        return false;
    const auto d = Split(f[0], '/');
    const auto t = Split(f[1], ':');
    long long v = 0;
    double sec = 0;
    if (d.size() != 3 || t.size() != 3)
        return false;
    for (const auto& p : d)
        if (!Integer(p, v) || p.size() < 2)
            return false;
    if (!Integer(t[0], v) || !Integer(t[1], v) || !Real(t[2], sec) || sec < 0 || sec >= 60)
        return false;
    date = f[0];
    time = f[1];
    return true;
}

}  // namespace comtrade_reader_detail

inline ComtradeRecord ReadComtrade(std::string_view cfg, std::string_view dat)
{
    using namespace comtrade_reader_detail;
    ComtradeRecord r;
    auto fail = [&](std::string what) {
        r.error = std::move(what);
        return r;
    };
    std::vector<std::string> lines;
    if (!Lines(cfg, lines))
        return fail("configuration lines do not end in CR LF");
    std::size_t at = 0;
    auto next = [&]() -> const std::string* { return at < lines.size() ? &lines[at++] : nullptr; };

    const std::string* l = next();
    if (!l)
        return fail("no station line");
    auto f = Split(*l, ',');
    if (f.size() != 2)
        return fail("station line needs station_name,rec_dev_id");
    r.station = f[0];
    r.device = f[1];

    if (!(l = next()))
        return fail("no channel count line");
    f = Split(*l, ',');
    long long total = 0, na = 0, nd = 0;
    if (f.size() != 3 || !Integer(f[0], total) || f[1].size() < 2 || f[1].back() != 'A' ||
        !Integer(f[1].substr(0, f[1].size() - 1), na) || f[2].size() < 2 || f[2].back() != 'D' ||
        !Integer(f[2].substr(0, f[2].size() - 1), nd) || total != na + nd)
        return fail("bad channel count line: " + *l);

    for (long long k = 1; k <= na; ++k) {
        if (!(l = next()))
            return fail("missing analog line");
        f = Split(*l, ',');
        ComtradeRecord::Analog a;
        long long idx = 0, mn = 0, mx = 0;
        if (f.size() != 10 || !Integer(f[0], idx) || idx != k || f[1].empty() || !Real(f[5], a.a) ||
            !Real(f[6], a.b) || !(f[7].empty() || Real(f[7], a.skew)) || !Integer(f[8], mn) ||
            !Integer(f[9], mx) || mn > mx)
            return fail("bad analog line: " + *l);
        a.index = static_cast<int>(idx);
        a.id = f[1];
        a.phase = f[2];
        a.component = f[3];
        a.unit = f[4];
        a.min = static_cast<long>(mn);
        a.max = static_cast<long>(mx);
        r.analogs.push_back(a);
    }
    for (long long k = 1; k <= nd; ++k) {
        if (!(l = next()))
            return fail("missing status line");
        f = Split(*l, ',');
        long long idx = 0, y = 0;
        if (f.size() != 3 || !Integer(f[0], idx) || idx != k || f[1].empty() || !Integer(f[2], y) ||
            (y != 0 && y != 1))
            return fail("bad status line: " + *l);
        r.statuses.push_back({static_cast<int>(idx), f[1], static_cast<int>(y)});
    }

    long long nrates = 0;
    if (!(l = next()) || !Real(*l, r.lineFrequency))
        return fail("bad line frequency");
    if (!(l = next()) || !Integer(*l, nrates) || nrates < 0)
        return fail("bad number of sampling rates");
    for (long long i = 0; i < nrates; ++i) {
        double samp = 0;
        long long end = 0;
        if (!(l = next()) || (f = Split(*l, ',')).size() != 2 || !Real(f[0], samp) || !Integer(f[1], end))
            return fail("bad sampling rate line");
        r.rates.emplace_back(samp, static_cast<long>(end));
    }
    if (!(l = next()) || !DateTime(*l, r.firstDate, r.firstTime))
        return fail("bad first data point time");
    if (!(l = next()) || !DateTime(*l, r.triggerDate, r.triggerTime))
        return fail("bad trigger time");
    if (!(l = next()) || (*l != "ASCII" && *l != "BINARY"))
        return fail("bad file type");
    r.fileType = *l;
    if (at != lines.size())
        return fail("text after the file type");
    if (r.fileType != "ASCII")
        return fail("only ASCII data files are read here");

    std::vector<std::string> rows;
    if (!Lines(dat, rows))
        return fail("data lines do not end in CR LF");
    const std::size_t fields = 2 + static_cast<std::size_t>(na + nd);
    for (const auto& row : rows) {
        f = Split(row, ',');
        if (f.size() != fields)
            return fail("wrong field count in data line: " + row);
        ComtradeRecord::Sample s;
        long long v = 0;
        if (!Integer(f[0], v))
            return fail("bad sample number: " + row);
        s.number = static_cast<long>(v);
        if (!Integer(f[1], s.timestamp))
            return fail("bad time stamp: " + row);
        for (long long k = 0; k < na; ++k) {
            if (!Integer(f[2 + static_cast<std::size_t>(k)], v))
                return fail("bad analog value: " + row);
            const auto& a = r.analogs[static_cast<std::size_t>(k)];
            if (v < a.min || v > a.max)
                return fail("analog value outside min..max: " + row);
            s.analog.push_back(static_cast<long>(v));
        }
        for (long long k = 0; k < nd; ++k) {
            if (!Integer(f[2 + static_cast<std::size_t>(na + k)], v) || (v != 0 && v != 1))
                return fail("bad status value: " + row);
            s.status.push_back(static_cast<int>(v));
        }
        if (s.number != static_cast<long>(r.samples.size()) + 1)
            return fail("sample numbers are not consecutive: " + row);
        r.samples.push_back(std::move(s));
    }
    if (!r.rates.empty() && r.rates.back().second != static_cast<long>(r.samples.size()))
        return fail("last sample number differs from the sampling rate line");
    return r;
}

}  // namespace tirv::test
