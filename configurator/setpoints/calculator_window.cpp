#include "configurator/setpoints/calculator_window.h"

#include "configurator/setpoints/calculator_pictures.h"
#include "configurator/setpoints/editor_texts.h"
#include "configurator/setpoints/model_profile.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tirv {

namespace {

namespace tx = editor_texts;

constexpr int kInputChars = 5;
const QColor kBackground(245, 244, 241);
const char* kBlueTitle = "QGroupBox { color: rgb(0, 0, 255); }";

const char* labelOf(CalcQuantity q)
{
    switch (q) {
    case CalcQuantity::TripTime: return tx::kCalcLabelTripTime;
    case CalcQuantity::TimeSetting: return tx::kCalcLabelTimeSetting;
    case CalcQuantity::CurrentSetting: return tx::kCalcLabelCurrentSetting;
    case CalcQuantity::Current: return tx::kCalcLabelCurrent;
    }
    return "";
}

// Caption and text of each input issue.
struct IssueText {
    CalcIssue issue;
    const char* caption;
    const char* text;
};
constexpr std::array<IssueText, 9> kIssueTexts{{
    {CalcIssue::Empty, tx::kCalcCaptionMissing, tx::kCalcEnterValue},
    {CalcIssue::NotNumber, tx::kCalcCaptionBadInput, tx::kCalcNotANumber},
    {CalcIssue::CurrentNotAbove, tx::kCalcCaptionValues, tx::kCalcCurrentNotAbove},
    {CalcIssue::CurrentAboveMax, tx::kCalcCaptionValues, tx::kCalcCurrentAboveMax},
    {CalcIssue::TimeSettingZero, tx::kCalcCaptionValues, tx::kCalcTimeSettingZero},
    {CalcIssue::TripTimeZero, tx::kCalcCaptionValues, tx::kCalcTripTimeZero},
    {CalcIssue::SettingNotBelow, tx::kCalcCaptionValues, tx::kCalcSettingNotBelow},
    {CalcIssue::CurrentZero, tx::kCalcCaptionValues, tx::kCalcCurrentZero},
    {CalcIssue::CurrentSettingZero, tx::kCalcCaptionValues, tx::kCalcCurrentSettingZero},
}};

double quantityValue(const CalcState& s, CalcQuantity q)
{
    switch (q) {
    case CalcQuantity::TripTime: return s.tripTime;
    case CalcQuantity::TimeSetting: return s.timeSetting;
    case CalcQuantity::CurrentSetting: return s.currentSetting;
    case CalcQuantity::Current: return s.current;
    }
    return 0;
}

}  // namespace

CalculatorWindow::CalculatorWindow(Shell& shell, const SetpointImage& image, CalcState& memory,
                                   QWidget* parent)
    : QDialog(parent), m_shell(shell), m_image(image), m_state(memory)
{
    setWindowTitle(QString::fromUtf8(tx::kCalcCaption));
    setModal(false);
    setObjectName(QString::number(CalcDialog));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);
    build();
    m_curves->setCurrentIndex(m_state.curve);
    m_sources->button(int(m_state.source))->setChecked(true);
    chooseMode(int(m_state.mode));
}

void CalculatorWindow::addControl(int id, QWidget* w)
{
    w->setObjectName(QString::number(id));
    m_controls[id] = w;
}

QWidget* CalculatorWindow::control(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QButtonGroup* CalculatorWindow::radioColumn(QGridLayout* grid, int column, const char* title,
                                            std::span<const char* const> texts, int firstId)
{
    auto* box = new QGroupBox(QString::fromUtf8(title), this);
    auto* col = new QVBoxLayout(box);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < int(texts.size()); ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(texts[std::size_t(i)]), box);
        addControl(firstId + i, b);
        group->addButton(b, i);
        col->addWidget(b);
    }
    grid->addWidget(box, 1, column);
    return group;
}

