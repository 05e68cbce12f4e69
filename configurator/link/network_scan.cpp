#include "configurator/link/network_scan.h"

#include "configurator/link/byte_views.h"
#include "configurator/link/frames.h"
#include "configurator/link/link_state.h"
#include "configurator/link/port_setup.h"
#include "configurator/link/scan_texts.h"
#include "configurator/link/serial_link.h"
#include "configurator/link/texts.h"

#include <QMetaObject>
#include <QPointer>
#include <array>

namespace tirv {

namespace {

LineSettings ScanLine(const ScanRequest& r, int baudIndex)
{
    // The scan's parity and stop bits hold for every model: mModel makes the line carry them.
    return {baudIndex, r.parity, r.stopBits, true};
}

// Runs on the worker thread; rows go to the scan object on its own thread.
class ScanJob : public WorkerJob {
public:
    ScanJob(const ScanRequest& request, NetworkScan* owner) : m_request(request), m_owner(owner) {}

    WorkerEnd run(WorkerContext& c) override
    {
        ScanCursor cursor(m_request.range, m_request.repeatCount);
        const int max = cursor.progressMax();
        while (!cursor.done()) {
            if (cursor.speedChanged() && !c.reconfigure(ScanLine(m_request, cursor.baudIndex())))
                return WorkerEnd::Failed;
            c.progress(cursor.progress(), max);
            const int address = cursor.address();
            const int wait = ScanReplyWaitMs(cursor.baudIndex());
            std::array<std::uint8_t, 8> frame{};
            BuildReadRegisters(frame, std::uint8_t(address), kScanFirstRegister,
                               kScanRegisterCount);
            QByteArray reply;
            const auto step = c.transact(
                QByteArray(reinterpret_cast<const char*>(frame.data()), int(frame.size())),
                ModbusReply(std::uint8_t(Function::ReadRegisters), kScanReplyBytes), wait, wait,
                reply);
            if (step == WorkerContext::Step::Aborted)
                return WorkerEnd::Aborted;
            if (step == WorkerContext::Step::NotSent)
                return WorkerEnd::Failed;
            const bool good = step == WorkerContext::Step::Reply &&
                              CheckReadReply(Bytes(reply), std::uint8_t(address),
                                             Function::ReadRegisters,
                                             kScanRegisterCount) == LinkResult::Good;
            if (good)
                post({m_request.port, address, ReadReplyRegister(Bytes(reply), 1),
                      cursor.baudIndex(), m_request.parity, m_request.stopBits});
            cursor.probed(good);
        }
        return WorkerEnd::Success;
    }

private:
    void post(const ScanRow& row)
    {
        QPointer<NetworkScan> owner = m_owner;
        QMetaObject::invokeMethod(
            m_owner,
            [owner, row] {
                if (owner)
                    emit owner->rowFound(row);
            },
            Qt::QueuedConnection);
    }

    ScanRequest m_request;
    NetworkScan* m_owner;
};

}  // namespace

NetworkScan::NetworkScan(SerialLink& link, Reporter& reporter, QObject* parent)
    : QObject(parent), m_link(link), m_reporter(reporter)
{
    connect(&m_link.worker(), &ThreadedExchange::finished, this, [this](WorkerEnd end) {
        if (m_running)
            ended(end);
    });
}

NetworkScan::~NetworkScan() { stop(); }

bool NetworkScan::start(const ScanRequest& request)
{
    if (m_running || m_link.state().busy() || m_link.worker().running()) {
        m_reporter.status(link_texts::Text(link_texts::kLineBusy), StatusIcon::Warning);
        return false;
    }
    m_reporter.status(link_texts::Text(scan_texts::kScanRunning), StatusIcon::Info);
    // The scan owns the line while it runs: the link's own handle goes (pages reconnect later).
    m_link.closePort();
    PortOpening opening;
    opening.number = request.port;
    const ScanRange range = NormalizedScanRange(request.range.lowAddress,
                                                request.range.highAddress, request.range.lowBaud,
                                                request.range.highBaud);
    opening.line = ScanLine(request, range.highBaud);
    opening.protocol = Protocol::Modbus;
    ScanRequest normalized = request;
    normalized.range = range;
    if (!m_link.worker().start(std::make_unique<ScanJob>(normalized, this), opening,
                               request.repeatCount))
        return false;
    m_running = true;
    return true;
}

void NetworkScan::abort()
{
    if (m_running)
        m_link.worker().abort();
}

bool NetworkScan::stop(int ms)
{
    return !m_running || m_link.worker().stop(ms);
}

void NetworkScan::ended(WorkerEnd end)
{
    m_running = false;
    if (end == WorkerEnd::Aborted)
        m_reporter.status(link_texts::Text(link_texts::kUserAbortThread), StatusIcon::Warning);
    else if (end == WorkerEnd::Success)
        m_reporter.status(link_texts::Text(scan_texts::kScanDone), StatusIcon::Ok);
    emit finished(end);
}

}  // namespace tirv
