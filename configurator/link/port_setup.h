#pragma once
// Opening, configuring and closing the link's port, and the words of a port that cannot be
// opened. These work on the narrow Port interface, whatever port sits behind it.
#include "configurator/link/connection_settings.h"
#include "configurator/link/port.h"

namespace tirv {

class LinkState;
struct Reporter;

// Opens "COM<number>". On failure nothing is reported; see ReportPortUnavailable.
bool OpenPort(Port& port, int number);

// Line rate from the baud table, 8 data bits; parity and stop bits only for M models (others:
// none and one). A pseudo-terminal that refuses parity is accepted (it cannot carry it); a real
// port that refuses any setting fails.
bool ConfigurePort(Port& port, int baudIndex, Parity parity, StopBits stopBits, bool mModel);
bool ConfigurePort(Port& port, const LineSettings& line);
LineSettings LineFor(const ConnectionSettings& settings, bool mModel);

// Character gap of the protocol (10 ms for the ТИРВ protocol, the Modbus gap of the rate), then
// purges both directions.
void SetProtocolTimeouts(Port& port, Protocol protocol, int baudIndex);

// Closes the port and clears the link-established and exchange-in-progress flags.
void ClosePort(Port& port, LinkState& state);

// Status "Порт недоступен", link state "Нет связи с устр-вом" and the warning
// "Выбранный порт COM%i недоступен или занят другой программой".
void ReportPortUnavailable(Reporter& reporter, int number);

// The warning after an exception reply: "Устройство не может выполнить запрос" / "Предупреждение".
void ShowExceptionWarning(Reporter& reporter);

}  // namespace tirv
