#include "configurator/ui/page.h"

namespace tirv {

Page::Page(Shell& shell, int pageId, QWidget* parent)
    : QWidget(parent), m_shell(shell), m_pageId(pageId),
      m_timers([this](int id) { onTimer(id); }, this)
{
}

QWidget* Page::control(int id) const
{
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void Page::addControl(int id, QWidget* w)
{
    m_controls[id] = w;
    w->setObjectName(QString::number(id));
}

}  // namespace tirv
