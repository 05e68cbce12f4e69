#pragma once
// One QApplication for a GoogleTest executable of widget tests, made on first use.
#include <QApplication>

namespace tirv::test {

inline QApplication& GuiApp()
{
    static int argc = 1;
    static char name[] = "tirv-gui-test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down from static destructors crashes at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace tirv::test
