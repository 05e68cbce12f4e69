#pragma once
// Timers keyed by numeric id on top of QTimer, the way pages pace their exchanges: a timer runs
// periodically from setTimer until killTimer; a one-shot use kills it in its handler.
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>

namespace tirv {

class PageTimers : public QObject {
public:
    explicit PageTimers(std::function<void(int)> onTimer, QObject* parent = nullptr);
    // Starts the timer or restarts it with the new period.
    void setTimer(int id, int ms);
    void killTimer(int id);
    bool isActive(int id) const;
    void killAll();

private:
    std::function<void(int)> m_onTimer;
    std::map<int, QTimer*> m_timers;
};

}  // namespace tirv
