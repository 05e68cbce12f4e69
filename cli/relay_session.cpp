#include "cli/relay_session.h"

#include "cli/texts.h"
#include "common/word_file.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/shell/program_settings.h"
#include "configurator/shell/setpoint_file.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

namespace tirv::cli {

namespace {

void ApplyOptions(const Options& o, StartSettings& s)
{
    ConnectionSettings& c = s.connection;
    if (o.port)
        c.port = *o.port;
    if (o.channel)
        c.channel = Channel(*o.channel);
    if (o.tcp) {
        c.channel = Channel::Ethernet;
        c.tcpAddress = o.tcp->address;
        c.tcpPort = o.tcp->port;
    } else if (c.channel == Channel::Ethernet) {
        // A serial option names the serial line: a saved Ethernet channel gives way to it.
        if (o.port || o.baudIndex || o.address || o.protocol)
            c.channel = Channel::Usb;
    }
    if (o.baudIndex)
        c.baudIndex = *o.baudIndex;
    if (o.parity)
        c.parity = Parity(*o.parity);
    if (o.stopBits)
        c.stopBits = StopBits(*o.stopBits);
    if (o.address)
        c.address = *o.address;
    if (o.protocol)
        c.protocol = Protocol(*o.protocol);
    if (o.variant)
        c.protocolVariant = *o.variant;
    if (o.valuesPerFrame)
        c.valuesPerFrame = *o.valuesPerFrame;
    if (o.repeats)
        c.repeatCount = *o.repeats;
    if (o.model)
        s.modelCode = *o.model;
}

// USB (and the higher speeds) exist on M relays only; the connection panel forces the others
// onto RS-485 the same way.
void FitChannelToModel(ConnectionSettings& c, bool mModel)
{
    if (!mModel && c.channel == Channel::Usb)
        c.channel = Channel::Rs485;
}

}  // namespace

Exit LoadStartSettings(const Options& o, TerminalReporter& reporter, StartSettings& out)
{
    ProgramSettings program = DefaultProgramSettings(SettingsSource::Missing);
    if (!o.settingsFile.empty()) {
        std::vector<std::uint8_t> bytes;
        int error = 0;
        if (!ReadWholeFile(o.settingsFile, bytes, &error)) {
            reporter.ask(CannotOpenFileMessage(error));
            return Exit::File;
        }
        const ProgramSettingsLoad load = ParseProgramSettings(bytes);
        if (load.source != SettingsSource::Loaded) {
            // The window would fall back to its defaults silently; a script named this file
            // and must not run against settings it did not ask for.
            reporter.line(texts::kSettingsDamaged + o.settingsFile);
            return Exit::Invalid;
        }
        program = load.settings;
    }
    out.connection = EffectiveConnection(program);
    out.modelCode = program.modelCode();
    ApplyOptions(o, out);
    return Exit::Ok;
}

RelaySession::RelaySession(const Options& options, const StartSettings& start,
                           TerminalReporter& reporter)
    : m_options(options),
      m_reporter(reporter),
      m_settings(start.connection),
      m_model(start.modelCode),
      m_profile(ProfileForModel(start.modelCode))
{
    FitChannelToModel(m_settings, m_model.isM());
    m_image = DefaultImage(m_profile);
    m_link = std::make_unique<SerialLink>(
        reporter, m_settings, [this] { return m_model.isM(); }, nullptr,
        QString::fromStdString(options.portsDir));
    m_session = std::make_unique<LinkSession>(*m_link, reporter, m_settings, m_model);
    m_transfer = std::make_unique<SetpointTransfer>(m_link->transfer(), m_link->tcp(), reporter,
                                                    m_settings, m_profile, m_image);
    m_operations =
        std::make_unique<SetpointOperations>(*m_session, *m_transfer, m_settings, nullptr, nullptr);
    // The relay found selects the tables, as in the window, unless --model fixed them.
    QObject::connect(&m_model, &DeviceModel::changed, m_session.get(), [this](int code) {
        if (!m_options.model)
            m_profile = ApplyModelProfile(code, m_profile);
        FitChannelToModel(m_settings, m_model.isM());
    });
}

RelaySession::~RelaySession()
{
    // Nothing may still talk to the relay once the program ends.
    m_session->abort();
    m_link->abort();
    m_link->closePort();
}

void RelaySession::waitForSession()
{
    while (m_session->running() != LinkSession::Seq::None) {
        QEventLoop loop;
        QObject::connect(m_session.get(), &LinkSession::runningChanged, &loop,
                         [&loop](bool running) {
                             if (!running)
                                 loop.quit();
                         });
        loop.exec();
    }
}

void RelaySession::waitFor(const std::function<void(std::function<void()> done)>& start)
{
    bool finished = false;
    QEventLoop loop;
    start([&finished, &loop] {
        finished = true;
        loop.quit();
    });
    if (!finished)
        loop.exec();
}

bool RelaySession::check()
{
    if (!m_session->check())
        return false;
    waitForSession();
    if (m_settings.channel == Channel::Ethernet)
        return m_session->identity().has_value();
    return m_session->linkEstablished();
}

void PrintJson(const QJsonObject& doc)
{
    const QByteArray text = QJsonDocument(doc).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
}

QJsonObject FailureJson(Exit exit, const TerminalReporter& reporter)
{
    QJsonArray messages;
    for (const std::string& m : reporter.messages())
        messages.append(QString::fromStdString(m));
    return {{"ok", false},
            {"exitCode", static_cast<int>(exit)},
            {"status", QString::fromStdString(reporter.lastLine())},
            {"messages", messages}};
}

}  // namespace tirv::cli
