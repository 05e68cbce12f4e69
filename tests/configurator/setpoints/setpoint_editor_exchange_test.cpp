// The editor tabs together with the real read and write sequences against an in-memory relay:
// a read fills every control of every tab; a value edited on a tab is written and reads back.
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_conversion.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/setpoints/setpoint_transfer.h"
#include "fake_shell.h"
#include "support/serial_relay.h"
#include "operation_runner.h"
#include "setpoint_wiring.h"
#include "shown_editor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace tirv {
namespace {

// What the rig owns besides the wiring: the shell of the editor and one in-memory relay.
struct EditorLine {
    explicit EditorLine(int modelCode) : relay(test::RelayMemory::OfModel(modelCode))
    {
        settings.baudIndex = 6;
        settings.repeatCount = 2;
    }
    test::FakeShell shell;
    ConnectionSettings settings;
    test::PortRelay relay;
};

struct Rig : EditorLine, test::SetpointWiring {
    explicit Rig(int modelCode)
        : EditorLine(modelCode), SetpointWiring(relay, shell.rec, settings, modelCode, false)
    {
        test::ShowEditor(*this, modelCode);
    }
    bool run(bool write)
    {
        const auto outcome = test::RunSetpointOperation(setpoints, write, 20000);
        return outcome && outcome->ok();
    }

    QWidget host;
    SetpointEditor editor{shell, image, &host};
};

// Every setpoint away from its default, within its range and the recording-time rule.
SetpointImage Distinct(const ModelProfile& p)
{
    SetpointImage s = DefaultImage(p);
    for (int i = 0; i < p.numericCount(); ++i) {
        const NumericSetpoint& n = p.numeric[std::size_t(i)];
        if (n.kind == SetpointKind::Angle)
            s[std::size_t(i)] = 45;
        else
        {
            // Within the editor's range, which is narrower than the check's for some setpoints.
            const int lo = int(std::lround(n.editMin * ResolutionFactor(n.kind)));
            s[std::size_t(i)] = std::min(lo + 1 + i % 3, RawMaxFor(p, s, i));
        }
    }
    for (int k = 0; k < p.flagCount(); ++k)
        if (p.flags[std::size_t(k)].control < 1251)
            s[std::size_t(p.flagIndex(k))] = k % 2;
    for (int k = 0; k < p.choiceCount(); ++k)
        s[std::size_t(p.choiceIndex(k))] = p.choices[std::size_t(k)].max;
    return s;
}

TEST(SetpointEditorExchange, ReadFillsEveryControlOfEveryTab)
{
    for (int code : {705, 306, 715}) {
        Rig rig(code);
        const SetpointImage held = Distinct(rig.profile);
        ASSERT_TRUE(CheckImage(rig.profile, held)) << code;
        rig.relay.loadBlock(ImageToRegisters(rig.profile, held));
        ASSERT_TRUE(rig.run(false)) << code;
        test::ExpectTabsShow(rig.editor, rig.profile, held, code);
        // Gathering what is shown gives back what was read, such a value included.
        ASSERT_TRUE(rig.editor.gatherIntoImage()) << code;
        EXPECT_EQ(rig.image, held) << code;
    }
}

TEST(SetpointEditorExchange, EditedValueIsWrittenAndReadsBackEqual)
{
    for (int code : {705, 715}) {
        Rig rig(code);
        rig.host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.host));
        QLineEdit* e = rig.editor.edit(1009);  // МТЗ-3 гр.А T
        e->setFocus();
        e->clear();
        QTest::keyClicks(e, "1,29");
        rig.editor.edit(1008)->setFocus();
        auto* list = rig.editor.tab(0)->control<QComboBox>(1261);
        list->setCurrentIndex(2);
        ASSERT_TRUE(rig.editor.gatherIntoImage()) << code;
        ASSERT_TRUE(rig.run(true)) << code;

        SetpointImage readBack = DefaultImage(rig.profile);
        RegistersToImage(rig.profile, rig.relay.registers, readBack);
        EXPECT_EQ(readBack, rig.image) << code;
        EXPECT_EQ(readBack[std::size_t(rig.profile.find("МТЗ-3 гр.А T"))], 129) << code;
        EXPECT_EQ(readBack[std::size_t(rig.profile.find("МТЗ-3 Врем.х-ка"))], 2) << code;

        rig.image = DefaultImage(rig.profile);
        rig.editor.fillFromImage();
        ASSERT_TRUE(rig.run(false)) << code;
        EXPECT_EQ(rig.editor.edit(1009)->text(), "1.29") << code;
        EXPECT_TRUE(rig.shell.rec.messages.empty()) << code;
    }
}

}  // namespace
}  // namespace tirv
