// setpoints read|write|show|check: the window's setpoint operations and its .tpr file functions,
// so a file written here is the file the window writes for the same model and image.
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "cli/texts.h"
#include "common/word_file.h"
#include "configurator/setpoints/field_rules.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/shell/file_texts.h"
#include "configurator/shell/setpoint_file.h"

#include <QJsonArray>
#include <QJsonObject>

namespace tirv::cli {

namespace {

namespace ft = file_texts;

Exit Fail(RelaySession& s, Exit exit)
{
    if (s.options().json)
        PrintJson(FailureJson(exit, s.reporter()));
    return exit;
}

std::function<Answer(const Message&)> Asker(RelaySession& s)
{
    return [&s](const Message& m) { return s.reporter().ask(m); };
}

// The window's file dialogs take only names with the extension; so does the command line.
bool ExtensionFits(RelaySession& s, const std::string& path)
{
    if (HasFileExtension(path, ft::kSetpointsExtension))
        return true;
    s.reporter().ask(WrongExtensionMessage(ft::kWrongSetpointsExtension));
    return false;
}

Exit ReadBytes(RelaySession& s, const std::string& path, std::vector<std::uint8_t>& bytes)
{
    if (!ExtensionFits(s, path))
        return Exit::File;
    int error = 0;
    if (!ReadWholeFile(path, bytes, &error)) {
        s.reporter().ask(CannotOpenFileMessage(error));
        return Exit::File;
    }
    return Exit::Ok;
}

// Where the relay is not asked, the file says which tables it was saved with: its model code
// when that code fits the file's size, else a model of the class its size gives, else the
// configurator's default model; --model wins.
ModelProfile ProfileForFile(RelaySession& s, std::span<const std::uint8_t> bytes)
{
    if (s.options().model)
        return ProfileForModel(*s.options().model);
    std::uint32_t code = 0;
    if (bytes.size() >= 4)
        code = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
               std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
    // A file of the right size with a foreign code is refused in the words of its own class.
    constexpr int kClassModel[] = {kFallbackNonMModelCode, kDefaultModelCode};
    for (const bool m : {false, true})
        if (bytes.size() == SetpointFileBytes(m))
            return ProfileForModel(FileModelCodeFits(code, m) ? static_cast<int>(code)
                                                              : kClassModel[m]);
    return s.profile();
}

// Why a transfer ended, as the exit status a script sees.
Exit ExitOf(const SetpointOperationEnd& e)
{
    if (e.ok())
        return Exit::Ok;
    if (e.stage != SetpointOperationEnd::Stage::Transfer)
        return Exit::NoLink;
    switch (e.transfer.end) {
        case SetpointTransferEnd::Read:
        case SetpointTransferEnd::Written:
            return Exit::Ok;
        case SetpointTransferEnd::Empty:
        case SetpointTransferEnd::Rejected:
            return Exit::Invalid;
        case SetpointTransferEnd::Failed:
            return e.transfer.refused ? Exit::Refused : Exit::NoLink;
        case SetpointTransferEnd::TcpSettings:
            return Exit::Usage;
        case SetpointTransferEnd::Aborted:
            return Exit::NoLink;
    }
    return Exit::NoLink;
}

// Every setpoint with its catalogue name, shown value and unit.
struct ShownSetpoint {
    std::string name;
    std::string kind;
    std::int32_t raw;
    std::string value;
    std::string unit;
};

std::vector<ShownSetpoint> Shown(const ModelProfile& p, const SetpointImage& image)
{
    std::vector<ShownSetpoint> out;
    const auto at = [&image](int index) { return image[static_cast<std::size_t>(index)]; };
    for (int k = 0; k < p.numericCount(); ++k) {
        const NumericSetpoint& n = p.numeric[static_cast<std::size_t>(k)];
        out.push_back({n.name, "numeric", at(k), formatRawUtf8(at(k), n.kind), n.unit});
    }
    for (int k = 0; k < p.flagCount(); ++k) {
        const std::int32_t v = at(p.flagIndex(k));
        out.push_back(
            {p.flags[static_cast<std::size_t>(k)].name, "flag", v, std::to_string(v), ""});
    }
    for (int k = 0; k < p.choiceCount(); ++k) {
        const ChoiceSetpoint& c = p.choices[static_cast<std::size_t>(k)];
        const std::int32_t v = at(p.choiceIndex(k));
        const bool listed = v >= 0 && static_cast<std::size_t>(v) < c.items.size();
        out.push_back({c.name, "choice", v,
                       listed ? c.items[static_cast<std::size_t>(v)] : std::to_string(v), ""});
    }
    return out;
}

std::size_t Shown(const std::string& utf8)
{
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

QJsonArray SetpointsJson(const ModelProfile& p, const SetpointImage& image)
{
    QJsonArray list;
    for (const ShownSetpoint& v : Shown(p, image))
        list.append(QJsonObject{{"name", QString::fromStdString(v.name)},
                                {"kind", QString::fromStdString(v.kind)},
                                {"raw", v.raw},
                                {"value", QString::fromStdString(v.value)},
                                {"unit", QString::fromStdString(v.unit)}});
    return list;
}

Exit Read(RelaySession& s, const std::string& path)
{
    if (!ExtensionFits(s, path))
        return Exit::File;
    SetpointOperationEnd end;
    s.waitFor([&s, &end](std::function<void()> done) {
        s.setpoints().startRead([&end, done](const SetpointOperationEnd& e) {
            end = e;
            done();
        });
    });
    if (const Exit e = ExitOf(end); e != Exit::Ok)
        return Fail(s, e);
    // Exactly what the window saves for this model and image.
    const std::vector<std::uint8_t> bytes = BuildSetpointFile(s.profile(), s.image());
    int error = 0;
    if (!WriteWholeFile(path, bytes, &error)) {
        s.reporter().ask(CannotOpenFileMessage(error));
        return Fail(s, Exit::File);
    }
    s.reporter().line(std::string(ft::kSetpointsSaved) + texts::kWrittenTo + path);
    if (s.options().json) {
        QJsonObject json{{"ok", true},
                         {"file", QString::fromStdString(path)},
                         {"model", s.profile().modelCode},
                         {"setpoints", SetpointsJson(s.profile(), s.image())}};
        if (const auto& id = s.session().identity())
            json["serial"] = id->serial;
        PrintJson(json);
    }
    return Exit::Ok;
}

Exit Write(RelaySession& s, const std::string& path)
{
    if (s.settings().channel == Channel::Ethernet) {
        // Writes travel over the serial link only (the window disables them over Ethernet).
        s.reporter().line(std::string(texts::kUsageError) + texts::kSerialOnly);
        return Exit::Usage;
    }
    std::vector<std::uint8_t> bytes;
    if (const Exit e = ReadBytes(s, path, bytes); e != Exit::Ok)
        return Fail(s, e);
    // The file is opened against the tables of the relay it goes to, as the window opens it
    // against the model its link check found.
    if (!s.options().model && !s.check())
        return Fail(s, Exit::NoLink);
    const SetpointFileRead file = ParseSetpointFile(bytes, s.profile());
    if (!ConfirmFileRead(file.steps, Asker(s)))
        return Fail(s, Exit::Invalid);
    s.image() = file.image;
    s.reporter().status(QString::fromUtf8(ft::kSetpointsLoaded) + QString::fromStdString(path),
                        StatusIcon::Info);
    SetpointOperationEnd end;
    s.waitFor([&s, &end](std::function<void()> done) {
        s.setpoints().startWrite([&end, done](const SetpointOperationEnd& e) {
            end = e;
            done();
        });
    });
    if (const Exit e = ExitOf(end); e != Exit::Ok)
        return Fail(s, e);
    if (s.options().json)
        PrintJson({{"ok", true},
                   {"file", QString::fromStdString(path)},
                   {"model", s.profile().modelCode}});
    return Exit::Ok;
}

// The file opened as the window opens it; `file` holds the result.
Exit OpenForView(RelaySession& s, const std::string& path, ModelProfile& profile,
                 SetpointFileRead& file)
{
    std::vector<std::uint8_t> bytes;
    if (const Exit e = ReadBytes(s, path, bytes); e != Exit::Ok)
        return e;
    profile = ProfileForFile(s, bytes);
    file = ParseSetpointFile(bytes, profile);
    return Exit::Ok;
}

Exit Show(RelaySession& s, const std::string& path)
{
    ModelProfile profile;
    SetpointFileRead file;
    if (const Exit e = OpenForView(s, path, profile, file); e != Exit::Ok)
        return Fail(s, e);
    if (!ConfirmFileRead(file.steps, Asker(s)))
        return Fail(s, Exit::Invalid);
    if (s.options().json) {
        PrintJson({{"ok", true},
                   {"file", QString::fromStdString(path)},
                   {"model", profile.modelCode},
                   {"setpoints", SetpointsJson(profile, file.image)}});
        return Exit::Ok;
    }
    const std::vector<ShownSetpoint> list = Shown(profile, file.image);
    std::size_t width = 0;
    for (const ShownSetpoint& v : list)
        width = std::max(width, Shown(v.name));
    for (const ShownSetpoint& v : list) {
        std::string row = v.name + std::string(width + 2 - Shown(v.name), ' ') + v.value;
        if (!v.unit.empty())
            row += " " + v.unit;
        std::printf("%s\n", row.c_str());
    }
    std::fflush(stdout);
    return Exit::Ok;
}

// The check a read image passes, with every message it gives; a file outside its format is
// refused the way the window refuses it.
Exit Check(RelaySession& s, const std::string& path)
{
    ModelProfile profile;
    SetpointFileRead file;
    if (const Exit e = OpenForView(s, path, profile, file); e != Exit::Ok)
        return Fail(s, e);
    if (file.steps.refusal) {
        s.reporter().ask(*file.steps.refusal);
        return Fail(s, Exit::Invalid);
    }
    for (const Message& q : file.steps.questions)
        if (s.reporter().ask(q) != Answer::Ok)
            return Fail(s, Exit::Invalid);
    std::vector<CheckFinding> problems;
    const bool valid = CheckImage(profile, file.image, &problems);
    QJsonArray list;
    for (const CheckFinding& f : problems) {
        const Message box = CheckFindingBox(f);
        const std::string text = box.caption + ": " + box.text;
        s.reporter().line(text);
        list.append(QString::fromStdString(text));
    }
    if (valid)
        s.reporter().line(texts::kCheckPassed);
    else if (file.steps.invalid)
        s.reporter().ask(*file.steps.invalid);
    if (s.options().json)
        PrintJson({{"ok", valid},
                   {"file", QString::fromStdString(path)},
                   {"model", profile.modelCode},
                   {"exitCode", static_cast<int>(valid ? Exit::Ok : Exit::Invalid)},
                   {"problems", list}});
    return valid ? Exit::Ok : Exit::Invalid;
}

using G = OptionGroup;

const CommandRow kRows[] = {
    {"setpoints read", "FILE.tpr", G::General, "reads the relay's setpoints into a .tpr file", Read},
    {"setpoints write", "FILE.tpr", G::General, "writes a .tpr file into the relay", Write},
    {"setpoints show", "FILE.tpr", G::General, "every setpoint of a file: name, value, unit", Show},
    {"setpoints check", "FILE.tpr", G::General, "checks a file as a read from the relay is checked",
     Check},
};

}  // namespace

std::span<const CommandRow> SetpointCommands()
{
    return kRows;
}

}  // namespace tirv::cli
