#include "configurator/journals/journal_oscillograph.h"

#include <algorithm>

#include "common/oscillogram_image.h"
#include "configurator/journals/journal_format.h"
#include "configurator/journals/journal_texts.h"

namespace tirv {
namespace {

namespace tx = journal_texts;

constexpr int kYearModulo = 100;
constexpr int kMillisecondsPerHundredth = 10;

struct Stamp {
    int day, month, year, hour, minute, second, hundredths, cause;
    bool operator==(const Stamp&) const = default;
};

}  // namespace

OscillographSettingsVerdict CheckOscillographSettings(std::span<const std::uint16_t> values)
{
    if (values.size() < static_cast<std::size_t>(kOscillographSettingsRegisters))
        return OscillographSettingsVerdict::Invalid;
    const auto flags = values.first(kOscillographFlags);
    if (std::any_of(flags.begin(), flags.end(), [](std::uint16_t v) { return v > 1; }))
        return OscillographSettingsVerdict::Invalid;
    if (std::none_of(flags.begin(), flags.end(), [](std::uint16_t v) { return v == 1; }))
        return OscillographSettingsVerdict::NoneSet;
    return OscillographSettingsVerdict::Recording;
}

Message NoOscillogramSetMessage()
{
    return {tx::kOscNoneSetCaption, tx::kOscNoneSet, MsgIcon::Information, MsgButtons::Ok};
}

Message OscillogramSaveFailedMessage(int systemError)
{
    return {tx::kCaptionError, FormatJournalText(tx::kOscSaveFailed, systemError), MsgIcon::Error,
            MsgButtons::Ok};
}

Message ViewerMissingMessage(const std::string& viewerFileName)
{
    return {tx::kCaptionError, FormatJournalText(tx::kOscViewerMissing, viewerFileName.c_str()),
            MsgIcon::Error, MsgButtons::Ok};
}

Message NewerOscillogramQuestion()
{
    return {tx::kCaptionInformation, tx::kOscNewerQuestion, MsgIcon::Information,
            MsgButtons::OkCancel};
}

bool OscillogramNewerThanJournal(std::span<const std::uint8_t> image,
                                 const EmergencyJournal& journal)
{
    const auto events = journal.events();
    if (events.empty() || image.size() < kOscImageBytes)
        return true;
    const OscEventStamp osc = ReadEventStamp(image);
    const EmergencyRecord& r = journal.records[static_cast<std::size_t>(events.front())];
    const int fraction = r.at(kEwFraction);
    const Stamp fromJournal{r.at(kEwDay),
                            r.at(kEwMonth),
                            r.at(kEwYear) % kYearModulo,
                            r.at(kEwHour),
                            r.at(kEwMinute),
                            r.at(kEwSecond),
                            journal.mClass ? fraction / kMillisecondsPerHundredth : fraction,
                            static_cast<int>(r.event() & kProtectionBits)};
    const Stamp fromImage{
        osc.time.day,
        osc.time.month,
        osc.time.year % kYearModulo,
        osc.time.hour,
        osc.time.minute,
        osc.time.second,
        osc.time.hundredths,
        static_cast<int>(static_cast<std::uint32_t>(osc.tripCause) & kProtectionBits)};
    return !(fromJournal == fromImage);
}

}  // namespace tirv
