#pragma once
// The build date as both programs show it: the compiler's __DATE__ ("Dec  7 2026") as
// "07.12.2026". Qt-free so that the rule is tested on its own.
#include <array>
#include <string>
#include <string_view>

namespace tirv {

// "Mmm dd yyyy" (day padded with a blank) → "dd.mm.yyyy"; anything else is returned unchanged.
inline std::string BuildDate(std::string_view compilerDate)
{
    static constexpr std::array<std::string_view, 12> kMonths{
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (compilerDate.size() != 11 || compilerDate[3] != ' ' || compilerDate[6] != ' ')
        return std::string(compilerDate);
    int month = 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (compilerDate.substr(0, 3) == kMonths[i])
            month = static_cast<int>(i) + 1;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const char d0 = compilerDate[4] == ' ' ? '0' : compilerDate[4];
    const std::string_view year = compilerDate.substr(7, 4);
    bool digits = digit(d0) && digit(compilerDate[5]);
    for (char c : year)
        digits = digits && digit(c);
    if (month == 0 || !digits)
        return std::string(compilerDate);
    std::string out{d0, compilerDate[5], '.', static_cast<char>('0' + month / 10),
                    static_cast<char>('0' + month % 10), '.'};
    return out.append(year);
}

}  // namespace tirv
