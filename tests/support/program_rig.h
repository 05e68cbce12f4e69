#pragma once
// The configurator as its entry builds it — the main window and every page and operation of the
// program (ProgramPages) — for GUI and end-to-end tests: the same composition as main(), with
// the test's own ports folder, program folder and a recording reporter that answers questions.
#include "configurator/link/connection_panel.h"
#include "configurator/link/link_session.h"
#include "configurator/link/serial_link.h"
#include "configurator/shell/main_window.h"
#include "configurator/shell/program_pages.h"
#include "configurator/shell/program_settings.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_check.h"
#include "support/recording_reporter.h"
#include "support/scripted_dialogs.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace tirv::test {

struct ProgramRig {
    // `model`: the model the program starts with, from a settings file naming it with every
    // other value at its default (a test that wrote its own "ТИРВ.cfg" into `folder` keeps it);
    // 0: a first start, without a settings file.
    void build(const QString& portsFolder, int model = 715, QString commandLine = {})
    {
        const std::string cfg = settingsPath().toStdString();
        if (model != 0 && !QFileInfo::exists(settingsPath())) {
            ProgramSettings s = DefaultProgramSettings(SettingsSource::Missing);
            s.modelIndex = ModelIndexForCode(model);
            s.setpoints = DefaultImage(model);
            if (!IsMModel(model))
                s.connection.channel = Channel::Rs485;
            SaveProgramSettings(cfg, s);
        }
        MainWindow::Options o;
        o.reporterTap = &rep;
        o.commandLine = std::move(commandLine);
        o.programFolder = folder.path();
        o.dialogs = &dialogs;
        win = std::make_unique<MainWindow>(o);
        pages = std::make_unique<ProgramPages>(*win, portsFolder);
    }
    void reset()
    {
        pages.reset();
        win.reset();
    }
    ~ProgramRig() { reset(); }

    ConnectionPanel& panel() { return pages->panel(); }
    LinkSession& session() { return pages->session(); }
    LinkState& linkState() { return pages->link().state(); }
    ConnectionSettings& settings() { return win->state().link; }
    QString settingsPath() const { return folder.filePath(QString::fromUtf8("ТИРВ.cfg")); }

    QTemporaryDir folder;
    RecordingReporter rep;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> win;
    std::unique_ptr<ProgramPages> pages;
};

}  // namespace tirv::test
