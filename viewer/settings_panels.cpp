#include "viewer/settings_panels.h"

#include "viewer/plot_renderer.h"
#include "viewer/viewer_ids.h"
#include "viewer/window_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tirv {

namespace tx = viewer_texts;
using namespace viewer;

namespace {

constexpr int kSwatchSize = 18;
constexpr int kEmptyItem = 3;  // the selectors' fourth, empty item

QString Id(int id) { return QString::number(id); }

// Selector item index ↔ graph number: currents offer 1–3, voltages and 3Io 4–6.
int FirstGraph(int ch) { return ch <= ChIc ? 1 : 4; }
int ItemOfGraph(int ch, int graph) { return graph == 0 ? kEmptyItem : graph - FirstGraph(ch); }
int GraphOfItem(int ch, int item) { return item < 0 || item >= kEmptyItem ? 0 : FirstGraph(ch) + item; }

}  // namespace

AnalogChoice AnalogChoiceAtLoad(const PlotSource& src)
{
    AnalogChoice c;
    for (int ch = 0; ch < kPlotChannels; ++ch) {
        const auto i = static_cast<std::size_t>(ch);
        c.enabled[i] = c.checked[i] = src.channels[i].recorded;
        c.graph[i] = src.channels[i].recorded && ch != Ch3Io ? ch + 1 : 0;
    }
    return c;
}

GraphChoice EffectiveGraphs(const AnalogChoice& c)
{
    GraphChoice g{};
    for (int ch = 0; ch < kPlotChannels; ++ch) {
        const auto i = static_cast<std::size_t>(ch);
        if (!c.enabled[i] || !c.checked[i])
            continue;
        g[i] = ch == Ch3Io && c.graph[i] == 0 ? Ch3Io + 1 : c.graph[i];
    }
    return g;
}

SettingsPanel::SettingsPanel(QWidget* parent, int dialogId, PanelHost& host) : QWidget(parent), m_host(host)
{
    setObjectName(Id(dialogId));
    setAutoFillBackground(true);
}

QWidget* SettingsPanel::control(int id) const { return findChild<QWidget*>(Id(id)); }

QWidget* SettingsPanel::makeSwatch(int id, int colourIndex)
{
    auto* b = new QPushButton(this);
    b->setObjectName(Id(id));
    b->setFixedSize(kSwatchSize, kSwatchSize);
    m_swatches.emplace_back(b, colourIndex);
    connect(b, &QPushButton::clicked, this, [this, colourIndex] {
        auto& colour = m_host.viewerSettings().colours[static_cast<std::size_t>(colourIndex)];
        if (!m_host.pickColour(colour))
            return;
        paintSwatches();
        m_host.appearanceChanged();
    });
    return b;
}

void SettingsPanel::paintSwatches()
{
    for (auto& [w, index] : m_swatches) {
        const QColor c = FromColorRef(m_host.viewerSettings().colours[static_cast<std::size_t>(index)]);
        w->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid black;").arg(c.name()));
    }
}

// ---- analog ------------------------------------------------------------------------------

