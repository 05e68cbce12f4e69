#pragma once
// The one wait of the GUI tests: runs the event loop until a condition holds or time is up.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace tirv::test {

// Runs the event loop in slices of `sliceMs` until `done` holds or `ms` have passed; an empty
// `done` just lets the time pass. Returns whether `done` held at the end.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 8000, int sliceMs = 10)
{
    QElapsedTimer t;
    t.start();
    const auto held = [&] { return done && done(); };
    while (!held() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, sliceMs);
    return held();
}

}  // namespace tirv::test
