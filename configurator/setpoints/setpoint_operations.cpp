#include "configurator/setpoints/setpoint_operations.h"

namespace tirv {

SetpointOperations::SetpointOperations(LinkSession& session, SetpointTransfer& transfer,
                                       const ConnectionSettings& settings,
                                       std::function<bool()> gather,
                                       std::function<void()> toFirmware)
    : m_session(session), m_transfer(transfer), m_settings(settings),
      m_gather(std::move(gather)), m_toFirmware(std::move(toFirmware))
{
}

void SetpointOperations::startRead(Done done)
{
    whenLinked(false, [this, done] {
        if (!m_transfer.startRead([this, done](const SetpointTransferOutcome& o) {
                transferEnded(o, done);
            }))
            transferEnded(SetpointTransferOutcome{}, done);
    }, done);
}

void SetpointOperations::startWrite(Done done)
{
    if (m_gather && !m_gather()) {
        SetpointOperationEnd end;
        end.stage = SetpointOperationEnd::Stage::NotGathered;
        done(end);
        return;
    }
    whenLinked(true, [this, done] {
        if (!m_transfer.startWrite([this, done](const SetpointTransferOutcome& o) {
                transferEnded(o, done);
            }))
            transferEnded(SetpointTransferOutcome{}, done);
    }, done);
}

void SetpointOperations::abort()
{
    m_session.abort();
    m_transfer.abort();
}

void SetpointOperations::whenLinked(bool write, std::function<void()> next, const Done& done)
{
    // Over Ethernet a read opens its own TCP connection: there is no serial link to set up,
    // only the address and port typed into the link page to take.
    if (!write && m_settings.channel == Channel::Ethernet) {
        if (m_session.tcpFieldsReady()) {
            next();
            return;
        }
        SetpointOperationEnd end;
        end.stage = SetpointOperationEnd::Stage::Link;
        end.link = LinkReady::Failed;
        done(end);
        return;
    }
    m_session.ensureLink({write}, [this, next, done](LinkReady ready) {
        if (ready == LinkReady::Ready) {
            next();
            return;
        }
        SetpointOperationEnd end;
        end.stage = SetpointOperationEnd::Stage::Link;
        end.link = ready;
        done(end);
        if (ready == LinkReady::ToFirmware && m_toFirmware)
            m_toFirmware();
    });
}

void SetpointOperations::transferEnded(const SetpointTransferOutcome& o, const Done& done)
{
    SetpointOperationEnd end;
    end.transfer = o;
    done(end);
}

}  // namespace tirv
