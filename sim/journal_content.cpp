#include "sim/journal_content.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <numbers>

namespace tirv::sim {
namespace {

using Phasor = std::complex<double>;

Phasor Polar(double magnitude, double degrees)
{
    return std::polar(magnitude, degrees * std::numbers::pi / 180.0);
}

// Phase quantities during a fault, magnitudes in A and V, angles in degrees against Ua.
struct FaultPhasors {
    Phasor ia, ib, ic, ua, ub, uc;
};

struct Trip {
    int daysAgo, hour, minute, second, fraction;
    std::uint16_t event, started;
    FaultPhasors fault;
    std::uint16_t breakerTime;  // hundredths of a second
};

// Four trips, oldest first; the last one is the stored oscillogram: a B-C fault of about 12 A
// seen by МТЗ-3 (4 A) and МТЗ-2 (10 A, 0.5 s), tripped by МТЗ-2.
const Trip kTrips[] = {
    {41, 3, 12, 44, 17, kTripMtz3, kTripMtz3,
     {Polar(5.1, -32), Polar(5.0, -152), Polar(5.2, 88), Polar(56.9, 0), Polar(57.0, -120),
      Polar(56.8, 120)}, 6},
    {17, 22, 5, 9, 80, kTripMtz1, kTripMtz1 | kTripMtz2 | kTripMtz3,
     {Polar(24.3, -68), Polar(23.9, 172), Polar(24.6, 52), Polar(21.4, 0), Polar(20.9, -121),
      Polar(22.0, 119)}, 5},
    {9, 11, 48, 30, 2, kTripMtz3, kTripMtz3,
     {Polar(4.6, -41), Polar(4.4, -161), Polar(4.7, 79), Polar(57.3, 0), Polar(57.5, -120),
      Polar(57.1, 120)}, 7},
    // B-C fault on a loaded feeder: phase A keeps its load, Ic closes the loop (3Io stays ≈ 0).
    {2, 14, 37, 12, 45, kTripMtz2, kTripMtz2 | kTripMtz3,
     {Polar(3.3, -25), Polar(12.4, -171), -(Polar(3.3, -25) + Polar(12.4, -171)), Polar(57.5, 0),
      Polar(36.2, -147), Polar(35.8, 147)}, 5},
};

std::uint16_t Raw(double value, double coefficient)
{
    return static_cast<std::uint16_t>(std::lround(value / coefficient));
}

std::uint16_t Angle(Phasor p)
{
    double deg = std::abs(p) < 1e-9 ? 0.0 : std::arg(p) * 180.0 / std::numbers::pi;
    if (deg < 0)
        deg += 360.0;
    return static_cast<std::uint16_t>(std::lround(deg * 10.0) % 3600);
}

WallTime DaysBefore(const WallTime& now, int days, int hour, int minute, int second)
{
    WallTime day = ToWallTime(ToEpochMs({now.year, now.month, now.day, 0, 0, 0, 0}) -
                              static_cast<std::int64_t>(days) * 86'400'000);
    day.hour = hour;
    day.minute = minute;
    day.second = second;
    return day;
}

void WriteEmergencyRecord(const RelayModel& model, HoldingMemory& h, int slot, const Trip& trip,
                          const WallTime& t)
{
    const FaultPhasors& f = trip.fault;
    const double phaseCoef = EmergencyCurrentCoefficient(model);
    const Phasor a = Polar(1.0, 120.0);
    const Phasor i0 = f.ia + f.ib + f.ic, u0 = f.ua + f.ub + f.uc;
    const Phasor i1 = (f.ia + a * f.ib + a * a * f.ic) / 3.0;
    const Phasor i2 = (f.ia + a * a * f.ib + a * f.ic) / 3.0;
    const Phasor uab = f.ua - f.ub, ubc = f.ub - f.uc, uca = f.uc - f.ua;
    std::uint16_t w[kEmergencyRecordWords] = {};
    w[kEmDay] = static_cast<std::uint16_t>(t.day);
    w[kEmMonth] = static_cast<std::uint16_t>(t.month);
    w[kEmYear] = static_cast<std::uint16_t>(t.year);
    w[kEmHour] = static_cast<std::uint16_t>(t.hour);
    w[kEmMinute] = static_cast<std::uint16_t>(t.minute);
    w[kEmSecond] = static_cast<std::uint16_t>(t.second);
    w[kEmFraction] = static_cast<std::uint16_t>(trip.fraction);
    w[kEmEvent] = trip.event;
    w[kEmStarted] = trip.started;
    const Phasor mags[13] = {f.ia, f.ib, f.ic, f.ua, f.ub, f.uc, uab, ubc, uca, i0, u0, i1, i2};
    const double coef[13] = {phaseCoef, phaseCoef, phaseCoef, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1,
                             0.001,     0.1,       0.1,       0.1};
    for (int k = 0; k < 13; ++k)
        w[kEmMagnitudes + k] = Raw(std::abs(mags[k]), coef[k]);
    for (int k = 0; k < 11; ++k)
        w[kEmAngles + k] = Angle(mags[k]);
    w[kEmBreakerTime] = trip.breakerTime;
    std::copy(std::begin(w), std::end(w),
              h.begin() + kEmergencyJournalStart + slot * kEmergencyRecordWords);
}

std::uint16_t Swapped(int v)
{
    return static_cast<std::uint16_t>((v & 0xFF) << 8 | (v >> 8 & 0xFF));
}

void WriteWorkingRecord(HoldingMemory& h, int index, const WallTime& t, int code)
{
    const auto at = static_cast<std::size_t>(kWorkingJournalStart + index * kWorkingRecordWords);
    // Bytes in wire order: year, month, day, hour, minute, second, ms (low first), code (low first).
    h[at] = static_cast<std::uint16_t>((t.year - 2000) << 8 | t.month);
    h[at + 1] = static_cast<std::uint16_t>(t.day << 8 | t.hour);
    h[at + 2] = static_cast<std::uint16_t>(t.minute << 8 | t.second);
    h[at + 3] = Swapped(t.millisecond);
    h[at + 4] = Swapped(code);
}

std::int64_t RecordKey(const WorkingRecord& r)
{
    return ToEpochMs(r.time);
}

}  // namespace

double EmergencyCurrentCoefficient(const RelayModel& model)
{
    return model.m ? 0.01 : 0.1;
}

WorkingRecord ReadWorkingRecord(const HoldingMemory& h, int index)
{
    const auto at = static_cast<std::size_t>(kWorkingJournalStart + index * kWorkingRecordWords);
    WorkingRecord r;
    r.time.year = 2000 + (h[at] >> 8);
    r.time.month = h[at] & 0xFF;
    r.time.day = h[at + 1] >> 8;
    r.time.hour = h[at + 1] & 0xFF;
    r.time.minute = h[at + 2] >> 8;
    r.time.second = h[at + 2] & 0xFF;
    r.time.millisecond = Swapped(h[at + 3]);
    r.code = static_cast<std::int16_t>(Swapped(h[at + 4]));
    return r;
}

void AppendWorkingEvent(HoldingMemory& h, int code, const WallTime& when)
{
    const bool settings = code >= 1 && code <= 3;
    const int first = settings ? 0 : kWorkingGroup1Records;
    const int last = settings ? kWorkingGroup1Records : kWorkingRecords;
    int slot = -1;
    for (int i = first; i < last && slot < 0; ++i)
        if (ReadWorkingRecord(h, i).code <= 0)
            slot = i;
    if (slot < 0) {  // full: the oldest record makes room
        slot = first;
        for (int i = first + 1; i < last; ++i)
            if (RecordKey(ReadWorkingRecord(h, i)) < RecordKey(ReadWorkingRecord(h, slot)))
                slot = i;
    }
    WriteWorkingRecord(h, slot, when, code);
}

void FillJournals(const RelayModel& model, HoldingMemory& h, const WallTime& now,
                  std::mt19937& rng)
{
    std::fill_n(h.begin() + kEmergencyJournalStart, kEmergencyRecords * kEmergencyRecordWords, 0);
    std::fill_n(h.begin() + kWorkingJournalStart, kWorkingRecords * kWorkingRecordWords, 0);
    for (std::size_t k = 0; k < std::size(kTrips); ++k) {
        const Trip& trip = kTrips[k];
        WriteEmergencyRecord(model, h, static_cast<int>(k), trip,
                             DaysBefore(now, trip.daysAgo, trip.hour, trip.minute, trip.second));
    }

    std::uniform_int_distribution<int> ms(0, 999);
    auto at = [&](int days, int hour, int minute, int second) {
        WallTime t = DaysBefore(now, days, hour, minute, second);
        t.millisecond = ms(rng);
        return t;
    };
    // Commissioning, then a setting review after the first trips.
    AppendWorkingEvent(h, 123, at(60, 9, 2, 11));
    AppendWorkingEvent(h, 1, at(60, 9, 41, 5));
    AppendWorkingEvent(h, 2, at(60, 10, 3, 47));
    AppendWorkingEvent(h, 3, at(60, 10, 8, 20));
    AppendWorkingEvent(h, 122, at(52, 16, 30, 0));
    AppendWorkingEvent(h, 123, at(33, 6, 15, 54));
    AppendWorkingEvent(h, 1, at(16, 13, 22, 8));
    AppendWorkingEvent(h, 125, at(12, 1, 47, 33));
    AppendWorkingEvent(h, 124, at(16, 13, 25, 1));
    AppendWorkingEvent(h, 123, at(5, 7, 59, 42));
}

void AppendTrip(const RelayModel& model, HoldingMemory& h, const WallTime& when)
{
    int slot = -1;
    std::int64_t oldest = 0;
    for (int k = 0; k < kEmergencyRecords; ++k) {
        const auto at = static_cast<std::size_t>(kEmergencyJournalStart + k * kEmergencyRecordWords);
        if (h[at + kEmEvent] == 0) {
            slot = k;
            break;
        }
        const WallTime t{h[at + kEmYear], h[at + kEmMonth], h[at + kEmDay], h[at + kEmHour],
                         h[at + kEmMinute], h[at + kEmSecond], 0};
        if (slot < 0 || ToEpochMs(t) < oldest) {
            slot = k;
            oldest = ToEpochMs(t);
        }
    }
    Trip trip = kTrips[std::size(kTrips) - 1];
    trip.fraction = when.millisecond / 10;  // valid as hundredths and as milliseconds
    WriteEmergencyRecord(model, h, slot, trip, when);
}

int NewestEmergencyRecord(const HoldingMemory& h)
{
    int newest = -1;
    std::int64_t best = 0;
    for (int k = 0; k < kEmergencyRecords; ++k) {
        const auto at = static_cast<std::size_t>(kEmergencyJournalStart + k * kEmergencyRecordWords);
        if (h[at + kEmEvent] == 0)
            continue;
        const WallTime t{h[at + kEmYear], h[at + kEmMonth], h[at + kEmDay], h[at + kEmHour],
                         h[at + kEmMinute], h[at + kEmSecond], 0};
        const std::int64_t key = ToEpochMs(t) * 1000 + h[at + kEmFraction];
        if (newest < 0 || key > best) {
            newest = k;
            best = key;
        }
    }
    return newest;
}

}  // namespace tirv::sim
