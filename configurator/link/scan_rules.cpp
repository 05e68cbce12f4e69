#include "configurator/link/scan_rules.h"
#include "common/relay_family.h"

#include "configurator/link/registers.h"

#include <algorithm>
#include <cstdio>

namespace tirv {

namespace {

constexpr std::size_t kScanRequestBytes = 8;

int ClampAddress(int a) { return std::clamp(a, 1, 255); }
int ClampBaud(int b) { return std::clamp(b, 0, int(kBaudRates.size()) - 1); }

}  // namespace

ScanRange NormalizedScanRange(int address1, int address2, int baud1, int baud2)
{
    address1 = ClampAddress(address1);
    address2 = ClampAddress(address2);
    baud1 = ClampBaud(baud1);
    baud2 = ClampBaud(baud2);
    return {std::min(address1, address2), std::max(address1, address2), std::min(baud1, baud2),
            std::max(baud1, baud2)};
}

int ScanWriteWaitMs(int baudIndex) { return ThreadWriteWaitMs(kScanRequestBytes, baudIndex); }

int ScanReplyWaitMs(int baudIndex) { return ThreadReplyWaitMs(kScanReplyBytes, baudIndex); }

std::string ScanModelText(int modelCode)
{
    return RelayTitle(FindFamilyModel(modelCode) ? modelCode : 0);
}

ScanCursor::ScanCursor(const ScanRange& range, int repeatCount)
    : m_range(NormalizedScanRange(range.lowAddress, range.highAddress, range.lowBaud,
                                  range.highBaud)),
      m_repeatCount(std::max(0, repeatCount)), m_address(m_range.lowAddress),
      m_baud(m_range.highBaud)
{
}

int ScanCursor::progressMax() const
{
    return (m_range.highBaud - m_range.lowBaud + 1) *
           (m_range.highAddress - m_range.lowAddress + 1);
}

bool ScanCursor::found(int address) const
{
    return address >= 0 && address < int(m_found.size()) && m_found[std::size_t(address)];
}

void ScanCursor::probed(bool answered)
{
    if (m_done)
        return;
    ++m_probes;
    m_speedChanged = false;
    if (answered) {
        m_found[std::size_t(m_address)] = true;
        advance();
        return;
    }
    // Another try at the same address until the repeats are used up.
    if (m_tries < m_repeatCount) {
        ++m_tries;
        return;
    }
    advance();
}

void ScanCursor::advance()
{
    m_tries = 0;
    if (nextAddress())
        return;
    // Past the highest address: the next lower speed, from the lowest address not yet found.
    while (m_baud > m_range.lowBaud) {
        --m_baud;
        m_speedChanged = true;
        m_address = m_range.lowAddress - 1;
        m_position = (m_range.highBaud - m_baud) * (m_range.highAddress - m_range.lowAddress + 1);
        if (nextAddress())
            return;
    }
    m_position = progressMax();
    m_done = true;
}

// Moves to the next address above the current one that has not answered yet; false past the
// highest.
bool ScanCursor::nextAddress()
{
    while (m_address < m_range.highAddress) {
        ++m_address;
        ++m_position;
        if (!m_found[std::size_t(m_address)])
            return true;
    }
    return false;
}

}  // namespace tirv
