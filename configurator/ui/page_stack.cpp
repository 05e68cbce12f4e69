#include "configurator/ui/page_stack.h"

#include <QStackedWidget>
#include <QVBoxLayout>

namespace tirv {

PageStack::PageStack(Shell& shell, int pageId, std::vector<Page*> pages, QWidget* parent)
    : Page(shell, pageId, parent), m_pages(std::move(pages)), m_stack(new QStackedWidget)
{
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(m_stack);
    for (Page* p : m_pages) {
        m_stack->addWidget(p);
        p->show();
    }
    m_stack->setCurrentIndex(0);
}

void PageStack::showIndex(int k)
{
    if (k < 0 || k >= int(m_pages.size()))
        return;
    m_current = k;
    m_stack->setCurrentIndex(k);
}

void PageStack::command(int id) { current()->command(id); }

QWidget* PageStack::control(int id) const { return current()->control(id); }

void PageStack::pageShown() { current()->pageShown(); }

void PageStack::setControlsLocked(bool locked)
{
    for (Page* p : m_pages)
        p->setControlsLocked(locked);
}

void PageStack::linkChanged()
{
    for (Page* p : m_pages)
        p->linkChanged();
}

void PageStack::pageHidden(int nextPage) { current()->pageHidden(nextPage); }

}  // namespace tirv
