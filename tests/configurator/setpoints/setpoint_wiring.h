#pragma once
// The program's wiring of the setpoint operations over one port, shared by the test rigs: paced
// exchange, link check, chunked and Modbus TCP transfers, and the setpoint transfer with the
// profile and image it works on. A rig derives first from what owns its port, reporter and
// settings, then from this, so that those exist when the wiring is made.
#include "configurator/link/chunked_transfer.h"
#include "configurator/link/link_check.h"
#include "configurator/link/link_state.h"
#include "configurator/link/modbus_tcp_transfer.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_transfer.h"

namespace tirv::test {

struct SetpointWiring {
    // `mFromProfile`: the link takes the relay for an M model when the profile is one; otherwise
    // never.
    SetpointWiring(Port& port, Reporter& reporter, const ConnectionSettings& settings,
                   int modelCode, bool mFromProfile)
        : paced(port),
          check(context(port, reporter, settings, mFromProfile), paced),
          transfer(context(port, reporter, settings, mFromProfile), paced, check),
          tcp(reporter, state),
          profile(ProfileForModel(modelCode)),
          image(DefaultImage(profile)),
          setpoints(transfer, tcp, reporter, settings, profile, image)
    {
    }

    LinkState state;
    PacedExchange paced;
    DefaultLinkCheck check;
    ChunkedTransfer transfer;
    ModbusTcpTransfer tcp;
    ModelProfile profile;
    SetpointImage image;
    SetpointTransfer setpoints;

private:
    LinkContext context(Port& port, Reporter& reporter, const ConnectionSettings& settings,
                        bool mFromProfile)
    {
        LinkContext c{port, state, reporter, settings};
        if (mFromProfile)
            c.mModel = [this] { return profile.isM; };
        return c;
    }
};

}  // namespace tirv::test
