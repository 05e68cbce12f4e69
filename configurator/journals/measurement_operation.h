#pragma once
// Reading the relay's present measurements, once or cyclically. Over the serial link a reading is
// one Modbus request (or the ТИРВ protocol's consecutive chunks) through the link's chunked
// transfer, which repeats a lost reply after reopening the port; over Ethernet it is one Modbus
// TCP read and never cyclic. A reading is shown only when it passes the range test. No widget in
// here: the page and tirv-cli both drive this class.
#include "configurator/journals/measurement_check.h"
#include "configurator/journals/measurement_values.h"
#include "configurator/link/connection_settings.h"
#include "configurator/link/link_session.h"
#include "gui/reporter.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

namespace tirv {

class SerialLink;
struct Reporter;
struct TransferOutcome;

enum class MeasurementEnd {
    Read,     // the table holds a reading that passed the range test
    Invalid,  // read, but a value is out of range: nothing of it is to be shown
    Failed,   // no link, repeats used up, refused
    Aborted,  // abort() or Esc
    NoLink,   // the connection procedure did not bring the link up (it has said why)
};

struct MeasurementReading {
    MeasurementEnd end = MeasurementEnd::Failed;
    LinkReady link = LinkReady::Ready;  // NoLink: why
    MeasurementTable table;             // Read and Invalid: the values as received
    MeasurementCheck check;             // Invalid: what was wrong
    bool ok() const { return end == MeasurementEnd::Read; }
};

class MeasurementOperation : public QObject {
    Q_OBJECT
public:
    // Called after every reading; `last` is true when no further poll follows.
    using Listener = std::function<void(const MeasurementReading& reading, bool last)>;

    // `modelCode` gives the model in use at the start of each reading (it chooses the layout);
    // `toFirmware` is called when the relay waits in its bootloader and the user chose the update.
    MeasurementOperation(SerialLink& link, LinkSession& session, Reporter& reporter,
                         const ConnectionSettings& settings, std::function<int()> modelCode,
                         std::function<void()> toFirmware = {}, QObject* parent = nullptr);
    ~MeasurementOperation() override;

    // Starts one reading, or cyclic polling every `periodMs` (raised to the speed's minimum)
    // when `periodMs` is above 0 and the link is serial. False when a reading is under way.
    bool start(Listener listener, int periodMs = 0);
    // No further poll: the reading in flight completes and is reported as the last one (called
    // from inside the listener, the reading just told is told once more as the last).
    void stopPolling();
    // Stops at once: the reading in flight ends as Aborted.
    void abort();

    bool busy() const { return static_cast<bool>(m_listener); }
    bool polling() const { return m_periodMs > 0; }
    // The period in use (after raising it to the minimum); 0 when not polling.
    int periodMs() const { return m_periodMs; }
    // The reply wait of the request the serial link sends (the first chunk's under ТИРВ).
    int replyWaitMs() const { return m_replyWaitMs; }

private:
    void linked(LinkReady ready);
    void readSerial(bool again);
    void readTcp();
    void serialEnded(const TransferOutcome& outcome);
    void tcpEnded(bool success, bool aborted, const std::vector<std::uint8_t>& image);
    // Checks the table and reports it; polls again when polling goes on.
    void received();
    void report(MeasurementReading r);
    void status(const char* text, StatusIcon icon);

    SerialLink& m_link;
    LinkSession& m_session;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    std::function<int()> m_modelCode;
    std::function<void()> m_toFirmware;

    Listener m_listener;
    MeasurementLayout m_layout = MeasurementLayout::Integer;
    int m_periodMs = 0;
    int m_replyWaitMs = 0;
    bool m_tcp = false;
    MeasurementTable m_table;
    std::array<std::int32_t, kMaxMeasurementRegisters> m_textValues{};
    std::vector<std::uint8_t> m_request;
    QTimer m_pause;  // between two polls
    quint64 m_run = 0;
};

}  // namespace tirv
