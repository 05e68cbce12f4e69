// The connection panel's controls: building them, keeping the connection settings in step with
// them, the model and channel rules, and the field checks.
#include "configurator/link/connection_panel.h"

#include "gui/reporter.h"
#include "configurator/link/link_session.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/panel_widgets.h"
#include "configurator/link/port_directory.h"
#include "configurator/link/registers.h"
#include "configurator/link/texts.h"
#include "configurator/ui/ids.h"
#include "gui/spin_buttons.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tirv {

namespace tp = panel_texts;
using link_texts::Text;

using namespace panel_widgets;

ConnectionPanel::ConnectionPanel(Shell& shell, LinkSession& session, QString portsFolder,
                                 QWidget* parent)
    : Page(shell, PageLinkSettings, parent), m_session(session),
      m_portsFolder(std::move(portsFolder))
{
    build();
    refreshPorts();
    fillFromSettings();
    applyModelRules();

    // What the session finds is shown here; the session never touches a widget.
    connect(&session, &LinkSession::runningChanged, this,
            [this](bool running) { sessionRunning(running); });
    connect(&session, &LinkSession::identityChanged, this, [this] { showIdentity(); });
    connect(&session, &LinkSession::portStateChanged, this,
            [this](const QString& text) { control<QLabel>(CtlPortState)->setText(text); });
    connect(&session, &LinkSession::modeTextChanged, this,
            [this](const QString& text) { this->shell().setModeText(text); });
    connect(&session, &LinkSession::deviceSettingsRead, this, [this] {
        if (const auto& d = m_session.deviceSettings())
            showDeviceSettings(*d);
    });
    connect(&session, &LinkSession::maxRateFound, this, [this](int index) {
        control<QLineEdit>(CtlMaxRateField)->setText(QString::number(kBaudRates[size_t(index)]));
    });
    connect(&session, &LinkSession::settingsAdopted, this, [this] {
        fillFromSettings();
        fillBaudList();
    });
    connect(&session, &LinkSession::linkChanged, this, [this] {
        applyControlsLock();
        this->shell().linkChanged();
    });
    connect(&shell.model(), &DeviceModel::changed, this, [this] { applyModelRules(); });

    WatchPorts(this, m_portsFolder, [this] { refreshPorts(); });
    m_session.setTcpFieldsGate([this] { return commitTcpFields(); });
}

ConnectionPanel::~ConnectionPanel() { m_session.setTcpFieldsGate(nullptr); }

void ConnectionPanel::build()
{
    auto* top = new QVBoxLayout(this);
    top->addWidget(buildLocal());
    top->addWidget(buildDevice());
    top->addStretch(1);
}

