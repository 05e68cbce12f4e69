#pragma once
// The process-wide state the main window owns and shares with every page.
#include "configurator/link/connection_settings.h"

#include <QString>
#include <utility>

namespace tirv {

struct ShellState {
    ConnectionSettings link;
    bool busy = false;       // an exchange started from the main window is in flight
    bool minimized = false;  // suppresses the validation messages of the pages
    // The window came back from the task bar, or its title bar was used: the next field that
    // loses the focus lost it through the window, not the user, and its message is dropped once.
    bool skipFieldMessage = false;
    // Whether a field's validation message is to be shown now (the one to skip is used up).
    bool takeFieldMessage() { return !std::exchange(skipFieldMessage, false); }

    QString programFolder;  // empty when the folder path is unusable
    QString settingsPath;
    QString oscillogramPath;
    QString viewerPath;
};

}  // namespace tirv
