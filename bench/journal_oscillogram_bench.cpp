// The oscillogram read-out as the emergency-journal page runs it (the journal operation: the
// oscillograph settings, then 11,150 registers with function 0x41, the file written) at
// 115200 bit/s from tirv-sim, against the line limit of the same frames (request and reply bytes
// at 10 bit times per byte, 8N1). Goal: at least 0.88 of the line limit, as the bare transfer.
#include "configurator/device/device_model.h"
#include "configurator/journals/journal_operation.h"
#include "configurator/link/frames.h"
#include "configurator/link/link_session.h"
#include "configurator/link/registers.h"
#include "configurator/link/serial_link.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

using namespace tirv;

namespace {

constexpr int kBaudIndex = 7;  // 115200
constexpr int kCom = 161;
constexpr int kWireBitsPerByte = 10;
constexpr std::size_t kRequestBytes = 8;

std::optional<JournalOutcome> Run(const std::function<bool(JournalOperations::Done)>& start)
{
    std::optional<JournalOutcome> outcome;
    if (!start([&outcome](const JournalOutcome& o) { outcome = o; }))
        return std::nullopt;
    while (!outcome)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return outcome;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    test::SimProcess sim({"--model", "715", "--baud", "115200"}, kCom);
    if (!sim.ready()) {
        std::fprintf(stderr, "tirv-sim did not start: %s\n", sim.error().c_str());
        return 1;
    }
    test::RecordingReporter reporter;
    ConnectionSettings settings;
    settings.port = kCom;
    settings.baudIndex = kBaudIndex;
    DeviceModel model(715);
    SerialLink link(
        reporter, settings, [] { return true; }, nullptr, QString::fromStdString(sim.portsDir()));
    LinkSession session(link, reporter, settings, model);
    JournalStore store;
    JournalOperations ops(link, session, reporter, settings, model, store);
    QTemporaryDir dir;

    // The link check and the journal come first and are not part of the measurement.
    const auto journal = Run([&](JournalOperations::Done d) { return ops.startEmergencyRead(d); });
    if (!journal || !journal->ok()) {
        std::fprintf(stderr, "no journal from tirv-sim\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    const auto osc = Run([&](JournalOperations::Done d) {
        return ops.startOscillogramRead({dir.filePath("bench.tao"), {}}, d);
    });
    const double elapsedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (!osc || !osc->ok()) {
        std::fprintf(stderr, "the oscillogram read failed\n");
        return 1;
    }
    double bytes =
        static_cast<double>(kRequestBytes + ReadReplyLength(regs::kOscillographSettings.count));
    const int total = regs::kOscillogram.count;
    for (std::size_t k = 0; k < BlockCount(std::size_t(total), kMaxReadCount); ++k) {
        const Block b = BlockAt(k, std::size_t(total), kMaxReadCount);
        bytes += static_cast<double>(kRequestBytes +
                                     ReadReplyLength(static_cast<std::uint16_t>(b.count)));
    }
    const double limitMs = bytes * kWireBitsPerByte * 1000.0 / BaudRate(kBaudIndex);
    const double ofLimit = limitMs / elapsedMs;
    std::printf("oscillogram read-out through the journal operation at %u bit/s\n",
                BaudRate(kBaudIndex));
    std::printf("  elapsed     %9.1f ms (settings, %d registers, file written)\n", elapsedMs,
                total);
    std::printf("  line limit  %9.1f ms   speed = %.3f of the line limit (goal 0.88)\n", limitMs,
                ofLimit);
    return ofLimit >= 0.88 ? 0 : 2;
}
