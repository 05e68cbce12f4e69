#pragma once
// The main window of the Осциллограф program: menu and toolbar with every command, the plot
// panel, the three settings panels at the left, the colour and preview dialog, loading at
// start-up and the settings file "Осциллограф.cfg". command(id) runs any command by its number.
#include "common/oscillogram_image.h"
#include "viewer/plot_panel.h"
#include "viewer/settings_panels.h"
#include "viewer/viewer_ids.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <map>

class QAction;
class QApplication;
class QPrinter;

namespace tirv {

struct Reporter;
class PreviewDialog;

struct ViewerWindowOptions {
    QString programDir;   // the settings file and the default oscillogram live here; empty: none
    QString oscillogram;  // the file named on the command line; empty: the default file
    bool useOpenGL = false;
    int screenWidth = 0;  // the time-scale fit's screen width; 0: the screen's
};

class ViewerWindow : public QMainWindow, private PanelHost {
public:
    ViewerWindow(Reporter& reporter, ViewerWindowOptions options);
    ~ViewerWindow() override;

    void command(int id);
    QAction* action(int id) const;
    QWidget* control(int id) const;  // plot, panel and preview controls by id
    PlotPanel* plot() const { return m_plot; }
    SettingsPanel* panel() const { return m_panel; }
    Panel openPanel() const { return m_settings.panel; }
    PreviewDialog* previewDialog() const { return m_preview; }
    bool shown() const { return m_shown; }
    const ViewerSettings& settings() const { return m_settings; }
    const OscillogramImage& image() const { return m_image; }
    const AnalogChoice& analog() const { return m_analog; }
    QImage capture() const;  // the picture as on screen, at the surface's size

    // Dialogs, replaced by tests: a file for a command (empty: cancelled), a colour, a printer,
    // and the help viewer (false: the help file is missing or no browser could be started).
    std::function<QString(int command)> chooseFile;
    std::function<bool(QColor&)> chooseColour;
    std::function<bool(QPrinter&)> choosePrinter;
    std::function<bool(const QString& path)> openHelp;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    // PanelHost
    AnalogChoice& analogChoice() override { return m_analog; }
    ViewerSettings& viewerSettings() override { return m_settings; }
    std::array<bool, kDigitalSignals>& pendingDigital() override { return m_pending; }
    int& digitalFilter() override { return m_filter; }
    void analogChanged() override;
    void digitalChanged() override;
    void appearanceChanged() override;
    bool pickColour(std::uint32_t& colour) override;

    void buildActions();
    void load(const QString& path, bool startUp);
    void setDataCommands(bool enabled);
    void syncChecks();
    void togglePanel(Panel p);
    void save();
    void exportImage(int id);
    void exportComtrade();
    void print();
    void showPreview();
    void showHelp();
    void saveSettingsOnce();
    void info(const QString& caption, const QString& text, int icon);

    Reporter& m_reporter;
    ViewerWindowOptions m_options;
    QString m_settingsPath, m_defaultPath;
    ViewerSettings m_settings;
    OscillogramImage m_image;
    PlotSource m_source;
    bool m_shown = false;
    AnalogChoice m_analog;
    std::array<bool, kDigitalSignals> m_pending{};
    int m_filter = 2;
    std::map<int, QAction*> m_actions;
    PlotPanel* m_plot = nullptr;
    SettingsPanel* m_panel = nullptr;
    QWidget* m_panelSlot = nullptr;
    PreviewDialog* m_preview = nullptr;
    bool m_settingsSaved = false;
};

// The window's options for the program's arguments (without the program's name): the file named
// by them (quoted or not, see ArgumentOscillogram) and the program's folder.
ViewerWindowOptions ViewerOptionsFromArguments(const QStringList& arguments, const QString& programDir);

// The program's window mode: `Осциллограф ["FILE.tao"]`, and `Осциллограф --png IN.tao OUT.png
// WIDTHxHEIGHT`, which renders the view of a file offscreen through the same renderer.
int RunViewerWindow(int argc, char** argv);

inline constexpr const char* kPngOption = "--png";
// Renders the oscillogram file at the given surface size in screen colours (the settings file of
// `programDir` supplies them when present) and writes a PNG. Messages go to `err`; 0 on success.
int RenderOscillogramPng(const QString& in, const QString& out, QSize size, const QString& programDir,
                         std::FILE* err);

}  // namespace tirv
