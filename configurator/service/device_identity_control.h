#pragma once
// The configuration page's exchanges without widgets: read the relay's type and serial number
// (registers 131–134), write a new type and, when asked, a new serial number. Each runs the link
// session's connection procedure first and then one paced exchange per request. Switching the
// configurator's model after a written type is the caller's part (it owns the model).
#include "configurator/link/connection_settings.h"
#include "configurator/service/device_identity_rules.h"
#include "gui/reporter.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <optional>

namespace tirv {

class LinkSession;
class SerialLink;
struct Reporter;

struct IdentityEnd {
    enum class Stage { Busy, Link, Sent };
    Stage stage = Stage::Sent;
    bool toFirmware = false;  // Link: the relay waits in its loader and the user chose the update
    bool ok = false;
    bool aborted = false;
    bool refused = false;                  // the relay answered with an exception reply
    std::optional<IdentityRecord> record;  // a read that arrived
    bool typeWritten = false;
    bool serialWritten = false;
    int code = 0;  // the type written
    int serial = 0;
    const char* status = nullptr;  // UTF-8
};

class DeviceIdentityControl : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const IdentityEnd&)>;

    DeviceIdentityControl(SerialLink& link, LinkSession& session, Reporter& reporter,
                          const ConnectionSettings& settings, QObject* parent = nullptr);

    // `done` is called once on every path.
    void read(Done done);
    // `input` has passed CheckIdentityInput.
    void write(const IdentityInput& input, Done done);
    void abort();
    bool running() const { return static_cast<bool>(m_done); }

signals:
    // `modbusRead` tells the panel to show the request the way it shows a read.
    void requestSent(const QByteArray& frame, bool modbusRead);
    void replyReceived(const QByteArray& bytes);

private:
    bool begin(Done& done);
    void exchange(
        const IdentityRequest& request, bool read,
        std::function<void(bool received, LinkResult result, const QByteArray& reply)> then);
    void writeSerial(IdentityEnd end);
    void finish(IdentityEnd end, StatusIcon icon);

    SerialLink& m_link;
    LinkSession& m_session;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    IdentityInput m_input;
    Done m_done;
};

}  // namespace tirv
