#include "configurator/ui/page_timers.h"

namespace tirv {

PageTimers::PageTimers(std::function<void(int)> onTimer, QObject* parent)
    : QObject(parent), m_onTimer(std::move(onTimer))
{
}

void PageTimers::setTimer(int id, int ms)
{
    QTimer*& t = m_timers[id];
    if (!t) {
        t = new QTimer(this);
        connect(t, &QTimer::timeout, this, [this, id] { m_onTimer(id); });
    }
    t->start(ms < 0 ? 0 : ms);
}

void PageTimers::killTimer(int id)
{
    auto it = m_timers.find(id);
    if (it != m_timers.end())
        it->second->stop();
}

bool PageTimers::isActive(int id) const
{
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second->isActive();
}

void PageTimers::killAll()
{
    for (auto& [id, t] : m_timers)
        t->stop();
}

}  // namespace tirv
