#pragma once
// The five setpoint editor tabs. They are generated from the catalogue of the current model
// (setpoint_layout.h) and apply the input rules of field_rules.h; every message goes through
// the shell's Reporter.
//
// Wiring in the program's entry:
//     SetpointEditor editor(window, image);                // image: the process-wide SetpointImage
//     editor.setModel(window.model().code());
//     editor.setTabShower([&](int k) { window.showSetpointTab(k); });
//     window.registerSetpointTabs(editor.tabs());
//     editor.fillFromImage();                              // after read, load, new, start-up
//     if (!editor.gatherIntoImage()) return;               // first step of the write
// The main window calls editor.windowRestored() when it comes back from the task bar; the
// rebuild commands 1290/1291/1293 sent to any tab rebuild for the shell's current model.
#include "configurator/setpoints/field_rules.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_image.h"
#include "configurator/setpoints/setpoint_layout.h"
#include "configurator/ui/page.h"

#include <QPointer>
#include <array>
#include <functional>
#include <map>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QScrollBar;

namespace tirv {

class SetpointEditor;
class SetpointTabStrip;

// One tab: a page with its generated controls. Both model classes' controls are built on
// demand and kept; the current class's are shown and registered by id.
class SetpointTab : public Page {
public:
    SetpointTab(SetpointEditor& editor, Shell& shell, int tab, QWidget* parent = nullptr);

    int tab() const { return m_tab; }
    void command(int id) override;
    // Shows the controls of the profile's model class (building them the first time).
    void build(const ModelProfile& p);
    QWidget* content() const { return m_content; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* buildContent(const ModelProfile& p);
    void addGroupItems(const LayoutGroup& g, QWidget* box, const ModelProfile& p);
    void registerControls(QWidget* content);

    SetpointEditor& m_editor;
    int m_tab;
    std::array<QWidget*, 2> m_contents{};  // non-M, M
    QWidget* m_content = nullptr;
};

// Owns its five tabs: they go with it (the main window may host them meanwhile).
class SetpointEditor : public QObject {
public:
    SetpointEditor(Shell& shell, SetpointImage& image, QWidget* tabParent = nullptr);
    ~SetpointEditor() override;

    std::array<Page*, kSetpointTabs> tabs() const;
    SetpointTab* tab(int k) const { return m_tabs[std::size_t(k)]; }

    // Applies the model's tables: rebuilds the tabs when the class (M or not) changes, refreshes
    // the tooltips and refills the fields from the image. Nothing happens for the current code
    // (the rebuild commands reach every tab); call fillFromImage() after replacing the image.
    void setModel(int modelCode);
    const ModelProfile& profile() const { return m_profile; }

    void fillFromImage();
    // Writes one numeric setpoint's field from the image.
    void showNumeric(int imageIndex);
    // The write's first step: every field checked and stored, then the boxes and lists. At the
    // first bad field its tab is shown, the message given and false returned.
    bool gatherIntoImage();

    int currentTab() const { return m_current; }
    // The tab button k: refused (false) while a field is rejected.
    bool switchTab(int k);
    // Shows tab k without checks (the main window's page switching).
    void showTab(int k);
    // How a tab is brought to the screen; by default the editor shows it and hides the others.
    void setTabShower(std::function<void(int)> shower) { m_shower = std::move(shower); }

    // Back from the task bar: the focus returns to the field that had it while the window was
    // minimized (the window itself drops the next validation message, see ShellState).
    void windowRestored();
    bool validationFailed() const { return m_errorField != 0; }
    int rejectedField() const { return m_errorField; }

    // Told when a numeric setpoint has been stored from its field (the calculator listens).
    void setStoredListener(std::function<void(int imageIndex)> l) { m_stored = std::move(l); }

    // Control handlers, also reachable by tests.
    void typed(int edit);
    void leaveField(int edit);
    void spin(int spinId, bool up);
    void checkClicked(int check);
    void listChanged(int list);

    QLineEdit* edit(int id) const;

private:
    friend class SetpointTab;
    struct Field {
        QLineEdit* edit = nullptr;
        int tab = 0;
    };
    FieldBounds boundsOf(int numericIndex) const;
    bool storeField(int edit);
    void reject(int edit, FieldError error, bool leaving);
    void applyRecordingTime();
    void refreshTooltips();
    void registerWidgets();
    QWidget* find(int id) const;
    std::map<int, QWidget*> m_widgets;  // controls of the current model class by id

    Shell& m_shell;
    SetpointImage& m_image;
    ModelProfile m_profile;
    bool m_built = false;
    std::array<QPointer<SetpointTab>, kSetpointTabs> m_tabs{};
    std::map<int, QString> m_lastText;  // text before the last keystroke, for the limits
    std::function<void(int)> m_shower;
    std::function<void(int)> m_stored;
    int m_current = 0;
    int m_errorField = 0;
    int m_pendingFocus = 0;  // the field that had the focus while the window was minimized
    bool m_gathering = false;
    bool m_filling = false;
};

}  // namespace tirv
