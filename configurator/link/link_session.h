#pragma once
// Every connection sequence of the configurator in one operation object (no widgets): the link
// check (Modbus, ТИРВ protocol, Modbus TCP), the automatic connection with speed search (2014),
// the highest usable speed (2018), the relay's settings write (2013), the settings block read
// (3005), "Откл. от порта", and ensureLink — the connection procedure every page's read or write
// starts with. It is the link's only LinkChecker. Values come from the connection settings and
// from the arguments the panel passes, never from widget text; results are reported through the
// Reporter and announced by signals for the panel to show.
//
// One sequence at a time: a request while the line is held is refused with a visible status.
// abort() ends whatever the session runs, and every ending path unlocks (running() false).
#include "configurator/link/connection_settings.h"
#include "configurator/link/link_check.h"
#include "configurator/link/panel_rules.h"
#include "configurator/link/reply_completion.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

namespace tirv {

class DeviceModel;
class SerialLink;
struct Reporter;

// What a page's read or write needs from ensureLink.
struct EnsureLinkRequest {
    bool write = false;  // chooses the failure text: read or write
    const char* failureText = nullptr;  // the operation's own failure text instead (UTF-8)
};

enum class LinkReady {
    Ready,       // the link is up: start the exchange
    Failed,      // the user has been told; unlock
    Aborted,     // the user stopped the connection attempt
    ToFirmware,  // the relay waits in its bootloader and the user chose to update it
};

class LinkSession : public QObject, public LinkChecker {
    Q_OBJECT
public:
    enum class Seq { None, Check, Block, Auto, AutoMove, Boot, MaxRate, Write, Tcp, Ensure };

    LinkSession(SerialLink& link, Reporter& reporter, ConnectionSettings& settings,
                DeviceModel& model, QObject* parent = nullptr);
    ~LinkSession() override;

    // The link check (2012; 495 from pages). Over Ethernet: the Modbus TCP check of the
    // settings' address and port (the panel has validated its fields).
    bool check();
    // 3005: a serial Modbus link check also reads the relay's settings block and announces it.
    void setReadBlockOnCheck(bool on) { m_readBlockOnCheck = on; }
    // 2014. `deviceAddress`: the device-side address (field 2056) written when the relay is
    // moved to a reachable speed; `loopbackItem`: the loopback selector (ТИРВ protocol check).
    bool autoConnect(int deviceAddress, int loopbackItem = 0);
    // 2018. The 19-register form of older M firmware carries the relay's other settings: they
    // are read from the relay first unless a settings block read (3005) has them, so that no
    // value the user has not seen is ever written.
    bool maxRate(int loopbackItem = 0);
    // 2013 with the group's values; `usbProtocol` is the USB protocol selector (3003).
    bool writeSettings(const panel::DeviceSettings& fields, int usbProtocol);
    // 2110.
    void disconnect();
    // Stops the sequence in flight with " Операция обмена была прервана пользователем".
    void abort();

    // The connection procedure: `then` is called once, when the link is up or the attempt has
    // ended (never on a clock of its own). Non-M relays get one more attempt after a reported
    // failure; M relays report in the status bar only.
    void ensureLink(EnsureLinkRequest request, std::function<void(LinkReady)> then);

    Seq running() const { return m_seq; }
    bool linkEstablished() const;
    bool busy() const;
    const std::optional<panel::Identity>& identity() const { return m_identity; }
    const std::optional<panel::DeviceSettings>& deviceSettings() const { return m_device; }
    bool failedOnce() const { return m_failedOnce; }
    // The check that follows a successful automatic connection (480) is pending.
    bool followUpPending() const { return m_followUp.isActive(); }

    // LinkChecker: the check between repeats of a transfer.
    void checkLink(Done done) override;
    void abortCheck() override;

