// clock get|set|broadcast: the clock page's operation. get reads the relay clock (serial line
// or --tcp), set sets it from the computer clock at a whole second and reads it back, broadcast
// sends the time to every relay of the serial line and reads the addressed one.
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "configurator/service/clock_operation.h"
#include "configurator/service/clock_texts.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace tirv::cli {

namespace {

namespace ct = clock_texts;

Exit Run(RelaySession& s, ClockAction action)
{
    // The fraction's range depends on the family: without --model the link check finds it.
    if (!s.options().model && s.settings().channel != Channel::Ethernet && !s.check()) {
        if (s.options().json)
            PrintJson(FailureJson(Exit::NoLink, s.reporter()));
        return Exit::NoLink;
    }
    ClockOperation op(s.link(), s.session(), s.reporter(), s.settings(),
                      [&s] { return s.model().isM(); });
    ClockEnd end;
    s.waitFor([&](std::function<void()> done) {
        op.start(action, [&end, done](const ClockEnd& e) {
            end = e;
            done();
        });
    });
    Exit exit = Exit::Ok;
    if (!end.reading)
        exit = Exit::NoLink;
    else if (!end.valid)
        exit = Exit::Invalid;
    if (end.reading && (exit == Exit::Ok || exit == Exit::Invalid)) {
        if (s.options().json) {
            QJsonArray registers;
            for (const std::uint16_t r : end.relay)
                registers.append(int(r));
            PrintJson({{"ok", exit == Exit::Ok},
                       {"valid", end.valid},
                       {"relay", QString::fromStdString(end.relayText)},
                       {"computer", QString::fromStdString(end.computerText)},
                       {"registers", registers},
                       {"status", QString::fromStdString(end.status)}});
        } else {
            std::printf("%s %s\n%s %s\n", ct::kRelayLabel, end.relayText.c_str(),
                        ct::kComputerLabel, end.computerText.c_str());
            std::fflush(stdout);
        }
        return exit;
    }
    if (s.options().json)
        PrintJson(FailureJson(exit, s.reporter()));
    return exit;
}

Exit Get(RelaySession& s, const std::string&)
{
    return Run(s, ClockAction::Read);
}
Exit Set(RelaySession& s, const std::string&)
{
    return Run(s, ClockAction::Set);
}
Exit Broadcast(RelaySession& s, const std::string&)
{
    if (s.settings().channel == Channel::Ethernet) {
        std::fprintf(stderr, "clock broadcast: the serial line only (not with --tcp)\n");
        return Exit::Usage;
    }
    return Run(s, ClockAction::Broadcast);
}

using G = OptionGroup;

const CommandRow kRows[] = {
    {"clock get", nullptr, G::General, "reads the relay clock beside the computer's", Get},
    {"clock set", nullptr, G::General,
     "sets the relay clock from the computer's at a whole second, then reads it", Set},
    {"clock broadcast", nullptr, G::General,
     "sets every relay of the serial line at once (0x42), then reads the addressed one", Broadcast},
};

}  // namespace

std::span<const CommandRow> ClockCommands()
{
    return kRows;
}

}  // namespace tirv::cli