QWidget* ConnectionPanel::buildLocal()
{
    auto* box = new QGroupBox;
    auto* grid = new QGridLayout(box);
    int row = 0;

    m_channel = new QButtonGroup(this);
    auto* channels = new QHBoxLayout;
    const std::pair<int, const char*> radios[] = {{CtlChannelRs485, tp::kChannelRs485},
                                                  {CtlChannelUsb, tp::kChannelUsb},
                                                  {CtlChannelEthernet, tp::kChannelEthernet}};
    for (auto [id, text] : radios) {
        auto* r = new QRadioButton(QString::fromUtf8(text));
        addControl(id, r);
        m_channel->addButton(r, id - CtlChannelRs485);
        channels->addWidget(r);
    }
    connect(m_channel, &QButtonGroup::idClicked, this, [this](int ch) { channelChosen(ch); });
    grid->addLayout(channels, row++, 0, 1, 4);

    m_portList = new QComboBox;
    addControl(CtlPort, m_portList);
    auto* portState = new QLabel;
    addControl(CtlPortState, portState);
    auto* portLabel = Label(tp::kPort);
    grid->addWidget(portLabel, row, 0);
    grid->addWidget(m_portList, row, 1);
    grid->addWidget(portState, row++, 2);
    m_serialOnly.insert(m_serialOnly.end(), {portLabel, m_portList, portState});
    connect(m_portList, &QComboBox::activated, this, [this](int i) {
        this->shell().state().link.port = m_portList->itemData(i).toInt();
    });

    auto* protocol = Combo({tp::kProtocolTirv, tp::kProtocolModbus});
    protocol->setEnabled(false);  // comes from the saved settings and the last settings write
    addControl(CtlProtocol, protocol);
    auto* protocolLabel = Label(tp::kProtocol);
    grid->addWidget(protocolLabel, row, 0);
    grid->addWidget(protocol, row++, 1);
    m_serialOnly.insert(m_serialOnly.end(), {protocolLabel, protocol});

    // Settings the panel keeps without showing them.
    auto* variant = Combo({tp::kVariantOld, tp::kVariantNew});
    auto* perFrame = NumberEdit(3);
    auto* loopback = Combo({tp::kLoopbackEachOther, tp::kLoopbackDevice});
    for (QWidget* w : {static_cast<QWidget*>(variant), static_cast<QWidget*>(perFrame),
                       static_cast<QWidget*>(loopback)})
        w->hide();
    addControl(CtlVariant, variant);
    addControl(CtlValuesPerFrame, perFrame);
    addControl(CtlLoopback, loopback);

    const SpinNumber address =
        spinNumber(CtlAddress, CtlAddressSpin, 3, 1, 255, &ConnectionSettings::address);
    auto* addressLabel = Label(tp::kAddress);
    grid->addWidget(addressLabel, row, 0);
    grid->addLayout(address.row, row++, 1);
    m_serialOnly.insert(m_serialOnly.end(), {addressLabel, address.edit, address.spin});

    auto* tcpAddress = ipField(CtlTcpAddress);
    auto* tcpPort = NumberEdit(5);
    tcpPort->setValidator(new QIntValidator(0, 99999, tcpPort));
    auto* tcpProtocol = Combo({tp::kModbusTcp});
    addControl(CtlTcpPort, tcpPort);
    addControl(CtlTcpProtocol, tcpProtocol);
    auto* tcpAddressLabel = Label(tp::kAddress);
    auto* tcpPortLabel = Label(tp::kPort);
    grid->addWidget(tcpAddressLabel, row, 0);
    grid->addWidget(tcpAddress, row, 1);
    grid->addWidget(tcpProtocol, row++, 2);
    grid->addWidget(tcpPortLabel, row, 0);
    grid->addWidget(tcpPort, row++, 1);
    m_tcpOnly = {tcpAddressLabel, tcpAddress, tcpPortLabel, tcpPort, tcpProtocol};

    m_baud = new QComboBox;
    addControl(CtlBaud, m_baud);
    connect(m_baud, &QComboBox::activated, this, [this](int i) {
        this->shell().state().link.baudIndex = m_baud->itemData(i).toInt();
    });
    grid->addWidget(Label(tp::kBaud), row, 0);
    grid->addWidget(m_baud, row++, 1);

    auto* parity = Combo({tp::kParityNone, tp::kParityEven, tp::kParityOdd});
    auto* stop = Combo({tp::kStop1, tp::kStop2});
    addControl(CtlParity, parity);
    addControl(CtlStopBits, stop);
    connect(parity, &QComboBox::activated, this,
            [this](int i) { this->shell().state().link.parity = Parity(i); });
    connect(stop, &QComboBox::activated, this,
            [this](int i) { this->shell().state().link.stopBits = StopBits(i); });
    grid->addWidget(Label(tp::kParity), row, 0);
    grid->addWidget(parity, row, 1);
    grid->addWidget(Label(tp::kStopBits), row, 2);
    grid->addWidget(stop, row++, 3);

    grid->addWidget(Label(tp::kRepeats), row, 0);
    grid->addLayout(
        spinNumber(CtlRepeats, CtlRepeatsSpin, 4, 0, 1000, &ConnectionSettings::repeatCount).row,
        row++, 1);

    auto* type = new QComboBox;
    type->addItem(QString());  // no model
    for (const RelayFamilyModel& model : kRelayFamily)
        type->addItem(QString::fromUtf8(model.name));
    type->setEnabled(false);
    addControl(CtlDeviceType, type);
    grid->addWidget(Label(tp::kDeviceType), row, 0);
    grid->addWidget(type, row++, 1, 1, 2);
    const std::pair<int, const char*> ids[] = {
        {CtlVersion, tp::kFirmwareVersion}, {CtlBuild, tp::kFirmwareBuild},
        {CtlSerial, tp::kSerialNumber}};
    auto* idRow = new QHBoxLayout;
    for (auto [id, text] : ids) {
        auto* e = NumberEdit(8, 70);
        e->setReadOnly(true);
        addControl(id, e);
        idRow->addWidget(Label(text));
        idRow->addWidget(e);
    }
    idRow->addStretch(1);
    grid->addLayout(idRow, row++, 0, 1, 4);
    for (const int id : {CtlFrameRequest, CtlFrameReply}) {
        auto* frame = new QLineEdit;
        frame->setReadOnly(true);
        addControl(id, frame);
        grid->addWidget(frame, row++, 0, 1, 4);
    }

    const std::pair<int, const char*> buttons[] = {
        {CtlCheckLink, tp::kCheckLink}, {CtlAutoConnect, tp::kAutoConnect},
        {CtlMaxRate, tp::kMaxRate}, {CtlDisconnect, tp::kDisconnect}};
    auto* buttonRow = new QHBoxLayout;
    for (auto [id, text] : buttons) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        b->setMinimumHeight(b->sizeHint().height());
        addControl(id, b);
        const int cmd = id;
        connect(b, &QPushButton::clicked, this, [this, cmd] { command(cmd); });
        buttonRow->addWidget(b);
        m_exchangeControls.push_back(b);
    }
    grid->addLayout(buttonRow, row++, 0, 1, 4);
    control(CtlMaxRate)->setEnabled(false);  // after a good link check
    auto* maxRate = NumberEdit(7, 80);
    maxRate->setReadOnly(true);
    addControl(CtlMaxRateField, maxRate);
    grid->addWidget(Label(tp::kMaxRateLabel), row, 0);
    grid->addWidget(maxRate, row++, 1);

    auto* paths = new QGridLayout;
    const std::pair<int, const char*> pathRows[] = {{CtlSettingsPath, tp::kSettingsFile},
                                                    {CtlCommandLinePath, tp::kCommandLine}};
    int pr = 0;
    for (auto [id, text] : pathRows) {
        auto* l = new QLabel;
        addControl(id, l);
        paths->addWidget(Label(text), pr, 0);
        paths->addWidget(l, pr++, 1);
    }
    auto* kind = new QLabel;
    addControl(CtlCommandLineKind, kind);
    paths->addWidget(kind, 1, 2);
    grid->addLayout(paths, row++, 0, 1, 4);
    return box;
}

