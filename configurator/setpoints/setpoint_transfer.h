#pragma once
// Reading the setpoints from the relay and writing them to it. The main window starts these once
// it has decided an exchange may run; everything the user sees goes through the Reporter, and
// the completion callback is called once on every ending path so that the controls are unlocked.
//
// Serial link (Modbus RTU or the ТИРВ protocol): the setpoint block moves in consecutive blocks
// through the link's chunked transfer, which repeats a failed block after a link check. A read
// fills a check image; only an image that passes the check replaces the setpoint image, so a
// rejected or broken read never leaves partial data behind. Ethernet: the read runs through the
// Modbus TCP transfer; writes travel over the serial link only.
#include "gui/reporter.h"
#include "configurator/link/connection_settings.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_frames.h"
#include "configurator/setpoints/setpoint_image.h"

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

namespace tirv {

class ChunkedTransfer;
class ModbusTcpTransfer;
struct TransferOutcome;
struct TransferPlan;

enum class SetpointTransferEnd {
    Read,           // the setpoint image now holds what the relay holds
    Written,        // every register acknowledged
    Empty,          // the relay holds no setpoints and the user declined the minimal set
    Rejected,       // the relay's setpoints failed the check; the image is unchanged
    Failed,         // no link, repeats used up, refused by the relay
    Aborted,        // abort()
    TcpSettings,    // the TCP address or port is not valid: see invalidField
};

struct SetpointTransferOutcome {
    SetpointTransferEnd end = SetpointTransferEnd::Failed;
    int invalidField = 0;  // TcpSettings: the connection panel's field to focus (2065, 2063)
    bool refused = false;  // Failed: the relay answered with an exception reply
    bool ok() const
    {
        return end == SetpointTransferEnd::Read || end == SetpointTransferEnd::Written;
    }
};

// Connection-panel fields named by a TcpSettings outcome.
inline constexpr int kTcpAddressField = 2065;
inline constexpr int kTcpPortField = 2063;

class SetpointTransfer : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const SetpointTransferOutcome&)>;

    // `profile` and `image` are the program's current model profile and setpoint image; both
    // are read at the start of each operation, and `image` is replaced by an accepted read.
    SetpointTransfer(ChunkedTransfer& serial, ModbusTcpTransfer& tcp, Reporter& reporter,
                     const ConnectionSettings& settings, const ModelProfile& profile,
                     SetpointImage& image, QObject* parent = nullptr);
    ~SetpointTransfer() override;

    // Reads the setpoints (over TCP when the channel is Ethernet). False, with no callback, when
    // an exchange is already running or the transfer cannot start.
    bool startRead(Done done);
    // Writes the setpoint image as it is now; serial link only (false over Ethernet).
    bool startWrite(Done done);
    void abort();
    bool busy() const { return static_cast<bool>(m_done); }

signals:
    // The setpoint image was replaced by a read: the editor pages refill themselves.
    void imageReplaced();

private:
    enum class Mode { Idle, Read, MinimalSet, Write, TcpRead };

    bool startSerialRead();
    bool startTcpRead();
    bool sendMinimalSet();
    // Starts the block transfer of `plan`, `ended` receiving its end; `opening` is shown while
    // it runs. False when it cannot start.
    bool startPlan(TransferPlan plan, void (SetpointTransfer::*ended)(const TransferOutcome&),
                   const char* opening, StatusIcon icon);
    void onProgress(int moved, int total);
    void onReadEnded(const TransferOutcome& outcome);
    void onMinimalSetEnded(const TransferOutcome& outcome);
    void onWriteEnded(const TransferOutcome& outcome);
    void onTcpCompleted();
    // Ends the operation unless the block exchange completed (an abort shows `abortedText`).
    // True when it ended.
    bool endUnlessDone(const TransferOutcome& outcome, const char* abortedText);
    void accept();
    bool endIfAborted();
    void finish(SetpointTransferOutcome outcome);
    void status(const char* text, StatusIcon icon);

    ChunkedTransfer& m_serial;
    ModbusTcpTransfer& m_tcp;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    const ModelProfile& m_currentProfile;
    SetpointImage& m_image;

    Mode m_mode = Mode::Idle;
    Done m_done;
    ModelProfile m_profile;    // the profile in force when the operation started
    SetpointLink m_link;
    SetpointImage m_check{};   // read: what the relay sent; write: what is being written
    bool m_nonZero = false;
    bool m_abortRequested = false;
    std::vector<std::uint8_t> m_request;  // the frame of the block in flight
    QMetaObject::Connection m_tcpConnection;
};

}  // namespace tirv
