#pragma once
// The process-wide state the main window owns and shares with every page.
#include "configurator/link/connection_settings.h"

#include <QString>

namespace tirv {

struct ShellState {
    ConnectionSettings link;
    bool busy = false;       // an exchange started from the main window is in flight
    bool minimized = false;  // suppresses the validation messages of the pages

    QString programFolder;  // empty when the folder path is unusable
    QString settingsPath;
    QString oscillogramPath;
    QString viewerPath;
};

}  // namespace tirv
