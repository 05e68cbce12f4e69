// What an M firmware update costs: our update (write, read-back, go) of a 256 KiB image through
// the simulated STM32 bootloader of tirv-sim, against stm32flash writing and verifying the same
// image on the same simulated line, in one run; the ratio is ours / stm32flash (goal: at most 1).
// Our run is split into its phases, and the read-back is set against the time the line itself
// needs for its answers, so what is left is the cost of the round trips.
#include "configurator/firmware/firmware_update_stm32.h"
#include "configurator/firmware/texts.h"
#include "configurator/link/serial_link.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

using namespace tirv;

namespace {

constexpr std::size_t kImageBytes = 256 * 1024;

std::vector<std::uint8_t> Image()
{
    std::vector<std::uint8_t> b(kImageBytes);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = std::uint8_t(i * 7 + i / 4096);
    return b;
}

std::string HexFile(const std::vector<std::uint8_t>& data)
{
    std::string text;
    char line[80];
    const auto record = [&](unsigned type, unsigned offset, const std::uint8_t* bytes, unsigned n) {
        unsigned sum = n + (offset >> 8) + (offset & 0xFF) + type;
        int at = std::snprintf(line, sizeof line, ":%02X%04X%02X", n, offset, type);
        for (unsigned k = 0; k < n; ++k) {
            at += std::snprintf(line + at, sizeof line - std::size_t(at), "%02X", bytes[k]);
            sum += bytes[k];
        }
        std::snprintf(line + at, sizeof line - std::size_t(at), "%02X\r\n",
                      (0x100 - (sum & 0xFF)) & 0xFF);
        text += line;
    };
    for (std::size_t at = 0; at < data.size(); at += 16) {
        if (at % 0x10000 == 0) {
            const std::uint8_t upper[2] = {0x08, std::uint8_t(at >> 16)};
            record(4, 0, upper, 2);
        }
        record(0, unsigned(at & 0xFFFF), data.data() + at, 16);
    }
    return text + ":00000001FF\r\n";
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (std::system("command -v stm32flash >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "stm32flash is not installed\n");
        return 1;
    }
    test::SimProcess sim({"--model", "715", "--address", "1"}, 162);
    if (!sim.ready()) {
        std::fprintf(stderr, "tirv-sim did not start: %s\n", sim.error().c_str());
        return 1;
    }
    const std::vector<std::uint8_t> data = Image();
    auto parsed = ParseFirmwareFile(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(HexFile(data).data()),
                                      HexFile(data).size()),
        FirmwareFamily::Stm32);
    if (!parsed.ok()) {
        std::fprintf(stderr, "the image file does not parse\n");
        return 1;
    }
    test::RecordingReporter reporter;
    ConnectionSettings settings;
    settings.channel = Channel::Rs485;
    settings.port = sim.com();
    SerialLink link(
        reporter, settings, [] { return true; }, nullptr, QString::fromStdString(sim.portsDir()));
    Stm32FirmwareUpdate update(link, reporter, settings);
    QStringList rows;
    QElapsedTimer ours;
    // When the phases began: the write, the read-back, the jump to the program.
    const QString phaseRows[] = {QString::fromUtf8(firmware_texts::kWritingProgram),
                                 QString::fromUtf8(firmware_texts::kCheckingProgram),
                                 QString::fromUtf8(firmware_texts::kProgramMatches)};
    double phaseMs[3] = {0, 0, 0};
    QObject::connect(&update, &Stm32FirmwareUpdate::stepLogged, [&](const QString& text, bool) {
        rows << text;
        for (int k = 0; k < 3; ++k)
            if (text == phaseRows[k])
                phaseMs[k] = double(ours.elapsed());
    });
    // As the page runs it without a protocol file: no frame dumps.
    update.setFrameLogging(false);
    std::optional<UpdateEnd> end;
    ours.start();
    // The main thread sleeps in its event loop as the program's does: a loop around
    // processEvents() returns at once when nothing is queued and would spin a whole core, which
    // the worker thread and the simulator then lack (stm32flash's run has no such neighbour).
    QEventLoop loop;
    update.start(parsed.value(), UpdateMode::Update, 715, [&](const UpdateEnd& e) {
        end = e;
        loop.quit();
    });
    if (!end)
        loop.exec();
    const double oursMs = double(ours.elapsed());
    if (end->outcome != UpdateOutcome::Done) {
        std::fprintf(stderr, "our update failed:\n%s\n", rows.join('\n').toUtf8().constData());
        return 1;
    }

    const std::string bin = sim.workDir() + "/image.bin";
    std::ofstream(bin, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    sim.control("bootloader on");
    const std::string command =
        "stm32flash -m 8n1 -b 115200 -w " + bin + " -v " + sim.portPath() + " >/dev/null 2>&1";
    QElapsedTimer theirs;
    theirs.start();
    const int status = std::system(command.c_str());
    const double theirsMs = double(theirs.elapsed());
    if (status != 0) {
        std::fprintf(stderr, "stm32flash failed\n");
        return 1;
    }
    // 8 data bits, even parity, one stop bit: 11 bit times a byte; a block answers its data
    // and one ACK.
    const std::size_t blocks = (kImageBytes + kStm32UpdateBlock - 1) / kStm32UpdateBlock;
    const double readLineMs = double(kImageBytes + blocks) * 11 * 1000 / 115200;
    std::printf(
        "ours: to the write %.0f ms, write %.0f ms, read-back %.0f ms (the line alone "
        "%.0f ms), go %.0f ms; blocks of %zu bytes\n",
        phaseMs[0], phaseMs[1] - phaseMs[0], phaseMs[2] - phaseMs[1], readLineMs,
        oursMs - phaseMs[2], kStm32UpdateBlock);
    std::printf(
        "M update of %zu KiB, both verifying: ours %.0f ms, stm32flash %.0f ms, "
        "ratio %.2f (goal: at most 1)\n",
        kImageBytes / 1024, oursMs, theirsMs, oursMs / theirsMs);
    return 0;
}
