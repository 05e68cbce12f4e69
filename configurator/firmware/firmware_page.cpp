#include "configurator/firmware/firmware_page.h"

#include "configurator/firmware/firmware_page_texts.h"
#include "configurator/firmware/texts.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/serial_link.h"
#include "configurator/ui/ids.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tirv {
namespace {

namespace tx = firmware_texts;
namespace pt = firmware_page_texts;
namespace tp = panel_texts;

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

ProtocolTime Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return {unsigned(d.year()),   unsigned(d.month()),  unsigned(d.day()), unsigned(t.hour()),
            unsigned(t.minute()), unsigned(t.second()), unsigned(t.msec())};
}

QString TimeText(const ProtocolTime& t)
{
    return QString::asprintf(tx::kTimeFormat, t.hour, t.minute, t.second, t.millisecond);
}

QLineEdit* TimingEdit(int value)
{
    auto* e = new QLineEdit(QString::number(value));
    e->setMaximumWidth(80);
    return e;
}

}  // namespace

FirmwareUpdatePage::FirmwareUpdatePage(Shell& shell, SerialLink& link,
                                       const ConnectionSettings& settings,
                                       std::function<ProtocolHeaderFields()> header,
                                       QWidget* parent)
    : Page(shell, PageFirmware, parent),
      m_settings(settings),
      m_relay(link, shell.reporter(), settings),
      m_stm32(link, shell.reporter(), settings),
      m_header(std::move(header))
{
    auto* layout = new QVBoxLayout(this);

    auto* fileGroup = new QGroupBox(Text(pt::kGroupFile));
    auto* fileRow = new QHBoxLayout(fileGroup);
    auto* fileName = new QLineEdit;
    fileName->setReadOnly(true);
    auto* choose = new QPushButton(Text(pt::kChooseFile));
    fileRow->addWidget(fileName, 1);
    fileRow->addWidget(choose);
    addControl(CtlFwFileName, fileName);
    addControl(CtlFwChooseFile, choose);
    layout->addWidget(fileGroup);

    auto* timing = new QGroupBox(Text(pt::kGroupTiming));
    auto* grid = new QGridLayout(timing);
    const struct {
        int id;
        const char* label;
        TimingField field;
    } fields[] = {{CtlFwEraseMs, pt::kEraseTime, TimingField::EraseBlock},
                  {CtlFwPageMs, pt::kPageTime, TimingField::PageWrite},
                  {CtlFwInitMs, pt::kInitTime, TimingField::Initialise}};
    int row = 0;
    for (const auto& f : fields) {
        auto* edit = TimingEdit(kTimingFields[std::size_t(f.field)].defaultMs);
        grid->addWidget(new QLabel(Text(f.label)), row, 0);
        grid->addWidget(edit, row++, 1);
        addControl(f.id, edit);
    }
    grid->setColumnStretch(2, 1);
    addControl(CtlFwEraseMs - 100, timing);  // the group, shown for non-M models only
    layout->addWidget(timing);

    auto* protocolRow = new QHBoxLayout;
    auto* protocolOn = new QCheckBox(Text(pt::kProtocol));
    auto* protocolFile = new QLineEdit;
    auto* chooseProtocol = new QPushButton(Text(pt::kChooseProtocol));
    protocolRow->addWidget(protocolOn);
    protocolRow->addWidget(protocolFile, 1);
    protocolRow->addWidget(chooseProtocol);
    addControl(CtlFwProtocolOn, protocolOn);
    addControl(CtlFwProtocolFile, protocolFile);
    addControl(CtlFwChooseProtocol, chooseProtocol);
    layout->addLayout(protocolRow);

    auto* buttons = new QHBoxLayout;
    auto* write = new QPushButton(Text(pt::kWrite));
    auto* verify = new QPushButton(Text(pt::kVerify));
    auto* stop = new QPushButton(Text(pt::kStop));
    stop->setEnabled(false);
    buttons->addWidget(write);
    buttons->addWidget(verify);
    buttons->addWidget(stop);
    buttons->addStretch(1);
    addControl(CtlFwWrite, write);
    addControl(CtlFwVerify, verify);
    addControl(CtlFwStop, stop);
    layout->addLayout(buttons);

    auto* list = new QTreeWidget;
    list->setColumnCount(2);
    list->setHeaderLabels({Text(tx::kColumnTime), Text(tx::kColumnStep)});
    list->setRootIsDecorated(false);
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    addControl(CtlFwList, list);
    layout->addWidget(list, 1);
    auto* bar = new QProgressBar;
    bar->setValue(0);
    addControl(CtlFwProgress, bar);
    layout->addWidget(bar);

    connect(choose, &QPushButton::clicked, this, [this] { command(CtlFwChooseFile); });
    connect(chooseProtocol, &QPushButton::clicked, this, [this] { command(CtlFwChooseProtocol); });
    connect(write, &QPushButton::clicked, this, [this] { command(PageCmdFirmwareWrite); });
    connect(verify, &QPushButton::clicked, this, [this] { command(PageCmdFirmwareRead); });
    connect(stop, &QPushButton::clicked, this, [this] { command(CtlFwStop); });
    connect(&m_relay, &RelayFirmwareUpdate::stepLogged, this, &FirmwareUpdatePage::addRow);
    connect(&m_stm32, &Stm32FirmwareUpdate::stepLogged, this, &FirmwareUpdatePage::addRow);
    connect(&m_stm32, &Stm32FirmwareUpdate::frameLogged, this, &FirmwareUpdatePage::frame);
    connect(&m_relay, &RelayFirmwareUpdate::progressed, bar, [bar](int value, int max) {
        bar->setMaximum(std::max(max, 1));
        bar->setValue(value);
    });
    connect(&m_stm32, &Stm32FirmwareUpdate::progressed, bar, [bar](int value, int max) {
        bar->setMaximum(std::max(max, 1));
        bar->setValue(value);
    });
    // An image of the other family is never sent.
    connect(&shell.model(), &DeviceModel::classChanged, this, [this](bool) {
        m_image.reset();
        control<QLineEdit>(CtlFwFileName)->clear();
        showFamily();
    });
    showFamily();
}

