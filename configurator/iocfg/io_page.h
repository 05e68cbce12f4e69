#pragma once
// The I/O page (dialog 104) in one of its two modes: page 2, the settings of inputs and outputs
// 1–16 (channels 9–16 editable), or page 6, the same read-only with the live states as lamps,
// the cyclic poll and the legend. Both edit the program's one I/O record, so the settings
// file and the project carry what either shows.
#include "configurator/iocfg/io_operation.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/page.h"

#include <QPointer>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace tirv {

struct PollSettings;

// The live filter of a time field: a comma becomes a point, and the first character that is
// neither a digit nor the first separator is removed (`caret` then names its place).
QString FilterTimeText(const QString& text, int* caret);

// Control ids of dialog 104; channel n (0–15) adds n.
enum IoCtl : int {
    CtlIoInputFunction = 1452,
    CtlIoOutputSignal = 1468,
    CtlIoInputLevel = 1484,
    CtlIoOutputMode = 1500,
    CtlIoInputPickUp = 1516,
    CtlIoInputPickUpSpin = 1532,
    CtlIoOutputOperate = 1548,
    CtlIoOutputOperateSpin = 1564,
    CtlIoInputReset = 1580,
    CtlIoInputResetSpin = 1596,
    CtlIoOutputReturn = 1612,
    CtlIoOutputReturnSpin = 1628,
    CtlIoInputLamps = 1420,
    CtlIoOutputLamps = 1421,
    CtlIoPollOn = 1417,
    CtlIoPollPeriod = 1418,
    CtlIoLegendActive = 1700,
    CtlIoLegendInactive = 1701,
};

// A column of 16 lamps (or the legend's one): red for an active channel, grey otherwise, each
// row with a line at its top; in settings mode the plain button face.
class IoLampColumn : public QWidget {
    Q_OBJECT
public:
    explicit IoLampColumn(int rows, QWidget* parent = nullptr);
    void setStates(std::uint16_t states);
    void setLit(bool lit)
    {
        m_lit = lit;
        update();
    }
    std::uint16_t states() const { return m_states; }
    // The widgets of the table's rows: each lamp is drawn level with its row, whatever the
    // layout's spacing (without them the column is divided evenly).
    void setRowAnchors(std::vector<QWidget*> anchors)
    {
        m_anchors = std::move(anchors);
        update();
    }
    // The vertical centre of lamp `row` in this widget.
    int rowCentre(int row) const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int m_rows;
    std::vector<QWidget*> m_anchors;
    std::uint16_t m_states = 0;
    bool m_lit = true;
};

class IoPage : public Page {
    Q_OBJECT
public:
    // `image` is the program's I/O record; `poll` the state poll's words of the settings file.
    IoPage(Shell& shell, IoMode mode, IoTransfer& transfer, IoImage& image, PollSettings& poll,
           QWidget* parent = nullptr);

    void command(int id) override;
    void pageShown() override;
    void setControlsLocked(bool locked) override;
    IoMode mode() const { return m_mode; }
    // Shows the record as it is now (after a read, Open, New or a project load).
    void refresh();
    std::uint16_t inputStates() const;
    std::uint16_t outputStates() const;

protected:
    void onTimer(int id) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TimeControl {
        QLineEdit* edit = nullptr;
        QSpinBox* spin = nullptr;
        bool input = true;
        int channel = 0;
        int word = IoFirstTime;
    };
    void build();
    QWidget* buildTable(bool inputs);
    QWidget* buildPollGroup();
    void addTime(QWidget* parent, int editId, int spinId, bool input, int channel, int word);
    std::uint32_t& wordOf(const TimeControl& t);
    // Validates one time field; shows the message and focuses the field when it is refused.
    bool commitTime(TimeControl& t, bool quiet = false);
    bool validateAll();
    bool commitPeriod();
    void read();
    void write();
    void open();
    void save();
    void readEnded(const IoTransferOutcome& o);
    void pollStarted();
    void readOnce();
    // No further read: ends now between two reads, else with the read in flight.
    void finishPoll();
    // The reading (or the cycle) is over: the line is given back.
    void readingsEnded(bool ok);

    IoMode m_mode;
    QPointer<IoTransfer> m_transfer;
    IoImage& m_image;
    PollSettings& m_poll;
    std::array<QComboBox*, 16> m_functions{};
    std::array<QComboBox*, 16> m_levels{};
    std::array<QComboBox*, 16> m_signals{};
    std::array<QComboBox*, 16> m_modes{};
    std::vector<TimeControl> m_times;
    IoLampColumn* m_inputLamps = nullptr;
    IoLampColumn* m_outputLamps = nullptr;
    QCheckBox* m_pollOn = nullptr;
    QLineEdit* m_period = nullptr;
    bool m_pollRunning = false;              // the cyclic poll goes on after the read in flight
    std::function<void(bool)> m_readDone;    // the exchange's end, while a read or poll runs
    bool m_filling = false;
};

}  // namespace tirv
