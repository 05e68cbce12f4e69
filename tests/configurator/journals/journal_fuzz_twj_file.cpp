// Any bytes as a ".twj" file: parsing must never overrun the journal, and whatever it accepts
// must save and reopen to the same lists.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "configurator/journals/journal_working_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tirv;
    WorkingJournal j;
    if (ParseWorkingJournalFile(std::span(data, size), j) != JournalFileResult::Ok)
        return 0;
    const auto settings = WorkingListRows(j, WorkingGroup::Settings);
    const auto events = WorkingListRows(j, WorkingGroup::Events);
    WorkingJournal again;
    if (ParseWorkingJournalFile(BuildWorkingJournalFile(j, 705, 1), again) !=
            JournalFileResult::Ok ||
        WorkingListRows(again, WorkingGroup::Settings) != settings ||
        WorkingListRows(again, WorkingGroup::Events) != events)
        std::abort();
    return 0;
}
