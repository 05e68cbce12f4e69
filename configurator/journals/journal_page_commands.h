#pragma once
// The commands both journal pages run alike: a journal operation through the shell's exchange,
// and the ".twj" and ".taj" open and save, each with the texts of its journal. The parsing and
// writing belong to the journal's own file code.
#include "common/message.h"
#include "configurator/journals/journal_operation.h"
#include "configurator/journals/journal_working_file.h"  // JournalFileOutcome

#include <functional>
#include <string>

class QObject;

namespace tirv {

class Shell;

// One journal operation of a page. `start` starts it with the ending to call (false: refused);
// `begin` runs first (the page disables its lists), `ended` after the end or a refusal, while the
// page still exists (a refusal ends as Failed).
struct JournalExchange {
    std::function<bool(JournalOperations::Done)> start;
    std::function<void()> begin;
    std::function<void(const JournalOutcome&)> ended;
};
// Runs it when the shell gives the line; the stop command aborts it. Nothing of the page is
// touched once `page` is gone.
void RunJournalExchange(Shell& shell, JournalOperations& ops, QObject* page, JournalExchange job);

// The relay's serial number as the link page shows it ("Зав. №"), for the file header.
using SerialNumberSource = std::function<int()>;

struct JournalFileTexts {
    int commandLineKind;  // the FileKind whose path, named on the command line, skips the dialog
    const char* openTitle;
    const char* saveTitle;
    const char* filter;
    const char* extension;  // no dot
    const char* opened;     // status after a good open
    const char* saved;      // status after a good save
    // The message for a chosen name of another extension; null: such a name is ignored.
    Message (*wrongExtension)();
    Message (*badFile)();
};
extern const JournalFileTexts kWorkingJournalFileTexts;
extern const JournalFileTexts kEmergencyJournalFileTexts;

// Reads the file at the path into the page's journal, which changes only when the file is good.
using JournalFileLoad = std::function<JournalFileOutcome(const std::string& path)>;
// Writes the page's journal with the model code and serial number in its header.
using JournalFileWrite =
    std::function<JournalFileOutcome(const std::string& path, int modelCode, int serialNumber)>;

// The open command: the command-line path or the dialog's choice, then `load`; a good file is
// shown by `show` and the status says so (unless an exchange runs). True when a file was taken.
bool OpenJournalFile(Shell& shell, const JournalFileTexts& texts, const JournalFileLoad& load,
                     const std::function<void()>& show);
// The save command: the dialog's choice, then `write`. True when the file was written.
bool SaveJournalFile(Shell& shell, const JournalFileTexts& texts, const SerialNumberSource& serial,
                     const JournalFileWrite& write);

}  // namespace tirv
