// Any bytes as the registers of a working-journal read (the Modbus TCP transfer layout, padded or
// cut to 600 registers): decoding, the check and the ordering must never fail unsafely, and an
// accepted read shows only records that pass the check.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "configurator/journals/journal_working.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tirv;
    WorkingJournal j;
    (void)AcceptWorkingJournalTransfer(std::span(data, size), j);  // any length
    std::vector<std::uint8_t> bytes(2 * kWorkingRegisters, 0);
    std::copy_n(data, std::min(size, bytes.size()), bytes.begin());
    if (AcceptWorkingJournalTransfer(bytes, j) != WorkingReadVerdict::Accepted)
        return 0;
    for (auto g : {WorkingGroup::Settings, WorkingGroup::Events}) {
        for (const WorkingRecord* r : j.shown(g))
            if (r->empty() || !IsValidWorkingRecord(*r))
                std::abort();
        (void)WorkingListRows(j, g);
    }
    return 0;
}
