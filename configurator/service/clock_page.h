#pragma once
// The clock page (page 15, dialog 120): the relay's date and time next to the computer's, read
// (1703) and set from the computer clock (1702) through the main window's commands, and the
// broadcast button 1704 for every relay of the serial line (hidden over Ethernet).
#include "configurator/service/clock_operation.h"
#include "configurator/ui/page.h"

#include <QPointer>

namespace tirv {

enum ClockCtl : int {
    CtlClockRelay = 5740,
    CtlClockComputer = 5741,
    CtlClockBroadcast = 1704,
    CtlClockRead = 1703,
    CtlClockSet = 1702,
    CtlClockSyncLabel = 2096,
    CtlClockSync = 5742,
};

// One display field: bold 20-point serif text, centred, in the field's own colours.
class ClockDisplay : public QWidget {
    Q_OBJECT
public:
    ClockDisplay(QColor text, QColor background, QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const { return m_text; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor m_textColour;
    QColor m_background;
    QString m_text;
};

class ClockPage : public Page {
public:
    ClockPage(Shell& shell, ClockOperation& operation, QWidget* parent = nullptr);
    ~ClockPage() override;

    void command(int id) override;
    void pageShown() override;
    void pageHidden(int nextPage) override;
    void linkChanged() override;
    void setControlsLocked(bool locked) override;
    ClockOperation* operation() const { return m_operation; }

private:
    void run(ClockAction action);
    void show(const ClockEnd& end);
    void showChannel();

    // The operation may go before the page when the program closes.
    QPointer<ClockOperation> m_operation;
};

}  // namespace tirv
