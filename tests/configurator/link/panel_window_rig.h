#pragma once
// The connection-panel GUI tests' fixture: the program's own composition (main window, link,
// link session and every page) on a given ports folder, not started yet.
#include "configurator/link/connection_panel.h"
#include "configurator/link/link_state.h"
#include "configurator/link/port.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/program_rig.h"
#include "support/recording_reporter.h"

#include <gtest/gtest.h>

namespace tirv::test {

class PanelWindowRig : public ::testing::Test {
protected:
    void buildPanel(const QString& ports, int model)
    {
        rig.build(ports, model);
        win = rig.win.get();
        panel = &rig.panel();
        session = &rig.session();
        state = &rig.linkState();
        port = &rig.pages->link().port();
    }
    void TearDown() override { rig.reset(); }
    ConnectionSettings& link() { return win->state().link; }

    ProgramRig rig;
    RecordingReporter& rep = rig.rep;
    MainWindow* win = nullptr;
    ConnectionPanel* panel = nullptr;
    LinkSession* session = nullptr;
    LinkState* state = nullptr;
    Port* port = nullptr;
};

}  // namespace tirv::test
