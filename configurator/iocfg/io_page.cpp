// The I/O page's controls: the two tables of 16 channels, the lamp columns, the polling group,
// and the rules of the time fields.
#include "configurator/iocfg/io_page.h"

#include "configurator/iocfg/io_page_texts.h"
#include "configurator/iocfg/io_polling.h"
#include "configurator/iocfg/io_registers.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/iocfg/time_field.h"
#include "configurator/shell/program_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tirv {
namespace {

namespace pt = io_page_texts;
namespace it = io_texts;

QString U(const char* t)
{
    return QString::fromUtf8(t);
}

constexpr QRgb kActive = qRgb(255, 0, 0);
constexpr QRgb kInactive = qRgb(192, 192, 192);
constexpr int kLampInset = 3;
constexpr int kTimeFieldLength = 5;
constexpr int kPeriodLength = 4;

}  // namespace

QString FilterTimeText(const QString& text, int* caret)
{
    QString out = text;
    out.replace(QLatin1Char(','), QLatin1Char('.'));
    bool separator = false;
    for (int i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (c.isDigit())
            continue;
        if (c == QLatin1Char('.') && !separator) {
            separator = true;
            continue;
        }
        // Only the first offending character goes, the caret taking its place.
        out.remove(i, 1);
        if (caret)
            *caret = i;
        break;
    }
    return out;
}

IoLampColumn::IoLampColumn(int rows, QWidget* parent) : QWidget(parent), m_rows(rows)
{
    setMinimumWidth(22);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
}

void IoLampColumn::setStates(std::uint16_t states)
{
    m_states = states;
    update();
}

int IoLampColumn::rowCentre(int row) const
{
    if (static_cast<int>(m_anchors.size()) == m_rows && m_anchors[std::size_t(row)]) {
        const QWidget* a = m_anchors[std::size_t(row)];
        return mapFromGlobal(a->mapToGlobal(QPoint(0, a->height() / 2))).y();
    }
    const double pitch = double(height()) / m_rows;
    return int(pitch * row + pitch / 2);
}

void IoLampColumn::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_lit) {
        p.fillRect(rect(), palette().color(QPalette::Button));
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    for (int r = 0; r < m_rows; ++r) {
        const int y = rowCentre(r);
        // The row's pitch from its neighbours, so that separator lines fall between the rows.
        const int pitch = m_rows > 1 ? std::abs(rowCentre(r == 0 ? 1 : r) - rowCentre(r == 0 ? 0 : r - 1))
                                     : height();
        const int top = y - pitch / 2;
        p.setPen(Qt::black);
        p.drawLine(QPoint(0, top), QPoint(width(), top));
        const int d = std::max(2, std::min(width(), pitch) - 2 * kLampInset);
        p.setBrush(QColor(IoStateBit(m_states, r) ? kActive : kInactive));
        p.drawEllipse(QRect(width() / 2 - d / 2, y - d / 2, d, d));
    }
}

IoPage::IoPage(Shell& shell, IoMode mode, IoTransfer& transfer, IoImage& image, PollSettings& poll,
               QWidget* parent)
    : Page(shell, mode == IoMode::State ? PageIoState : PageIoSettings, parent),
      m_mode(mode),
      m_transfer(&transfer),
      m_image(image),
      m_poll(poll)
{
    build();
    refresh();
    if (mode == IoMode::State)
        shell.registerPoller(PageIoState, TimerIoStateFinish, TimerIoHandOverToIo);
}

void IoPage::build()
{
    auto* top = new QVBoxLayout(this);
    auto* title = new QLabel(U(pt::kTitles[static_cast<int>(m_mode)]), this);
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    top->addWidget(title);
    auto* tables = new QHBoxLayout;
    tables->addWidget(buildTable(true));
    tables->addWidget(buildTable(false));
    top->addLayout(tables);
    if (m_mode == IoMode::State)
        top->addWidget(buildPollGroup());
    top->addStretch(1);
}

