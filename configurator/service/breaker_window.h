#pragma once
// The breaker window (dialog 101, command 190): "Включить", "Отключить", "Деблокирование". A
// modeless window of the main window, destroyed when closed. Each click sends exactly one
// command as the window's exchange (refused with the busy text while another exchange holds the
// line); there is no default button, so Enter sends nothing.
#include "configurator/service/breaker_control.h"

#include <QDialog>
#include <map>

class QPushButton;

namespace tirv {

class Shell;

class BreakerWindow : public QDialog {
public:
    BreakerWindow(Shell& shell, BreakerControl& control, QWidget* parent);
    ~BreakerWindow() override;

    QPushButton* button(BreakerCommand command) const;
    void send(BreakerCommand command);

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    Shell& m_shell;
    BreakerControl& m_control;
    std::map<BreakerCommand, QPushButton*> m_buttons;
};

}  // namespace tirv
