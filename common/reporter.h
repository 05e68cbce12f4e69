#pragma once
// The one channel through which operations and pages talk to the user: status-bar texts,
// link state, progress and message boxes. The main window shows them; tests and the command-line
// tool record them and answer questions by script.
#include <QString>

namespace tirv {

enum class StatusIcon { None, Info, Ok, Warning, Error };

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

struct Message {
    QString caption;
    QString text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

struct Reporter {
    virtual ~Reporter() = default;
    virtual void status(const QString& text, StatusIcon icon) = 0;     // status-bar cell 0
    virtual void linkState(const QString& text, StatusIcon icon) = 0;  // status-bar cell 3
    virtual void progress(int value, int max) = 0;                     // max 0 hides the bar
    virtual Answer ask(const Message& m) = 0;
};

}  // namespace tirv