AnalogPanel::AnalogPanel(QWidget* parent, PanelHost& host) : SettingsPanel(parent, DlgAnalog, host)
{
    auto* grid = new QGridLayout;
    for (int ch = 0; ch < kPlotChannels; ++ch) {
        auto* box = new QCheckBox(QString::fromUtf8(tx::kChannelNamesRms[ch]), this);
        box->setObjectName(Id(CtlChannelCheck + ch));
        auto* combo = new QComboBox(this);
        combo->setObjectName(Id(CtlChannelGraph + ch));
        for (int k = 0; k < 4; ++k)
            combo->addItem(QString::fromUtf8(ch <= ChIc ? tx::kCurrentGraphs[k] : tx::kVoltageGraphs[k]));
        grid->addWidget(box, ch, 0);
        grid->addWidget(makeSwatch(CtlChannelSwatch + ch, ColIa + ch), ch, 1);
        grid->addWidget(combo, ch, 2);
        connect(box, &QCheckBox::toggled, this, [this, ch, combo](bool on) {
            auto& c = m_host.analogChoice();
            const auto i = static_cast<std::size_t>(ch);
            c.checked[i] = on;
            if (!on) {
                c.graph[i] = 0;
                const QSignalBlocker b(combo);
                combo->setCurrentIndex(kEmptyItem);
            }
            combo->setEnabled(on && c.enabled[i]);
            m_host.analogChanged();
        });
        connect(combo, &QComboBox::currentIndexChanged, this, [this, ch](int item) {
            m_host.analogChoice().graph[static_cast<std::size_t>(ch)] = GraphOfItem(ch, item);
            m_host.analogChanged();
        });
    }
    // Present in the panel but without function: curves are straight segments, no point marks.
    auto* view = new QGroupBox(QString::fromUtf8(tx::kGroupView), this);
    auto* viewLayout = new QVBoxLayout(view);
    viewLayout->addWidget(new QCheckBox(QString::fromUtf8(tx::kShowPoints), view));
    auto* curves = new QGroupBox(QString::fromUtf8(tx::kGroupCurves), this);
    auto* curvesLayout = new QVBoxLayout(curves);
    curvesLayout->addWidget(new QRadioButton(QString::fromUtf8(tx::kLinear), curves));
    curvesLayout->addWidget(new QRadioButton(QString::fromUtf8(tx::kSplines), curves));
    view->setEnabled(false);
    view->hide();
    curves->setEnabled(false);
    curves->hide();
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addWidget(view);
    outer->addWidget(curves);
    outer->addStretch();
    reload();
}

void AnalogPanel::reload()
{
    const AnalogChoice& c = m_host.analogChoice();
    for (int ch = 0; ch < kPlotChannels; ++ch) {
        const auto i = static_cast<std::size_t>(ch);
        auto* box = static_cast<QCheckBox*>(control(CtlChannelCheck + ch));
        auto* combo = static_cast<QComboBox*>(control(CtlChannelGraph + ch));
        const QSignalBlocker b1(box), b2(combo);
        box->setChecked(c.checked[i]);
        box->setEnabled(c.enabled[i]);
        combo->setCurrentIndex(ItemOfGraph(ch, c.graph[i]));
        combo->setEnabled(c.enabled[i] && c.checked[i]);
    }
    paintSwatches();
}

// ---- digital -----------------------------------------------------------------------------

