#pragma once
// The shell's files in the running program: "ТИРВ.cfg" read before the pages are built and
// written when they go, and the setpoint (.tpr) and project (.tirv) commands — new (143), open
// (148, 147) and save (155, 154). The formats and every rule of a file live in the domain
// (setpoint_file.h, project_file.h, program_settings.h); this class asks for names, reads and
// writes bytes, asks the file's questions and applies a file only when all of it is good.
#include "configurator/shell/program_settings.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

namespace tirv {

class ConnectionPanel;
class MainWindow;
class SetpointEditor;

class ProgramFiles {
public:
    // Reads the settings file and puts its connection settings, model and setpoint image in
    // place: call before the pages that show them are built.
    ProgramFiles(MainWindow& window, SetpointImage& image);
    // Takes over the link page's kept fields and registers the file commands.
    void attach(SetpointEditor& editor, ConnectionPanel& panel);
    // Writes the settings file from the program's current state (nothing is said on failure).
    void saveSettings();

    SettingsSource source() const { return m_source; }
    // The settings as loaded: a page takes its words from here when it is built.
    const ProgramSettings& loaded() const { return m_settings; }
    // A page that keeps words of the settings file gives them back through `keep` when the file
    // is written (measurement, journal and I/O-state words).
    void keepOnSave(std::function<void(ProgramSettings&)> keep)
    {
        m_keepers.push_back(std::move(keep));
    }
    // The I/O and LED settings of the project and the settings file, until their pages hold them.
    IoImage& io() { return m_settings.io; }
    LedImage& leds() { return m_settings.leds; }

private:
    void newSetpoints();
    void newProject();
    void resetSetpoints();
    void saveSetpoints();
    void openSetpoints();
    void saveProject();
    void openProject();
    // The path to open: the command line's file of `kind`, else the dialog's choice with the
    // extension test. Empty when there is nothing to open (cancelled or refused).
    QString pathToOpen(int kind, const char* title, const char* filter, const char* extension,
                       const char* wrongExtension);
    QString pathToSave(const char* title, const char* filter, const char* extension);
    bool readFile(const QString& path, std::vector<std::uint8_t>& bytes);
    bool writeFile(const QString& path, const std::vector<std::uint8_t>& bytes);
    void loaded(const char* statusText);
    void said(const char* statusText);

    MainWindow& m_window;
    SetpointImage& m_image;
    SetpointEditor* m_editor = nullptr;
    QPointer<ConnectionPanel> m_panel;
    ProgramSettings m_settings;
    SettingsSource m_source = SettingsSource::Missing;
    std::vector<std::function<void(ProgramSettings&)>> m_keepers;
};

}  // namespace tirv
