#pragma once
// Names of input functions and output signals, and the LED labels drawn on the front panel.
#include <string>

namespace tirv {

// The text of a function or signal index; an index outside the list gives an empty string.
const char* InputFunctionText(int function);
const char* OutputSignalText(int signal);

// The label of an LED showing `signal`: "F94" on the 5-LED panel, "F94: Пуск ОЗЗ-ВГ" on the 8-LED
// panel and in the pop-up's list. An index outside 0..94 gives "F<index>" alone.
std::string LedLabel(int signal, bool withName);

}  // namespace tirv
