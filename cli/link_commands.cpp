// identify and the link commands: the connection panel's sequences run by the link session.
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "cli/texts.h"
#include "configurator/link/panel_rules.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/registers.h"
#include "configurator/link/texts.h"

#include <QJsonObject>

namespace tirv::cli {

namespace {

namespace pt = panel_texts;

constexpr const char* kProtocolWords[] = {"tirv", "modbus"};

std::string Field(const char* label, const std::string& value)
{
    return std::string(label) + ": " + value;
}

void PrintLines(const std::vector<std::string>& lines)
{
    for (const std::string& l : lines)
        std::printf("%s\n", l.c_str());
    std::fflush(stdout);
}

Exit Fail(RelaySession& s, Exit exit)
{
    if (s.options().json)
        PrintJson(FailureJson(exit, s.reporter()));
    return exit;
}

// The speed and where the relay was found, shared by every link result.
QJsonObject LineJson(RelaySession& s)
{
    const ConnectionSettings& c = s.settings();
    return {{"ok", true},
            {"port", c.port},
            {"address", c.address},
            {"baud", static_cast<int>(BaudRate(c.baudIndex))},
            {"protocol", kProtocolWords[static_cast<int>(c.protocol)]}};
}

// The identity fields of the connection panel, as text lines and as JSON members.
void AddIdentity(RelaySession& s, std::vector<std::string>& lines, QJsonObject& json)
{
    const auto& id = s.session().identity();
    if (!id)
        return;
    const int code = s.model().code();
    lines.push_back(Field(pt::kDeviceType, std::string(FamilyName(code)) +
                                               " (" + std::to_string(code) + ")"));
    const QString version = QString::number(id->firmwareX100 / 100.0, 'f', 2);
    lines.push_back(Field(pt::kFirmwareVersion, version.toStdString()));
    lines.push_back(Field(pt::kFirmwareBuild, std::to_string(id->build)));
    lines.push_back(Field(pt::kSerialNumber, std::to_string(id->serial)));
    json["model"] = code;
    json["modelName"] = QString::fromUtf8(FamilyName(code));
    json["mModel"] = id->mModel;
    json["firmware"] = version;
    json["build"] = id->build;
    json["serial"] = id->serial;
}

Exit Report(RelaySession& s, std::vector<std::string> lines, QJsonObject json)
{
    if (s.options().json)
        PrintJson(json);
    else
        PrintLines(lines);
    return Exit::Ok;
}

bool SerialOnly(RelaySession& s)
{
    if (s.settings().channel != Channel::Ethernet)
        return true;
    s.reporter().line(std::string(texts::kUsageError) + texts::kSerialOnly);
    return false;
}

Exit Identify(RelaySession& s, const std::string&)
{
    if (!s.check())
        return Fail(s, Exit::NoLink);
    std::vector<std::string> lines;
    QJsonObject json = LineJson(s);
    AddIdentity(s, lines, json);
    if (lines.empty())  // the ТИРВ protocol's check carries no identity
        lines.push_back(link_texts::kLinkEstablished);
    return Report(s, lines, json);
}

Exit Auto(RelaySession& s, const std::string&)
{
    if (!SerialOnly(s))
        return Exit::Usage;
    if (!s.session().autoConnect(s.settings().address))
        return Fail(s, Exit::NoLink);
    s.waitForSession();
    if (!s.session().linkEstablished())
        return Fail(s, Exit::NoLink);
    std::vector<std::string> lines{
        Field(pt::kBaud, std::to_string(BaudRate(s.settings().baudIndex)))};
    QJsonObject json = LineJson(s);
    AddIdentity(s, lines, json);
    return Report(s, lines, json);
}

Exit MaxSpeed(RelaySession& s, const std::string&)
{
    if (!SerialOnly(s))
        return Exit::Usage;
    if (!s.check())
        return Fail(s, Exit::NoLink);
    std::optional<int> found;
    const auto c = QObject::connect(&s.session(), &LinkSession::maxRateFound,
                                    [&found](int index) { found = index; });
    const bool started = s.session().maxRate();
    s.waitForSession();
    QObject::disconnect(c);
    if (!started || !found)
        return Fail(s, Exit::NoLink);
    const std::string rate = std::to_string(BaudRate(*found));
    QJsonObject json = LineJson(s);
    json["maxBaud"] = static_cast<int>(BaudRate(*found));
    return Report(s, {std::string(pt::kMaxRateLabel) + " " + rate}, json);
}

// The block a write starts from: what the relay holds where it was read, else what the line
// settings say (the non-M block and the ТИРВ-protocol write carry only address, speed, protocol).
panel::DeviceSettings BaseSettings(RelaySession& s)
{
    if (const auto& read = s.session().deviceSettings())
        return *read;
    const ConnectionSettings& c = s.settings();
    panel::DeviceSettings d;
    if (c.channel == Channel::Usb) {
        d.usbBaudIndex = c.baudIndex;
    } else {
        d.rsAddress = c.address;
        d.rsBaudIndex = c.baudIndex;
        d.rsProtocol = static_cast<int>(c.protocol);
    }
    return d;
}

void ApplyEdits(const DeviceSettingsEdits& e, panel::DeviceSettings& d)
{
    d.rsAddress = e.rsAddress.value_or(d.rsAddress);
    d.rsBaudIndex = e.rsBaudIndex.value_or(d.rsBaudIndex);
    d.rsProtocol = e.rsProtocol.value_or(d.rsProtocol);
    d.parity = e.parity.value_or(d.parity);
    d.stopBits = e.stopBits.value_or(d.stopBits);
    d.mode = e.mode.value_or(d.mode);
    d.timeSync = e.timeSync.value_or(d.timeSync);
    d.usbBaudIndex = e.usbBaudIndex.value_or(d.usbBaudIndex);
    d.ethernetOn = e.ethernetOn.value_or(d.ethernetOn);
    d.ip = e.ip.value_or(d.ip);
    d.tcpPort = e.tcpPort.value_or(d.tcpPort);
    d.mac = e.mac.value_or(d.mac);
    d.gateway = e.gateway.value_or(d.gateway);
    d.mask = e.mask.value_or(d.mask);
}

Exit Write(RelaySession& s, const std::string&)
{
    if (!SerialOnly(s))
        return Exit::Usage;
    const Options& o = s.options();
    if (!o.device.any()) {
        s.reporter().line(std::string(texts::kUsageError) + texts::kNothingToWrite);
        return Exit::Usage;
    }
    const bool modbus = s.settings().protocol == Protocol::Modbus;
    // The M block carries every setting of the relay: it is written only over what the relay
    // holds, read first, so that no value nobody asked for is changed. A model given on the
    // command line whose write carries three values only needs no check before it.
    const bool needBlock = modbus && (!o.model || IsMModel(*o.model));
    if (!o.model || needBlock) {
        s.session().setReadBlockOnCheck(modbus);
        if (!s.check())
            return Fail(s, Exit::NoLink);
        if (s.model().isM() && modbus && !s.session().deviceSettings()) {
            s.reporter().line(texts::kNoSettingsBlock);
            return Fail(s, Exit::NoLink);
        }
    }
    panel::DeviceSettings fields = BaseSettings(s);
    ApplyEdits(o.device, fields);
    const int usbProtocol = o.device.usbProtocol.value_or(
        s.settings().channel == Channel::Usb ? static_cast<int>(s.settings().protocol) : 1);

    bool adopted = false;
    const auto c = QObject::connect(&s.session(), &LinkSession::settingsAdopted,
                                    [&adopted] { adopted = true; });
    s.reporter().clearSeen();
    const bool started = s.session().writeSettings(fields, usbProtocol);
    s.waitForSession();
    QObject::disconnect(c);
    if (!started || !adopted)
        return Fail(
            s, s.reporter().seen(link_texts::kDeviceCannotExecute) ? Exit::Refused : Exit::NoLink);
    const ConnectionSettings& now = s.settings();
    return Report(s,
                  {Field(pt::kAddress, std::to_string(now.address)),
                   Field(pt::kBaud, std::to_string(BaudRate(now.baudIndex))),
                   Field(pt::kProtocol, kProtocolWords[static_cast<int>(now.protocol)])},
                  LineJson(s));
}

using G = OptionGroup;

const CommandRow kRows[] = {
    {"identify", nullptr, G::General, "link check; prints model, firmware version, build, serial number",
     Identify},
    {"link auto", nullptr, G::General, "automatic connection; prints the speed found", Auto},
    {"link max-speed", nullptr, G::General, "raises the line to the highest speed that works", MaxSpeed},
    {"link write", nullptr, G::DeviceSettings, "writes the relay's communication settings (--set-…)", Write},
};

}  // namespace

std::span<const CommandRow> LinkCommands()
{
    return kRows;
}

}  // namespace tirv::cli
