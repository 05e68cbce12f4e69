#include "configurator/link/scan_page.h"

#include "configurator/link/panel_texts.h"
#include "configurator/link/panel_widgets.h"
#include "configurator/link/port_directory.h"
#include "configurator/link/registers.h"
#include "configurator/link/scan_texts.h"
#include "configurator/link/texts.h"
#include "configurator/ui/ids.h"
#include "gui/spin_buttons.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tirv {

namespace st = scan_texts;
namespace tp = panel_texts;
using namespace panel_widgets;
using link_texts::Text;

namespace {

constexpr int kMinAddress = 1;
constexpr int kMaxAddress = 255;

const char* ParityText(Parity p)
{
    constexpr const char* kTexts[] = {tp::kParityNone, tp::kParityEven, tp::kParityOdd};
    return kTexts[std::size_t(p)];
}

}  // namespace

ScanPage::ScanPage(Shell& shell, NetworkScan& scan, QString portsFolder, QWidget* parent)
    : Page(shell, PageScan, parent), m_scan(scan), m_portsFolder(std::move(portsFolder))
{
    build();
    connect(&m_scan, &NetworkScan::rowFound, this, [this](const ScanRow& row) { addRow(row); });
    connect(&m_scan, &NetworkScan::finished, this, [this] { scanEnded(); });
    connect(&shell.model(), &DeviceModel::changed, this, [this] { fillBaudLists(); });
    WatchPorts(this, m_portsFolder, [this] { refreshPorts(); });
}

void ScanPage::build()
{
    const ConnectionSettings& s = shell().state().link;
    m_chosenPort = s.port;
    auto* top = new QVBoxLayout(this);
    auto* settings = new QGridLayout;
    top->addLayout(settings);

    m_port = new QComboBox;
    addControl(CtlScanPort, m_port);
    connect(m_port, &QComboBox::activated, this,
            [this](int i) { m_chosenPort = m_port->itemData(i).toInt(); });
    settings->addWidget(Label(st::kPort), 0, 0);
    settings->addWidget(m_port, 0, 1);

    auto* addresses = new QGroupBox(Text(st::kAddressGroup));
    auto* addressRow = new QHBoxLayout(addresses);
    addressRow->addWidget(Label(st::kFrom));
    addressField(CtlScanFirstAddress, CtlScanFirstAddressSpin, s.address, addresses);
    addressRow->addWidget(Label(st::kTo));
    addressField(CtlScanLastAddress, CtlScanLastAddressSpin, s.address, addresses);
    settings->addWidget(addresses, 1, 0, 1, 4);

    auto* speeds = new QGroupBox(Text(st::kSpeedGroup));
    auto* speedRow = new QHBoxLayout(speeds);
    for (int k = 0; k < 2; ++k) {
        speedRow->addWidget(Label(k == 0 ? st::kFrom : st::kTo));
        m_baud[std::size_t(k)] = new QComboBox;
        addControl(k == 0 ? CtlScanFirstBaud : CtlScanLastBaud, m_baud[std::size_t(k)]);
        speedRow->addWidget(m_baud[std::size_t(k)]);
    }
    speedRow->addStretch();
    settings->addWidget(speeds, 2, 0, 1, 4);

    m_parity = Combo({tp::kParityNone, tp::kParityEven, tp::kParityOdd});
    m_parity->setCurrentIndex(int(s.parity));
    m_stop = Combo({tp::kStop1, tp::kStop2});
    m_stop->setCurrentIndex(int(s.stopBits));
    addControl(CtlScanParity, m_parity);
    addControl(CtlScanStopBits, m_stop);
    settings->addWidget(Label(st::kParity), 3, 0);
    settings->addWidget(m_parity, 3, 1);
    settings->addWidget(Label(st::kStopBits), 3, 2);
    settings->addWidget(m_stop, 3, 3);
    settings->setColumnStretch(4, 1);

    auto* buttons = new QHBoxLayout;
    m_button = new QPushButton(Text(st::kScan));
    m_button->setMinimumWidth(200);
    addControl(CtlScanStart, m_button);
    connect(m_button, &QPushButton::clicked, this, [this] { startOrStop(); });
    auto* clear = new QPushButton(Text(st::kClear));
    addControl(CtlScanClear, clear);
    connect(clear, &QPushButton::clicked, this, [this] { clearResults(); });
    buttons->addWidget(m_button);
    buttons->addWidget(clear);
    buttons->addStretch();
    top->addLayout(buttons);

    m_results = new QTreeWidget;
    m_results->setRootIsDecorated(false);
    m_results->setColumnCount(int(std::size(st::kColumns)));
    QStringList headers;
    for (const char* c : st::kColumns)
        headers << Text(c);
    m_results->setHeaderLabels(headers);
    for (int k = 0; k < int(std::size(st::kColumnWidths)); ++k)
        m_results->header()->resizeSection(k, st::kColumnWidths[k]);
    m_results->setMinimumHeight(240);
    addControl(CtlScanResults, m_results);
    top->addWidget(m_results, 1);

    fillBaudLists();
    refreshPorts();
}

