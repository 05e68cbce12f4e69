#pragma once
// The relay clock as data: the seven registers 350–356 and their validity, the two display
// texts, the read, set and broadcast requests of both protocols, and the wait for a whole
// second. No Qt, no clock of its own: the computer's time comes in as a CalendarTime.
#include "common/calendar.h"
#include "configurator/link/connection_settings.h"
#include "configurator/link/frames.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tirv {

// Day, month, year − 2000, hour, minute, second, fraction, as read (registers 350–356).
using ClockRecord = std::array<std::uint16_t, 7>;
enum ClockField : std::size_t { Day, Month, Year, Hour, Minute, Second, Fraction };

// A computer's local time (full year).
struct CalendarTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Every field in its range; the fraction is hundredths on non-M models, milliseconds on M.
bool IsValidClock(const ClockRecord& r, bool mModel);

// "dd.mm.yy    hh:mm:ss.fff". The fraction is shown in milliseconds on every model (hundredths
// times ten), so half a second reads ".500" and never ".050".
std::string FormatRelayClock(const ClockRecord& r, bool mModel);
std::string FormatComputerClock(const CalendarTime& t);
// The status text of an invalid reading after the broadcast, with the raw values.
std::string FormatInvalidClock(const ClockRecord& r);

// Milliseconds from a time with `millisecond` to 1 ms past the next whole second; 0 when the
// clock reads a whole second already.
int WholeSecondWaitMs(int millisecond);
// The register values wrap outside 2000–2099, so such a time is never sent.
bool IsSettableYear(int year);

// The reply that stands in for the relay's when the port's pins 2 and 3 are joined (the link
// page's loopback selector at its first item) and the ТИРВ protocol reads the clock: a good
// frame for relay address 1, variant "Новая", holding 05.03.26 12:00:30.000.
inline constexpr char kLoopbackClockReply[] = ":=;?;FZ;C;A,?,V,H,,Z,;GOF#";

struct ClockRequest {
    std::vector<std::uint8_t> frame;  // empty: the settings cannot carry this request
    int replyLength = 0;              // Modbus: the whole reply; 0 for a text reply or none
};

// Read 350..356: Modbus function 3, or the ТИРВ protocol's "?" (not in variant 0, whose read
// carries no start address).
ClockRequest BuildClockReadRequest(const ConnectionSettings& s);
// Write 357..362 with day, month, year − 2000, hour, minute, second.
ClockRequest BuildClockSetRequest(const ConnectionSettings& s, const CalendarTime& t);
// The 11-byte 0x42 frame to every relay of the line.
ClockRequest BuildClockBroadcastRequest(const CalendarTime& t);

// Checks a read reply against its request and fills `out`; LinkResult::Good on success.
LinkResult ParseClockReadReply(const ConnectionSettings& s, std::span<const std::uint8_t> request,
                               std::span<const std::uint8_t> reply, ClockRecord& out);
// Checks the set acknowledgement.
LinkResult CheckClockSetReply(const ConnectionSettings& s, std::span<const std::uint8_t> request,
                              std::span<const std::uint8_t> reply);

}  // namespace tirv
