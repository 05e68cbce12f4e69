#pragma once
// The setpoint read and write as the user starts them: the link session's connection procedure,
// then the setpoint transfer. The window and tirv-cli both run these; neither knows the other.
// A write gathers the image first (the window: from the tabs, with their messages), so a bad
// field is reported before anything is sent.
#include "configurator/link/link_session.h"
#include "configurator/setpoints/setpoint_transfer.h"

#include <functional>

namespace tirv {

struct SetpointOperationEnd {
    enum class Stage { NotGathered, Link, Transfer };
    Stage stage = Stage::Transfer;
    LinkReady link = LinkReady::Ready;   // Stage::Link: why the link is not up
    SetpointTransferOutcome transfer;    // Stage::Transfer
    bool ok() const { return stage == Stage::Transfer && transfer.ok(); }
};

class SetpointOperations {
public:
    using Done = std::function<void(const SetpointOperationEnd&)>;
    // `gather` fills the image from what the user edited (false: a message was shown);
    // `toFirmware` is called when the relay waits in its bootloader and the user chose the update.
    SetpointOperations(LinkSession& session, SetpointTransfer& transfer,
                       const ConnectionSettings& settings, std::function<bool()> gather,
                       std::function<void()> toFirmware);

    // `done` is called once on every path.
    void startRead(Done done);
    void startWrite(Done done);
    void abort();

private:
    void whenLinked(bool write, std::function<void()> next, const Done& done);
    void transferEnded(const SetpointTransferOutcome& o, const Done& done);

    LinkSession& m_session;
    SetpointTransfer& m_transfer;
    const ConnectionSettings& m_settings;
    std::function<bool()> m_gather;
    std::function<void()> m_toFirmware;
};

}  // namespace tirv
