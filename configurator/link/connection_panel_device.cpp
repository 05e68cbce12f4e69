// The group "Настройки связи ТИРВ" of the connection panel: the relay's own communication
// settings, shown after a link check with 3005 checked and written by "Записать".
#include "configurator/link/connection_panel.h"
#include "configurator/link/link_session.h"

#include "configurator/link/panel_texts.h"
#include "configurator/link/panel_widgets.h"
#include "configurator/link/registers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tirv {

namespace tp = panel_texts;

using namespace panel_widgets;

QWidget* ConnectionPanel::buildDevice()
{
    m_deviceGroup = new QGroupBox(QString::fromUtf8(tp::kDeviceGroup));
    auto* grid = new QGridLayout(m_deviceGroup);
    int row = 0;
    auto* readAll = new QCheckBox(QString::fromUtf8(tp::kReadAllChannels));
    addControl(CtlReadAllChannels, readAll);
    connect(readAll, &QCheckBox::toggled, this, [this](bool on) { m_session.setReadBlockOnCheck(on); });
    grid->addWidget(readAll, row++, 0, 1, 6);

    grid->addWidget(Label(tp::kChannelRs485), row, 0);
    auto* devProtocol = Combo({tp::kProtocolTirv, tp::kProtocolModbus});
    devProtocol->setCurrentIndex(1);
    auto* devAddress = NumberEdit(5);
    devAddress->setText("1");
    auto* devBaud = new QComboBox;
    for (int i = 0; i < kBaudCountM; ++i)
        devBaud->addItem(QString::number(kBaudRates[size_t(i)]));
    devBaud->setCurrentIndex(kDefaultBaudIndex);
    auto* devParity = Combo({tp::kParityNone, tp::kParityEven, tp::kParityOdd});
    auto* devStop = Combo({tp::kStop1, tp::kStop2});
    auto* devMode = Combo({tp::kModeSlave, tp::kModeMaster});
    auto* devSync = new QCheckBox(QString::fromUtf8(tp::kTimeSync));
    addControl(CtlDevProtocol, devProtocol);
    addControl(CtlDevAddress, devAddress);
    addControl(CtlDevBaud, devBaud);
    addControl(CtlDevParity, devParity);
    addControl(CtlDevStopBits, devStop);
    addControl(CtlDevMode, devMode);
    addControl(CtlDevTimeSync, devSync);
    grid->addWidget(devProtocol, row, 1);
    grid->addWidget(Label(tp::kAddress), row, 2);
    grid->addWidget(devAddress, row, 3);
    grid->addWidget(devBaud, row++, 4);
    grid->addWidget(devParity, row, 1);
    grid->addWidget(devStop, row, 2);
    grid->addWidget(devMode, row, 3);
    grid->addWidget(devSync, row++, 4, 1, 2);

    grid->addWidget(Label(tp::kChannelUsb), row, 0);
    auto* usbProtocol = Combo({tp::kProtocolTirv, tp::kProtocolModbus});
    usbProtocol->setCurrentIndex(1);
    auto* usbBaud = new QComboBox;
    for (int i = kUsbFirstBaudIndex; i < kBaudCountM; ++i)
        usbBaud->addItem(QString::number(kBaudRates[size_t(i)]));
    addControl(CtlDevUsbProtocol, usbProtocol);
    addControl(CtlDevUsbBaud, usbBaud);
    grid->addWidget(usbProtocol, row, 1);
    grid->addWidget(usbBaud, row++, 4);

    grid->addWidget(Label(tp::kChannelEthernet), row, 0);
    auto* ethOn = new QCheckBox(QString::fromUtf8(tp::kEthernetOn));
    auto* ethPort = NumberEdit(5);
    ethPort->setText("502");
    auto* ethProtocol = Combo({tp::kModbusTcp});
    addControl(CtlDevEthernetOn, ethOn);
    addControl(CtlDevTcpPort, ethPort);
    addControl(CtlDevTcpProtocol, ethProtocol);
    grid->addWidget(ethOn, row, 1);
    grid->addWidget(ethProtocol, row, 2);
    grid->addWidget(Label(tp::kPort), row, 3);
    grid->addWidget(ethPort, row++, 4);
    grid->addWidget(Label(tp::kAddress), row, 0);
    grid->addWidget(ipField(CtlDevIp), row++, 1, 1, 3);
    grid->addWidget(Label(tp::kMac), row, 0);
    auto* macRow = new QHBoxLayout;
    for (int k = 0; k < 6; ++k) {
        auto* e = NumberEdit(2, 30);
        e->setText("0");
        addControl(CtlDevMac1 + k, e);
        macRow->addWidget(e);
    }
    macRow->addStretch(1);
    grid->addLayout(macRow, row++, 1, 1, 5);
    grid->addWidget(Label(tp::kGateway), row, 0);
    grid->addWidget(ipField(CtlDevGateway), row++, 1, 1, 3);
    grid->addWidget(Label(tp::kMask), row, 0);
    grid->addWidget(ipField(CtlDevMask), row++, 1, 1, 3);

    auto* write = new QPushButton(QString::fromUtf8(tp::kWrite));
    addControl(CtlWrite, write);
    connect(write, &QPushButton::clicked, this, [this] { command(CtlWrite); });
    m_exchangeControls.push_back(write);
    grid->addWidget(write, row++, 4);
    return m_deviceGroup;
}

}  // namespace tirv
