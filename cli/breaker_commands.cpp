// breaker close|open|unblock: the breaker window's operation, one command each, sent once.
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "configurator/service/breaker_control.h"

#include <QEventLoop>
#include <QJsonObject>

namespace tirv::cli {

namespace {

Exit Send(RelaySession& s, BreakerCommand command)
{
    BreakerControl control(s.link(), s.session(), s.reporter(), s.settings());
    BreakerEnd end;
    s.waitFor([&](std::function<void()> done) {
        control.send(command, [&end, done](const BreakerEnd& e) {
            end = e;
            done();
        });
    });
    Exit exit = Exit::Ok;
    if (end.stage != BreakerEnd::Stage::Sent)
        exit = Exit::NoLink;
    else if (!end.outcome.ok)
        exit = end.outcome.refused ? Exit::Refused : Exit::NoLink;
    if (s.options().json) {
        if (exit == Exit::Ok)
            PrintJson({{"ok", true}, {"command", BreakerRowOf(command).reg}});
        else
            PrintJson(FailureJson(exit, s.reporter()));
    }
    return exit;
}

Exit Close(RelaySession& s, const std::string&) { return Send(s, BreakerCommand::Close); }
Exit Open(RelaySession& s, const std::string&) { return Send(s, BreakerCommand::Open); }
Exit Unblock(RelaySession& s, const std::string&) { return Send(s, BreakerCommand::Unblock); }

using G = OptionGroup;

const CommandRow kRows[] = {
    {"breaker close", nullptr, G::General, "closes the breaker (\"Включить\"), sent once", Close},
    {"breaker open", nullptr, G::General, "opens the breaker (\"Отключить\"), sent once", Open},
    {"breaker unblock", nullptr, G::General, "unblocks the relay (\"Деблокирование\")", Unblock},
};

}  // namespace

std::span<const CommandRow> BreakerCommands()
{
    return kRows;
}

}  // namespace tirv::cli
