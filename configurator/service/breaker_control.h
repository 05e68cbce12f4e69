#pragma once
// A breaker command as the user sends it (no widgets): the link session's connection procedure,
// then exactly one frame and its acknowledgement — a breaker command is never repeated. The
// window and tirv-cli both run it; the frames sent and received are announced for display.
#include "configurator/link/connection_settings.h"
#include "configurator/service/breaker_commands.h"

#include <QByteArray>
#include <QObject>
#include <functional>

namespace tirv {

class LinkSession;
class SerialLink;
struct Reporter;

struct BreakerEnd {
    enum class Stage { Busy, Link, Sent };
    Stage stage = Stage::Sent;
    bool toFirmware = false;  // Link: the relay waits in its loader and the user chose the update
    BreakerOutcome outcome{};
    bool ok() const { return stage == Stage::Sent && outcome.ok; }
};

class BreakerControl : public QObject {
    Q_OBJECT
public:
    BreakerControl(SerialLink& link, LinkSession& session, Reporter& reporter,
                   const ConnectionSettings& settings, QObject* parent = nullptr);

    // `done` is called once on every path (at once with Stage::Busy while the line is held).
    void send(BreakerCommand command, std::function<void(const BreakerEnd&)> done);
    void abort();
    bool running() const { return static_cast<bool>(m_done); }

signals:
    void requestSent(const QByteArray& frame);
    void replyReceived(const QByteArray& bytes);

private:
    void transmit();
    void finish(const BreakerEnd& end);

    SerialLink& m_link;
    LinkSession& m_session;
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    BreakerCommand m_command = BreakerCommand::Close;
    std::function<void(const BreakerEnd&)> m_done;
};

}  // namespace tirv
