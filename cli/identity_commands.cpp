// identity get|set: the configuration page's operation. get reads the type code and serial
// number (registers 131–134); set writes --set-type and, when given, --set-serial.
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "configurator/service/device_identity_control.h"
#include "configurator/service/device_identity_rules.h"
#include "configurator/service/device_identity_texts.h"

#include <QJsonObject>

#include <cstdio>

namespace tirv::cli {

namespace {

namespace it = identity_texts;

Exit Finish(RelaySession& s, const IdentityEnd& end)
{
    if (end.ok)
        return Exit::Ok;
    const Exit exit = end.refused ? Exit::Refused : Exit::NoLink;
    if (s.options().json)
        PrintJson(FailureJson(exit, s.reporter()));
    return exit;
}

IdentityEnd Wait(
    RelaySession& s,
    const std::function<void(DeviceIdentityControl&, DeviceIdentityControl::Done)>& start)
{
    DeviceIdentityControl control(s.link(), s.session(), s.reporter(), s.settings());
    IdentityEnd end;
    s.waitFor([&](std::function<void()> done) {
        start(control, [&end, done](const IdentityEnd& e) {
            end = e;
            done();
        });
    });
    return end;
}

Exit Get(RelaySession& s, const std::string&)
{
    const IdentityEnd end =
        Wait(s, [](DeviceIdentityControl& c, DeviceIdentityControl::Done d) { c.read(d); });
    if (!end.ok || !end.record)
        return Finish(s, end);
    const int code = (*end.record)[kIdentityType];
    const int serial = (*end.record)[kIdentitySerial];
    const char* title = FamilyName(code);
    if (s.options().json) {
        PrintJson({{"ok", true},
                   {"type", code},
                   {"typeName", QString::fromUtf8(title)},
                   {"serial", serial}});
    } else {
        std::printf("%s %s (%d)\n%s %d\n", it::kTypeLabel, title, code, it::kSerialLabel, serial);
        std::fflush(stdout);
    }
    return Exit::Ok;
}

Exit Set(RelaySession& s, const std::string&)
{
    const Options& o = s.options();
    const std::string serialText = o.identitySerial ? std::to_string(*o.identitySerial) : "";
    const IdentityInput input = CheckIdentityInput(DeviceTypeItem(o.identityType.value_or(0)),
                                                   o.identitySerial.has_value(), serialText);
    if (input.error != IdentityInputError::None) {
        std::fprintf(stderr, "%s: %s\n", it::kInputCaption, IdentityInputText(input.error));
        return Exit::Usage;
    }
    const IdentityEnd end = Wait(s, [&input](DeviceIdentityControl& c,
                                             DeviceIdentityControl::Done d) { c.write(input, d); });
    // As the window does: a written type of another model switches the model in use.
    if (end.typeWritten)
        s.model().setCode(end.code);
    if (end.ok && o.json)
        PrintJson({{"ok", true}, {"type", end.code}, {"serialWritten", end.serialWritten}});
    return Finish(s, end);
}

using G = OptionGroup;

const CommandRow kRows[] = {
    {"identity get", nullptr, G::General, "reads the relay's type code and serial number", Get},
    {"identity set", nullptr, G::DeviceSettings,
     "writes --set-type CODE and, with --set-serial N, the serial number", Set},
};

}  // namespace

std::span<const CommandRow> IdentityCommands()
{
    return kRows;
}

}  // namespace tirv::cli