ConnectionPanel::SpinNumber ConnectionPanel::spinNumber(int ctl, int spinCtl, int maxLength,
                                                        int min, int max,
                                                        int ConnectionSettings::*field)
{
    auto* edit = NumberEdit(maxLength);
    auto* spin = new QSpinBox;
    spin->setRange(min, max);
    spin->setFixedWidth(18);
    spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    addControl(ctl, edit);
    addControl(spinCtl, spin);
    connect(spin, &QSpinBox::valueChanged, this, [this, edit, field](int v) {
        edit->setText(QString::number(v));
        this->shell().state().link.*field = v;
    });
    connect(edit, &QLineEdit::editingFinished, this, [this, ctl, min, max, field] {
        commitNumber(ctl, min, max, this->shell().state().link.*field);
    });
    auto* row = new QHBoxLayout;
    row->addWidget(edit);
    JoinSpinButtons(edit, spin);
    row->addStretch(1);
    return {edit, spin, row};
}

QWidget* ConnectionPanel::ipField(int ctl)
{
    auto* w = new QWidget;
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    for (int k = 0; k < 4; ++k) {
        auto* e = NumberEdit(3, 36);
        e->setValidator(new QIntValidator(0, 255, e));
        e->setObjectName(QString::number(ctl) + "." + QString::number(k));
        row->addWidget(e);
        if (k < 3)
            row->addWidget(new QLabel("."));
    }
    addControl(ctl, w);
    return w;
}

QLineEdit* ConnectionPanel::octet(int ctl, int k) const
{
    QWidget* w = control(ctl);
    return w ? w->findChild<QLineEdit*>(QString::number(ctl) + "." + QString::number(k)) : nullptr;
}

