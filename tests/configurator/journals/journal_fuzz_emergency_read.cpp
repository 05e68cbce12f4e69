// Any bytes as the registers of an emergency-journal read (the Modbus TCP transfer layout,
// padded or cut to 340 registers), the first byte choosing the class: an accepted read shows
// only records that pass the check, and every text and value of them can be made.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "configurator/journals/journal_emergency_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tirv;
    if (size == 0)
        return 0;
    const bool mClass = (data[0] & 1) != 0;
    const std::span rest(data + 1, size - 1);
    EmergencyJournal j;
    (void)AcceptEmergencyJournalTransfer(rest, mClass, 2026, j);  // any length
    std::vector<std::uint8_t> bytes(2 * kEmergencyRegisters, 0);
    std::copy_n(rest.begin(), std::min(rest.size(), bytes.size()), bytes.begin());
    if (AcceptEmergencyJournalTransfer(bytes, mClass, 2026, j) != EmergencyReadVerdict::Accepted)
        return 0;
    for (int index : j.events()) {
        const auto& r = j.records[static_cast<std::size_t>(index)];
        if (!IsValidEmergencyRecord(r, 2026))
            std::abort();
        (void)EmergencyRows(r, mClass);
        (void)EmergencySummaryText(r, mClass);
        (void)EmergencyValuesOf(r, mClass);
    }
    (void)j.oscillogramEvent();
    return 0;
}
