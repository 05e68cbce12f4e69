#pragma once
// printf-style filling of the journals' "%i" / "%.2f" texts into UTF-8 strings.
#include <cstdio>
#include <string>

namespace tirv {

template <typename... Args>
std::string FormatJournalText(const char* format, Args... args)
{
    char buffer[256];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    if (n < 0)
        return {};
    if (static_cast<std::size_t>(n) < sizeof buffer)
        return std::string(buffer, static_cast<std::size_t>(n));
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

}  // namespace tirv