DigitalPanel::DigitalPanel(QWidget* parent, PanelHost& host) : SettingsPanel(parent, DlgDigital, host)
{
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* on = new QCheckBox(QString::fromUtf8(tx::kDigitalOn), this);
    on->setObjectName(Id(CtlDigitalOn));
    on->setChecked(host.viewerSettings().digitalOn);
    top->addWidget(on);
    top->addWidget(makeSwatch(CtlDigitalSwatch, ColDigital));
    outer->addLayout(top);
    connect(on, &QCheckBox::toggled, this, [this](bool v) {
        m_host.viewerSettings().digitalOn = v;
        m_host.digitalChanged();
    });
    const struct { const char* title; int firstId; } groups[] = {{tx::kInputs, CtlInputCheck},
                                                                 {tx::kOutputs, CtlOutputCheck}};
    for (int g = 0; g < 2; ++g) {
        auto* box = new QGroupBox(QString::fromUtf8(groups[g].title), this);
        auto* grid = new QGridLayout(box);
        for (int k = 0; k < 16; ++k) {
            auto* cb = new QCheckBox(QString::number(k + 1), box);
            cb->setObjectName(Id(groups[g].firstId + k));
            grid->addWidget(cb, k / 4, k % 4);
            const int signal = g * 16 + k;
            connect(cb, &QCheckBox::toggled, this, [this, signal](bool v) {
                m_host.pendingDigital()[static_cast<std::size_t>(signal)] = v;
            });
        }
        outer->addWidget(box);
    }
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QString::fromUtf8(tx::kFilter), this));
    auto* filter = new QComboBox(this);
    filter->setObjectName(Id(CtlFilter));
    for (const char* item : tx::kFilterItems)
        filter->addItem(QString::fromUtf8(item));
    filter->setCurrentIndex(host.digitalFilter());
    connect(filter, &QComboBox::currentIndexChanged, this, [this](int i) { m_host.digitalFilter() = i; });
    filterRow->addWidget(filter);
    outer->addLayout(filterRow);
    const struct { int id; const char* text; } buttons[] = {
        {CtlSet, tx::kSet}, {CtlClear, tx::kClear}, {CtlApply, tx::kApply}, {CtlCancel, tx::kCancel}};
    for (const auto& b : buttons) {
        auto* pb = new QPushButton(QString::fromUtf8(b.text), this);
        pb->setObjectName(Id(b.id));
        outer->addWidget(pb);
    }
    connect(static_cast<QPushButton*>(control(CtlSet)), &QPushButton::clicked, this, [this] { setRange(true); });
    connect(static_cast<QPushButton*>(control(CtlClear)), &QPushButton::clicked, this, [this] { setRange(false); });
    connect(static_cast<QPushButton*>(control(CtlApply)), &QPushButton::clicked, this, [this] {
        m_host.viewerSettings().digitalShown = m_host.pendingDigital();
        m_host.digitalChanged();
    });
    connect(static_cast<QPushButton*>(control(CtlCancel)), &QPushButton::clicked, this, [this] {
        m_host.pendingDigital() = m_host.viewerSettings().digitalShown;
        reload();
    });
    outer->addStretch();
    m_host.pendingDigital() = m_host.viewerSettings().digitalShown;
    reload();
}

void DigitalPanel::setRange(bool value)
{
    const int filter = m_host.digitalFilter();
    const int first = filter == 1 ? 16 : 0;
    const int last = filter == 0 ? 16 : kDigitalSignals;
    for (int s = first; s < last; ++s)
        m_host.pendingDigital()[static_cast<std::size_t>(s)] = value;
    reload();
}

void DigitalPanel::reload()
{
    for (int s = 0; s < kDigitalSignals; ++s) {
        auto* cb = static_cast<QCheckBox*>(control((s < 16 ? CtlInputCheck : CtlOutputCheck - 16) + s));
        const QSignalBlocker b(cb);
        cb->setChecked(m_host.pendingDigital()[static_cast<std::size_t>(s)]);
    }
    paintSwatches();
}

// ---- general -----------------------------------------------------------------------------

GeneralPanel::GeneralPanel(QWidget* parent, PanelHost& host) : SettingsPanel(parent, DlgGeneral, host)
{
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QString::fromUtf8(tx::kLineWidth), this), 0, 0);
    auto* width = new QComboBox(this);
    width->setObjectName(Id(CtlLineWidth));
    for (const char* w : tx::kLineWidths)
        width->addItem(QString::fromUtf8(w));
    width->setCurrentIndex(host.viewerSettings().lineWidth - 1);
    connect(width, &QComboBox::currentIndexChanged, this, [this](int i) {
        m_host.viewerSettings().lineWidth = i + 1;
        m_host.appearanceChanged();
    });
    grid->addWidget(width, 0, 1);
    const struct { int id; int colour; const char* text; } swatches[] = {
        {CtlBackgroundSwatch, ColBackground, tx::kBackground},
        {CtlGridSwatch, ColGrid, tx::kGrid},
        {CtlMarker1Swatch, ColMarker1, tx::kMarker1},
        {CtlMarker0Swatch, ColMarker0, tx::kMarker0},
    };
    int row = 1;
    for (const auto& s : swatches) {
        grid->addWidget(new QLabel(QString::fromUtf8(s.text), this), row, 0);
        grid->addWidget(makeSwatch(s.id, s.colour), row, 1);
        ++row;
    }
    grid->setRowStretch(row, 1);
    paintSwatches();
}

}  // namespace tirv
