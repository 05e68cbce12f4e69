// Calendar arithmetic of the relay clock: days from 1970-01-01 and back, without the C
// library's time zone handling (the relay keeps local time as plain numbers).
#include "sim/relay.h"

namespace tirv::sim {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

std::int64_t DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<std::int64_t>(era) * 146097 + doe - 719468;
}

}  // namespace

WallTime ToWallTime(std::int64_t epochMs)
{
    std::int64_t days = epochMs / kMsPerDay;
    std::int64_t rest = epochMs % kMsPerDay;
    if (rest < 0) {
        rest += kMsPerDay;
        --days;
    }
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    WallTime t;
    t.day = doy - (153 * mp + 2) / 5 + 1;
    t.month = mp < 10 ? mp + 3 : mp - 9;
    t.year = static_cast<int>(yoe + era * 400) + (t.month <= 2 ? 1 : 0);
    t.hour = static_cast<int>(rest / 3'600'000);
    t.minute = static_cast<int>(rest / 60'000 % 60);
    t.second = static_cast<int>(rest / 1000 % 60);
    t.millisecond = static_cast<int>(rest % 1000);
    return t;
}

std::int64_t ToEpochMs(const WallTime& t)
{
    return DaysFromCivil(t.year, t.month, t.day) * kMsPerDay + t.hour * 3'600'000LL +
           t.minute * 60'000LL + t.second * 1000LL + t.millisecond;
}

bool IsValidWallTime(const WallTime& t)
{
    return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= MonthLength(t.month, t.year) &&
           t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
           t.second <= 59 && t.year >= 2000 && t.year <= 2255;
}

}  // namespace tirv::sim
