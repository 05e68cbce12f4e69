#pragma once
// The journal reads wired as the program wires them (link, link session, model, store) against
// one tirv-sim, with a reporter that keeps the progress values in order and can stop the read
// in flight when the bar reaches a given value.
#include "support/wait.h"
#include "configurator/device/device_model.h"
#include "configurator/journals/journal_operation.h"
#include "configurator/link/link_session.h"
#include "configurator/link/serial_link.h"
#include "support/recording_reporter.h"
#include "support/sim_process.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tirv::test {

inline void EnsureJournalApp()
{
    static int argc = 1;
    static char name[] = "journal_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
    if (!std::getenv("TIRV_BIN_DIR")) {
        const QString bin = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
        ::setenv("TIRV_BIN_DIR", bin.toLocal8Bit().constData(), 0);
    }
}

struct ProgressReporter : RecordingReporter {
    void progress(int value, int max) override
    {
        RecordingReporter::progress(value, max);
        bars.emplace_back(value, max);
        if (stopAt && max == stopAt->second && value == stopAt->first && onStop) {
            stopAt.reset();
            // From the event loop, as Esc would come: the next block is in flight by then.
            QTimer::singleShot(0, onStop);
        }
    }
    std::vector<std::pair<int, int>> bars;
    std::optional<std::pair<int, int>> stopAt;
    std::function<void()> onStop;
};

inline std::vector<std::string> JournalSimArgs(int code, std::vector<std::string> more)
{
    // Non-M relays run at 57600 bit/s at most.
    std::vector<std::string> args{"--model", std::to_string(code), "--baud",
                                  code >= 715 ? "115200" : "57600"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

struct JournalSimLine {
    JournalSimLine(int code, std::vector<std::string> more, int com)
        : sim(JournalSimArgs(code, std::move(more)), com)
    {
        EnsureJournalApp();
        settings.port = sim.com();
        settings.baudIndex = code >= 715 ? 7 : 6;  // 115200 or 57600
        settings.repeatCount = 2;
        settings.channel = code >= 715 ? Channel::Usb : Channel::Rs485;
        settings.tcpAddress = {127, 0, 0, 1};
        settings.tcpPort = sim.tcpPort() > 0 ? sim.tcpPort() : 502;
    }
    SimProcess sim;
    ProgressReporter reporter;
    ConnectionSettings settings;
};

struct JournalRig : JournalSimLine {
    explicit JournalRig(int code, std::vector<std::string> more = {}, int com = 1)
        : JournalSimLine(code, std::move(more), com),
          model(code),
          link(
              reporter, settings, [this] { return model.isM(); }, nullptr,
              QString::fromStdString(sim.portsDir())),
          session(link, reporter, settings, model),
          ops(link, session, reporter, settings, model, store)
    {
    }
    ~JournalRig() { link.closePort(); }

    enum class Read { Working, Emergency, Oscillogram };
    std::optional<JournalOutcome> run(Read what, OscillogramTarget target = {},
                                      int timeoutMs = 60000)
    {
        std::optional<JournalOutcome> outcome;
        auto done = [&outcome](const JournalOutcome& o) { outcome = o; };
        const bool started = what == Read::Working     ? ops.startWorkingRead(done)
                             : what == Read::Emergency ? ops.startEmergencyRead(done)
                                                       : ops.startOscillogramRead(target, done);
        if (!started)
            return std::nullopt;
        test::WaitUntil([&outcome] { return outcome.has_value(); }, timeoutMs, 5);
        return outcome;
    }

    DeviceModel model;
    SerialLink link;
    LinkSession session;
    JournalStore store;
    JournalOperations ops;
};

inline QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

}  // namespace tirv::test
