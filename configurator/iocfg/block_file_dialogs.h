#pragma once
// The file steps the I/O and LED pages share for ".tio" and ".tld": which file to open, reading
// it whole, and saving through the dialog, each failure with the program's message.
#include "configurator/ui/shell.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tirv {

struct BlockFileTexts {
    const char* openTitle;
    const char* saveTitle;
    const char* filter;
    const char* extension;
};

// The command line's file of `commandLineKind`, else the one chosen in the open dialog; empty
// when none was chosen.
QString ChooseBlockFileToOpen(Shell& shell, const BlockFileTexts& texts, int commandLineKind);
// The whole file, or nullopt after "Невозможно открыть файл. Код ошибки %i".
std::optional<std::vector<std::uint8_t>> ReadBlockFile(Shell& shell, const QString& path);
// Asks where to save and writes `bytes()` there; the failure message, or, unless an exchange
// runs, `savedStatus`. Nothing is written when the dialog is cancelled.
void SaveBlockFile(Shell& shell, const BlockFileTexts& texts,
                   const std::function<std::vector<std::uint8_t>()>& bytes, const char* savedStatus);

}  // namespace tirv
