#pragma once
// The one channel through which operations and pages talk to the user: status-bar texts,
// link state, progress and message boxes. The main window shows them; tests and the command-line
// tool record them and answer questions by script. The message itself is the Qt-free record of
// common/message.h, so domain code produces the same messages without Qt.
#include "common/message.h"

#include <QString>

namespace tirv {

enum class StatusIcon { None, Info, Ok, Warning, Error };

struct Reporter {
    virtual ~Reporter() = default;
    virtual void status(const QString& text, StatusIcon icon) = 0;     // status-bar cell 0
    virtual void linkState(const QString& text, StatusIcon icon) = 0;  // status-bar cell 3
    virtual void progress(int value, int max) = 0;                     // max 0 hides the bar
    virtual Answer ask(const Message& m) = 0;
};

// A message box from Qt strings.
inline Message Box(const QString& caption, const QString& text, MsgIcon icon = MsgIcon::None,
                   MsgButtons buttons = MsgButtons::Ok)
{
    return {caption.toStdString(), text.toStdString(), icon, buttons};
}

}  // namespace tirv
