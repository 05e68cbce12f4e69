#pragma once
// The device link of the configurator in one object: the port, the link flags, the paced exchange,
// the chunked transfer, the worker thread and the Modbus TCP transfer. The main window creates one
// and hands it to the pages; Esc and the stop command call abort().
#include "configurator/link/chunked_transfer.h"
#include "configurator/link/connection_settings.h"
#include "configurator/link/link_check.h"
#include "configurator/link/link_state.h"
#include "configurator/link/modbus_tcp_transfer.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/port.h"
#include "configurator/link/threaded_exchange.h"

#include <QObject>
#include <functional>
#include <memory>

namespace tirv {

struct Reporter;

class SerialLink : public QObject {
    Q_OBJECT
public:
    // `port` null: the machine's COM port (SerialPort on `portsFolder`, empty = ports/ beside the
    // programs). `mModel` tells whether the current model is an M model.
    SerialLink(Reporter& reporter, const ConnectionSettings& settings,
               std::function<bool()> mModel = [] { return false; },
               std::unique_ptr<Port> port = nullptr, QString portsFolder = {},
               QObject* parent = nullptr);
    ~SerialLink() override;

    Port& port() { return *m_port; }
    LinkState& state() { return m_state; }
    PacedExchange& paced() { return m_paced; }
    ChunkedTransfer& transfer() { return m_transfer; }
    ThreadedExchange& worker() { return m_worker; }
    ModbusTcpTransfer& tcp() { return m_tcp; }
    LinkContext context();

    // The connection panel installs its link check; null restores the built-in one.
    void setLinkChecker(LinkChecker* checker);
    LinkChecker& linkChecker() { return *m_checker; }

    // Starts a worker job on the selected port; the link's own port is closed first (the worker
    // opens the port itself).
    bool startWorker(std::unique_ptr<WorkerJob> job);

    // Stops whatever exchange is in flight (paced, link check, worker, TCP); its ending path
    // reports " Операция обмена была прервана пользователем".
    void abort();
    // Closes the port ("Откл. от порта", program end).
    void closePort();

private:
    Reporter& m_reporter;
    const ConnectionSettings& m_settings;
    std::function<bool()> m_mModel;
    QString m_portsFolder;
    std::unique_ptr<Port> m_port;
    LinkState m_state;
    PacedExchange m_paced;
    DefaultLinkCheck m_defaultCheck;
    LinkChecker* m_checker;
    ChunkedTransfer m_transfer;
    ThreadedExchange m_worker;
    ModbusTcpTransfer m_tcp;
};

}  // namespace tirv
