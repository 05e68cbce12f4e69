#pragma once
// Reading the front-panel LED assignments from the relay and writing them: one request of 15 or
// 24 registers over Modbus (values-per-frame groups over the ТИРВ protocol), no repeats; a relay
// without LED settings is offered the minimal set; over Ethernet one Modbus TCP read.
#include "configurator/iocfg/io_operation.h"
#include "configurator/iocfg/led_image.h"

namespace tirv {

class LedTransfer : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const IoTransferOutcome&)>;

    // `modelCode` gives the model in use when an operation starts (5 or 8 LEDs).
    LedTransfer(SerialLink& link, LinkSession* session, Reporter& reporter,
                const ConnectionSettings& settings, std::function<int()> modelCode, LedImage& image,
                QObject* parent = nullptr);
    ~LedTransfer() override;

    bool startRead(Done done);
    // The LEDs of the model must have passed ValidateLedImage.
    bool startWrite(Done done);
    void abort();
    bool busy() const { return static_cast<bool>(m_done); }

signals:
    void imageReplaced();

private:
    // Function 32 after the empty-block question runs in the Read stage.
    enum class Stage { Idle, Linking, Read, Write, TcpRead };

    void beginSerial(bool write);
    void serialRead();
    void serialWrite();
    void onReadEnded(const TransferOutcome& o);
    void onWriteEnded(const TransferOutcome& o);
    void onTcpCompleted();
    void judge(bool tcp);
    bool startPlan(TransferPlan plan, void (LedTransfer::*ended)(const TransferOutcome&));
    void finish(IoTransferEnd end, bool refused = false);
    void status(const char* text, StatusIcon icon);

    SerialLink& m_link;
    LinkSession* m_session;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    std::function<int()> m_modelCode;
    LedImage& m_image;

    Stage m_stage = Stage::Idle;
    Done m_done;
    SetpointLink m_wire;
    int m_leds = kLedCountNonM;
    std::uint16_t m_first = 0;
    std::vector<std::uint16_t> m_block;
    std::vector<std::uint8_t> m_request;
    std::unique_ptr<MinimalSetOffer> m_offer;
    bool m_abortRequested = false;
    QMetaObject::Connection m_tcpConnection;
};

}  // namespace tirv