void ConnectionPanel::fillFromSettings()
{
    const ConnectionSettings& s = shell().state().link;
    if (auto* b = m_channel->button(int(s.channel)))
        b->setChecked(true);
    control<QComboBox>(CtlProtocol)->setCurrentIndex(int(s.protocol));
    control<QComboBox>(CtlVariant)->setCurrentIndex(s.protocolVariant);
    control<QLineEdit>(CtlValuesPerFrame)->setText(QString::number(s.valuesPerFrame));
    control<QSpinBox>(CtlAddressSpin)->setValue(s.address);
    control<QLineEdit>(CtlAddress)->setText(QString::number(s.address));
    control<QComboBox>(CtlParity)->setCurrentIndex(int(s.parity));
    control<QComboBox>(CtlStopBits)->setCurrentIndex(int(s.stopBits));
    control<QSpinBox>(CtlRepeatsSpin)->setValue(s.repeatCount);
    control<QLineEdit>(CtlRepeats)->setText(QString::number(s.repeatCount));
    control<QLineEdit>(CtlTcpPort)->setText(QString::number(s.tcpPort));
    const bool haveIp = s.tcpAddress != std::array<std::uint8_t, 4>{};
    for (int k = 0; k < 4; ++k)
        octet(CtlTcpAddress, k)->setText(haveIp ? QString::number(s.tcpAddress[size_t(k)])
                                                : QString());
}

bool ConnectionPanel::mModel() const { return shell().model().isM(); }

// Non-M relays have only the RS-485 channel and speeds up to 57600.
void ConnectionPanel::applyModelRules()
{
    ConnectionSettings& s = shell().state().link;
    const bool m = mModel();
    control(CtlChannelUsb)->setEnabled(m);
    control(CtlChannelEthernet)->setEnabled(m);
    if (!m) {
        s.channel = Channel::Rs485;
        s.baudIndex = std::min(s.baudIndex, kBaudCountNonM - 1);
    }
    m_channel->button(int(s.channel))->setChecked(true);
    channelChosen(int(s.channel));
}

void ConnectionPanel::fillBaudList()
{
    ConnectionSettings& s = shell().state().link;
    const BaudIndexRange range = OfferedBaudIndexes(mModel(), s.channel == Channel::Usb);
    s.baudIndex = std::clamp(s.baudIndex, range.first, range.end - 1);
    m_baud->clear();
    for (int i = range.first; i < range.end; ++i)
        m_baud->addItem(QString::number(kBaudRates[size_t(i)]), i);
    m_baud->setCurrentIndex(s.baudIndex - range.first);
}

void ConnectionPanel::channelChosen(int channel)
{
    ConnectionSettings& s = shell().state().link;
    s.channel = Channel(channel);
    const bool tcp = s.channel == Channel::Ethernet;
    // The setpoint write travels over the serial link only.
    shell().setMenuEnabled(CmdWriteSetpoints, !tcp);
    for (QWidget* w : m_serialOnly)
        w->setVisible(!tcp && !(w == m_portList && m_portList->itemData(0).toInt() == 0));
    for (QWidget* w : m_tcpOnly)
        w->setVisible(tcp);
    // USB carries no address.
    control(CtlAddress)->setEnabled(s.channel == Channel::Rs485);
    control(CtlAddressSpin)->setEnabled(s.channel == Channel::Rs485);
    const bool m = mModel();
    control(CtlParity)->setEnabled(m && !tcp);
    control(CtlStopBits)->setEnabled(m && !tcp);
    fillBaudList();
}

void ConnectionPanel::refreshPorts()
{
    ConnectionSettings& s = shell().state().link;
    const std::vector<int> ports = EnumeratePorts(m_portsFolder);
    m_portList->clear();
    if (ports.empty()) {
        m_portList->addItem(Text(link_texts::kNoPorts), 0);
        m_portList->hide();
        return;  // the stored port stays: it may come back (an adapter plugged in again)
    }
    for (int n : ports)
        m_portList->addItem(Text(link_texts::kPortName).arg(n), n);
    const bool present = std::find(ports.begin(), ports.end(), s.port) != ports.end();
    if (!present && !m_portsListed) {
        s.port = ports.front();  // at start: the stored port if present, else the first
    } else if (!present) {
        // The chosen port went away (a relay's line, an adapter unplugged): it stays chosen, so
        // that no other device of the machine is talked to in its place, and works again when
        // it is back.
        m_portList->addItem(Text(link_texts::kPortName).arg(s.port), s.port);
    }
    m_portsListed = true;
    m_portList->setCurrentIndex(m_portList->findData(s.port));
    m_portList->setVisible(s.channel != Channel::Ethernet);
}

