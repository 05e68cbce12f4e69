#include "configurator/shell/program_files.h"

#include "common/word_file.h"
#include "configurator/link/connection_panel.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/shell/file_texts.h"
#include "configurator/shell/main_window.h"
#include "configurator/shell/project_file.h"
#include "configurator/shell/setpoint_file.h"

#include <QDir>
#include <QFileInfo>

namespace tirv {

namespace tx = file_texts;

namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

FileRequest Request(const char* title, const char* filter, const char* extension, bool save)
{
    FileRequest request;
    request.title = Text(title);
    request.filter = Text(filter);
    request.defaultExtension = Text(extension);
    request.save = save;
    return request;
}

}  // namespace

ProgramFiles::ProgramFiles(MainWindow& window, SetpointImage& image)
    : m_window(window), m_image(image)
{
    const QString path = window.state().settingsPath;
    ProgramSettingsLoad load{DefaultProgramSettings(SettingsSource::Missing),
                             SettingsSource::Missing};
    if (!path.isEmpty())
        load = LoadProgramSettings(path.toStdString());
    m_settings = load.settings;
    m_source = load.source;
    window.state().link = EffectiveConnection(m_settings);
    window.setModelCode(m_settings.modelCode());
    m_image = m_settings.setpoints;
}

void ProgramFiles::attach(SetpointEditor& editor, ConnectionPanel& panel)
{
    m_editor = &editor;
    m_panel = &panel;
    panel.applyLinkPage(m_settings.linkPage);
    const std::pair<int, void (ProgramFiles::*)()> commands[] = {
        {CmdNewProject, &ProgramFiles::newProject},
        {CmdNewSetpoints, &ProgramFiles::newSetpoints},
        {CmdOpenSetpoints, &ProgramFiles::openSetpoints},
        {CmdSaveSetpoints, &ProgramFiles::saveSetpoints},
        {CmdOpenProject, &ProgramFiles::openProject},
        {CmdSaveProject, &ProgramFiles::saveProject},
    };
    for (auto [id, handler] : commands)
        m_window.registerCommand(id, [this, h = handler] { (this->*h)(); });
}

void ProgramFiles::saveSettings()
{
    const QString path = m_window.state().settingsPath;
    if (path.isEmpty())
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    ProgramSettings s = m_settings;
    s.connection = m_window.state().link;
    s.modelIndex = ModelIndexForCode(m_window.model().code());
    s.setpoints = m_image;
    if (m_panel)
        s.linkPage = m_panel->linkPage();
    for (const auto& keep : m_keepers)
        keep(s);
    SaveProgramSettings(path.toStdString(), s);
}

void ProgramFiles::resetSetpoints()
{
    m_image = DefaultImage(m_window.model().code());
    m_editor->fillFromImage();
}

void ProgramFiles::newSetpoints()
{
    resetSetpoints();
    if (m_window.currentPage() != PageSetpoints)
        m_window.command(CmdShowSetpoints);
}

// Every page of the project starts anew; the user stays on one of them, else sees the setpoints.
void ProgramFiles::newProject()
{
    resetSetpoints();
    constexpr std::pair<int, int> kOthers[] = {{PageIoSettings, PageCmdIoNew},
                                               {PageLeds, PageCmdLedNew}};
    bool onOne = m_window.currentPage() == PageSetpoints;
    for (auto [page, command] : kOthers) {
        m_window.sendToPage(page, command);
        onOne = onOne || m_window.currentPage() == page;
    }
    if (!onOne)
        m_window.command(CmdShowSetpoints);
}

void ProgramFiles::saveSetpoints()
{
    if (!m_editor->gatherIntoImage())
        return;
    const QString path = pathToSave(tx::kSaveSetpointsTitle, tx::kSetpointsFilter,
                                    tx::kSetpointsExtension);
    if (path.isEmpty() || !writeFile(path, BuildSetpointFile(m_editor->profile(), m_image)))
        return;
    said(tx::kSetpointsSaved);
}

