#pragma once
// A page made of several pages shown one at a time in the same place (the five setpoint tabs):
// the window hosts it as one page with one scroll offset; commands and control look-ups go to
// the page shown, locks and link changes to all of them.
#include "configurator/ui/page.h"

#include <vector>

class QStackedWidget;

namespace tirv {

class PageStack : public Page {
public:
    PageStack(Shell& shell, int pageId, std::vector<Page*> pages, QWidget* parent = nullptr);

    int currentIndex() const { return m_current; }
    Page* current() const { return m_pages[std::size_t(m_current)]; }
    const std::vector<Page*>& pages() const { return m_pages; }
    // Shows page k of the stack (the window shows the stack itself).
    void showIndex(int k);

    void command(int id) override;
    QWidget* control(int id) const override;
    void pageShown() override;
    void setControlsLocked(bool locked) override;
    void linkChanged() override;
    void pageHidden(int nextPage) override;

private:
    std::vector<Page*> m_pages;
    QStackedWidget* m_stack;
    int m_current = 0;
};

}  // namespace tirv
