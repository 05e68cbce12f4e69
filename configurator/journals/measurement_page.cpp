#include "configurator/journals/measurement_page.h"

#include "configurator/device/device_model.h"
#include "configurator/journals/measurement_phasors.h"
#include "configurator/journals/measurement_polling.h"
#include "configurator/journals/measurement_texts.h"
#include "configurator/journals/vector_diagram_view.h"
#include "configurator/ui/dialogs.h"
#include "configurator/ui/ids.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tirv {
namespace {

namespace tx = measurement_texts;

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// I2 and I1 have check boxes and swatches on both layouts, hidden and disabled.
constexpr bool Choosable(std::size_t k)
{
    return k < kDrawnPhasorCount;
}

}  // namespace

MeasurementPage::MeasurementPage(Shell& shell, MeasurementOperation& operation,
                                 const MeasurementSettings& settings, QWidget* parent)
    : Page(shell, PageMeasurements, parent), m_operation(operation), m_settings(settings)
{
    auto* top = new QHBoxLayout(this);
    m_integerBox = new QWidget;
    buildIntegerFields(m_integerBox);
    m_listBox = new QWidget;
    buildList(m_listBox);
    top->addWidget(m_integerBox);
    top->addWidget(m_listBox);

    auto* right = new QVBoxLayout;
    top->addLayout(right, 1);
    auto* pollRow = new QHBoxLayout;
    m_polling = new QCheckBox(Utf8(tx::kPollingOn));
    m_polling->setChecked(m_settings.polling);
    m_polling->installEventFilter(this);
    addControl(CtlMeasPolling, m_polling);
    m_period = new QLineEdit;
    m_period->setMaxLength(kMeasurementPeriodDigits);
    m_period->setValidator(new QIntValidator(0, kMaxMeasurementPeriodMs, m_period));
    m_period->setFixedWidth(60);
    m_period->installEventFilter(this);
    addControl(CtlMeasPeriod, m_period);
    const int baud = shell.state().link.baudIndex;
    m_period->setText(QString::number(ClampMeasurementPeriod(m_settings.periodMs, baud)));
    if (const char* tip = MeasurementPeriodTooltip(baud))
        m_period->setToolTip(Utf8(tip));
    pollRow->addWidget(m_polling);
    pollRow->addWidget(m_period);
    pollRow->addStretch(1);
    right->addLayout(pollRow);

    m_diagram = new VectorDiagramView;
    m_diagram->setMinimumSize(300, 260);
    addControl(CtlMeasDiagram, m_diagram);
    right->addWidget(m_diagram, 1);

    auto* boxes = new QGridLayout;
    right->addLayout(boxes);
    for (std::size_t k = 0; k < kPhasorCount; ++k) {
        auto* box = new QCheckBox(Utf8(tx::kPhasorNames[k]));
        box->setChecked(m_settings.selected(k));
        auto* swatch = new QPushButton;
        swatch->setFixedSize(22, 16);
        swatch->setFlat(true);
        swatch->setAutoFillBackground(true);
        box->installEventFilter(this);
        m_phasorBoxes[k] = box;
        m_swatches[k] = swatch;
        addControl(CtlMeasFirstPhasor + static_cast<int>(k), box);
        addControl(CtlMeasFirstSwatch + static_cast<int>(k), swatch);
        const int row = static_cast<int>(k % 6), col = static_cast<int>(k / 6) * 2;
        boxes->addWidget(swatch, row, col);
        boxes->addWidget(box, row, col + 1);
        if (!Choosable(k)) {
            box->hide();
            box->setEnabled(false);
            swatch->hide();
            swatch->setEnabled(false);
        }
        paintSwatch(k);
        connect(box, &QCheckBox::toggled, this, [this] { command(CtlMeasApply); });
        connect(swatch, &QPushButton::clicked, this, [this, k] { chooseColour(k); });
    }
    connect(m_polling, &QCheckBox::toggled, this, &MeasurementPage::pollingToggled);
    connect(&shell.model(), &DeviceModel::changed, this, [this] { chooseLayout(); });
    shell.registerPoller(PageMeasurements, TimerMeasFinish, TimerMeasHandOverToMeas);
    chooseLayout();
    apply();
}

void MeasurementPage::chooseLayout()
{
    const MeasurementLayout layout = MeasurementLayoutOf(shell().model().code());
    m_layout = layout;
    m_integerBox->setVisible(layout == MeasurementLayout::Integer);
    m_listBox->setVisible(layout == MeasurementLayout::Float);
    if (m_table.layout != layout) {
        m_table = MeasurementTable{};
        m_table.layout = layout;
        apply();
    }
}

void MeasurementPage::command(int id)
{
    switch (id) {
        case CtlMeasRead:
            startReading();
            break;
        case CtlMeasApply:
            apply();
            break;
        default:
            break;
    }
}

