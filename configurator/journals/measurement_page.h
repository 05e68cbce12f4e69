#pragma once
// The measurements page: the present values of the relay as numbers (dialog 102's edit fields
// for models below 715, dialog 103's list view for the M modification) and the selected phasors
// on the vector diagram. Readings run through MeasurementOperation, once or cyclically while
// "Вкл." is ticked; selections, colours, "Вкл." and the period are kept in the settings file.
#include "configurator/journals/measurement_operation.h"
#include "configurator/journals/measurement_settings.h"
#include "configurator/ui/page.h"

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

namespace tirv {

class VectorDiagramView;

// Control ids of both layouts.
enum MeasurementCtl : int {
    CtlMeasRead = 1340,
    CtlMeasPolling = 1341,
    CtlMeasPeriod = 1342,
    CtlMeasApply = 1343,
    CtlMeasFirstField = 1348,   // integer layout: value i in 1348 + i
    CtlMeasFirstPhasor = 1375,  // check box of phasor k: 1375 + k
    CtlMeasDiagram = 1388,
    CtlMeasFirstSwatch = 1389,  // colour swatch of phasor k: 1389 + k
    CtlMeasList = 1422,         // float layout
};

class MeasurementPage : public Page {
public:
    MeasurementPage(Shell& shell, MeasurementOperation& operation,
                    const MeasurementSettings& settings, QWidget* parent = nullptr);

    void command(int id) override;
    void pageShown() override;
    void setControlsLocked(bool locked) override;

    // What the settings file keeps, as the user left it.
    MeasurementSettings settings() const;
    const MeasurementTable& table() const { return m_table; }
    bool floatLayout() const { return m_layout == MeasurementLayout::Float; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildIntegerFields(QWidget* box);
    void buildList(QWidget* box);
    void chooseLayout();
    void startReading();
    void readingEnded(const MeasurementReading& reading, bool last);
    void display(const MeasurementTable& table);
    void apply();
    void chooseColour(std::size_t k);
    void paintSwatch(std::size_t k);
    void pollingToggled(bool on);
    void checkPeriodField();

    MeasurementOperation& m_operation;
    MeasurementSettings m_settings;
    MeasurementLayout m_layout = MeasurementLayout::Integer;
    MeasurementTable m_table;
    QCheckBox* m_polling = nullptr;
    QLineEdit* m_period = nullptr;
    std::array<QCheckBox*, kPhasorCount> m_phasorBoxes{};
    std::array<QPushButton*, kPhasorCount> m_swatches{};
    std::array<QLineEdit*, kIntegerLayoutValues> m_fields{};
    QWidget* m_integerBox = nullptr;
    QWidget* m_listBox = nullptr;
    QTableWidget* m_list = nullptr;
    VectorDiagramView* m_diagram = nullptr;
    std::function<void(bool)> m_done;  // the exchange's end, while a reading runs
};

}  // namespace tirv
