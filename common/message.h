#pragma once
// A message box as plain data: caption, text, icon and buttons, UTF-8. Domain code (file checks,
// loaders, decoders) produces these without knowing how they are shown; the window shows them in
// a message box, tirv-cli prints them, tests record and answer them.
#include <string>

namespace tirv {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

struct Message {
    std::string caption;  // UTF-8
    std::string text;     // UTF-8, arguments already filled in
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

}  // namespace tirv
