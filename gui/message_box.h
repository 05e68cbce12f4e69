#pragma once
// Shows a message as a modal QMessageBox and returns the button pressed; the one place either
// program opens a message box.
#include "common/message.h"

class QWidget;

namespace tirv {

Answer ShowMessageBox(QWidget* parent, const Message& m);

}  // namespace tirv
