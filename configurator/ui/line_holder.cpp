#include "configurator/ui/line_holder.h"

namespace tirv {

LineHolder::LineHolder(ShellState& state, Hooks hooks, QObject* parent)
    : QObject(parent),
      m_state(state),
      m_hooks(std::move(hooks)),
      m_timers([this](int id) { timerFired(id); }, this)
{
}

void LineHolder::registerPoller(int pageId, int finishTimer, int handOverTimer)
{
    m_pollers[pageId] = {finishTimer, handOverTimer};
}

bool LineHolder::run(int pageId, Shell::ExchangeJob job)
{
    if (!m_state.busy) {
        start(pageId, std::move(job));
        return true;
    }
    // A left poll is ending: the request waits for it (one request; a second one is refused).
    if (m_handOverTimer && !m_held) {
        m_held = Held{pageId, std::move(job)};
        return true;
    }
    if (m_hooks.refused)
        m_hooks.refused();
    return false;
}

void LineHolder::start(int pageId, Shell::ExchangeJob job)
{
    m_state.busy = true;
    m_hooks.lock(true);
    m_pageId = pageId;
    const quint64 run = ++m_run;
    m_live = true;
    // The starter stays alive here while it runs, even when it ends the exchange at once.
    const auto starter = std::move(job.start);
    m_job = std::move(job);
    starter([this, run](bool) { ended(run); });
}

void LineHolder::ended(quint64 run)
{
    if (run != m_run || !m_live)
        return;  // told twice, or after dropped()
    m_live = false;
    m_job = {};
    if (m_handOverTimer) {
        m_replyEnded = true;
        if (!m_timers.isActive(m_handOverTimer))
            handOver();
        return;
    }
    m_state.busy = false;
    m_hooks.lock(false);
}

void LineHolder::pageLeft(int pageId, int nextPage)
{
    if (!m_state.busy || pageId != m_pageId || !m_job.finish || m_handOverTimer)
        return;
    const auto left = m_pollers.find(pageId);
    if (left == m_pollers.end())
        return;
    const auto next = m_pollers.find(nextPage);
    m_handOverTimer = next != m_pollers.end() ? next->second.handOverTimer : left->second.finishTimer;
    m_replyEnded = false;
    m_timers.setTimer(m_handOverTimer, m_hooks.pollPeriodMs ? m_hooks.pollPeriodMs() : 0);
    // Last: the poll may end at once (between two readings), which needs the timer armed.
    std::exchange(m_job.finish, nullptr)();
}

void LineHolder::timerFired(int id)
{
    m_timers.killTimer(id);
    // While the reply in flight still arrives, its own end hands the line on.
    if (id == m_handOverTimer && m_replyEnded)
        handOver();
}

void LineHolder::handOver()
{
    m_timers.killTimer(m_handOverTimer);
    m_handOverTimer = 0;
    m_replyEnded = false;
    if (m_hooks.settle)
        m_hooks.settle();
    m_state.busy = false;
    if (std::optional<Held> held = std::exchange(m_held, std::nullopt)) {
        start(held->pageId, std::move(held->job));
        return;
    }
    m_hooks.lock(false);
}

void LineHolder::abort()
{
    m_held.reset();
    if (m_job.abort) {
        const auto stop = m_job.abort;  // the job may end, and be cleared, inside it
        stop();
        return;
    }
    // Only the completion timer is left to wait for: the line is free now.
    if (m_handOverTimer && m_replyEnded)
        handOver();
}

void LineHolder::dropped()
{
    m_live = false;
    m_job = {};
    m_held.reset();
    if (m_handOverTimer) {
        m_timers.killTimer(m_handOverTimer);
        m_handOverTimer = 0;
    }
    m_state.busy = false;
    m_hooks.lock(false);
}

}  // namespace tirv
