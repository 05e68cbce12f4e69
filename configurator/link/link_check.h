#pragma once
// The link check between repeats of a failed exchange: reopen the selected port, configure it and
// ask the relay for its identity. The connection panel implements LinkChecker with its own fields;
// DefaultLinkCheck is the same sequence without a panel (tests, command-line tool).
#include "configurator/link/connection_settings.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>

namespace tirv {

class Port;
class LinkState;
class PacedExchange;
struct Reporter;

// What every link-layer sequence reads at its start. The model flag comes from the model
// tables, which the link does not own.
struct LinkContext {
    Port& port;
    LinkState& state;
    Reporter& reporter;
    const ConnectionSettings& settings;
    std::function<bool()> mModel = [] { return false; };
};

enum class LinkCheckEnd { Established, Failed, PortUnavailable, Aborted };

struct LinkCheckResult {
    LinkCheckEnd end = LinkCheckEnd::Failed;
    // Registers 130–134 (Modbus link check only): family signature, model code,
    // firmware version × 100, build, serial number.
    std::array<std::uint16_t, 5> identity{};
    bool haveIdentity = false;
};

class LinkChecker {
public:
    using Done = std::function<void(const LinkCheckResult&)>;
    virtual ~LinkChecker() = default;
    // Reopens the selected port and checks the link; calls `done` once, from the event loop.
    virtual void checkLink(Done done) = 0;
    virtual void abortCheck() = 0;
};

// Close a port on another number, open the selected one ("Порт недоступен" words when it cannot
// be opened), configure it, then send the link check — Modbus: read 130–134 and check it as a
// function-3 reply of 5 registers; ТИРВ protocol: the link-check frame, any reply counts — and
// repeat it up to the repeat count with "Проверка связи: %i", pausing the link-check wait.
// Success: "Связь установлена", link established. Failure: "Ошибка проверки связи - повторите
// операцию", "Нет связи с устр-вом", link not established.
class DefaultLinkCheck : public QObject, public LinkChecker {
    Q_OBJECT
public:
    DefaultLinkCheck(LinkContext context, PacedExchange& exchange, QObject* parent = nullptr);

    void checkLink(Done done) override;
    void abortCheck() override;

private:
    void attempt();
    void onReply(const QByteArray& bytes, bool gotReply);
    void finish(LinkCheckResult result);

    LinkContext m_ctx;
    PacedExchange& m_exchange;
    QTimer m_pause;
    Done m_done;
    int m_tries = 0;
    bool m_unavailable = false;  // the pause ends the check as "port unavailable"
};

}  // namespace tirv
