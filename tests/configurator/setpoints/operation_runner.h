#pragma once
// Running one setpoint operation to its end while the event loop turns, for every test rig.
#include "support/wait.h"
#include "configurator/setpoints/setpoint_transfer.h"
#include "image_at.h"

#include <QCoreApplication>

#include <optional>

namespace tirv::test {

// Runs a read (or a write) to its end. Nothing when it did not start or did not end in time.
inline std::optional<SetpointTransferOutcome> RunSetpointOperation(SetpointTransfer& setpoints,
                                                                   bool write, int timeoutMs)
{
    std::optional<SetpointTransferOutcome> outcome;
    auto done = [&outcome](const SetpointTransferOutcome& o) { outcome = o; };
    const bool started = write ? setpoints.startWrite(done) : setpoints.startRead(done);
    if (!started)
        return std::nullopt;
    WaitUntil([&outcome] { return outcome.has_value(); }, timeoutMs, 5);
    return outcome;
}

}  // namespace tirv::test
