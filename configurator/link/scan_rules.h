#pragma once
// The network scan without its line: the ranges as the user gives them, the order of the probes
// (every address at the highest speed first, then the next lower speed, skipping addresses
// already found), their repeats and the progress, the probe's waits and the row texts. No Qt.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tirv {

inline constexpr int kScanFirstRegister = 130;  // the identity block, as the link check reads it
inline constexpr int kScanRegisterCount = 5;
inline constexpr int kScanReplyBytes = 2 * kScanRegisterCount + 5;

struct ScanRange {
    int lowAddress = 1;
    int highAddress = 1;
    int lowBaud = 0;   // baud indices
    int highBaud = 0;
};

// The two address fields and the two speed lists in either order.
ScanRange NormalizedScanRange(int address1, int address2, int baud1, int baud2);

// The waits of one probe at a speed: sending the 8-byte request, and the first byte of the
// 15-byte reply (the same time is then allowed for the rest).
int ScanWriteWaitMs(int baudIndex);
int ScanReplyWaitMs(int baudIndex);

// The model column: " ТИРВ - %i" for 306 and 705–707, " ТИРВ - %iМ" with the code − 10 for
// 715–717, " ТИРВ" for any other code (UTF-8).
std::string ScanModelText(int modelCode);

// Where the scan stands. Each probe is followed by probed(found); the cursor moves on to the
// next probe or ends.
class ScanCursor {
public:
    ScanCursor(const ScanRange& range, int repeatCount);

    bool done() const { return m_done; }
    int address() const { return m_address; }
    int baudIndex() const { return m_baud; }
    // The speed changed with the last step: the line must be set up again.
    bool speedChanged() const { return m_speedChanged; }
    // Progress over speeds × addresses: positions passed so far, and the whole range.
    int progress() const { return m_position; }
    int progressMax() const;
    int probes() const { return m_probes; }
    bool found(int address) const;

    void probed(bool answered);

private:
    void advance();
    bool nextAddress();

    ScanRange m_range;
    int m_repeatCount;
    int m_address;
    int m_baud;
    int m_tries = 0;
    int m_position = 1;
    int m_probes = 0;
    bool m_done = false;
    bool m_speedChanged = false;
    std::array<bool, 256> m_found{};
};

}  // namespace tirv