QWidget* IoPage::buildTable(bool inputs)
{
    auto* box = new QGroupBox(U(inputs ? pt::kInputs : pt::kOutputs), this);
    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(1);
    const char* heads[] = {inputs ? pt::kFunction : pt::kFunction, inputs ? pt::kLevel : pt::kMode,
                           inputs ? pt::kPickUp : pt::kOperate, inputs ? pt::kReset : pt::kReturn};
    const int headColumns[] = {1, 2, 3, 5};
    for (int k = 0; k < 4; ++k)
        g->addWidget(new QLabel(U(heads[k]), box), 0, headColumns[k]);
    const bool state = m_mode == IoMode::State;
    for (int n = 0; n < kIoChannels; ++n) {
        g->addWidget(new QLabel(QString::number(n + 1), box), n + 1, 0);
        auto* first = new QComboBox(box);
        auto* second = new QComboBox(box);
        if (inputs) {
            // Inputs 9–16 list only the functions a free input may take.
            const int from = n < kFirstFreeInput ? 0 : kFirstFreeInputFunction;
            for (int k = from; k < kInputFunctionCount; ++k)
                first->addItem(U(it::kInputFunctions[static_cast<std::size_t>(k)]));
            for (const char* l : it::kLevels)
                second->addItem(U(l));
        } else {
            for (const char* s : it::kOutputSignals)
                first->addItem(U(s));
            for (const char* m : it::kOutputModes)
                second->addItem(U(m));
        }
        const bool editable = !state && n >= kFirstFreeInput;
        first->setEnabled(editable);
        second->setEnabled(editable);
        g->addWidget(first, n + 1, 1);
        g->addWidget(second, n + 1, 2);
        (inputs ? m_functions : m_signals)[static_cast<std::size_t>(n)] = first;
        (inputs ? m_levels : m_modes)[static_cast<std::size_t>(n)] = second;
        addControl((inputs ? CtlIoInputFunction : CtlIoOutputSignal) + n, first);
        addControl((inputs ? CtlIoInputLevel : CtlIoOutputMode) + n, second);
        const int offset = inputs && n >= kFirstFreeInput ? kFirstFreeInputFunction : 0;
        connect(first, &QComboBox::currentIndexChanged, this, [this, inputs, n, offset](int i) {
            if (m_filling || i < 0)
                return;
            (inputs ? m_image.input(n, IoFunction) : m_image.output(n, IoFunction)) =
                static_cast<std::uint32_t>(i + offset);
        });
        connect(second, &QComboBox::currentIndexChanged, this, [this, inputs, n](int i) {
            if (m_filling || i < 0)
                return;
            (inputs ? m_image.input(n, IoLevel) : m_image.output(n, IoLevel)) =
                static_cast<std::uint32_t>(i);
        });
        auto* cell1 = new QWidget(box);
        auto* cell2 = new QWidget(box);
        addTime(cell1, (inputs ? CtlIoInputPickUp : CtlIoOutputOperate) + n,
                (inputs ? CtlIoInputPickUpSpin : CtlIoOutputOperateSpin) + n, inputs, n,
                IoFirstTime);
        addTime(cell2, (inputs ? CtlIoInputReset : CtlIoOutputReturn) + n,
                (inputs ? CtlIoInputResetSpin : CtlIoOutputReturnSpin) + n, inputs, n,
                IoSecondTime);
        g->addWidget(cell1, n + 1, 3, 1, 2);
        g->addWidget(cell2, n + 1, 5, 1, 2);
    }
    auto* lamps = new IoLampColumn(kIoChannels, box);
    lamps->setLit(state);
    std::vector<QWidget*> rows;
    for (QComboBox* c : inputs ? m_functions : m_signals)
        rows.push_back(c);
    lamps->setRowAnchors(std::move(rows));
    g->addWidget(lamps, 1, 7, kIoChannels, 1);
    addControl(inputs ? CtlIoInputLamps : CtlIoOutputLamps, lamps);
    (inputs ? m_inputLamps : m_outputLamps) = lamps;
    return box;
}

