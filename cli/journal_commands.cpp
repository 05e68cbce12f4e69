// journal work|emergency and oscillogram: the journal pages' own read operation, the journal
// saved to the file named (".twj", ".taj") and its rows printed; the oscillogram written to the
// ".tao" file named, as the page writes "Осциллограммы.tao" (no viewer is started).
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "configurator/journals/journal_emergency_file.h"
#include "configurator/journals/journal_operation.h"
#include "configurator/journals/journal_working_file.h"

#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>

namespace tirv::cli {

namespace {

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

Exit ExitOf(const JournalOutcome& o)
{
    switch (o.end) {
        case JournalEnd::Done:
            return Exit::Ok;
        case JournalEnd::Invalid:
        case JournalEnd::NoneSet:
        case JournalEnd::BadSettings:
            return Exit::Invalid;
        case JournalEnd::Busy:
            return Exit::Refused;
        case JournalEnd::NotSaved:
            return Exit::File;
        case JournalEnd::Failed:
        case JournalEnd::Stopped:
            break;
    }
    return Exit::NoLink;
}

enum class What { Working, Emergency, Oscillogram };

JournalOutcome Run(RelaySession& s, JournalStore& store, What what, const std::string& file)
{
    JournalOperations ops(s.link(), s.session(), s.reporter(), s.settings(), s.model(), store);
    JournalOutcome outcome;
    s.waitFor([&](std::function<void()> done) {
        auto ended = [&outcome, done](const JournalOutcome& o) {
            outcome = o;
            done();
        };
        bool started = false;
        if (what == What::Working)
            started = ops.startWorkingRead(ended);
        else if (what == What::Emergency)
            started = ops.startEmergencyRead(ended);
        else
            started = ops.startOscillogramRead({QString::fromStdString(file), {}}, ended);
        if (!started)
            done();
    });
    return outcome;
}

int Serial(RelaySession& s)
{
    return s.session().identity() ? s.session().identity()->serial : 0;
}

Exit Finish(RelaySession& s, Exit exit, const QJsonObject& doc)
{
    if (s.options().json)
        PrintJson(exit == Exit::Ok ? doc : FailureJson(exit, s.reporter()));
    return exit;
}

Exit Working(RelaySession& s, const std::string& file)
{
    JournalStore store;
    const JournalOutcome o = Run(s, store, What::Working, file);
    if (!o.ok())
        return Finish(s, ExitOf(o), {});
    if (const JournalFileOutcome saved =
            SaveWorkingJournalFile(file, store.working, s.model().code(), Serial(s));
        saved.result != JournalFileResult::Ok) {
        std::fprintf(stderr, "%s\n", CannotOpenJournalFileMessage(saved.systemError).text.c_str());
        return Finish(s, Exit::File, {});
    }
    QJsonObject doc{{"ok", true}, {"file", Q(file)}};
    const std::pair<const char*, WorkingGroup> groups[] = {{"settings", WorkingGroup::Settings},
                                                           {"events", WorkingGroup::Events}};
    for (const auto& [name, group] : groups) {
        QJsonArray rows;
        for (const WorkingRecord* r : store.working.shown(group)) {
            const WorkingRow row = WorkingRowOf(*r, store.working.source);
            rows.append(QJsonObject{{"date", Q(row.date)},
                                    {"time", Q(row.time)},
                                    {"event", Q(row.event)},
                                    {"code", int(r->code())}});
            if (!s.options().json)
                std::printf("%s\t%s %s\t%s\n", name, row.date.c_str(), row.time.c_str(),
                            row.event.c_str());
        }
        doc.insert(QString::fromLatin1(name), rows);
    }
    return Finish(s, Exit::Ok, doc);
}

Exit Emergency(RelaySession& s, const std::string& file)
{
    JournalStore store;
    const JournalOutcome o = Run(s, store, What::Emergency, file);
    if (!o.ok())
        return Finish(s, ExitOf(o), {});
    const EmergencyJournal& j = store.emergency;
    if (const JournalFileOutcome saved =
            SaveEmergencyJournalFile(file, j, s.model().code(), Serial(s));
        saved.result != JournalFileResult::Ok) {
        std::fprintf(stderr, "%s\n", CannotOpenJournalFileMessage(saved.systemError).text.c_str());
        return Finish(s, Exit::File, {});
    }
    QJsonArray events;
    for (const int index : j.events()) {
        const EmergencyRecord& r = j.records[std::size_t(index)];
        const EmergencyRowPair rows = EmergencyRows(r, j.mClass);
        events.append(QJsonObject{{"date", Q(rows.first[0])},
                                  {"time", Q(rows.first[1])},
                                  {"event", Q(rows.first[2])},
                                  {"started", Q(rows.first[3])},
                                  {"outcome", Q(rows.outcome)},
                                  {"oscillogram", index == j.oscillogramEvent()}});
        if (!s.options().json)
            std::printf("%s %s\t%s\t%s\t%s\n", rows.first[0].c_str(), rows.first[1].c_str(),
                        rows.first[2].c_str(), rows.first[3].c_str(), rows.outcome.c_str());
    }
    return Finish(s, Exit::Ok, {{"ok", true}, {"file", Q(file)}, {"events", events}});
}

Exit Oscillogram(RelaySession& s, const std::string& file)
{
    JournalStore store;
    const JournalOutcome o = Run(s, store, What::Oscillogram, file);
    return Finish(s, ExitOf(o), {{"ok", true}, {"file", Q(file)}});
}

using G = OptionGroup;

const CommandRow kRows[] = {
    {"journal work", "FILE.twj", G::General,
     "reads the working journal, saves it and prints its rows", Working},
    {"journal emergency", "FILE.taj", G::General,
     "reads the emergency journal, saves it and prints its events", Emergency},
    {"oscillogram", "FILE.tao", G::General,
     "reads the oscillogram of the newest trip into the file", Oscillogram},
};

}  // namespace

std::span<const CommandRow> JournalCommands()
{
    return kRows;
}

}  // namespace tirv::cli
