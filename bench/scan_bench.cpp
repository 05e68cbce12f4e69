// What the network scan costs: addresses 1–32 at 19200, 38400 and 57600 bit/s with two relays on
// the line (both at 57600), run by the scan operation against tirv-sim, compared with the sum of
// the waits the probes are allowed (sending + the first reply byte, and for an answer as long
// again for the rest). A relay answers early, and a silent address costs its waits in full, so
// the ratio shows how much early completion saves and how close silent probes stay to their waits.
#include "configurator/link/network_scan.h"
#include "configurator/link/registers.h"
#include "configurator/link/scan_rules.h"
#include "configurator/link/serial_link.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <cstdio>

using namespace tirv;

namespace {

constexpr int kCom = 161;
constexpr int kRepeats = 0;
constexpr ScanRange kRange{1, 32, 4, 6};  // 19200 … 57600

// The waits the scan allows its probes, with the two relays answering at the top speed.
double AllowedMs(int relaysFound)
{
    double total = 0;
    ScanCursor cursor(kRange, kRepeats);
    while (!cursor.done()) {
        const int b = cursor.baudIndex();
        const bool answers = b == kRange.highBaud && cursor.address() <= relaysFound;
        // Sending, the first byte; an answer is then given as long again to arrive whole.
        total += ScanWriteWaitMs(b) + ScanReplyWaitMs(b) * (answers ? 2.0 : 1.0);
        cursor.probed(answers);
    }
    return total;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    test::SimProcess sim({"--device", "model=705,address=1", "--device", "model=715,address=2,"
                          "channel=rs485"},
                         kCom);
    if (!sim.ready()) {
        std::fprintf(stderr, "tirv-sim did not start: %s\n", sim.error().c_str());
        return 1;
    }
    test::RecordingReporter reporter;
    ConnectionSettings settings;
    settings.port = kCom;
    SerialLink link(reporter, settings, [] { return false; }, nullptr,
                    QString::fromStdString(sim.portsDir()));
    NetworkScan scan(link, reporter);
    int found = 0;
    QObject::connect(&scan, &NetworkScan::rowFound, [&found](const ScanRow&) { ++found; });
    QEventLoop loop;
    WorkerEnd end = WorkerEnd::Failed;
    QObject::connect(&scan, &NetworkScan::finished, &loop, [&](WorkerEnd e) {
        end = e;
        loop.quit();
    });
    ScanRequest request;
    request.port = kCom;
    request.range = kRange;
    request.repeatCount = kRepeats;
    QElapsedTimer clock;
    clock.start();
    if (!scan.start(request)) {
        std::fprintf(stderr, "the scan did not start\n");
        return 1;
    }
    loop.exec();
    const double tookMs = double(clock.nsecsElapsed()) / 1e6;
    const double allowedMs = AllowedMs(2);
    std::printf("scan 1-32 at 19200..57600, 2 relays: %s, %d found\n",
                end == WorkerEnd::Success ? "completed" : "FAILED", found);
    std::printf("took %.0f ms, probe waits allow %.0f ms, ratio %.2f\n", tookMs, allowedMs,
                tookMs / allowedMs);
    return end == WorkerEnd::Success && found == 2 ? 0 : 1;
}