void IoPage::addTime(QWidget* parent, int editId, int spinId, bool input, int channel, int word)
{
    auto* row = new QHBoxLayout(parent);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(kTimeFieldLength);
    edit->setToolTip(U(pt::kTimeTip));
    edit->setFixedWidth(52);
    auto* spin = new QSpinBox(parent);
    spin->setRange(0, static_cast<int>(kMaxTimeHundredths));
    spin->setFixedWidth(18);
    const bool editable = m_mode == IoMode::Settings && channel >= kFirstFreeInput;
    edit->setEnabled(editable);
    spin->setEnabled(editable);
    row->addWidget(edit);
    row->addWidget(spin);
    row->addStretch(1);
    addControl(editId, edit);
    addControl(spinId, spin);
    const int index = static_cast<int>(m_times.size());
    m_times.push_back({edit, spin, input, channel, word});
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [edit](const QString& text) {
        int caret = edit->cursorPosition();
        const QString filtered = FilterTimeText(text, &caret);
        if (filtered != text) {
            edit->setText(filtered);
            edit->setCursorPosition(caret);
        }
    });
    connect(edit, &QLineEdit::editingFinished, this, [this, index] {
        if (!m_filling)
            commitTime(m_times[static_cast<std::size_t>(index)]);
    });
    connect(spin, &QSpinBox::valueChanged, this, [this, index](int v) {
        if (m_filling)
            return;
        TimeControl& t = m_times[static_cast<std::size_t>(index)];
        wordOf(t) = static_cast<std::uint32_t>(v);
        m_filling = true;
        t.edit->setText(QString::fromStdString(FormatHundredths(static_cast<std::uint32_t>(v))));
        m_filling = false;
    });
}

QWidget* IoPage::buildPollGroup()
{
    auto* box = new QGroupBox(U(pt::kPollGroup), this);
    auto* row = new QHBoxLayout(box);
    m_pollOn = new QCheckBox(U(pt::kPollOn), box);
    m_period = new QLineEdit(box);
    m_period->setMaxLength(kPeriodLength);
    m_period->setFixedWidth(60);
    m_period->installEventFilter(this);
    const int speed =
        std::clamp(shell().state().link.baudIndex, 0, static_cast<int>(pt::kPeriodTips.size()) - 1);
    m_period->setToolTip(U(pt::kPeriodTips[static_cast<std::size_t>(speed)]));
    row->addWidget(m_pollOn);
    row->addWidget(new QLabel(U(pt::kPollPeriod), box));
    row->addWidget(m_period);
    row->addSpacing(24);
    for (const bool active : {true, false}) {
        auto* swatch = new IoLampColumn(1, box);
        swatch->setStates(active ? 1 : 0);
        swatch->setFixedSize(22, 22);
        addControl(active ? CtlIoLegendActive : CtlIoLegendInactive, swatch);
        row->addWidget(swatch);
        row->addWidget(new QLabel(U(active ? pt::kLegendActive : pt::kLegendInactive), box));
    }
    row->addStretch(1);
    addControl(CtlIoPollOn, m_pollOn);
    addControl(CtlIoPollPeriod, m_period);
    m_pollOn->setChecked(m_poll.on);
    const int baud = shell().state().link.baudIndex;
    m_poll.periodMs = std::max(m_poll.periodMs, MinIoStatePeriodMs(baud));
    m_period->setText(QString::number(m_poll.periodMs));
    connect(m_pollOn, &QCheckBox::toggled, this, [this](bool on) {
        m_poll.on = on;
        if (on)
            command(PageCmdIoRead);
        else
            finishPoll();
    });
    connect(m_period, &QLineEdit::editingFinished, this, [this] { commitPeriod(); });
    return box;
}