void CalculatorWindow::build()
{
    auto* grid = new QGridLayout(this);
    m_picture = new CalculatorPictureArea(this);
    addControl(CalcPicture, m_picture);
    grid->addWidget(m_picture, 0, 0, 1, 3);

    static_assert(tx::kCalcModes.size() == kCalcModes && tx::kCalcSources.size() == kCalcSources);
    m_modes = radioColumn(grid, 0, tx::kCalcModeGroup, tx::kCalcModes, CalcModeFirst);
    connect(m_modes, &QButtonGroup::idClicked, this, [this](int m) { chooseMode(m); });
    m_sources = radioColumn(grid, 1, tx::kCalcSourceGroup, tx::kCalcSources, CalcSourceFirst);
    connect(m_sources, &QButtonGroup::idClicked, this, [this](int s) { chooseSource(s); });

    auto* inputBox = new QGroupBox(QString::fromUtf8(tx::kCalcInputGroup), this);
    inputBox->setStyleSheet(QString::fromUtf8(kBlueTitle));
    addControl(CalcInputGroup, inputBox);
    auto* inputs = new QGridLayout(inputBox);
    inputs->addWidget(new QLabel(QString::fromUtf8(tx::kCalcCurveLabel), inputBox), 0, 0);
    m_curves = new QComboBox(inputBox);
    for (const char* c : tx::kCalcCurves)
        m_curves->addItem(QString::fromUtf8(c));
    addControl(CalcCurveList, m_curves);
    connect(m_curves, &QComboBox::currentIndexChanged, this, [this](int c) { chooseCurve(c); });
    inputs->addWidget(m_curves, 0, 1);
    for (int f = 0; f < kCalcInputs; ++f) {
        m_labels[std::size_t(f)] = new QLabel(inputBox);
        addControl(CalcLabelFirst + f, m_labels[std::size_t(f)]);
        auto* e = new QLineEdit(inputBox);
        e->setFixedWidth(64);
        m_inputs[std::size_t(f)] = e;
        addControl(CalcInputFirst + f, e);
        connect(e, &QLineEdit::textEdited, this, [this, f] { typed(f); });
        inputs->addWidget(m_labels[std::size_t(f)], f + 1, 0);
        inputs->addWidget(e, f + 1, 1);
    }
    grid->addWidget(inputBox, 1, 2);

    m_resultGroup = new QGroupBox(this);
    m_resultGroup->setStyleSheet(QString::fromUtf8(kBlueTitle));
    addControl(CalcResultGroup, m_resultGroup);
    auto* row = new QHBoxLayout(m_resultGroup);
    m_resultButton = new QPushButton(m_resultGroup);
    addControl(CalcResultButton, m_resultButton);
    connect(m_resultButton, &QPushButton::clicked, this, [this] { compute(); });
    m_result = new QLineEdit(m_resultGroup);
    m_result->setReadOnly(true);
    addControl(CalcResult, m_result);
    row->addWidget(m_resultButton);
    row->addWidget(m_result, 1);
    grid->addWidget(m_resultGroup, 2, 0, 1, 3);
}

QString CalculatorWindow::sourceText(int field) const
{
    const CalcSource s = m_state.source;
    const int model = m_shell.model().code();
    if (calcInputQuantity(m_state.mode, field) == CalcQuantity::TimeSetting)
        return QString::asprintf("%.2f", m_image[std::size_t(calcSourceTimeIndex(s))] / 100.0);
    return QString::asprintf("%.*f", calcCurrentDecimals(model),
                             double(m_image[std::size_t(calcSourceCurrentIndex(s))]) / calcCurrentDivisor(model));
}

void CalculatorWindow::chooseMode(int mode)
{
    m_state.mode = CalcMode(std::clamp(mode, 0, kCalcModes - 1));
    m_modes->button(int(m_state.mode))->setChecked(true);
    m_resultButton->setText(QString::fromUtf8(tx::kCalcResultButtons[std::size_t(m_state.mode)]));
    m_resultGroup->setTitle(QString::fromUtf8(tx::kCalcResultGroups[std::size_t(m_state.mode)]));
    const int model = m_shell.model().code();
    for (int f = 0; f < kCalcInputs; ++f) {
        const CalcQuantity q = calcInputQuantity(m_state.mode, f);
        m_labels[std::size_t(f)]->setText(QString::fromUtf8(labelOf(q)));
        // Hand-typed fields start from what was last used for that quantity.
        const double v = quantityValue(m_state, q);
        m_inputs[std::size_t(f)]->setText(
            v > 0 ? QString::asprintf("%.*f", calcInputDecimals(m_state.mode, f, model), v) : QString());
    }
    m_picture->setPictures(int(m_state.mode), m_state.curve);
    reloadSource();
}

void CalculatorWindow::chooseSource(int source)
{
    m_state.source = CalcSource(std::clamp(source, 0, kCalcSources - 1));
    m_sources->button(int(m_state.source))->setChecked(true);
    reloadSource();
}

void CalculatorWindow::reloadSource()
{
    const bool manual = m_state.source == CalcSource::Manual;
    const int model = m_shell.model().code();
    if (!manual) {
        m_state.currentSetting = double(m_image[std::size_t(calcSourceCurrentIndex(m_state.source))]) /
                                 calcCurrentDivisor(model);
        m_state.timeSetting = m_image[std::size_t(calcSourceTimeIndex(m_state.source))] / 100.0;
    }
    for (int f = 0; f < kCalcInputs; ++f) {
        const bool fromSource = calcInputFromSource(m_state.mode, m_state.source, f);
        m_inputs[std::size_t(f)]->setEnabled(!fromSource);
        if (fromSource)
            m_inputs[std::size_t(f)]->setText(sourceText(f));
    }
    m_result->clear();
}

