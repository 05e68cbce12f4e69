// firmware update|verify FILE: the update page's own operations, the progress list printed as
// lines ("HH:MM:SS.mmm text"), the protocol file with --protocol-file.
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "configurator/firmware/firmware_update_protocol.h"
#include "configurator/firmware/firmware_update_relay.h"
#include "configurator/firmware/firmware_update_stm32.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace tirv::cli {

namespace {

namespace tx = firmware_texts;

ProtocolTime Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    return {unsigned(now.date().year()),   unsigned(now.date().month()),
            unsigned(now.date().day()),    unsigned(now.time().hour()),
            unsigned(now.time().minute()), unsigned(now.time().second()),
            unsigned(now.time().msec())};
}

Exit Run(RelaySession& s, const std::string& file, UpdateMode mode)
{
    // Without --model the link check tells the family; a relay waiting in its loader does not
    // answer it, so --in-loader takes the family from --model (or the settings) as it stands.
    if (!s.options().model && !s.options().inLoader && !s.check()) {
        if (s.options().json)
            PrintJson(FailureJson(Exit::NoLink, s.reporter()));
        return Exit::NoLink;
    }
    const bool m = s.model().isM();
    if (mode == UpdateMode::Verify && !m) {
        s.reporter().line("firmware verify: M models only");
        return Exit::Usage;
    }
    auto loaded = LoadFirmwareFile(file, FirmwareFamilyOf(m));
    if (!loaded.ok()) {
        s.reporter().ask(loaded.error());
        const Exit exit =
            QFileInfo::exists(QString::fromStdString(file)) ? Exit::Invalid : Exit::File;
        if (s.options().json)
            PrintJson(FailureJson(exit, s.reporter()));
        return exit;
    }
    const FirmwareImage& image = loaded.value();

    UpdateProtocolFile protocol;
    if (!s.options().protocolFile.empty()) {
        int error = 0;
        if (!protocol.open(s.options().protocolFile, error)) {
            s.reporter().ask(
                Box(QString(), QString::fromUtf8(tx::kProtocolCannotOpen)
                                   .replace(QStringLiteral("%i"), QString::number(error))));
        } else {
            ProtocolHeaderFields f;
            f.device = "ТИРВ-" + std::to_string(s.model().code() - (m ? 10 : 0)) + (m ? "M" : "");
            f.file = file;
            protocol.append(ProtocolHeader(f, Now()));
        }
    }
    QJsonArray rows;
    const auto row = [&](const QString& text, bool timed) {
        const ProtocolTime t = Now();
        s.reporter().line(
            QString::asprintf(tx::kTimeFormat, t.hour, t.minute, t.second, t.millisecond)
                .toStdString() +
            " " + text.toStdString());
        rows.append(text);
        protocol.append(ProtocolStep(text.toStdString(), t, timed));
    };
    const auto frame = [&](bool sent, const QByteArray& b) {
        protocol.append(ProtocolFrame(
            sent, {reinterpret_cast<const std::uint8_t*>(b.constData()), std::size_t(b.size())},
            Now()));
    };

    RelayFirmwareUpdate relay(s.link(), s.reporter(), s.settings());
    Stm32FirmwareUpdate stm32(s.link(), s.reporter(), s.settings());
    QObject::connect(&relay, &RelayFirmwareUpdate::stepLogged, row);
    QObject::connect(&stm32, &Stm32FirmwareUpdate::stepLogged, row);
    QObject::connect(&stm32, &Stm32FirmwareUpdate::frameLogged, frame);
    stm32.setFrameLogging(protocol.isOpen());
    if (s.options().inLoader && !m)
        s.link().state().setBootloaderMode(true);

    UpdateEnd end;
    s.waitFor([&](std::function<void()> done) {
        const auto ended = [&end, done](const UpdateEnd& e) {
            end = e;
            done();
        };
        const bool started = m ? stm32.start(image, mode, s.model().code(), ended)
                               : relay.start(image, RelayUpdateTiming{}, ended);
        if (!started)
            done();
    });
    protocol.append(ProtocolClosing(end.outcome != UpdateOutcome::Done));
    Exit exit = Exit::NoLink;
    if (end.outcome == UpdateOutcome::Done)
        exit = Exit::Ok;
    else if (end.outcome == UpdateOutcome::Mismatch)
        exit = Exit::Invalid;
    if (s.options().json)
        PrintJson({{"ok", exit == Exit::Ok},
                   {"final", QString::fromUtf8(end.finalText())},
                   {"leftInLoader", end.leftInLoader},
                   {"rows", rows}});
    return exit;
}

Exit Update(RelaySession& s, const std::string& file)
{
    return Run(s, file, UpdateMode::Update);
}
Exit Verify(RelaySession& s, const std::string& file)
{
    return Run(s, file, UpdateMode::Verify);
}

using G = OptionGroup;

const CommandRow kRows[] = {
    {"firmware update", "FILE.mot|FILE.hex", G::General,
     "writes the firmware file through the relay's bootloader, then verifies it", Update},
    {"firmware verify", "FILE.hex", G::General,
     "M models: compares the relay's firmware with the file", Verify},
};

}  // namespace

std::span<const CommandRow> FirmwareCommands()
{
    return kRows;
}

}  // namespace tirv::cli
