// How close the paced serial exchange comes to the line's own speed: reads the 11,150-register
// oscillogram area with function 0x41 at 115200 bit/s from tirv-sim and compares the time with
// the line limit (request and reply bytes at 10 bit times per byte, 8N1) and with the time the
// computed reply waits alone would take, and the longest stall of the event loop meanwhile (a
// 1 ms precise timer records the largest gap between its ticks). Goals: at least 0.88 of the
// line limit, no stall of 16 ms or more (one frame of a 60 Hz screen).
#include "configurator/link/frames.h"
#include "configurator/link/registers.h"
#include "configurator/link/serial_link.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <array>
#include <cstdio>
#include <vector>

using namespace tirv;

namespace {

constexpr int kBaudIndex = 7;  // 115200
constexpr int kCom = 160;
constexpr int kWireBitsPerByte = 10;

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
    SerialLink link(reporter, settings, [] { return true; }, nullptr,
                    QString::fromStdString(sim.portsDir()));

    const int total = regs::kOscillogram.count;
    std::vector<std::uint16_t> image(static_cast<std::size_t>(total));
    double lineBits = 0;
    double waitsMs = 0;
    TransferPlan plan;
    plan.function = static_cast<std::uint8_t>(Function::ReadArchive);
    plan.total = total;
    plan.perBlock = kMaxReadCount;
    plan.build = [&](int offset, int count) {
        std::array<std::uint8_t, kFrameBufferSize> buffer{};
        const auto n = BuildReadArchive(buffer, 1, static_cast<std::uint16_t>(offset),
                                        static_cast<std::uint16_t>(count));
        TransferBlock block;
        block.frame = QByteArray(reinterpret_cast<const char*>(buffer.data()),
                                 static_cast<qsizetype>(n));
        block.waitMs = ReadWaitMs(n, static_cast<std::size_t>(count), kBaudIndex);
        const auto replyLength = ReadReplyLength(static_cast<std::uint16_t>(count));
        block.reply = ModbusReply(static_cast<std::uint8_t>(Function::ReadArchive),
                                  static_cast<int>(replyLength));
        lineBits += static_cast<double>((n + replyLength) * kWireBitsPerByte);
        waitsMs += block.waitMs;
        return block;
    };
    plan.accept = [&](std::span<const std::uint8_t> reply, int offset, int count) {
        const LinkResult r = CheckReadReply(reply, 1, Function::ReadArchive,
                                            static_cast<std::uint16_t>(count));
        if (r == LinkResult::Good)
            for (int k = 0; k < count; ++k)
                image[static_cast<std::size_t>(offset + k)] =
                    ReadReplyRegister(reply, static_cast<std::size_t>(k));
        return r;
    };

    // The link check comes first and is not part of the measurement.
    QEventLoop loop;
    std::optional<LinkCheckResult> checked;
    link.linkChecker().checkLink([&](const LinkCheckResult& r) {
        checked = r;
        loop.quit();
    });
    loop.exec();
    if (!checked || checked->end != LinkCheckEnd::Established) {
        std::fprintf(stderr, "no link to tirv-sim\n");
        return 1;
    }

    std::optional<TransferOutcome> outcome;
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    qint64 lastTickNs = 0;
    qint64 longestStallNs = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestStallNs = std::max(longestStallNs, now - lastTickNs);
        lastTickNs = now;
    });
    clock.start();
    ticker.start();
    link.transfer().start(std::move(plan), [&](const TransferOutcome& o) {
        outcome = o;
        loop.quit();
    });
    loop.exec();
    ticker.stop();
    const double elapsedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const double stallMs = static_cast<double>(longestStallNs) / 1e6;
    if (!outcome || outcome->end != TransferEnd::Done) {
        std::fprintf(stderr, "the read failed (result %d)\n",
                     outcome ? static_cast<int>(outcome->result) : -1);
        return 1;
    }
    const double limitMs = lineBits * 1000.0 / static_cast<double>(BaudRate(kBaudIndex));
    const double ofLimit = limitMs / elapsedMs;
    std::printf("oscillogram read: %d registers in %d frames at %u bit/s\n", total,
                static_cast<int>(BlockCount(static_cast<std::size_t>(total), kMaxReadCount)),
                BaudRate(kBaudIndex));
    std::printf("  elapsed           %9.1f ms\n", elapsedMs);
    std::printf("  line limit        %9.1f ms   speed = %.3f of the line limit (goal 0.88)\n",
                limitMs, ofLimit);
    std::printf("  longest stall     %9.2f ms   of the event loop (goal under 16)\n", stallMs);
    std::printf("  computed waits    %9.1f ms   elapsed / waits = %.3f\n", waitsMs,
                elapsedMs / waitsMs);
    return ofLimit >= 0.88 && stallMs < 16.0 ? 0 : 2;
}
