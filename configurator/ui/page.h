#pragma once
// Base of every page of the configurator's work area. A page is registered with the main
// window under its page id (see MainWindow::registerPage); the main window shows it, forwards
// the context toolbar commands to it and keeps its own scroll offset.
//
// A page:
//   - answers command(id) for the page commands the menu and toolbar send it;
//   - names its controls by numeric id (addControl), so that tests and the window reach them;
//   - paces exchanges with timers keyed by id: setTimer(id, ms) runs until killTimer(id),
//     each expiry calls onTimer(id);
//   - reports through shell().reporter(), never through a message box of its own.
#include "configurator/ui/page_timers.h"
#include "configurator/ui/shell.h"

#include <QWidget>
#include <map>

namespace tirv {

class Page : public QWidget {
public:
    Page(Shell& shell, int pageId, QWidget* parent = nullptr);

    int pageId() const { return m_pageId; }
    virtual void command(int id) { (void)id; }
    virtual QWidget* control(int id) const;
    template <typename W>
    W* control(int id) const { return qobject_cast<W*>(control(id)); }

    void setTimer(int id, int ms) { m_timers.setTimer(id, ms); }
    void killTimer(int id) { m_timers.killTimer(id); }
    bool timerActive(int id) const { return m_timers.isActive(id); }

    // Called by the main window.
    virtual void pageShown() {}
    // The user leaves the page for `nextPage`. A polling page stops its cyclic poll here and lets
    // a reply still in flight end on its own completion timer (476–479); nothing is cut off.
    virtual void pageHidden(int nextPage) { (void)nextPage; }
    virtual void setControlsLocked(bool locked) { (void)locked; }
    virtual void linkChanged() {}

protected:
    virtual void onTimer(int id) { (void)id; }
    void addControl(int id, QWidget* w);
    Shell& shell() const { return m_shell; }

private:
    Shell& m_shell;
    int m_pageId;
    PageTimers m_timers;
    std::map<int, QWidget*> m_controls;
};

}  // namespace tirv