void CalculatorWindow::chooseCurve(int curve)
{
    m_state.curve = std::clamp(curve, 0, int(kCalcCurves.size()) - 1);
    if (m_curves->currentIndex() != m_state.curve)
        m_curves->setCurrentIndex(m_state.curve);
    m_picture->setPictures(int(m_state.mode), m_state.curve);
}

void CalculatorWindow::typed(int field)
{
    QLineEdit* e = m_inputs[std::size_t(field)];
    const int decimals = calcInputDecimals(m_state.mode, field, m_shell.model().code());
    const QString before = e->text();
    const int caret = e->cursorPosition();
    const CalcFilterResult r = calcFilterTyping(before.toStdU16String(), decimals);
    QString text = QString::fromStdU16String(r.text);
    int at = r.caret >= 0 ? r.caret : caret;
    if (text.size() > kInputChars) {
        text.truncate(kInputChars);
        at = std::min(at, kInputChars);
    }
    if (text != before) {
        e->setText(text);
        e->setCursorPosition(at);
    }
    m_result->clear();
}

void CalculatorWindow::ask(const char* caption, const QString& text)
{
    m_shell.reporter().ask(Box(QString::fromUtf8(caption), text, MsgIcon::Warning, MsgButtons::Ok));
}

void CalculatorWindow::compute()
{
    CalcRequest req;
    for (int f = 0; f < kCalcInputs; ++f)
        req.texts[std::size_t(f)] = m_inputs[std::size_t(f)]->text().toStdU16String();
    const int model = m_shell.model().code();
    const int source = int(m_state.source);
    if (m_state.source != CalcSource::Manual) {
        const ModelProfile p = ProfileForModel(model);
        const int ci = calcSourceCurrentIndex(m_state.source), ti = calcSourceTimeIndex(m_state.source);
        req.sourceCurrentSetting = double(m_image[std::size_t(ci)]) / calcCurrentDivisor(model);
        req.sourceTimeSetting = m_image[std::size_t(ti)] / 100.0;
        const NumericSetpoint& bound = p.numeric[std::size_t(m_state.mode == CalcMode::TimeSetting ? ti : ci)];
        req.boundMin = bound.editMin;
        req.boundMax = bound.editMax;
    }
    const CalcOutcome o = calcCompute(m_state, req);
    if (o.issue != CalcIssue::None) {
        m_result->clear();
        for (const IssueText& it : kIssueTexts)
            if (it.issue == o.issue)
                ask(it.caption, QString::fromUtf8(it.text));
        if (o.field >= 0)
            m_inputs[std::size_t(o.field)]->setFocus();
        return;
    }
    m_result->setText(QString::asprintf("%.6f", o.result));
    const bool time = m_state.mode == CalcMode::TimeSetting;
    switch (o.warning) {
    case CalcWarning::None: break;
    case CalcWarning::TripTimeOver100: ask(tx::kCalcCaptionWarning, QString::fromUtf8(tx::kCalcOver100)); break;
    case CalcWarning::CurrentOver200:
        ask(tx::kCalcCaptionWarning, QString::fromUtf8(tx::kCalcCurrentAboveMax));
        break;
    case CalcWarning::BelowMin:
        ask(tx::kCalcCaptionWarning,
            QString::asprintf(time ? tx::kCalcTimeBelow[std::size_t(source)] : tx::kCalcCurrentBelow[std::size_t(source)],
                              o.bound));
        break;
    case CalcWarning::AboveMax:
        ask(tx::kCalcCaptionWarning,
            QString::asprintf(time ? tx::kCalcTimeAbove[std::size_t(source / 2)]
                                   : tx::kCalcCurrentAbove[std::size_t(source / 2)],
                              o.bound));
        break;
    }
}

void CalculatorWindow::setpointStored(int imageIndex)
{
    const CalcSource s = m_state.source;
    if (s != CalcSource::Manual &&
        (imageIndex == calcSourceCurrentIndex(s) || imageIndex == calcSourceTimeIndex(s)))
        chooseSource(int(s));
}

Calculator::Calculator(Shell& shell, const SetpointImage& image, QWidget* parent)
    : m_shell(shell), m_image(image), m_parent(parent)
{
}

Calculator::~Calculator() { delete m_window.data(); }

void Calculator::open()
{
    if (!m_window) {
        m_window = new CalculatorWindow(m_shell, m_image, m_memory, m_parent);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        if (!m_shell.state().busy)
            m_shell.reporter().status(QString(), StatusIcon::None);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void Calculator::setpointStored(int imageIndex)
{
    if (m_window)
        m_window->setpointStored(imageIndex);
}

}  // namespace tirv
