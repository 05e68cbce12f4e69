// The endings of the journal reads: the checks of what arrived, the Modbus TCP transfer and
// the oscillogram file with the viewer.
#include "configurator/journals/journal_operation.h"

#include "common/oscillogram_image.h"
#include "configurator/journals/journal_file_io.h"
#include "configurator/journals/journal_oscillograph.h"
#include "configurator/journals/journal_texts.h"
#include "configurator/link/connection_settings.h"
#include "configurator/link/frames.h"
#include "configurator/link/modbus_tcp_transfer.h"
#include "configurator/link/serial_link.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace tirv {
namespace {

namespace tx = journal_texts;

constexpr std::uint8_t kArchiveBusyCode = regs::kExceptionArchiveBusy;

std::uint8_t Fn(Function f)
{
    return static_cast<std::uint8_t>(f);
}

}  // namespace

void JournalOperations::judgeWorking(bool tcp)
{
    const int requests = m_blocks;
    if (AcceptWorkingJournalRead(m_regs, m_store.working) != WorkingReadVerdict::Accepted) {
        status(tcp ? tx::kWjTcpInvalid : tx::kWjInvalid, StatusIcon::Error);
        finish({JournalEnd::Invalid, requests});
        return;
    }
    status(tx::kWjDone, StatusIcon::Ok);
    finish({JournalEnd::Done, requests});
}

void JournalOperations::judgeEmergency(bool tcp)
{
    const int requests = m_blocks;
    const int year = QDate::currentDate().year();
    if (AcceptEmergencyJournalRead(m_regs, m_mClass, year, m_store.emergency) !=
        EmergencyReadVerdict::Accepted) {
        status(tcp ? tx::kEjTcpInvalid : tx::kEjInvalid, StatusIcon::Error);
        finish({JournalEnd::Invalid, requests});
        return;
    }
    status(tx::kEjDone, StatusIcon::Ok);
    finish({JournalEnd::Done, requests});
}

void JournalOperations::judgeSettings()
{
    switch (CheckOscillographSettings(m_regs)) {
        case OscillographSettingsVerdict::Invalid:
            status(tx::kOscSettingsInvalid, StatusIcon::Error);
            finish({JournalEnd::BadSettings});
            return;
        case OscillographSettingsVerdict::NoneSet:
            m_reporter.ask(NoOscillogramSetMessage());
            status(tx::kOscNoneSetStatus, StatusIcon::Warning);
            finish({JournalEnd::NoneSet});
            return;
        case OscillographSettingsVerdict::Recording:
            break;
    }
    // From the event loop: the transfer that just ended is still unwinding.
    m_mode = Mode::Oscillogram;
    QTimer::singleShot(0, this, [this] {
        if (m_mode != Mode::Oscillogram)
            return;
        if (m_stop) {
            status(tx::kOscSettingsStopped, StatusIcon::Error);
            finish({JournalEnd::Stopped});
            return;
        }
        startSerial();
    });
}

void JournalOperations::startTcp()
{
    if (m_mode == Mode::Idle)
        return;
    if (m_stop) {
        status(tx::kTcpAborted, StatusIcon::Warning);
        finish({JournalEnd::Stopped});
        return;
    }
    TcpTransferRequest request;
    request.address = m_settings.tcpAddress;
    request.port = m_settings.tcpPort;
    RegisterBlock range = regs::kWorkingJournal;
    request.function = Fn(Function::ReadJournal);
    if (m_mode == Mode::Emergency) {
        range = regs::kEmergencyJournal;
    } else if (m_mode == Mode::OscSettings) {
        // The oscillograph settings are not read over Modbus TCP: the image comes in one transfer.
        m_mode = Mode::Oscillogram;
        range = regs::kOscillogram;
        request.function = Fn(Function::ReadArchive);
    }
    request.start = range.start;
    request.count = range.count;
    const bool started = m_link.tcp().start(request, [this](const TcpTransferRecord& r) {
        if (m_mode != Mode::Idle)
            onTcpEnded(r);
    });
    // A refused start has already told the user why.
    if (!started)
        finish({JournalEnd::Failed});
}

void JournalOperations::onTcpEnded(const TcpTransferRecord& record)
{
    if (record.aborted || m_stop) {
        status(tx::kTcpAborted, StatusIcon::Warning);
        finish({JournalEnd::Stopped});
        return;
    }
    if (m_mode == Mode::Oscillogram && record.exceptionCode == kArchiveBusyCode) {
        status(tx::kOscBusy, StatusIcon::Error);
        finish({JournalEnd::Busy});
        return;
    }
    const char* failed = m_mode == Mode::Working     ? tx::kWjTcpFailed
                         : m_mode == Mode::Emergency ? tx::kEjTcpFailed
                                                     : tx::kOscTcpFailed;
    const std::size_t registers = m_mode == Mode::Working     ? regs::kWorkingJournal.count
                                  : m_mode == Mode::Emergency ? regs::kEmergencyJournal.count
                                                              : regs::kOscillogram.count;
    if (!record.success || record.image.size() < registers * 2) {
        status(failed, StatusIcon::Error);
        finish({JournalEnd::Failed});
        return;
    }
    if (m_mode == Mode::Oscillogram) {
        status(tx::kOscRead, StatusIcon::Ok);
        writeOscillogram(std::vector<std::uint8_t>(
            record.image.begin(),
            record.image.begin() + static_cast<std::ptrdiff_t>(kOscImageBytes)));
        return;
    }
    m_regs.resize(registers);
    for (std::size_t k = 0; k < registers; ++k)
        m_regs[k] = record.registerAt(k);
    m_blocks = 1;
    if (m_mode == Mode::Working)
        judgeWorking(true);
    else
        judgeEmergency(true);
}

void JournalOperations::writeOscillogram(std::vector<std::uint8_t> image)
{
    image.resize(kOscImageBytes, 0);
    PrepareOscillogramForWriting(image, m_modelCode);
    JournalOutcome outcome{JournalEnd::Done, m_blocks};
    outcome.newer = OscillogramNewerThanJournal(image, m_store.emergency);
    m_osc = image;
    const std::string path = QFile::encodeName(m_target.filePath).toStdString();
    if (const int error = WriteJournalFileBytes(path, image); error != 0) {
        m_reporter.ask(OscillogramSaveFailedMessage(error));
        outcome.end = JournalEnd::NotSaved;
        outcome.systemError = error;
        finish(outcome);
        return;
    }
    status(tx::kOscSaved, StatusIcon::Ok);
    if (!m_target.viewerPath.isEmpty()) {
        const QFileInfo viewer(m_target.viewerPath);
        outcome.viewerStarted = viewer.exists() && m_launch &&
                                m_launch(viewer.absoluteFilePath(), viewer.absolutePath());
        if (!outcome.viewerStarted)
            m_reporter.ask(ViewerMissingMessage(viewer.fileName().toStdString()));
    }
    if (outcome.newer)
        outcome.rereadJournal = m_reporter.ask(NewerOscillogramQuestion()) == Answer::Ok;
    finish(outcome);
}

}  // namespace tirv
