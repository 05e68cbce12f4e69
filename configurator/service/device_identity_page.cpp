#include "configurator/service/device_identity_page.h"

#include "configurator/service/device_identity_texts.h"
#include "configurator/ui/ids.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace tirv {

namespace it = identity_texts;

namespace {

constexpr QRgb kPageColour = 0xF1F4F5;
// The connection panel's type selector and serial field.
constexpr int kPanelType = 2107;
constexpr int kPanelSerial = 2108;

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

}  // namespace

DeviceIdentityPage::DeviceIdentityPage(Shell& shell, DeviceIdentityControl& control,
                                       std::function<std::optional<int>()> knownSerial,
                                       QWidget* parent)
    : Page(shell, PageConfiguration, parent),
      m_control(&control),
      m_knownSerial(std::move(knownSerial))
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(kPageColour));
    setPalette(pal);

    auto* group = new QGroupBox(Text(it::kGroup));
    auto* grid = new QGridLayout(group);
    auto* type = new QComboBox;
    type->addItem(QString());
    for (const RelayFamilyModel& model : kRelayFamily)
        type->addItem(Text(model.name));
    type->setMinimumWidth(180);
    addControl(CtlIdentityType, type);
    auto* serial = new QLineEdit;
    serial->setMaxLength(kSerialDigits);
    serial->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), serial));
    serial->setEnabled(false);
    serial->setMaximumWidth(90);
    addControl(CtlIdentitySerial, serial);
    grid->addWidget(new QLabel(Text(it::kTypeLabel)), 0, 0);
    grid->addWidget(type, 0, 1);
    grid->addWidget(new QLabel(Text(it::kSerialLabel)), 1, 0);
    grid->addWidget(serial, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(group);
    outer->addStretch();

    showModel();
    connect(&shell.model(), &DeviceModel::changed, this, [this] { showModel(); });
    if (!shell.state().busy)
        shell.reporter().status(QString(), StatusIcon::None);
}

DeviceIdentityPage::~DeviceIdentityPage()
{
    if (m_control)
        m_control->abort();
}

void DeviceIdentityPage::command(int id)
{
    if (id == PageCmdConfigRead)
        read();
    else if (id == PageCmdConfigWrite || id == CmdWriteIdentity)
        write();
}

void DeviceIdentityPage::pageShown()
{
    if (const std::optional<int> s = m_knownSerial ? m_knownSerial() : std::nullopt)
        control<QLineEdit>(CtlIdentitySerial)->setText(QString::number(*s));
}

void DeviceIdentityPage::setControlsLocked(bool locked)
{
    control(CtlIdentityType)->setEnabled(!locked);
}

void DeviceIdentityPage::showModel()
{
    control<QComboBox>(CtlIdentityType)->setCurrentIndex(DeviceTypeItem(shell().model().code()));
}

void DeviceIdentityPage::showSerialInPanel(int serial)
{
    if (Page* panel = shell().page(PageLinkSettings))
        if (auto* field = panel->control<QLineEdit>(kPanelSerial))
            field->setText(QString::number(serial));
}

void DeviceIdentityPage::read()
{
    if (!m_control)
        return;
    shell().runExchange({[this](std::function<void(bool)> done) {
                             m_control->read([this, done](const IdentityEnd& end) {
                                 if (end.record) {
                                     const IdentityRecord& r = *end.record;
                                     control<QComboBox>(CtlIdentityType)
                                         ->setCurrentIndex(DeviceTypeItem(r[kIdentityType]));
                                     control<QLineEdit>(CtlIdentitySerial)
                                         ->setText(
                                             QString::asprintf("%i", int(r[kIdentitySerial])));
                                     showSerialInPanel(r[kIdentitySerial]);
                                 }
                                 done(end.ok);
                                 if (end.toFirmware)
                                     shell().command(CmdShowFirmware);
                             });
                         },
                         [this] {
                             if (m_control)
                                 m_control->abort();
                         }});
}

void DeviceIdentityPage::write()
{
    if (!m_control)
        return;
    auto* serial = control<QLineEdit>(CtlIdentitySerial);
    const IdentityInput input =
        CheckIdentityInput(control<QComboBox>(CtlIdentityType)->currentIndex(), serial->isEnabled(),
                           serial->text().toStdString());
    if (input.error != IdentityInputError::None) {
        shell().reporter().ask(Box(Text(it::kInputCaption), Text(IdentityInputText(input.error)),
                                   MsgIcon::Warning, MsgButtons::Ok));
        if (input.error == IdentityInputError::NoSerial)
            serial->setFocus();
        return;
    }
    shell().runExchange({[this, input](std::function<void(bool)> done) {
                             m_control->write(input, [this, done](const IdentityEnd& end) {
                                 if (end.typeWritten && end.code != shell().model().code()) {
                                     // As choosing the model in the connection panel: the model's
                                     // tables follow.
                                     shell().setModelCode(end.code);
                                     if (Page* panel = shell().page(PageLinkSettings))
                                         if (auto* type = panel->control<QComboBox>(kPanelType))
                                             type->setCurrentIndex(DeviceTypeItem(end.code));
                                 }
                                 if (end.serialWritten)
                                     showSerialInPanel(end.serial);
                                 done(end.ok);
                                 if (end.toFirmware)
                                     shell().command(CmdShowFirmware);
                             });
                         },
                         [this] {
                             if (m_control)
                                 m_control->abort();
                         }});
}

}  // namespace tirv
