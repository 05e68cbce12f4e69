#pragma once
// The editor tabs of a test rig in a shown window, and the check that every control of every
// tab shows an image.
#include "configurator/setpoints/field_rules.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/setpoints/setpoint_transfer.h"
#include "fake_shell.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace tirv::test {

// Sets the rig's model on its editor and shows the editor, refilled whenever an operation
// replaces the image. The rig holds `shell`, `setpoints`, `host` and `editor`.
template <class Rig>
void ShowEditor(Rig& rig, int modelCode)
{
    rig.shell.mdl.setCode(modelCode);
    rig.editor.setModel(modelCode);
    QObject::connect(&rig.setpoints, &SetpointTransfer::imageReplaced, &rig.editor,
                     [&rig] { rig.editor.fillFromImage(); });
    rig.host.resize(900, 600);
    rig.host.show();
}

// Every field, box and list of every tab shows its setpoint of `image`.
inline void ExpectTabsShow(SetpointEditor& editor, const ModelProfile& p,
                           const SetpointImage& image, int code)
{
    for (int i = 0; i < p.numericCount(); ++i) {
        const NumericSetpoint& n = p.numeric[std::size_t(i)];
        EXPECT_EQ(editor.tab(n.tab)->control<QLineEdit>(n.control)->text().toStdU16String(),
                  formatRaw(image[std::size_t(i)], n.kind))
            << code << " " << n.name;
    }
    for (int k = 0; k < p.flagCount(); ++k) {
        const FlagSetpoint& f = p.flags[std::size_t(k)];
        EXPECT_EQ(editor.tab(f.tab)->control<QCheckBox>(f.control)->isChecked(),
                  image[std::size_t(p.flagIndex(k))] != 0)
            << code << " " << f.name;
    }
    for (int k = 0; k < p.choiceCount(); ++k) {
        const ChoiceSetpoint& c = p.choices[std::size_t(k)];
        // A value the check accepts but the list has no item for (`ОЗЗ Алг.защиты` = 2 on
        // non-M models) selects nothing.
        const int v = image[std::size_t(p.choiceIndex(k))];
        EXPECT_EQ(editor.tab(c.tab)->control<QComboBox>(c.control)->currentIndex(),
                  v < int(c.items.size()) ? v : -1)
            << code << " " << c.name;
    }
}

}  // namespace tirv::test
