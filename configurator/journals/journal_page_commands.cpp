#include "configurator/journals/journal_page_commands.h"

#include "configurator/journals/journal_emergency_file.h"
#include "configurator/journals/journal_texts.h"
#include "configurator/shell/command_line.h"
#include "configurator/ui/shell.h"

#include <QPointer>

#include <memory>

namespace tirv {
namespace {

namespace tx = journal_texts;

QString Utf8(const char* s)
{
    return QString::fromUtf8(s);
}

FileRequest RequestFor(const JournalFileTexts& texts, bool save)
{
    return FileRequest{Utf8(save ? texts.saveTitle : texts.openTitle),
                       Utf8(texts.filter),
                       Utf8(texts.extension),
                       save,
                       {}};
}

}  // namespace

const JournalFileTexts kWorkingJournalFileTexts{int(FileKind::WorkJournal),
                                                tx::kWjOpenTitle,
                                                tx::kWjSaveTitle,
                                                tx::kWjFilter,
                                                tx::kWjExtension,
                                                tx::kWjOpened,
                                                tx::kWjSaved,
                                                &WorkingJournalWrongExtensionMessage,
                                                &WorkingJournalBadFileMessage};
const JournalFileTexts kEmergencyJournalFileTexts{int(FileKind::EmergencyJournal),
                                                  tx::kEjOpenTitle,
                                                  tx::kEjSaveTitle,
                                                  tx::kEjFilter,
                                                  tx::kEjExtension,
                                                  tx::kEjOpened,
                                                  tx::kEjSaved,
                                                  nullptr,
                                                  &EmergencyJournalBadFileMessage};

void RunJournalExchange(Shell& shell, JournalOperations& ops, QObject* page, JournalExchange job)
{
    QPointer<QObject> guard(page);
    auto j = std::make_shared<const JournalExchange>(std::move(job));
    shell.runExchange({[guard, j](std::function<void(bool)> done) {
                           if (!guard) {
                               done(false);
                               return;
                           }
                           if (j->begin)
                               j->begin();
                           const bool started = j->start([guard, j, done](const JournalOutcome& o) {
                               if (guard && j->ended)
                                   j->ended(o);
                               done(o.ok());
                           });
                           if (!started) {
                               if (j->ended)
                                   j->ended(JournalOutcome{});
                               done(false);
                           }
                       },
                       [guard, &ops] {
                           if (guard)
                               ops.abort();
                       }});
}

bool OpenJournalFile(Shell& shell, const JournalFileTexts& texts, const JournalFileLoad& load,
                     const std::function<void()>& show)
{
    QString path = shell.takeCommandLinePath(texts.commandLineKind);
    if (path.isEmpty()) {
        path = shell.dialogs().chooseFile(RequestFor(texts, false));
        if (path.isEmpty())
            return false;
        if (!HasJournalExtension(path.toStdString(), texts.extension)) {
            if (texts.wrongExtension)
                shell.reporter().ask(texts.wrongExtension());
            return false;
        }
    }
    const JournalFileOutcome o = load(path.toStdString());
    if (o.result == JournalFileResult::CannotOpen) {
        shell.reporter().ask(CannotOpenJournalFileMessage(o.systemError));
        return false;
    }
    if (o.result == JournalFileResult::BadFormat) {
        shell.reporter().ask(texts.badFile());
        return false;
    }
    show();
    if (!shell.state().busy)
        shell.reporter().status(Utf8(texts.opened), StatusIcon::Ok);
    return true;
}

bool SaveJournalFile(Shell& shell, const JournalFileTexts& texts, const SerialNumberSource& serial,
                     const JournalFileWrite& write)
{
    const QString path = shell.dialogs().chooseFile(RequestFor(texts, true));
    if (path.isEmpty())
        return false;
    const JournalFileOutcome o =
        write(path.toStdString(), shell.model().code(), serial ? serial() : 0);
    if (o.result != JournalFileResult::Ok) {
        shell.reporter().ask(CannotOpenJournalFileMessage(o.systemError));
        return false;
    }
    if (!shell.state().busy)
        shell.reporter().status(Utf8(texts.saved), StatusIcon::Ok);
    return true;
}

}  // namespace tirv