QLineEdit* ScanPage::addressField(int ctl, int spinCtl, int value, QWidget* group)
{
    auto* row = static_cast<QHBoxLayout*>(group->layout());
    auto* edit = NumberEdit(3, 50);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,3}"), edit));
    edit->setText(QString::number(value));
    auto* spin = new QSpinBox;
    spin->setRange(kMinAddress, kMaxAddress);
    spin->setValue(value);
    spin->setFixedWidth(18);
    spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    addControl(ctl, edit);
    addControl(spinCtl, spin);
    connect(spin, &QSpinBox::valueChanged, edit,
            [edit](int v) { edit->setText(QString::number(v)); });
    connect(edit, &QLineEdit::textEdited, spin, [spin](const QString& t) {
        bool ok = false;
        const int v = t.toInt(&ok);
        if (ok && v >= kMinAddress && v <= kMaxAddress) {
            const QSignalBlocker block(spin);
            spin->setValue(v);
        }
    });
    connect(edit, &QLineEdit::editingFinished, this, [this, ctl] { checkAddress(ctl); });
    row->addWidget(edit);
    JoinSpinButtons(edit, spin);
    return edit;
}

bool ScanPage::checkAddress(int ctl)
{
    auto* edit = control<QLineEdit>(ctl);
    const QString text = edit->text().trimmed();
    const char* problem = nullptr;
    if (text.isEmpty())
        problem = st::kEnterValue;
    else if (text.toInt() < kMinAddress)
        problem = st::kAddressBelow;
    else if (text.toInt() > kMaxAddress)
        problem = st::kAddressAbove;
    if (!problem)
        return true;
    if (!shell().state().minimized)
        shell().reporter().ask(
            Box(Text(st::kAddressCaption), Text(problem), MsgIcon::Warning, MsgButtons::Ok));
    edit->setFocus();
    return false;
}

void ScanPage::fillBaudLists()
{
    const int count = shell().model().isM() ? kBaudCountM : kBaudCountNonM;
    const int start = std::min(shell().state().link.baudIndex, count - 1);
    for (QComboBox* list : m_baud) {
        const int was = list->count() ? list->currentIndex() : start;
        list->clear();
        for (int k = 0; k < count; ++k)
            list->addItem(QString::number(kBaudRates[std::size_t(k)]), k);
        list->setCurrentIndex(std::min(was, count - 1));
    }
}

void ScanPage::refreshPorts()
{
    const std::vector<int> ports = EnumeratePorts(m_portsFolder);
    m_port->clear();
    if (ports.empty()) {
        m_port->addItem(Text(link_texts::kNoPorts), 0);
        return;
    }
    for (int n : ports)
        m_port->addItem(Text(link_texts::kPortName).arg(n), n);
    const int at = m_port->findData(m_chosenPort);
    m_port->setCurrentIndex(at >= 0 ? at : 0);
    if (at < 0)
        m_chosenPort = ports.front();
}

void ScanPage::pageShown() { refreshPorts(); }

void ScanPage::command(int id)
{
    if (id == CtlScanStart)
        startOrStop();
    else if (id == CtlScanClear)
        clearResults();
}

void ScanPage::startOrStop()
{
    if (m_scan.running()) {
        m_scan.abort();
        return;
    }
    if (!checkAddress(CtlScanFirstAddress) || !checkAddress(CtlScanLastAddress))
        return;
    const int port = m_port->currentData().toInt();
    if (port <= 0) {
        shell().reporter().status(Text(link_texts::kPortUnavailableStatus), StatusIcon::Warning);
        return;
    }
    ScanRequest request;
    request.port = port;
    request.range = NormalizedScanRange(control<QLineEdit>(CtlScanFirstAddress)->text().toInt(),
                                        control<QLineEdit>(CtlScanLastAddress)->text().toInt(),
                                        m_baud[0]->currentData().toInt(),
                                        m_baud[1]->currentData().toInt());
    request.parity = Parity(m_parity->currentIndex());
    request.stopBits = StopBits(m_stop->currentIndex());
    request.repeatCount = shell().state().link.repeatCount;
    shell().runExchange({[this, request](std::function<void(bool)> done) {
                             if (!m_scan.start(request)) {
                                 done(false);
                                 return;
                             }
                             m_done = std::move(done);
                             m_button->setText(Text(st::kStop));
                             setControlsLocked(m_locked);
                         },
                         [this] { m_scan.abort(); }});
}

void ScanPage::scanEnded()
{
    m_button->setText(Text(st::kScan));
    if (auto done = std::move(m_done)) {
        m_done = nullptr;
        done(true);
    }
    setControlsLocked(m_locked);
}

void ScanPage::clearResults() { m_results->clear(); }

void ScanPage::addRow(const ScanRow& row)
{
    auto* item = new QTreeWidgetItem(m_results);
    const QString texts[] = {
        Text(link_texts::kPortName).arg(row.port),
        QString::number(row.address),
        QString::fromStdString(ScanModelText(row.modelCode)),
        QString::number(kBaudRates[std::size_t(row.baudIndex)]),
        Text(ParityText(row.parity)),
        Text(row.stopBits == StopBits::Two ? tp::kStop2 : tp::kStop1),
    };
    for (int k = 0; k < int(std::size(texts)); ++k)
        item->setText(k, texts[k]);
}

void ScanPage::setControlsLocked(bool locked)
{
    m_locked = locked;
    // While a scan runs its button stops it; every other control waits.
    for (int id : {CtlScanPort, CtlScanFirstAddress, CtlScanFirstAddressSpin, CtlScanLastAddress,
                   CtlScanLastAddressSpin, CtlScanFirstBaud, CtlScanLastBaud, CtlScanParity,
                   CtlScanStopBits, CtlScanClear})
        control(id)->setEnabled(!locked);
    m_button->setEnabled(!locked || m_scan.running());
}

}  // namespace tirv
