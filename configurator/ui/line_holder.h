#pragma once
// Who holds the device line among the exchanges started from the window. One at a time: a second
// request is refused with a visible status, and the window stays locked until the exchange has
// ended on every path. A page's poll holds the line between its readings as well.
//
// When the user leaves a polling page, the poll is told to finish: the reply in flight ends on
// its own (nothing is cut off, nothing purged while it still arrives), and the completion timer
// (476–479) hands the line on once that reply has ended and one poll period has passed: the
// port is settled and a request made meanwhile starts then, instead of being refused.
#include "configurator/ui/page_timers.h"
#include "configurator/ui/shell.h"

#include <QObject>
#include <functional>
#include <map>
#include <optional>

namespace tirv {

class LineHolder : public QObject {
public:
    struct Hooks {
        std::function<void(bool locked)> lock;  // the menu, the toolbar and the pages' controls
        std::function<void()> refused;          // a request refused: say so
        std::function<void()> settle;           // clear the port's errors and purge its input
        std::function<int()> pollPeriodMs;      // the completion timers' period
    };
    LineHolder(ShellState& state, Hooks hooks, QObject* parent = nullptr);

    // A polling page's completion timers: `finishTimer` when its poll is left for a page without
    // one (478, 479), `handOverTimer` when the user comes to it while another page's poll ends
    // (476, 477).
    void registerPoller(int pageId, int finishTimer, int handOverTimer);

    // Runs an exchange of page `pageId`; false when it was refused.
    bool run(int pageId, Shell::ExchangeJob job);
    // The user leaves `pageId` for `nextPage`: a poll of that page is told to finish.
    void pageLeft(int pageId, int nextPage);
    // Esc or the stop command: the exchange in flight stops; a request held for later is dropped.
    void abort();
    // The exchange in flight is gone without its ending (the TCP worker lost the connection).
    void dropped();

    bool holdsLine() const { return m_state.busy; }
    // Whether `pageId` registered a poll.
    bool polls(int pageId) const { return m_pollers.count(pageId) != 0; }
    // The completion timer armed for a left poll, 0 when none.
    int handOverTimer() const { return m_handOverTimer; }
    bool timerActive(int id) const { return m_timers.isActive(id); }

private:
    struct Poller {
        int finishTimer = 0;
        int handOverTimer = 0;
    };
    struct Held {
        int pageId = 0;
        Shell::ExchangeJob job;
    };
    void start(int pageId, Shell::ExchangeJob job);
    void ended(quint64 run);
    void timerFired(int id);
    void handOver();

    ShellState& m_state;
    Hooks m_hooks;
    PageTimers m_timers;
    std::map<int, Poller> m_pollers;
    Shell::ExchangeJob m_job;
    int m_pageId = 0;
    quint64 m_run = 0;
    bool m_live = false;  // the exchange of run m_run has not ended yet
    int m_handOverTimer = 0;  // a left poll is finishing
    bool m_replyEnded = false;  // … and its reply in flight has ended
    std::optional<Held> m_held;
};

}  // namespace tirv
