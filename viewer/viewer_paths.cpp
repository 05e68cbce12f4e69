#include "viewer/viewer_paths.h"

namespace tirv {

std::string CommandLineOscillogram(std::string_view raw)
{
    raw = raw.substr(0, kCommandLineLimit);
    if (raw.empty() || raw.back() != '"')
        return {};
    raw.remove_suffix(1);
    if (!raw.empty() && raw.front() == '"')
        raw.remove_prefix(1);
    if (raw.size() <= 3 || raw.substr(raw.size() - 3) != "tao")
        return {};
    return std::string(raw);
}

std::string ArgumentOscillogram(std::string_view joined)
{
    if (joined.empty())
        return {};
    if (joined.back() == '"')
        return CommandLineOscillogram(joined);
    std::string quoted;
    quoted.reserve(joined.size() + 2);
    quoted.append(1, '"').append(joined).append(1, '"');
    return CommandLineOscillogram(quoted);
}

std::string ImageFileName(std::string_view chosen, std::string_view ext, bool& tooLong)
{
    tooLong = false;
    // Only a dot of the file's own name counts, never one in a folder name.
    const std::size_t slash = chosen.find_last_of("/\\");
    const std::size_t dot = chosen.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(chosen);
    if (dot >= kImageNameDotLimit) {
        tooLong = true;
        return std::string(chosen);
    }
    return std::string(chosen.substr(0, dot + 1)) + std::string(ext);
}

}  // namespace tirv