    // A TCP check's identity (registers 130–134), fed by the program from the TCP transfer.
    void tcpIdentityArrived(bool success, std::span<const std::uint16_t, 5> regs);
    // For the program: starts the Modbus TCP read of the identity.
    using TcpStarter = std::function<bool(std::array<std::uint8_t, 4> address, int port)>;
    void setTcpStarter(TcpStarter starter) { m_tcpStart = std::move(starter); }
    // Over Ethernet a read opens its own TCP connection and needs no serial link, only the
    // address and port as typed into the link page: the page installs the gate that checks and
    // stores them (with its message and focus). Every TCP read asks `tcpFieldsReady` first.
    void setTcpFieldsGate(std::function<bool()> gate) { m_tcpFieldsGate = std::move(gate); }
    bool tcpFieldsReady() const { return !m_tcpFieldsGate || m_tcpFieldsGate(); }

signals:
    // A sequence of the panel's own started or ended (not the pages' connection procedure).
    void runningChanged(bool running);
    void identityChanged();                     // identity() changed (or was cleared)
    void portStateChanged(const QString& text); // field 1998
    void modeTextChanged(const QString& text);  // status field 2
    void deviceSettingsRead();                  // deviceSettings() holds the relay's block
    void maxRateFound(int baudIndex);
    void settingsAdopted();                     // the connection settings were changed
    void linkChanged();                         // the link went up or down

private:
    bool begin(Seq seq);
    void end();
    bool refuseWhenBusy();
    bool openSelected();
    void configureAt(int baudIndex);
    void send(const QByteArray& frame, int waitMs, ReplyRule rule,
              std::function<void(const QByteArray&)> reply);
    void pause(int ms, std::function<void()> next);
    QByteArray identityRequest() const;
    void sendIdentityCheck(int baudIndex, std::function<void(const QByteArray&)> reply);
    bool identityGood(const QByteArray& reply, std::optional<panel::Identity>* out) const;
    QByteArray nonMSettingsFrame(int deviceAddress, int baudIndex) const;
    QByteArray rateWriteFrame(int baudIndex) const;
    void adoptIdentity(const std::optional<panel::Identity>& id);
    void clearIdentity();
    bool mModel() const;
    int topBaudIndex() const;

    void checkEnded(const LinkCheckResult& result, bool readBlock);
    void readBlock();
    void readBlockThen(std::function<void(bool read)> next);
    void startTcpCheck();

    void autoStep();
    void autoSucceeded(int baudIndex);
    void autoFailed();
    void maxRateStep();
    void maxRateEnd(int index);
    void writeAcknowledged(const QByteArray& reply, const QByteArray& frame, std::uint16_t start,
                           std::uint16_t count, const panel::DeviceSettings& written,
                           int usbProtocol);

    void ensureAttempt();
    void ensureCheckEnded(bool established);
    void finishEnsure(LinkReady ready);

    SerialLink& m_link;
    Reporter& m_reporter;
    ConnectionSettings& m_settings;
    DeviceModel& m_model;
    std::unique_ptr<DefaultLinkCheck> m_check;
    TcpStarter m_tcpStart;
    std::function<bool()> m_tcpFieldsGate;

    Seq m_seq = Seq::None;
    bool m_aborted = false;
    bool m_announced = false;  // runningChanged(true) was sent for the sequence in flight
    quint64 m_run = 0;  // a callback of an ended sequence is told apart by this
    QTimer m_pause;
    std::function<void()> m_afterPause;
    QTimer m_followUp;  // timer 480 (TimerAutoLinkCheck)

    std::optional<panel::Identity> m_identity;
    std::optional<panel::DeviceSettings> m_device;
    Done m_transferDone;  // a transfer's check between its repeats

    // Sequence state.
    int m_index = 0;
    int m_from = 0;
    int m_steps = 0;
    int m_deviceAddress = 1;
    int m_loopback = 0;
    bool m_readBlockOnCheck = false;

    // ensureLink.
    std::function<void(LinkReady)> m_ensureThen;
    EnsureLinkRequest m_ensure;
    bool m_failedOnce = false;
};

}  // namespace tirv
