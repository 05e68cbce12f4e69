#pragma once
// The network scan as an operation (no widgets): the link's port is closed, the scan port is
// opened by a worker thread, and every address of the range is probed at every speed of the
// range from the highest down. Rows reach the owner through queued signals; the scan can be
// stopped at any moment, and every ending path closes the scan port and emits finished().
#include "configurator/link/connection_settings.h"
#include "configurator/link/scan_rules.h"
#include "configurator/link/threaded_exchange.h"

#include <QObject>
#include <QString>

namespace tirv {

class SerialLink;

struct ScanRequest {
    int port = 1;  // COM number
    ScanRange range;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    int repeatCount = 10;  // further probes of an address that did not answer
};

struct ScanRow {
    int port = 0;
    int address = 0;
    int modelCode = 0;
    int baudIndex = 0;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
};

class NetworkScan : public QObject {
    Q_OBJECT
public:
    NetworkScan(SerialLink& link, Reporter& reporter, QObject* parent = nullptr);
    ~NetworkScan() override;

    // False when the line is busy or the worker cannot start (the reason has been shown).
    bool start(const ScanRequest& request);
    void abort();
    // Stops and waits at most `ms` for the worker (closing the window).
    bool stop(int ms = 500);
    bool running() const { return m_running; }

signals:
    void rowFound(const tirv::ScanRow& row);
    void finished(tirv::WorkerEnd end);

private:
    void ended(WorkerEnd end);

    SerialLink& m_link;
    Reporter& m_reporter;
    bool m_running = false;
};

}  // namespace tirv
