#include "configurator/link/port_setup.h"

#include "gui/reporter.h"
#include "configurator/link/registers.h"
#include "configurator/link/link_state.h"
#include "configurator/link/texts.h"

namespace tirv {

using link_texts::Text;

bool OpenPort(Port& port, int number)
{
    if (port.isOpen())
        port.close();
    return port.open(number);
}

bool ConfigurePort(Port& port, const LineSettings& line) { return port.configure(line); }

bool ConfigurePort(Port& port, int baudIndex, Parity parity, StopBits stopBits, bool mModel)
{
    return port.configure({baudIndex, parity, stopBits, mModel});
}

LineSettings LineFor(const ConnectionSettings& settings, bool mModel)
{
    return {settings.baudIndex, settings.parity, settings.stopBits, mModel};
}

void SetProtocolTimeouts(Port& port, Protocol protocol, int baudIndex)
{
    port.setCharacterGapMs(protocol == Protocol::Tirv ? kTextCharGapMs : ModbusCharGapMs(baudIndex));
    port.purge();
}

void ClosePort(Port& port, LinkState& state)
{
    port.close();
    state.setEstablished(false);
    state.setExchangeInProgress(false);
    state.notifyPortClosed();
}

void ReportPortUnavailable(Reporter& reporter, int number)
{
    reporter.status(Text(link_texts::kPortUnavailableStatus), StatusIcon::Warning);
    reporter.linkState(Text(link_texts::kNoLink), StatusIcon::Warning);
    reporter.ask(Box(Text(link_texts::kCaptionWarning), Text(link_texts::kPortBusy).arg(number),
                  MsgIcon::Warning, MsgButtons::Ok));
}

void ShowExceptionWarning(Reporter& reporter)
{
    reporter.ask(Box(Text(link_texts::kCaptionWarning), Text(link_texts::kDeviceCannotExecute),
                  MsgIcon::Warning, MsgButtons::Ok));
}

}  // namespace tirv
