#pragma once
// The LED page (page 3, dialog 100): the front panel with each LED's assignment, a click on an
// LED opening the pop-up (117 for 5 LEDs, 118 for 8) where its signal, mode and time are
// edited and stored at once; New, Open and Save of ".tld" files; read and write through the LED
// transfer. The records are the program's own (settings file and project).
#include "configurator/iocfg/led_operation.h"
#include "configurator/iocfg/time_field.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/page.h"

#include <QPointer>

class QComboBox;
class QFrame;
class QLineEdit;
class QSpinBox;

namespace tirv {

class LedPanelView;

enum LedCtl : int {
    CtlLedPanel = 1689,
    CtlLedRowFirst = 1730,     // 1730–1734, the 5-LED row
    CtlLedColumnFirst = 1740,  // 1740–1747, the 8-LED column
    CtlLedPopupNonM = 117,
    CtlLedPopupM = 118,
    CtlLedSignal = 5300,
    CtlLedMode = 5301,
    CtlLedTime = 5302,
    CtlLedTimeSpin = 5303,
};

class LedPage : public Page {
    Q_OBJECT
public:
    LedPage(Shell& shell, LedTransfer& transfer, LedImage& image, QWidget* parent = nullptr);

    void command(int id) override;
    void pageShown() override;
    // A left click on the panel at `pos` (panel coordinates), as the user gives it.
    void clickPanel(QPoint pos);
    // The pop-up's fields go into the selected LED; false (message shown) when the time is not
    // valid. Write, Save and the project save run this first.
    bool commitPopup(TimeFieldPlace place = TimeFieldPlace::LedPanelClick);
    bool popupOpen() const;
    LedPanelView* panel() const { return m_panel; }
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPopup();
    void showModel();
    void select(int led);
    void closePopup();
    void fillPopup();
    void run(bool write);
    void open();
    void save();

    QPointer<LedTransfer> m_transfer;
    LedImage& m_image;
    LedPanelView* m_panel = nullptr;
    QFrame* m_popup = nullptr;
    QComboBox* m_signal = nullptr;
    QComboBox* m_mode = nullptr;
    QLineEdit* m_time = nullptr;
    QSpinBox* m_spin = nullptr;
    std::vector<QWidget*> m_positions;
    int m_selected = -1;
    bool m_filling = false;
};

}  // namespace tirv