void ConnectionPanel::showPaths(const QString& settingsPath, int kind, const QString& path)
{
    control<QLabel>(CtlSettingsPath)->setText(settingsPath);
    control<QLabel>(CtlCommandLineKind)->setText(QString::number(kind));
    control<QLabel>(CtlCommandLinePath)->setText(path);
}

// A numeric field when it is left: empty → "Введите значение!" and the focus stays; the repeat
// count above 1000 is set back to 1000 with its own message.
bool ConnectionPanel::commitNumber(int ctl, int min, int max, int& target)
{
    auto* e = control<QLineEdit>(ctl);
    const auto v = panel::ParseDecimal(e->text().trimmed().toStdString());
    if (!v) {
        shell().reporter().status(Text(tp::kInputErrorStatus), StatusIcon::Warning);
        shell().reporter().ask(Box(Text(tp::kInputErrorCaption), Text(tp::kEnterValue),
                                MsgIcon::Warning, MsgButtons::Ok));
        e->setFocus();
        return false;
    }
    long value = *v;
    if (ctl == CtlRepeats && value > max) {
        shell().reporter().ask(Box(Text(link_texts::kCaptionError),
                                Text(tp::kRepeatsTooMany).arg(max), MsgIcon::Warning,
                                MsgButtons::Ok));
    }
    value = std::clamp<long>(value, min, max);
    e->setText(QString::number(value));
    target = int(value);
    return true;
}

bool ConnectionPanel::commitFields()
{
    ConnectionSettings& s = shell().state().link;
    if (s.channel == Channel::Rs485 && !commitNumber(CtlAddress, 1, 255, s.address))
        return false;
    return commitNumber(CtlRepeats, 0, 1000, s.repeatCount);
}

// Two holders of the lock: the window (an exchange or its connection attempt runs) and the
// session's own sequence. The controls come back only when neither holds it.
void ConnectionPanel::setControlsLocked(bool locked)
{
    m_windowLocked = locked;
    applyControlsLock();
}

// A sequence of the session holds the whole window, like any exchange: a read started meanwhile
// would be refused, so the menu and toolbar say so by being disabled.
void ConnectionPanel::sessionRunning(bool running)
{
    if (m_ownLocked == running)
        return;
    m_ownLocked = running;
    applyControlsLock();
    shell().lockControls(running);
}

void ConnectionPanel::applyControlsLock()
{
    const bool locked = m_windowLocked || m_ownLocked;
    for (QWidget* w : m_exchangeControls)
        w->setEnabled(!locked);
    // The port and the speed are what a sequence works with: they stay as they are meanwhile.
    m_portList->setEnabled(!locked);
    m_baud->setEnabled(!locked);
    if (!locked)
        control(CtlMaxRate)->setEnabled(m_session.linkEstablished());
}

void ConnectionPanel::pageShown()
{
    // The panel enables its own write item of the menu while it is shown.
    shell().setMenuEnabled(176, true);
}

void ConnectionPanel::showFrameBytes(int ctl, const QString& text)
{
    if (auto* field = control<QLineEdit>(ctl))
        field->setText(text);
}

void ConnectionPanel::showIdentity()
{
    const auto& id = m_session.identity();
    if (!id) {
        control<QComboBox>(CtlDeviceType)->setCurrentIndex(0);
        for (int c : {CtlVersion, CtlBuild, CtlSerial})
            control<QLineEdit>(c)->clear();
        return;
    }
    control<QComboBox>(CtlDeviceType)->setCurrentIndex(panel::ModelItem(id->modelCode));
    control<QLineEdit>(CtlVersion)->setText(QString::asprintf("%.2f", id->firmwareX100 / 100.0));
    control<QLineEdit>(CtlBuild)->setText(QString::number(id->build));
    control<QLineEdit>(CtlSerial)->setText(QString::number(id->serial));
}

}  // namespace tirv
