// Any bytes as a ".taj" file: parsing, the list texts and the values of every event must stay
// within the journal; an accepted file saves and reopens to the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "configurator/journals/journal_emergency_file.h"
#include "configurator/journals/journal_emergency_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tirv;
    EmergencyJournal j;
    if (ParseEmergencyJournalFile(std::span(data, size), j) != JournalFileResult::Ok)
        return 0;
    for (int index : j.events()) {
        const auto& r = j.records[static_cast<std::size_t>(index)];
        (void)EmergencyRows(r, j.mClass);
        (void)EmergencySummaryText(r, j.mClass);
        (void)EmergencyValuesOf(r, j.mClass);
    }
    EmergencyJournal again;
    if (ParseEmergencyJournalFile(BuildEmergencyJournalFile(j, 715, 1), again) !=
            JournalFileResult::Ok ||
        again.events().size() != j.events().size() || again.mClass != j.mClass)
        std::abort();
    return 0;
}
