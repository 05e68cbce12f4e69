#pragma once
// The reads of the journal pages as the user starts them: the working journal, the emergency
// journal and the oscillogram of the newest trip, each beginning with the link session's
// connection procedure. Serial link: the chunked transfer of the link moves the blocks with its
// repeats; Ethernet: one Modbus TCP transfer. No widget here — the pages and tirv-cli run the same
// object. A journal changes only by a read that passes its check; an oscillogram read that fails
// writes no file and starts no viewer.
#include "configurator/journals/journal_emergency.h"
#include "configurator/journals/journal_working.h"
#include "configurator/link/registers.h"
#include "configurator/link/text_frames.h"
#include "gui/reporter.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace tirv {

class DeviceModel;
class LinkSession;
class SerialLink;
struct ConnectionSettings;
struct TcpTransferRecord;
struct TransferOutcome;

// The journals the program holds (from the relay or from a file).
struct JournalStore {
    WorkingJournal working;
    EmergencyJournal emergency;
};

enum class JournalEnd : std::uint8_t {
    Done,         // journal replaced, or oscillogram written
    Invalid,      // the data failed the check: the journal is unchanged
    Failed,       // no link, repeats used up, a refusal
    Stopped,      // the user stopped it
    Busy,         // oscillogram: the relay is writing a new one (exception code 5)
    NoneSet,      // oscillogram: no channel is recorded
    BadSettings,  // oscillogram: a recording flag other than 0 or 1
    NotSaved,     // oscillogram: the file could not be written
};

struct JournalOutcome {
    JournalEnd end = JournalEnd::Failed;
    int requests = 0;            // requests completed
    int systemError = 0;         // NotSaved
    bool newer = false;          // the oscillogram records a trip the journal does not show
    bool rereadJournal = false;  // ... and the user asked for the journal again
    bool viewerStarted = false;
    bool ok() const { return end == JournalEnd::Done; }
};

// Where the oscillogram goes and which viewer opens it (empty: none is started).
struct OscillogramTarget {
    QString filePath;
    QString viewerPath;
};

// Starts `program` detached, in `folder`, without arguments; false when it could not start.
using ViewerLauncher = std::function<bool(const QString& program, const QString& folder)>;
ViewerLauncher DetachedViewerLauncher();

class JournalOperations : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const JournalOutcome&)>;

    JournalOperations(SerialLink& link, LinkSession& session, Reporter& reporter,
                      const ConnectionSettings& settings, const DeviceModel& model,
                      JournalStore& store, QObject* parent = nullptr);
    ~JournalOperations() override;

    void setViewerLauncher(ViewerLauncher launcher) { m_launch = std::move(launcher); }

    // `done` is called once on every path (never from inside the start call when it refuses:
    // false then, and nothing is called).
    bool startWorkingRead(Done done);
    bool startEmergencyRead(Done done);
    bool startOscillogramRead(OscillogramTarget target, Done done);
    void abort();
    bool busy() const { return static_cast<bool>(m_done); }

    // The image of the last oscillogram read, prepared as written (22,300 bytes).
    const std::vector<std::uint8_t>& oscillogram() const { return m_osc; }

private:
    enum class Mode { Idle, Working, Emergency, OscSettings, Oscillogram };

    bool begin(Mode mode, Done done);
    void startSerial();
    void startTcp();
    bool startPlan(std::uint8_t function, RegisterBlock range, int progressMax, const char* opening,
                   const char* progress, const char* repeat, const char* failure);
    LinkResult acceptBlock(std::span<const std::uint8_t> reply, int offset, int count);
    void onProgressed(int moved, int total);
    void onSerialEnded(const TransferOutcome& outcome);
    void onTcpEnded(const TcpTransferRecord& record);
    void judgeWorking(bool tcp);
    void judgeEmergency(bool tcp);
    void judgeSettings();
    void writeOscillogram(std::vector<std::uint8_t> image);
    void status(const char* text, StatusIcon icon);
    void statusWithNumber(const char* format, int n, StatusIcon icon);
    void finish(JournalOutcome outcome);

    SerialLink& m_link;
    LinkSession& m_session;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    const DeviceModel& m_model;
    JournalStore& m_store;
    ViewerLauncher m_launch;

    Mode m_mode = Mode::Idle;
    Done m_done;
    OscillogramTarget m_target;
    bool m_stop = false;
    bool m_inTransfer = false;
    bool m_mClass = false;
    int m_modelCode = 0;
    int m_blocks = 0;  // requests completed in the read in flight
    // What the read in flight holds: the link's framing, the request of the block in flight and
    // the registers received.
    bool m_text = false;
    TextFraming m_framing;
    std::uint8_t m_address = 1;
    int m_baudIndex = 6;
    std::uint8_t m_function = 3;
    std::vector<std::uint8_t> m_request;
    std::vector<std::uint16_t> m_regs;
    std::vector<std::int32_t> m_values;
    std::vector<std::uint8_t> m_osc;
};

}  // namespace tirv
