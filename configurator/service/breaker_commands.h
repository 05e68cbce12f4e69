#pragma once
// Remote control of the breaker ("ДУ"): the three commands as a table, their one-register
// request over Modbus or the ТИРВ protocol, the reply's check and the texts of every outcome.
// No Qt.
#include "configurator/link/connection_settings.h"
#include "configurator/link/frames.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tirv {

enum class BreakerCommand { Close, Open, Unblock };

struct BreakerRow {
    BreakerCommand command;
    int control;          // the window's button
    const char* caption;  // its text
    std::uint16_t reg;
    std::uint16_t value;
    const char* progress;  // status field 0 while the command travels
};

std::span<const BreakerRow> BreakerTable();
const BreakerRow& BreakerRowOf(BreakerCommand command);

struct BreakerRequest {
    std::vector<std::uint8_t> frame;  // empty when the settings cannot form one
    int waitMs = 0;
};

BreakerRequest BuildBreakerRequest(const ConnectionSettings& settings, BreakerCommand command);

// The reply's LinkResult (its CRC included) against the request that was sent.
LinkResult CheckBreakerReply(const ConnectionSettings& settings,
                             std::span<const std::uint8_t> request,
                             std::span<const std::uint8_t> reply);

struct BreakerOutcome {
    const char* status;        // status field 0 (UTF-8)
    bool ok = false;
    bool linkLost = false;     // the link is marked not established
    bool exceptionWarning = false;  // "Устройство не может выполнить запрос" is shown too
    bool refused = false;      // the relay answered and would not do it (blocked, exception)
};

// What a command's reply means; `received` false when nothing arrived at all.
BreakerOutcome BreakerResult(BreakerCommand command, Protocol protocol, bool received,
                             LinkResult result);

}  // namespace tirv