FirmwareUpdatePage::~FirmwareUpdatePage()
{
    m_relay.abort();
    m_stm32.abort();
}

bool FirmwareUpdatePage::running() const
{
    return m_relay.running() || m_stm32.running();
}

void FirmwareUpdatePage::showFamily()
{
    const bool m = shell().model().isM();
    control(CtlFwEraseMs - 100)->setVisible(!m);
    control(CtlFwVerify)->setVisible(m);
}

void FirmwareUpdatePage::command(int id)
{
    switch (id) {
        case CtlFwChooseFile:
            if (!running())
                chooseFile();
            return;
        case CtlFwChooseProtocol:
            chooseProtocol();
            return;
        case PageCmdFirmwareWrite:
            run(UpdateMode::Update);
            return;
        case PageCmdFirmwareRead:
            if (shell().model().isM())
                run(UpdateMode::Verify);
            return;
        case CtlFwStop:
            m_relay.abort();
            m_stm32.abort();
            return;
        default:
            return;
    }
}

void FirmwareUpdatePage::setControlsLocked(bool locked)
{
    for (const int id : {CtlFwChooseFile, CtlFwWrite, CtlFwVerify, CtlFwChooseProtocol})
        control(id)->setEnabled(!locked);
    control(CtlFwStop)->setEnabled(locked && running());
}

void FirmwareUpdatePage::chooseFile()
{
    const FirmwareFamily family = FirmwareFamilyOf(shell().model().isM());
    const FirmwareDialog& d = FirmwareDialogFor(family);
    FileRequest request;
    request.title = QString::fromUtf8(d.title.data(), qsizetype(d.title.size()));
    request.filter = QString::fromUtf8(d.filter.data(), qsizetype(d.filter.size()));
    request.defaultExtension = QString::fromUtf8(d.extension.data(), qsizetype(d.extension.size()));
    const QString path = shell().dialogs().chooseFile(request);
    if (path.isEmpty())
        return;
    m_image.reset();
    control<QLineEdit>(CtlFwFileName)->clear();
    auto loaded = LoadFirmwareFile(path.toStdString(), family);
    if (!loaded.ok()) {
        shell().reporter().ask(loaded.error());
        return;
    }
    m_image = std::move(loaded.value());
    control<QLineEdit>(CtlFwFileName)->setText(path);
}

void FirmwareUpdatePage::chooseProtocol()
{
    FileRequest request;
    request.title = Text(tx::kProtocolPrompt);
    request.filter = Text(tx::kProtocolFilter);
    request.defaultExtension = QStringLiteral("txt");
    request.save = false;
    const QString path = shell().dialogs().chooseFile(request);
    if (path.isEmpty())
        return;
    control<QLineEdit>(CtlFwProtocolFile)->setText(path);
    control<QCheckBox>(CtlFwProtocolOn)->setChecked(true);
}

