#pragma once
// Reading the I/O block from the relay (settings or live state) and writing the I/O settings.
// The page and tirv-cli both run this; everything the user sees goes through the Reporter, and
// the completion callback is called once on every ending path.
//
// Serial read: 130 registers from 170 (Modbus 125 + 5, ТИРВ protocol in values-per-frame
// groups), a failed block repeated up to the repeat count. Only a complete block that passes
// the checks replaces the settings. A relay without I/O settings is offered the minimal set
// (function 32 over Modbus), then read again. Ethernet: one Modbus TCP request of 130 registers.
// Write: the 128 settings registers over the serial link, never repeated.
#include "configurator/iocfg/io_image.h"
#include "configurator/setpoints/setpoint_frames.h"
#include "gui/reporter.h"

#include <QMetaObject>
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tirv {

class LinkSession;
class MinimalSetOffer;
class SerialLink;
struct ConnectionSettings;
struct TransferOutcome;
struct TransferPlan;

enum class IoMode { Settings = 0, State = 1 };

// False for the old ТИРВ-protocol variant, whose read request has no start field: a read there
// always begins at register 0 and can never reach the I/O or LED block. Writes carry their start
// in both variants.
bool ReadNamesItsStart(const ConnectionSettings& settings);

enum class IoTransferEnd {
    Read,      // settings and states replaced
    Written,   // every block acknowledged
    Empty,     // no I/O settings in the relay, and no minimal set stored (declined or none)
    Rejected,  // a value out of range: settings and states unchanged
    Failed,    // no link, repeats used up, refused, a bad acknowledgement
    Aborted,
};

struct IoTransferOutcome {
    IoTransferEnd end = IoTransferEnd::Failed;
    bool refused = false;  // Failed: the relay answered with an exception reply
    bool ok() const { return end == IoTransferEnd::Read || end == IoTransferEnd::Written; }
};

class IoTransfer : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const IoTransferOutcome&)>;

    // `session`, when given, runs the connection procedure before a serial exchange and
    // checks the TCP fields before a TCP read. `image` is replaced by an accepted read.
    IoTransfer(SerialLink& link, LinkSession* session, Reporter& reporter,
               const ConnectionSettings& settings, IoImage& image, QObject* parent = nullptr);
    ~IoTransfer() override;

    // False, with no callback, when an exchange is already running.
    bool startRead(IoMode mode, Done done);
    // The image must have passed ValidateIoImage (the page checks its fields first).
    bool startWrite(Done done);
    void abort();
    bool busy() const { return static_cast<bool>(m_done); }

    std::uint16_t inputStates() const { return m_inputStates; }
    std::uint16_t outputStates() const { return m_outputStates; }

signals:
    // Settings and live states were replaced by a read.
    void imageReplaced();

private:
    // Function 32 after the empty-block question runs in the Read stage.
    enum class Stage { Idle, Linking, Read, Write, TcpRead };

    void beginSerial(bool write);
    void serialRead();
    void serialWrite();
    void tcpRead();
    void onReadEnded(const TransferOutcome& o);
    void onWriteEnded(const TransferOutcome& o);
    void onTcpCompleted();
    // Takes a complete block over, or says why not; `tcp` chooses the texts.
    void judge(bool tcp);
    bool startPlan(TransferPlan plan, void (IoTransfer::*ended)(const TransferOutcome&));
    bool endIfAborted();
    void finish(IoTransferEnd end, bool refused = false);
    void status(const char* text, StatusIcon icon);
    int mode() const { return static_cast<int>(m_mode); }

    SerialLink& m_link;
    LinkSession* m_session;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    IoImage& m_image;

    Stage m_stage = Stage::Idle;
    IoMode m_mode = IoMode::Settings;
    Done m_done;
    SetpointLink m_wire;
    std::vector<std::uint16_t> m_block;      // registers 170..299 as read
    std::vector<std::uint16_t> m_writeRegs;  // registers 170..297 being written
    std::vector<std::uint8_t> m_request;     // the frame in flight
    std::unique_ptr<MinimalSetOffer> m_offer;
    bool m_abortRequested = false;
    std::uint16_t m_inputStates = 0;
    std::uint16_t m_outputStates = 0;
    QMetaObject::Connection m_tcpConnection;
};

}  // namespace tirv
