#pragma once
// COMTRADE export of a loaded oscillogram in the IEEE C37.111-1991 form: a configuration file
// (.CFG, Windows-1251), an empty header file (.HDR) and an ASCII data file (.DAT) with one base
// name. Works on the normalised image: chronological samples and digital positions.
//
// The contents are built in memory (ComtradeConfiguration, ComtradeData) so that they can be
// checked byte for byte; ExportComtrade applies the name rules and writes the three files,
// telling every failure through the message sink.
//
// No Qt here: the viewer window and the command line share it.
#include "common/oscillogram_image.h"
#include "common/oscillogram_messages.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tirv {

inline constexpr int kComtradeInputs = 16;
inline constexpr int kComtradeOutputs = 16;
inline constexpr int kComtradeStatusChannels = kComtradeInputs + kComtradeOutputs;
// The save dialog's path buffer holds 256 characters; a dot at character 252 or later leaves no
// room for the "CFG" extension.
inline constexpr std::size_t kComtradeNameBuffer = 256;
inline constexpr std::size_t kComtradeDotLimit = kComtradeNameBuffer - 4;

struct ComtradeNames {
    std::string cfg, hdr, dat;
    bool operator==(const ComtradeNames&) const = default;
};

// The three file names for a name chosen in the save dialog (UTF-8): the extension becomes "CFG"
// (a name without one gets ".CFG"); ".HDR" and ".DAT" replace its last three characters. A dot
// too far into the name gives the name-too-long message and keeps the name as chosen.
ComtradeNames ComtradeFileNames(std::string_view chosen, MessageSink& sink);

// Analog multiplier a of a channel: its scale coefficient times the factor of its kind, layout
// and the device's range factor.
double ComtradeMultiplier(const OscillogramImage& image, OscChannel c);

// File contents of a loaded image: the configuration file in Windows-1251, the data file in ASCII.
std::string ComtradeConfiguration(const OscillogramImage& image);
std::string ComtradeData(const OscillogramImage& image);

enum class ComtradeResult {
    Written,        // all three files
    HeaderMissing,  // .CFG and .DAT written, the empty .HDR could not be created (message given)
    Failed,         // .CFG or .DAT not written (message given), or no oscillogram loaded
};

// Writes the three files for a loaded image under the name chosen in the save dialog.
ComtradeResult ExportComtrade(const OscillogramImage& image, std::string_view chosen, MessageSink& sink);

}  // namespace tirv
