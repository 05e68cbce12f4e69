// io read|write|state, leds read|write, project read|write: the window's I/O and LED exchanges
// and its .tio, .tld and .tirv file functions, so a file written here opens in the window and
// the other way round.
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "cli/texts.h"
#include "common/word_file.h"
#include "configurator/iocfg/io_files.h"
#include "configurator/iocfg/io_operation.h"
#include "configurator/iocfg/io_operation_texts.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/iocfg/led_operation.h"
#include "configurator/shell/project_file.h"
#include "configurator/shell/setpoint_file.h"

#include <QJsonArray>
#include <QJsonObject>

namespace tirv::cli {

namespace {

namespace tx = io_operation_texts;

// The tool's own words for what it prints (the relay's texts come from the operations).
namespace io_cli_texts {
inline constexpr char kTioExtension[] = "tio";
inline constexpr char kTldExtension[] = "tld";
inline constexpr char kProjectExtension[] = "tirv";
inline constexpr char kWrongExtension[] = "the file name must end in .";
inline constexpr char kInputsLine[] = "inputs  1-16: ";
inline constexpr char kOutputsLine[] = "outputs 1-16: ";
inline constexpr char kOtherClassProject[] =
    "the project is of the other model class than the relay; it is not written";
}  // namespace io_cli_texts
namespace ct = io_cli_texts;

Exit Fail(RelaySession& s, Exit exit)
{
    if (s.options().json)
        PrintJson(FailureJson(exit, s.reporter()));
    return exit;
}

Exit ExitOf(const IoTransferOutcome& o)
{
    switch (o.end) {
        case IoTransferEnd::Read:
        case IoTransferEnd::Written:
            return Exit::Ok;
        case IoTransferEnd::Empty:
        case IoTransferEnd::Rejected:
            return Exit::Invalid;
        case IoTransferEnd::Failed:
            return o.refused ? Exit::Refused : Exit::NoLink;
        case IoTransferEnd::Aborted:
            return Exit::NoLink;
    }
    return Exit::NoLink;
}

bool ExtensionFits(RelaySession& s, const std::string& path, const char* extension)
{
    if (HasFileExtension(path, extension))
        return true;
    if (std::string_view(extension) == ct::kTioExtension)
        s.reporter().ask(WrongExtensionMessage(io_texts::kTioWrongExtension));
    else
        s.reporter().line(std::string(texts::kUsageError) + ct::kWrongExtension + extension);
    return false;
}

Exit ReadBytes(RelaySession& s, const std::string& path, const char* extension,
               std::vector<std::uint8_t>& bytes)
{
    if (!ExtensionFits(s, path, extension))
        return Exit::File;
    int error = 0;
    if (!ReadWholeFile(path, bytes, &error)) {
        s.reporter().ask(CannotOpenFileMessage(error));
        return Exit::File;
    }
    return Exit::Ok;
}

Exit WriteBytes(RelaySession& s, const std::string& path, std::span<const std::uint8_t> bytes,
                const char* saved)
{
    int error = 0;
    if (!WriteWholeFile(path, bytes, &error)) {
        s.reporter().ask(CannotOpenFileMessage(error));
        return Exit::File;
    }
    s.reporter().line(std::string(saved) + texts::kWrittenTo + path);
    return Exit::Ok;
}

IoTransferOutcome RunIo(RelaySession& s, IoImage& image, bool write, IoMode mode,
                        std::uint16_t* states = nullptr)
{
    IoTransfer io(s.link(), &s.session(), s.reporter(), s.settings(), image);
    IoTransferOutcome out;
    s.waitFor([&](std::function<void()> done) {
        auto ended = [&out, done](const IoTransferOutcome& o) {
            out = o;
            done();
        };
        if (!(write ? io.startWrite(ended) : io.startRead(mode, ended)))
            done();
    });
    if (states) {
        states[0] = io.inputStates();
        states[1] = io.outputStates();
    }
    return out;
}

IoTransferOutcome RunLeds(RelaySession& s, LedImage& image, bool write)
{
    LedTransfer leds(
        s.link(), &s.session(), s.reporter(), s.settings(), [&s] { return s.model().code(); },
        image);
    IoTransferOutcome out;
    s.waitFor([&](std::function<void()> done) {
        auto ended = [&out, done](const IoTransferOutcome& o) {
            out = o;
            done();
        };
        if (!(write ? leds.startWrite(ended) : leds.startRead(ended)))
            done();
    });
    return out;
}

QJsonArray EntriesJson(const std::array<std::uint32_t, kIoTableWords>& table)
{
    QJsonArray list;
    for (int n = 0; n < kIoChannels; ++n) {
        QJsonArray entry;
        for (int w = 0; w < kIoEntryWords; ++w)
            entry.append(static_cast<qint64>(table[static_cast<std::size_t>(n * 4 + w)]));
        list.append(entry);
    }
    return list;
}

QJsonArray LedsJson(const LedImage& leds, int count)
{
    QJsonArray list;
    for (int k = 0; k < count; ++k)
        list.append(QJsonObject{{"signal", static_cast<qint64>(leds.at(k, LedSignal))},
                                {"mode", static_cast<qint64>(leds.at(k, LedMode))},
                                {"time", static_cast<qint64>(leds.at(k, LedTime))}});
    return list;
}

bool SerialOnly(RelaySession& s)
{
    if (s.settings().channel != Channel::Ethernet)
        return true;
    s.reporter().line(std::string(texts::kUsageError) + texts::kSerialOnly);
    return false;
}

Exit IoRead(RelaySession& s, const std::string& path)
{
    if (!ExtensionFits(s, path, ct::kTioExtension))
        return Fail(s, Exit::File);
    IoImage image = DefaultIoImage();
    if (const Exit e = ExitOf(RunIo(s, image, false, IoMode::Settings)); e != Exit::Ok)
        return Fail(s, e);
    const auto bytes =
        BuildTioFile(static_cast<std::uint32_t>(s.model().code()), FileReservedWords{}, image);
    if (const Exit e = WriteBytes(s, path, bytes, tx::kIoFileSaved); e != Exit::Ok)
        return Fail(s, e);
    if (s.options().json)
        PrintJson({{"ok", true},
                   {"file", QString::fromStdString(path)},
                   {"model", s.model().code()},
                   {"inputs", EntriesJson(image.inputs)},
                   {"outputs", EntriesJson(image.outputs)}});
    return Exit::Ok;
}

Exit IoWrite(RelaySession& s, const std::string& path)
{
    if (!SerialOnly(s))
        return Exit::Usage;
    std::vector<std::uint8_t> bytes;
    if (const Exit e = ReadBytes(s, path, ct::kTioExtension, bytes); e != Exit::Ok)
        return Fail(s, e);
    const TioFile file = ParseTioFile(bytes);
    if (file.result == IoFileResult::Damaged) {
        s.reporter().ask(TioDamagedMessage());
        return Fail(s, Exit::Invalid);
    }
    if (file.result == IoFileResult::Invalid) {
        s.reporter().ask(TioInvalidMessage());
        s.reporter().status(QString::fromUtf8(io_texts::kTioInvalidStatus), StatusIcon::Error);
        return Fail(s, Exit::Invalid);
    }
    s.reporter().status(QString::fromUtf8(tx::kIoFileLoaded), StatusIcon::Info);
    IoImage image = file.image;
    if (const Exit e = ExitOf(RunIo(s, image, true, IoMode::Settings)); e != Exit::Ok)
        return Fail(s, e);
    if (s.options().json)
        PrintJson({{"ok", true}, {"file", QString::fromStdString(path)}});
    return Exit::Ok;
}

std::string Bits(std::uint16_t word)
{
    std::string row;
    for (int n = 0; n < kIoChannels; ++n)
        row += ((word >> n) & 1u) != 0 ? '1' : '0';
    return row;
}

Exit IoState(RelaySession& s, const std::string&)
{
    IoImage image = DefaultIoImage();
    std::uint16_t states[2] = {0, 0};
    if (const Exit e = ExitOf(RunIo(s, image, false, IoMode::State, states)); e != Exit::Ok)
        return Fail(s, e);
    if (s.options().json) {
        QJsonArray inputs;
        QJsonArray outputs;
        for (int n = 0; n < kIoChannels; ++n) {
            inputs.append(((states[0] >> n) & 1u) != 0);
            outputs.append(((states[1] >> n) & 1u) != 0);
        }
        PrintJson({{"ok", true}, {"inputs", inputs}, {"outputs", outputs}});
        return Exit::Ok;
    }
    std::printf("%s%s\n%s%s\n", ct::kInputsLine, Bits(states[0]).c_str(), ct::kOutputsLine,
                Bits(states[1]).c_str());
    std::fflush(stdout);
    return Exit::Ok;
}

Exit LedsRead(RelaySession& s, const std::string& path)
{
    if (!ExtensionFits(s, path, ct::kTldExtension))
        return Fail(s, Exit::File);
    LedImage leds = DefaultLedImage();
    if (const Exit e = ExitOf(RunLeds(s, leds, false)); e != Exit::Ok)
        return Fail(s, e);
    const int code = s.model().code();
    const auto bytes = BuildTldFile(static_cast<std::uint32_t>(code), FileReservedWords{}, leds);
    if (const Exit e = WriteBytes(s, path, bytes, tx::kLedFileSaved); e != Exit::Ok)
        return Fail(s, e);
    if (s.options().json)
        PrintJson({{"ok", true},
                   {"file", QString::fromStdString(path)},
                   {"model", code},
                   {"leds", LedsJson(leds, LedCountForModel(code))}});
    return Exit::Ok;
}

Exit LedsWrite(RelaySession& s, const std::string& path)
{
    if (!SerialOnly(s))
        return Exit::Usage;
    std::vector<std::uint8_t> bytes;
    if (const Exit e = ReadBytes(s, path, ct::kTldExtension, bytes); e != Exit::Ok)
        return Fail(s, e);
    // The file is judged against the relay it goes to, as the window judges it against the
    // model its link check found.
    if (!s.options().model && !s.check())
        return Fail(s, Exit::NoLink);
    const TldFile file = ParseTldFile(bytes, s.model().code());
    if (file.result == IoFileResult::Damaged) {
        s.reporter().ask(TldDamagedMessage());
        return Fail(s, Exit::Invalid);
    }
    if (file.question != LedLayoutQuestion::None &&
        s.reporter().ask(TldLayoutMessage(file.question)) != Answer::Ok)
        return Fail(s, Exit::Invalid);
    if (file.result == IoFileResult::Invalid) {
        s.reporter().status(QString::fromUtf8(io_texts::kTldInvalidStatus), StatusIcon::Error);
        return Fail(s, Exit::Invalid);
    }
    s.reporter().status(QString::fromUtf8(tx::kLedFileLoaded), StatusIcon::Info);
    LedImage leds = file.image;
    if (const Exit e = ExitOf(RunLeds(s, leds, true)); e != Exit::Ok)
        return Fail(s, e);
    if (s.options().json)
        PrintJson({{"ok", true}, {"file", QString::fromStdString(path)}});
    return Exit::Ok;
}

Exit RunSetpoints(RelaySession& s, bool write)
{
    SetpointOperationEnd end;
    s.waitFor([&s, &end, write](std::function<void()> done) {
        auto ended = [&end, done](const SetpointOperationEnd& e) {
            end = e;
            done();
        };
        if (write)
            s.setpoints().startWrite(ended);
        else
            s.setpoints().startRead(ended);
    });
    if (end.ok())
        return Exit::Ok;
    if (end.stage != SetpointOperationEnd::Stage::Transfer)
        return Exit::NoLink;
    switch (end.transfer.end) {
        case SetpointTransferEnd::Empty:
        case SetpointTransferEnd::Rejected:
            return Exit::Invalid;
        case SetpointTransferEnd::TcpSettings:
            return Exit::Usage;
        default:
            return end.transfer.refused ? Exit::Refused : Exit::NoLink;
    }
}

// The three blocks, each through the window's own operation, into one project file.
Exit ProjectRead(RelaySession& s, const std::string& path)
{
    if (!ExtensionFits(s, path, ct::kProjectExtension))
        return Fail(s, Exit::File);
    ProjectContent content;
    content.io = DefaultIoImage();
    content.leds = DefaultLedImage();
    if (const Exit e = RunSetpoints(s, false); e != Exit::Ok)
        return Fail(s, e);
    if (const Exit e = ExitOf(RunIo(s, content.io, false, IoMode::Settings)); e != Exit::Ok)
        return Fail(s, e);
    if (const Exit e = ExitOf(RunLeds(s, content.leds, false)); e != Exit::Ok)
        return Fail(s, e);
    content.setpoints = s.image();
    const auto bytes = BuildProjectFile(s.profile(), content);
    int error = 0;
    if (!WriteWholeFile(path, bytes, &error)) {
        s.reporter().ask(CannotOpenFileMessage(error));
        return Fail(s, Exit::File);
    }
    s.reporter().line(std::string(texts::kWrittenTo) + path);
    if (s.options().json)
        PrintJson({{"ok", true},
                   {"file", QString::fromStdString(path)},
                   {"model", s.profile().modelCode}});
    return Exit::Ok;
}

Exit ProjectWrite(RelaySession& s, const std::string& path)
{
    if (!SerialOnly(s))
        return Exit::Usage;
    std::vector<std::uint8_t> bytes;
    if (const Exit e = ReadBytes(s, path, ct::kProjectExtension, bytes); e != Exit::Ok)
        return Fail(s, e);
    if (!s.options().model && !s.check())
        return Fail(s, Exit::NoLink);
    const ProjectFileRead file = ParseProjectFile(bytes, s.profile());
    if (file.switchesModel) {
        // The relay's model is what it is: the project of the other class cannot go into it.
        s.reporter().line(std::string(texts::kUsageError) + ct::kOtherClassProject);
        return Fail(s, Exit::Invalid);
    }
    if (!ConfirmFileRead(file.steps, [&s](const Message& m) { return s.reporter().ask(m); }))
        return Fail(s, Exit::Invalid);
    s.image() = file.content.setpoints;
    IoImage io = file.content.io;
    LedImage leds = file.content.leds;
    if (const Exit e = RunSetpoints(s, true); e != Exit::Ok)
        return Fail(s, e);
    if (const Exit e = ExitOf(RunIo(s, io, true, IoMode::Settings)); e != Exit::Ok)
        return Fail(s, e);
    if (const Exit e = ExitOf(RunLeds(s, leds, true)); e != Exit::Ok)
        return Fail(s, e);
    if (s.options().json)
        PrintJson({{"ok", true}, {"file", QString::fromStdString(path)}});
    return Exit::Ok;
}

using G = OptionGroup;

const CommandRow kRows[] = {
    {"io read", "FILE.tio", G::General, "reads the relay's I/O settings into a .tio file", IoRead},
    {"io write", "FILE.tio", G::General, "writes a .tio file into the relay", IoWrite},
    {"io state", nullptr, G::General, "prints the live states of inputs and outputs 1-16", IoState},
    {"leds read", "FILE.tld", G::General, "reads the relay's LED settings into a .tld file",
     LedsRead},
    {"leds write", "FILE.tld", G::General, "writes a .tld file into the relay", LedsWrite},
    {"project read", "FILE.tirv", G::General,
     "reads setpoints, I/O and LED settings into a .tirv project", ProjectRead},
    {"project write", "FILE.tirv", G::General,
     "writes a .tirv project (setpoints, I/O and LED settings) into the relay", ProjectWrite},
};

}  // namespace

std::span<const CommandRow> IoCommands()
{
    return kRows;
}

}  // namespace tirv::cli
