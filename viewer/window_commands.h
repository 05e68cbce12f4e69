#pragma once
// The viewer's command table (menu place, toolbar picture and separators, tooltip per command)
// and the pictures drawn for the toolbar and the window.
#include <QIcon>

namespace tirv::viewer {

enum MenuPlace { MFile, MImage, MOsc, MTime, MValues, MSettings, MInfo };

struct CommandRow {
    int id;
    MenuPlace menu;
    const char* text;
    bool checkable;
    int image;        // toolbar picture, -1 when not on the toolbar
    int groupBefore;  // separators on the toolbar before the button
    const char* tip;
};

extern const CommandRow kCommands[20];

QIcon ToolbarIcon(int image);  // 36 × 32
QIcon WindowIcon();

}  // namespace tirv::viewer
