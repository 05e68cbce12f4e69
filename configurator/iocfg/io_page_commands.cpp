// The I/O page's commands: New, Open, Save, Read (once or cyclically in state mode) and Write,
// and the poll's end when the user leaves the page.
#include "common/word_file.h"
#include "configurator/iocfg/block_file_dialogs.h"
#include "configurator/iocfg/io_files.h"
#include "configurator/iocfg/io_operation_texts.h"
#include "configurator/iocfg/io_page.h"
#include "configurator/iocfg/io_page_texts.h"
#include "configurator/iocfg/io_polling.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/shell/program_settings.h"
#include "configurator/shell/setpoint_file.h"

#include <QCheckBox>
#include <QLineEdit>

namespace tirv {
namespace {

namespace pt = io_page_texts;
namespace it = io_texts;
namespace ot = io_operation_texts;

QString U(const char* t)
{
    return QString::fromUtf8(t);
}

constexpr BlockFileTexts kTioTexts{pt::kOpenTitle, pt::kSaveTitle, pt::kFilter, pt::kExtension};

// Words 1–3 of the last ".tio" opened in this run, written into every ".tio" saved.
FileReservedWords& LastTioWords()
{
    static FileReservedWords words{};
    return words;
}

}  // namespace

void IoPage::command(int id)
{
    switch (id) {
        case PageCmdIoNew:
            m_image = DefaultIoImage();
            refresh();
            return;
        case PageCmdIoOpen:
            open();
            return;
        case PageCmdIoSave:
            save();
            return;
        case PageCmdIoRead:
            read();
            return;
        case PageCmdIoWrite:
            write();
            return;
        default:
            return;
    }
}

std::uint16_t IoPage::inputStates() const
{
    return m_inputLamps->states();
}

std::uint16_t IoPage::outputStates() const
{
    return m_outputLamps->states();
}

void IoPage::read()
{
    if (!m_transfer)
        return;
    const bool polling = m_mode == IoMode::State && m_pollOn && m_pollOn->isChecked();
    if (polling && !commitPeriod())
        return;
    QPointer<IoPage> self(this);
    QPointer<IoTransfer> transfer = m_transfer;
    // The cyclic reads hold the line between two reads as well; leaving the page finishes the
    // poll after the read in flight.
    shell().runExchange({[self, polling](std::function<void(bool)> done) {
                             if (!self) {
                                 done(false);
                                 return;
                             }
                             self->m_readDone = std::move(done);
                             self->m_pollRunning = polling;
                             if (polling)
                                 self->pollStarted();
                             self->readOnce();
                         },
                         [transfer] {
                             if (transfer)
                                 transfer->abort();
                         },
                         polling ? std::function<void()>([self] {
                             if (self)
                                 self->finishPoll();
                         })
                                 : nullptr});
}

void IoPage::pollStarted()
{
    const int baud = shell().state().link.baudIndex;
    m_poll.periodMs = IoStatePollPeriodMs(m_poll.periodMs, baud);
    m_period->setText(QString::number(m_poll.periodMs));
    m_period->setEnabled(false);
    // Unticking "Вкл." is how the user ends the cycle.
    m_pollOn->setEnabled(true);
}

void IoPage::readOnce()
{
    QPointer<IoPage> self(this);
    if (!m_transfer || !m_transfer->startRead(m_mode, [self](const IoTransferOutcome& o) {
            if (self)
                self->readEnded(o);
        }))
        readingsEnded(false);
}

void IoPage::readEnded(const IoTransferOutcome& o)
{
    if (o.end == IoTransferEnd::Read) {
        refresh();
        m_inputLamps->setStates(m_transfer->inputStates());
        m_outputLamps->setStates(m_transfer->outputStates());
    }
    // Polling goes on after a rejected block too; it ends when the link does, or the page is
    // left, or "Вкл." is cleared.
    if (m_pollRunning && (o.end == IoTransferEnd::Read || o.end == IoTransferEnd::Rejected)) {
        setTimer(TimerIoStatePoll,
                 IoStatePollPauseMs(m_poll.periodMs, shell().state().link.baudIndex));
        return;
    }
    readingsEnded(o.ok());
}

void IoPage::finishPoll()
{
    m_pollRunning = false;
    // Between two reads nothing is in flight: the poll ends here; otherwise with its read.
    if (timerActive(TimerIoStatePoll)) {
        killTimer(TimerIoStatePoll);
        readingsEnded(true);
    }
}

void IoPage::readingsEnded(bool ok)
{
    m_pollRunning = false;
    if (m_period)
        m_period->setEnabled(true);
    if (m_readDone)
        std::exchange(m_readDone, nullptr)(ok);
}

void IoPage::onTimer(int id)
{
    if (id != TimerIoStatePoll)
        return;
    killTimer(TimerIoStatePoll);
    if (m_pollRunning)
        readOnce();
    else
        readingsEnded(true);
}

void IoPage::pageShown()
{
    refresh();
    // Either mode reads the whole block: the states of the last read are the relay's.
    if (m_transfer) {
        m_inputLamps->setStates(m_transfer->inputStates());
        m_outputLamps->setStates(m_transfer->outputStates());
    }
}

void IoPage::setControlsLocked(bool locked)
{
    // "Вкл." stays usable during the page's own poll: unticking it ends the cycle.
    if (m_pollOn)
        m_pollOn->setEnabled(!locked || m_pollRunning);
}

void IoPage::write()
{
    if (!validateAll() || !m_transfer)
        return;
    QPointer<IoTransfer> transfer = m_transfer;
    shell().runExchange(
        {[transfer](std::function<void(bool)> done) {
             if (!transfer ||
                 !transfer->startWrite([done](const IoTransferOutcome& o) { done(o.ok()); }))
                 done(false);
         },
         [transfer] {
             if (transfer)
                 transfer->abort();
         }});
}

void IoPage::open()
{
    const QString path = ChooseBlockFileToOpen(shell(), kTioTexts, 3);
    if (path.isEmpty())
        return;
    if (!path.endsWith(U(pt::kExtension))) {
        shell().reporter().ask(WrongExtensionMessage(it::kTioWrongExtension));
        return;
    }
    const auto bytes = ReadBlockFile(shell(), path);
    if (!bytes)
        return;
    const TioFile file = ParseTioFile(*bytes);
    if (file.result == IoFileResult::Damaged) {
        shell().reporter().ask(TioDamagedMessage());
        return;
    }
    LastTioWords() = file.reserved;
    if (file.result == IoFileResult::Invalid) {
        shell().reporter().ask(TioInvalidMessage());
        shell().reporter().status(U(it::kTioInvalidStatus), StatusIcon::Error);
        return;
    }
    m_image = file.image;
    refresh();
    shell().reporter().status(U(ot::kIoFileLoaded), StatusIcon::Info);
}

void IoPage::save()
{
    if (!validateAll())
        return;
    SaveBlockFile(
        shell(), kTioTexts,
        [this] {
            return BuildTioFile(static_cast<std::uint32_t>(shell().model().code()),
                                LastTioWords(), m_image);
        },
        ot::kIoFileSaved);
}

}  // namespace tirv
