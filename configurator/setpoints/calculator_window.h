#pragma once
// The МТЗ-2/МТЗ-3 calculator (dialog 323): a modeless window opened by command 196 that solves
// the inverse-time characteristic for one quantity, optionally from the setpoints of one group.
// It never changes the setpoint image. Mode, source, curve and the last values outlive it.
//
// Wiring in the program's entry:
//     Calculator calculator(window, image, &window);
//     window.registerCommand(CmdCalculator, [&] { calculator.open(); });
//     editor.setStoredListener([&](int i) { calculator.setpointStored(i); });
#include "configurator/setpoints/calculator.h"
#include "configurator/setpoints/setpoint_image.h"
#include "configurator/ui/shell.h"

#include <QDialog>
#include <QPointer>
#include <array>
#include <map>
#include <span>

class QButtonGroup;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tirv {

class CalculatorPictureArea;

// Control ids of dialog 323.
enum CalcCtl : int {
    CalcDialog = 323,
    CalcPicture = 5900,
    CalcModeFirst = 5901,    // 5901…5904
    CalcSourceFirst = 5905,  // 5905…5909
    CalcCurveList = 5910,
    CalcInputFirst = 5911,   // 5911…5913
    CalcResult = 5914,
    CalcLabelFirst = 5915,   // 5915…5917
    CalcResultButton = 5919,
    CalcResultGroup = 5927,
    CalcInputGroup = 5928,
};

class CalculatorWindow : public QDialog {
public:
    CalculatorWindow(Shell& shell, const SetpointImage& image, CalcState& memory, QWidget* parent);

    QWidget* control(int id) const;
    template <typename W>
    W* control(int id) const { return qobject_cast<W*>(control(id)); }

    void chooseMode(int mode);
    void chooseSource(int source);
    void chooseCurve(int curve);
    // The result button.
    void compute();
    // A setpoint of the tabs has been stored: reload when it is the chosen group's.
    void setpointStored(int imageIndex);

private:
    void build();
    void addControl(int id, QWidget* w);
    // A titled column of radio buttons (control ids from `firstId`) in row 1 of `grid`, in one
    // button group whose ids are the buttons' indices.
    QButtonGroup* radioColumn(QGridLayout* grid, int column, const char* title,
                              std::span<const char* const> texts, int firstId);
    void typed(int field);
    void reloadSource();
    void ask(const char* caption, const QString& text);
    QString sourceText(int field) const;

    Shell& m_shell;
    const SetpointImage& m_image;
    CalcState& m_state;
    std::map<int, QWidget*> m_controls;
    std::array<QLineEdit*, kCalcInputs> m_inputs{};
    std::array<QLabel*, kCalcInputs> m_labels{};
    QLineEdit* m_result = nullptr;
    QPushButton* m_resultButton = nullptr;
    QGroupBox* m_resultGroup = nullptr;
    QComboBox* m_curves = nullptr;
    QButtonGroup* m_modes = nullptr;
    QButtonGroup* m_sources = nullptr;
    CalculatorPictureArea* m_picture = nullptr;
};

// Opens the window on command 196 and keeps what it remembers between openings.
class Calculator {
public:
    Calculator(Shell& shell, const SetpointImage& image, QWidget* parent);
    ~Calculator();
    void open();
    CalculatorWindow* window() const { return m_window; }
    const CalcState& memory() const { return m_memory; }
    void setpointStored(int imageIndex);

private:
    Shell& m_shell;
    const SetpointImage& m_image;
    QWidget* m_parent;
    CalcState m_memory;
    QPointer<CalculatorWindow> m_window;
};

}  // namespace tirv
