#pragma once
// The network scan page (page 9, dialog 107): the port, the address and speed ranges, parity and
// stop bits, "Сканировать" ⇄ "Остановить сканирование", "Очистить таблицу" and the list of the
// relays found. The scan itself is the NetworkScan operation, run as the window's exchange.
#include "configurator/link/network_scan.h"
#include "configurator/ui/page.h"

#include <array>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace tirv {

enum ScanCtl : int {
    CtlScanPort = 1880,
    CtlScanFirstAddress = 1881,
    CtlScanFirstAddressSpin = 1882,
    CtlScanLastAddress = 1883,
    CtlScanLastAddressSpin = 1884,
    CtlScanFirstBaud = 1885,
    CtlScanLastBaud = 1886,
    CtlScanParity = 1887,
    CtlScanStopBits = 1888,
    CtlScanStart = 1889,
    CtlScanResults = 1890,
    CtlScanClear = 1894,
};

class ScanPage : public Page {
public:
    ScanPage(Shell& shell, NetworkScan& scan, QString portsFolder = {}, QWidget* parent = nullptr);

    void command(int id) override;
    void pageShown() override;
    void setControlsLocked(bool locked) override;

    // The button: starts a scan, or stops the one running.
    void startOrStop();
    void clearResults();
    // The address field's check on leaving it: the message and the focus back when it fails.
    bool checkAddress(int ctl);
    QTreeWidget* results() const { return m_results; }

private:
    void build();
    QLineEdit* addressField(int ctl, int spinCtl, int value, QWidget* row);
    void refreshPorts();
    void fillBaudLists();
    void addRow(const ScanRow& row);
    void scanEnded();

    NetworkScan& m_scan;
    QString m_portsFolder;
    QComboBox* m_port = nullptr;
    std::array<QComboBox*, 2> m_baud{};
    QComboBox* m_parity = nullptr;
    QComboBox* m_stop = nullptr;
    QPushButton* m_button = nullptr;
    QTreeWidget* m_results = nullptr;
    std::function<void(bool)> m_done;  // the window's exchange, while a scan runs
    int m_chosenPort = 1;
    bool m_locked = false;
};

}  // namespace tirv