RelayUpdateTiming FirmwareUpdatePage::takeTiming()
{
    RelayUpdateTiming timing;
    for (const auto& [id, field] : {std::pair{CtlFwEraseMs, TimingField::EraseBlock},
                                    std::pair{CtlFwPageMs, TimingField::PageWrite},
                                    std::pair{CtlFwInitMs, TimingField::Initialise}}) {
        const TimingFieldRule& rule = kTimingFields[std::size_t(field)];
        auto* edit = control<QLineEdit>(id);
        const TimingValue v = TakeTimingField(rule, edit->text().toStdString());
        if (v.replacedText) {
            shell().reporter().ask(
                Box(Text(pt::kCaptionWarning), Text(v.replacedText), MsgIcon::Warning));
            edit->setText(QString::number(v.value));
        }
        timing.*rule.member = v.value;
    }
    return timing;
}

void FirmwareUpdatePage::run(UpdateMode mode)
{
    if (running())
        return;
    const bool m = shell().model().isM();
    if (!m_image || m_image->family != FirmwareFamilyOf(m))
        chooseFile();
    if (!m_image)
        return;
    const RelayUpdateTiming timing = m ? RelayUpdateTiming{} : takeTiming();
    auto* list = control<QTreeWidget>(CtlFwList);
    list->clear();
    control<QProgressBar>(CtlFwProgress)->setValue(0);

    const QString protocolPath = control<QLineEdit>(CtlFwProtocolFile)->text();
    if (control<QCheckBox>(CtlFwProtocolOn)->isChecked() && !protocolPath.isEmpty()) {
        int error = 0;
        if (!m_protocol.open(protocolPath.toStdString(), error)) {
            shell().reporter().ask(Box(
                Text(pt::kCaptionError),
                Text(tx::kProtocolCannotOpen).replace(QStringLiteral("%i"), QString::number(error)),
                MsgIcon::Error));
        } else {
            ProtocolHeaderFields fields = m_header ? m_header() : ProtocolHeaderFields{};
            if (fields.device.empty())
                fields.device = QString::fromUtf8(tx::kModelName)
                                    .replace(QStringLiteral("%i"),
                                             QString::number(shell().model().code() - (m ? 10 : 0)))
                                    .toStdString();
            if (!m)
                fields.device.pop_back();  // "ТИРВ-705" without the M
            fields.file = m_image->path;
            m_protocol.append(ProtocolHeader(fields, Now()));
        }
    }
    shell().setModeText(Text(tp::kBootloaderMode));
    const FirmwareImage image = *m_image;
    const int code = shell().model().code();
    shell().runExchange({[this, image, timing, mode, m, code](std::function<void(bool)> done) {
                             m_done = std::move(done);
                             auto ended = [this](const UpdateEnd& e) { this->ended(e); };
                             m_stm32.setFrameLogging(m_protocol.isOpen());
                             const bool started = m ? m_stm32.start(image, mode, code, ended)
                                                    : m_relay.start(image, timing, ended);
                             control(CtlFwStop)->setEnabled(started);
                             if (!started) {
                                 m_protocol.close();
                                 if (auto d = std::move(m_done))
                                     d(false);
                             }
                         },
                         [this] {
                             m_relay.abort();
                             m_stm32.abort();
                         }});
}

void FirmwareUpdatePage::addRow(const QString& text, bool timed)
{
    const ProtocolTime now = Now();
    auto* item = new QTreeWidgetItem({TimeText(now), text});
    auto* list = control<QTreeWidget>(CtlFwList);
    list->addTopLevelItem(item);
    list->scrollToItem(item);
    m_protocol.append(ProtocolStep(text.toStdString(), now, timed));
}

void FirmwareUpdatePage::frame(bool sent, const QByteArray& bytes)
{
    if (m_protocol.isOpen())
        m_protocol.append(ProtocolFrame(
            sent,
            {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())},
            Now()));
}

void FirmwareUpdatePage::ended(const UpdateEnd& end)
{
    if (m_protocol.isOpen()) {
        m_protocol.append(ProtocolClosing(end.outcome != UpdateOutcome::Done));
        m_protocol.close();
    }
    control(CtlFwStop)->setEnabled(false);
    if (end.outcome == UpdateOutcome::Done)
        control<QProgressBar>(CtlFwProgress)
            ->setValue(control<QProgressBar>(CtlFwProgress)->maximum());
    // Written and started: the relay runs its program at its own address again, as a link
    // check would show it. A verification leaves an M relay in its bootloader.
    if (end.mode == UpdateMode::Update && end.outcome == UpdateOutcome::Done)
        shell().setModeText(Text(tp::kDeviceAddress).arg(m_settings.address));
    if (auto d = std::move(m_done))
        d(end.outcome == UpdateOutcome::Done);
}

}  // namespace tirv
