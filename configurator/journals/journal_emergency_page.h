#pragma once
// The emergency-journal page (page 8): the events (1829, two rows each), the values of the
// selected event (1830) with its opening time, the field 1344, the vector diagram of the event
// with the operating sectors (1800), the phasor and sector check boxes and colour swatches kept
// in "ТИРВ.cfg" (words 30–55), the read (1780), the ".taj" file (1782, 1783) and the
// oscillogram read-out (1828) that writes "Осциллограммы.tao" and starts the viewer.
#include "configurator/journals/journal_operation.h"
#include "configurator/journals/journal_page_commands.h"  // SerialNumberSource
#include "configurator/journals/journal_settings.h"
#include "configurator/journals/journal_working_page.h"  // CtlJournalCaption
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_image.h"
#include "configurator/ui/page.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QColor;

namespace tirv {

class EmergencyDiagramView;

// A colour word of the settings (0x00BBGGRR) as Qt's, and a swatch painted with it.
QColor JournalColourOf(std::uint32_t ref);
void PaintJournalSwatch(QPushButton* b, std::uint32_t ref);

enum EmergencyJournalCtl : int {
    CtlEjDiagram = 1800,
    CtlEjFirstPhasorBox = 1801,  // 1801–1811 "Ia" … "3Uo"
    CtlEjFirstSwatch = 1814,     // 1814–1824
    CtlEjApply = 1827,           // hidden "Применить"
    CtlEjReadOscillogram = 1828,
    CtlEjEvents = 1829,
    CtlEjValues = 1830,
    CtlEjFirstSectorBox = 1848,  // 1848–1851 "Ic", "Ia", "Ib", "3Io"
    CtlEjSummary = 1344,
    CtlEjSortApply = 1781,
    CtlEjFrom = 1784,
    CtlEjTo = 1785,
    CtlEjSortOrder = 1787,
    CtlEjByDates = 1788,
};
inline constexpr int PageCmdEmergencyOscillogram = 1828;
inline constexpr int PageCmdEmergencyApply = 1827;
// The column of list 1830 that shows the opening time ("t откл.").
inline constexpr int kEjOpeningColumn = 14;

// What the read-out writes and starts: taken when the command runs.
using OscillogramTargetSource = std::function<OscillogramTarget()>;

class EmergencyJournalPage : public Page {
public:
    EmergencyJournalPage(Shell& shell, JournalOperations& ops, JournalStore& store,
                         const SetpointImage& setpoints, const ModelProfile& profile,
                         EmergencyJournalSettings settings, SerialNumberSource serial,
                         OscillogramTargetSource target, QWidget* parent = nullptr);

    void command(int id) override;
    void setControlsLocked(bool locked) override;
    const JournalStore& store() const { return m_store; }

    const EmergencyJournalSettings& settings() const { return m_settings; }
    // Fills the events list from the journal held and selects nothing.
    void refill();
    // Selects the event at display position `k` (0 newest); -1 clears the selection.
    void selectEvent(int k);
    int selectedEvent() const { return m_selected; }
    EmergencyDiagramView* diagram() const { return m_diagram; }

private:
    void build();
    void read();
    void readOscillogram();
    void open();
    void save();
    void showValues();
    void updateDiagram();
    void updateOscillogramButton();
    void rowChanged(QTreeWidgetItem* item);
    void setListsEnabled(bool on);

    JournalOperations& m_ops;
    JournalStore& m_store;
    const SetpointImage& m_setpoints;
    const ModelProfile& m_profile;
    EmergencyJournalSettings m_settings;
    SerialNumberSource m_serial;
    OscillogramTargetSource m_target;
    int m_selected = -1;  // display position of the selected event
    bool m_locked = false;

    QLabel* m_caption = nullptr;
    QTreeWidget* m_events = nullptr;
    QTreeWidget* m_values = nullptr;
    QLineEdit* m_summary = nullptr;
    QPushButton* m_oscillogram = nullptr;
    EmergencyDiagramView* m_diagram = nullptr;
    std::array<QCheckBox*, kJournalPhasors> m_phasorBoxes{};
    std::array<QPushButton*, kJournalPhasors> m_swatches{};
    std::array<QCheckBox*, kJournalSectorBoxes> m_sectorBoxes{};
};

}  // namespace tirv