void ProgramFiles::openSetpoints()
{
    const QString path =
        pathToOpen(int(FileKind::Setpoints), tx::kOpenSetpointsTitle, tx::kSetpointsFilter,
                   tx::kSetpointsExtension, tx::kWrongSetpointsExtension);
    std::vector<std::uint8_t> bytes;
    if (path.isEmpty() || !readFile(path, bytes))
        return;
    const SetpointFileRead file = ParseSetpointFile(bytes, m_editor->profile());
    if (!ConfirmFileRead(file.steps, [this](const Message& m) { return m_window.reporter().ask(m); }))
        return;
    m_image = file.image;
    loaded(tx::kSetpointsLoaded);
}

void ProgramFiles::saveProject()
{
    // The I/O and LED settings are saved as the program holds them.
    if (!m_editor->gatherIntoImage())
        return;
    const QString path =
        pathToSave(tx::kSaveProjectTitle, tx::kProjectFilter, tx::kProjectExtension);
    if (path.isEmpty())
        return;
    const ProjectContent content{m_image, m_settings.io, m_settings.leds};
    if (!writeFile(path, BuildProjectFile(m_editor->profile(), content)))
        return;
    said(tx::kProjectSaved);
}

void ProgramFiles::openProject()
{
    const QString path = pathToOpen(int(FileKind::Project), tx::kOpenProjectTitle,
                                    tx::kProjectFilter, tx::kProjectExtension,
                                    tx::kWrongProjectExtension);
    std::vector<std::uint8_t> bytes;
    if (path.isEmpty() || !readFile(path, bytes))
        return;
    // Every part is checked before anything changes: a refused project leaves the model, the
    // image and the pages as they were.
    const ProjectFileRead file = ParseProjectFile(bytes, m_editor->profile());
    if (!ConfirmFileRead(file.steps, [this](const Message& m) { return m_window.reporter().ask(m); }))
        return;
    if (file.switchesModel)
        m_window.setModelCode(file.fileModelCode);  // the pages rebuild for the file's class
    m_image = file.content.setpoints;
    m_settings.io = file.content.io;
    m_settings.leds = file.content.leds;
    loaded(tx::kSetpointsLoaded);
}

QString ProgramFiles::pathToOpen(int kind, const char* title, const char* filter,
                                 const char* extension, const char* wrongExtension)
{
    // A file named on the command line opens without the dialog and its extension test.
    if (QString path = m_window.takeCommandLinePath(kind); !path.isEmpty())
        return path;
    const QString path = m_window.dialogs().chooseFile(Request(title, filter, extension, false));
    if (path.isEmpty())
        return {};
    if (!HasFileExtension(path.toStdString(), extension)) {
        m_window.reporter().ask(WrongExtensionMessage(wrongExtension));
        return {};
    }
    return path;
}

QString ProgramFiles::pathToSave(const char* title, const char* filter, const char* extension)
{
    return m_window.dialogs().chooseFile(Request(title, filter, extension, true));
}

bool ProgramFiles::readFile(const QString& path, std::vector<std::uint8_t>& bytes)
{
    int error = 0;
    if (ReadWholeFile(path.toStdString(), bytes, &error))
        return true;
    m_window.reporter().ask(CannotOpenFileMessage(error));
    return false;
}

bool ProgramFiles::writeFile(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    int error = 0;
    if (WriteWholeFile(path.toStdString(), bytes, &error))
        return true;
    m_window.reporter().ask(CannotOpenFileMessage(error));
    return false;
}

void ProgramFiles::loaded(const char* statusText)
{
    m_editor->fillFromImage();
    if (m_window.currentPage() != PageSetpoints)
        m_window.command(CmdShowSetpoints);
    m_window.reporter().status(Text(statusText), StatusIcon::Info);
}

void ProgramFiles::said(const char* statusText)
{
    // An exchange in flight owns the status field.
    if (!m_window.state().busy)
        m_window.reporter().status(Text(statusText), StatusIcon::Info);
}

}  // namespace tirv
