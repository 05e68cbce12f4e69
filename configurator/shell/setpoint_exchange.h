#pragma once
// The setpoint read and write sequences as the main window starts them once the link is up.
// The window does not know how they talk to the relay; `done` is called on every ending path
// (success, failure, abort) so that the controls are unlocked.
#include <functional>

namespace tirv {

class SetpointExchange {
public:
    virtual ~SetpointExchange() = default;
    virtual void startRead(std::function<void(bool ok)> done) = 0;
    virtual void startWrite(std::function<void(bool ok)> done) = 0;
    virtual void abort() = 0;
};

}  // namespace tirv