void MeasurementPage::startReading()
{
    const int baud = shell().state().link.baudIndex;
    int period = 0;
    if (m_polling->isChecked()) {
        const PeriodCheck check = StartPeriod(m_period->text().toStdString(), baud);
        if (check.entry == PeriodEntry::NotAnInteger) {
            if (check.message)
                shell().reporter().ask(*check.message);
            return;
        }
        period = check.periodMs;
        m_period->setText(QString::number(period));
    }
    // While a reading runs the line is held: a second one is refused with a status, or, when
    // the poll of a page just left still ends, started after it.
    shell().runExchange({[this, period](std::function<void(bool)> done) {
                             m_done = std::move(done);
                             if (period > 0)
                                 m_period->setEnabled(false);
                             if (!m_operation.start([this](const MeasurementReading& r,
                                                           bool last) { readingEnded(r, last); },
                                                    period)) {
                                 m_period->setEnabled(true);
                                 std::exchange(m_done, nullptr)(false);
                             }
                         },
                         [this] { m_operation.abort(); },
                         // The reading in flight still ends and is shown; the cycle stops with it.
                         [this] { m_operation.stopPolling(); }});
}

void MeasurementPage::readingEnded(const MeasurementReading& reading, bool last)
{
    if (reading.end == MeasurementEnd::Read) {
        m_table = reading.table;
        display(m_table);
        apply();
    }
    if (!last)
        return;
    m_period->setEnabled(true);
    if (m_done)
        std::exchange(m_done, nullptr)(reading.ok());
}

void MeasurementPage::apply()
{
    for (std::size_t k = 0; k < kDrawnPhasorCount; ++k)
        m_settings.selection[k] = m_phasorBoxes[k]->isChecked() ? 1 : 0;
    m_diagram->setPhasors(MeasurementPhasors(m_table, m_settings));
}

void MeasurementPage::chooseColour(std::size_t k)
{
    const Rgb c = m_settings.colours[k];
    const std::optional<QRgb> chosen = shell().dialogs().chooseColour(qRgb(c.r, c.g, c.b));
    if (!chosen)
        return;
    m_settings.colours[k] = {static_cast<std::uint8_t>(qRed(*chosen)),
                             static_cast<std::uint8_t>(qGreen(*chosen)),
                             static_cast<std::uint8_t>(qBlue(*chosen))};
    paintSwatch(k);
    apply();
}

void MeasurementPage::paintSwatch(std::size_t k)
{
    const Rgb c = m_settings.colours[k];
    m_swatches[k]->setStyleSheet(
        QStringLiteral("background-color: rgb(%1,%2,%3); border: 1px solid gray;")
            .arg(c.r)
            .arg(c.g)
            .arg(c.b));
}

void MeasurementPage::pollingToggled(bool on)
{
    if (on) {
        command(CtlMeasRead);
        return;
    }
    // The reading in flight completes and is shown; no further one starts.
    m_operation.stopPolling();
}

void MeasurementPage::pageShown()
{
    chooseLayout();
}

void MeasurementPage::setControlsLocked(bool locked)
{
    // "Вкл." stays usable during polling: unticking it is how the user ends the cycle.
    for (std::size_t k = 0; k < kDrawnPhasorCount; ++k)
        m_swatches[k]->setEnabled(!locked);
}

bool MeasurementPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter works the control in focus, as the relays' pages have always done.
            if (auto* box = qobject_cast<QCheckBox*>(watched)) {
                box->toggle();
                return true;
            }
            if (watched == m_period) {
                focusNextChild();
                return true;
            }
        }
    }
    // While the window is minimized the field is not checked.
    if (watched == m_period && event->type() == QEvent::FocusOut && m_period->isEnabled() &&
        !shell().state().minimized)
        checkPeriodField();
    return Page::eventFilter(watched, event);
}

void MeasurementPage::checkPeriodField()
{
    const PeriodCheck check =
        CheckPeriodField(m_period->text().toStdString(), shell().state().link.baudIndex);
    if (check.entry != PeriodEntry::NotAnInteger)
        m_period->setText(QString::number(check.periodMs));
    // Right after the window came back the field lost the focus through it, not the user:
    // the value is still corrected, without the message.
    if (check.message) {
        if (shell().state().takeFieldMessage())
            shell().reporter().ask(*check.message);
        m_period->setFocus();
    }
}

MeasurementSettings MeasurementPage::settings() const
{
    MeasurementSettings s = m_settings;
    for (std::size_t k = 0; k < kDrawnPhasorCount; ++k)
        s.selection[k] = m_phasorBoxes[k]->isChecked() ? 1 : 0;
    s.polling = m_polling->isChecked();
    bool ok = false;
    const int period = m_period->text().toInt(&ok);
    if (ok)
        s.periodMs = period;
    return s;
}

}  // namespace tirv
