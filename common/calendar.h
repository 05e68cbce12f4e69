#pragma once
// The calendar rule of the relays' clocks, oscillograms and journals, for every program: years
// 2000–2099 (given as 0–99 or in full), so every fourth year is a leap year.

namespace tirv {

// Days of `month` (1–12) in `year`; 0 for a month outside 1–12.
constexpr int MonthLength(int month, int year)
{
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && year % 4 == 0 ? 29 : kDays[month - 1];
}

}  // namespace tirv
