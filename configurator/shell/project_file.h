#pragma once
// The project file (".tirv"): the model code, three reserved words, the setpoint image, the two
// I/O tables and the LED settings, closed by the word-array CRC. Its size alone gives its model
// class; a file of the other class may switch the program's model when the user agrees.
#include "configurator/iocfg/io_image.h"
#include "configurator/iocfg/led_image.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_image.h"
#include "configurator/shell/setpoint_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tirv {

inline constexpr int kIoProjectWords = 128;  // two tables of 16 entries × 4 words

// LED words in a project: 5 entries of 3 words non-M, 8 entries M.
constexpr int ProjectLedWords(bool isM)
{
    return isM ? 24 : 15;
}

// 1052 bytes non-M, 1136 bytes M.
constexpr std::size_t ProjectFileBytes(bool isM)
{
    return static_cast<std::size_t>((isM ? 127 : 115) + ProjectLedWords(isM) + kIoImageWords +
                                    kFileHeaderWords + 1) *
           4;
}

struct ProjectContent {
    SetpointImage setpoints{};  // the class's image words; the rest 0
    IoImage io;
    LedImage leds;  // a non-M project holds LEDs 1–5; LEDs 6–8 read as 0
};

struct ProjectFileRead {
    FileReadSteps steps;
    int fileModelCode = 0;
    // The file is of the other class: the first question asks to switch the model, and the
    // caller applies the file's model (profile, pages, model list) before the content.
    bool switchesModel = false;
    ProjectContent content;
};

// Opening a project while `current` is the model profile. Every part of the file is checked here,
// so the caller changes nothing unless the whole file is good and every question was answered OK.
ProjectFileRead ParseProjectFile(std::span<const std::uint8_t> bytes, const ModelProfile& current);

// The project saved with the current model code.
std::vector<std::uint8_t> BuildProjectFile(const ModelProfile& current,
                                           const ProjectContent& content);

}  // namespace tirv
