#pragma once
// A GUI test of the whole program against tirv-sim: the simulator runs with the test's arguments,
// and the program, composed as main() composes it, works on the simulator's line.
#include "support/gui_app.h"
#include "support/program_rig.h"
#include "support/sim_process.h"
#include "support/texts.h"
#include "support/wait.h"

#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tirv::test {

class SimProgramTest : public ::testing::Test {
protected:
    enum class Settings {
        Keep,   // a "ТИРВ.cfg" the test wrote (or an earlier start left) is used
        Fresh,  // the program starts from a settings file naming `model` alone
    };
    // Starts tirv-sim with `simArgs`, then builds and starts the program for `model` on its
    // line; a simulator that does not start fails the test.
    void startProgram(std::vector<std::string> simArgs, int model, Settings s = Settings::Keep)
    {
        GuiApp();
        sim = std::make_unique<SimProcess>(std::move(simArgs));
        ASSERT_TRUE(sim->ready()) << sim->error();
        if (s == Settings::Fresh)
            QFile::remove(rig.settingsPath());
        rig.build(QString::fromStdString(sim->portsDir()), model);
        rig.win->start();
    }
    // Closes the program and starts it again on the same simulator, with what it saved.
    void restartProgram(int model)
    {
        rig.reset();
        rig.build(QString::fromStdString(sim->portsDir()), model);
        rig.win->start();
    }
    // Shows a page through its menu command; the page, or null (the test fails) if it is missing.
    template <class P>
    P* showPage(int command, int pageId)
    {
        rig.win->command(command);
        auto* page = dynamic_cast<P*>(rig.win->page(pageId));
        EXPECT_NE(page, nullptr) << pageId;
        EXPECT_EQ(rig.win->currentPage(), pageId);
        return page;
    }
    void TearDown() override { rig.reset(); }

    // Runs a window command and waits until the line is free again; the last status.
    QString runToEnd(int cmd, int ms = 20000)
    {
        rig.win->command(cmd);
        EXPECT_TRUE(WaitUntil([&] { return !rig.win->state().busy; }, ms)) << cmd;
        return rig.rep.lastStatus();
    }
    void simControl(const std::string& command) { ASSERT_TRUE(sim->control(command)) << command; }

    ProgramRig rig;
    std::unique_ptr<SimProcess> sim;
};

}  // namespace tirv::test