std::uint32_t& IoPage::wordOf(const TimeControl& t)
{
    return t.input ? m_image.input(t.channel, t.word) : m_image.output(t.channel, t.word);
}

bool IoPage::commitTime(TimeControl& t, bool quiet)
{
    const TimeField f = ParseTimeField(t.edit->text().toStdString());
    if (!f.ok()) {
        if (!quiet && !shell().state().minimized) {
            if (shell().state().takeFieldMessage())
                shell().reporter().ask(TimeFieldMessage(f.result, TimeFieldPlace::IoPage));
            t.edit->setFocus();
        }
        return false;
    }
    wordOf(t) = f.hundredths;
    m_filling = true;
    t.edit->setText(QString::fromStdString(FormatHundredths(f.hundredths)));
    t.spin->setValue(static_cast<int>(f.hundredths));
    m_filling = false;
    return true;
}

bool IoPage::commitPeriod()
{
    if (!m_period)
        return true;
    const QString text = m_period->text().trimmed();
    bool number = false;
    const int value = text.toInt(&number);
    if (text.isEmpty() || !number) {
        shell().reporter().ask(
            {pt::kCaptionPeriod, pt::kPeriodEmpty, MsgIcon::Error, MsgButtons::Ok});
        m_period->setFocus();
        return false;
    }
    const int minimum = MinIoStatePeriodMs(shell().state().link.baudIndex);
    int period = value;
    if (value < minimum) {
        shell().reporter().ask(
            {it::kCaptionWarning, pt::kPeriodTooSmall, MsgIcon::Warning, MsgButtons::Ok});
        period = minimum;
    }
    m_poll.periodMs = std::min(period, kMaxIoStatePeriodMs);
    m_period->setText(QString::number(m_poll.periodMs));
    return true;
}

bool IoPage::validateAll()
{
    const auto refuse = [this](QComboBox* box) {
        shell().reporter().ask(
            {it::kCaptionIoInput, pt::kChooseFunction, MsgIcon::Error, MsgButtons::Ok});
        box->setFocus();
        return false;
    };
    for (const bool inputs : {true, false})
        for (int n = 0; n < kIoChannels; ++n) {
            const auto k = static_cast<std::size_t>(n);
            if ((inputs ? m_functions : m_signals)[k]->currentIndex() < 0)
                return refuse((inputs ? m_functions : m_signals)[k]);
            if ((inputs ? m_levels : m_modes)[k]->currentIndex() < 0)
                return refuse((inputs ? m_levels : m_modes)[k]);
            for (TimeControl& t : m_times)
                if (t.input == inputs && t.channel == n && !commitTime(t))
                    return false;
        }
    return true;
}

void IoPage::refresh()
{
    m_filling = true;
    for (int n = 0; n < kIoChannels; ++n) {
        const auto k = static_cast<std::size_t>(n);
        const int offset = n >= kFirstFreeInput ? kFirstFreeInputFunction : 0;
        m_functions[k]->setCurrentIndex(static_cast<int>(m_image.input(n, IoFunction)) - offset);
        m_levels[k]->setCurrentIndex(static_cast<int>(m_image.input(n, IoLevel)));
        m_signals[k]->setCurrentIndex(static_cast<int>(m_image.output(n, IoFunction)));
        m_modes[k]->setCurrentIndex(static_cast<int>(m_image.output(n, IoLevel)));
    }
    for (TimeControl& t : m_times) {
        const std::uint32_t v = wordOf(t);
        t.edit->setText(QString::fromStdString(FormatHundredths(v)));
        t.spin->setValue(static_cast<int>(v));
    }
    m_filling = false;
    update();
}

bool IoPage::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in a time field or the period field goes on to the next control.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && qobject_cast<QLineEdit*>(watched)) {
            focusNextChild();
            return true;
        }
    }
    return Page::eventFilter(watched, event);
}

}  // namespace tirv
