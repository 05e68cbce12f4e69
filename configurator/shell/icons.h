#pragma once
// The configurator's own icons, drawn in code: the toolbar strip, the status-bar icons and the
// window icon.
#include "gui/reporter.h"

#include <QIcon>

namespace tirv {

QIcon ToolbarIcon(int image);  // 0–15, 40 × 32
QIcon StatusBarIcon(StatusIcon icon);
QIcon AppIcon();

}  // namespace tirv
