#pragma once
// Cyclic polling of the live I/O states: the shortest period of each line speed and the pause
// left after a reading. The reading itself takes about the base time 3 750 000 / baud + 200 ms.
#include <array>

namespace tirv {

// By baud index 0..9 (1200 … 460800 bit/s).
inline constexpr std::array<int, 10> kMinIoStatePeriodMs{3450, 1900, 1100, 700, 500,
                                                         450,  400,  350,  300, 250};
inline constexpr int kMaxIoStatePeriodMs = 9999;  // the field takes four digits

// trunc(3 750 000 / baud + 200); an index outside the table counts as the slowest speed.
int IoStateBaseMs(int baudIndex);
// The table's minimum (the slowest speed's for an index outside it).
int MinIoStatePeriodMs(int baudIndex);
// The period polling runs with: at least the table's minimum and at least base + 100 ms, which
// is the larger one at 230400 and 460800 bit/s (316 and 308 ms); at most 9999.
int IoStatePollPeriodMs(int requestedMs, int baudIndex);
// The timer armed after a reading: period − base, never negative.
int IoStatePollPauseMs(int periodMs, int baudIndex);

}  // namespace tirv
