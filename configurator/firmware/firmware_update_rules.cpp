#include "configurator/firmware/firmware_update_rules.h"

#include <charconv>

namespace tirv {

TimingValue TakeTimingField(const TimingFieldRule& rule, std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return {rule.min, rule.emptyText};
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < rule.min ||
        value > rule.max)
        return {rule.min, rule.rangeText};
    return {value, nullptr};
}

}  // namespace tirv
