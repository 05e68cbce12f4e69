#pragma once
// Names the viewer derives from its command line and its save dialogs. Pure string rules.
#include <cstddef>
#include <string>
#include <string_view>

namespace tirv {

inline constexpr std::size_t kCommandLineLimit = 512;
inline constexpr std::size_t kImageNameDotLimit = 252;  // a 256-character path buffer

// The oscillogram named on the command line, or empty for the default file. Only a quoted path
// counts: a trailing quote is dropped, then a leading one if there is one; what remains must be
// longer than three characters and end in lower-case "tao".
std::string CommandLineOscillogram(std::string_view raw);

// The oscillogram named by the program's arguments (joined by blanks). A shell takes the quotes
// off a quoted path, so an argument without them stands for the quoted path; one that still has
// them (`'"/path/file.tao"'`) is taken as it is, never quoted twice.
std::string ArgumentOscillogram(std::string_view joined);

// The image file name for a name chosen in the save dialog: the part after the last dot becomes
// `ext`. A dot at character 252 or later sets tooLong and keeps the name as chosen; a file name
// without a dot (a dot in a folder name does not count) is kept as typed.
std::string ImageFileName(std::string_view chosen, std::string_view ext, bool& tooLong);

}  // namespace tirv
