#pragma once
// The range test of an integer-layout reading before anything of it is shown: the temperature
// within ±10000 and every angle the layout carries within ±3599 tenths of a degree. The float
// layout has no range test.
#include <array>
#include <cstddef>

#include "common/message.h"
#include "configurator/journals/measurement_values.h"

namespace tirv {

inline constexpr std::int32_t kMaxTemperatureRaw = 10000;
inline constexpr std::int32_t kMaxAngleRaw = 3599;
// Angle slots are numbered from 1 in the messages; slot n is value 13 + n.
inline constexpr std::size_t kIntegerLayoutAngles = kIntegerLayoutValues - kFirstAngleValue;

// A serial reading tells each violation in a message box; a Modbus TCP reading only in its status.
enum class MeasurementPath { Serial, Tcp };

struct MeasurementCheck {
    bool valid = true;
    // Message boxes to show, in the order found (serial path only).
    std::array<Message, 1 + kIntegerLayoutAngles> messages{};
    std::size_t messageCount = 0;
    const char* status = nullptr;  // with the error icon, when not valid

    std::span<const Message> shownMessages() const
    {
        return std::span(messages).first(messageCount);
    }
};

MeasurementCheck CheckMeasurements(const MeasurementTable& table, MeasurementPath path);

}  // namespace tirv
