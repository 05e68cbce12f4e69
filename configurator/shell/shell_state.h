#pragma once
// The process-wide state the main window owns and shares with every page.
#include "configurator/link/connection_settings.h"

#include <QString>

namespace tirv {

struct ShellState {
    ConnectionSettings link;
    int modelCode = 715;  // 0, 306, 705, 706, 707, 715, 716, 717

    bool busy = false;               // an exchange started from the main window is in flight
    bool linkUp = false;             // the serial link is open and the device answered
    bool connecting = false;         // an automatic connection runs on behalf of a read or write
    bool failedOnce = false;         // the next failure first makes one more connection attempt
    bool bootloaderWaiting = false;  // the relay answered from its bootloader
    bool abortRequested = false;     // read by the timer handlers of exchanges
    bool minimized = false;          // suppresses the validation messages of the setpoint pages
    bool linkCheckFromTimer = false;  // the link check now sent to the link page came from 480

    QString programFolder;  // empty when the folder path is unusable
    QString settingsPath;
    QString oscillogramPath;
    QString viewerPath;

    bool isM() const { return modelCode >= 715; }
};

}  // namespace tirv
