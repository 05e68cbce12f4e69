// The editor tabs against the relay simulator over a real pseudo-terminal: a read fills every
// control of every tab with the relay's own set; a value edited on a tab is written to the relay
// and reads back equal.
#include "configurator/link/serial_port.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/setpoints/setpoint_transfer.h"
#include "fake_shell.h"
#include "operation_runner.h"
#include "setpoint_wiring.h"
#include "shown_editor.h"
#include "support/sim_process.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace tirv {
namespace {

// What the rig owns besides the wiring: the shell of the editor, one simulator and the serial
// port to it.
struct EditorSimLine {
    explicit EditorSimLine(int code)
        : sim({"--model", std::to_string(code)}), port(QString::fromStdString(sim.portsDir()))
    {
        settings.port = sim.com();
        settings.baudIndex = 6;
        settings.repeatCount = 3;
    }
    test::SimProcess sim;
    test::FakeShell shell;
    ConnectionSettings settings;
    SerialPort port;
};

struct SimRig : EditorSimLine, test::SetpointWiring {
    explicit SimRig(int code)
        : EditorSimLine(code), SetpointWiring(port, shell.rec, settings, code, true)
    {
        test::ShowEditor(*this, code);
        host.activateWindow();
    }
    bool run(bool write)
    {
        const auto outcome = test::RunSetpointOperation(setpoints, write, 30000);
        return outcome && outcome->ok();
    }

    QWidget host;
    SetpointEditor editor{shell, image, &host};
};

TEST(SetpointEditorSim, ReadFillsEveryTabThenAnEditReadsBack)
{
    for (int code : {705, 715}) {
        SimRig rig(code);
        ASSERT_TRUE(rig.sim.ready()) << rig.sim.error();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.host));
        const SetpointImage defaults = rig.image;
        ASSERT_TRUE(rig.run(false)) << code;
        ASSERT_NE(rig.image, defaults) << code << ": the relay holds a set of its own";
        test::ExpectTabsShow(rig.editor, rig.profile, rig.image, code);

        // Edit on the tab as a user would, write, forget, read again.
        QLineEdit* e = rig.editor.edit(1021);  // МТЗ-общие U_Пуск, tenths
        e->setFocus();
        e->clear();
        QTest::keyClicks(e, "8,35");  // four characters, the field's limit
        rig.editor.edit(1022)->setFocus();
        EXPECT_EQ(e->text(), "8.4") << code;
        ASSERT_TRUE(rig.editor.gatherIntoImage()) << code;
        const SetpointImage written = rig.image;
        ASSERT_TRUE(rig.run(true)) << code;
        rig.image = defaults;
        rig.editor.fillFromImage();
        ASSERT_TRUE(rig.run(false)) << code;
        EXPECT_EQ(rig.image, written) << code;
        EXPECT_EQ(rig.editor.edit(1021)->text(), "8.4") << code;
        EXPECT_TRUE(rig.shell.rec.messages.empty()) << code;
    }
}

}  // namespace
}  // namespace tirv
