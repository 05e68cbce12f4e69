// The emergency-journal page's controls: the lists, the diagram group with its check boxes and
// swatches, and the disabled sort and file-selection controls.
#include "configurator/journals/journal_emergency_page.h"

#include "configurator/journals/journal_emergency_page_diagram.h"
#include "configurator/journals/journal_page_controls.h"
#include "configurator/journals/journal_texts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace tirv {
namespace {

namespace tx = journal_texts;

QString Utf8(const char* s)
{
    return QString::fromUtf8(s);
}

constexpr std::array<const char*, kJournalPhasors> kPhasorNames{
    "Ia", "Ib", "Ic", "Ua", "Ub", "Uc", "Uab", "Ubc", "Uca", "3Io", "3Uo"};

}  // namespace

QColor JournalColourOf(std::uint32_t ref)
{
    return QColor(RedOf(ref), GreenOf(ref), BlueOf(ref));
}

void PaintJournalSwatch(QPushButton* b, std::uint32_t ref)
{
    b->setStyleSheet(QStringLiteral("background-color: %1;").arg(JournalColourOf(ref).name()));
}

void EmergencyJournalPage::build()
{
    auto* grid = new QGridLayout(this);
    m_caption = new QLabel(Utf8(tx::kEjCaption));
    addControl(CtlJournalCaption, m_caption);
    grid->addWidget(m_caption, 0, 0);

    m_events = MakeJournalList(
        this, {tx::kColumnDate, tx::kColumnTime, tx::kEjColumnEvent, tx::kEjColumnStarted},
        {55, 80, 115, 250});
    addControl(CtlEjEvents, m_events);
    grid->addWidget(m_events, 1, 0);
    // A click and the Up/Down keys both move the current row.
    connect(m_events, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { rowChanged(item); });

    m_values = MakeJournalList(this, {""}, {70});
    QStringList headers{QString()};
    for (const char* c : tx::kEjValueColumns)
        headers << Utf8(c);
    headers << Utf8(tx::kEjColumnOpeningTime);
    m_values->setHeaderLabels(headers);
    const double scale = logicalDpiX() > 0 ? logicalDpiX() / 96.0 : 1.0;
    for (int k = 1; k <= 13; ++k)
        m_values->setColumnWidth(k, static_cast<int>(42 * scale));
    m_values->setColumnWidth(kEjOpeningColumn, static_cast<int>(62 * scale));
    m_values->setMaximumHeight(static_cast<int>(90 * scale));
    addControl(CtlEjValues, m_values);
    grid->addWidget(m_values, 2, 0);

    m_oscillogram = new QPushButton(Utf8(tx::kEjReadOscillogram));
    m_oscillogram->setEnabled(false);
    addControl(CtlEjReadOscillogram, m_oscillogram);
    connect(m_oscillogram, &QPushButton::clicked, this,
            [this] { command(PageCmdEmergencyOscillogram); });
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_oscillogram);
    // Present but without a function: disabled.
    AddJournalFilterRow(
        bottom,
        {CtlEjSortOrder, CtlEjSortApply, tx::kEjFromFileGroup, CtlEjByDates, CtlEjFrom, CtlEjTo, 0},
        [this](int id, QWidget* w) { addControl(id, w); });
    grid->addLayout(bottom, 3, 0, 1, 2);

    auto* group = new QGroupBox(Utf8(tx::kEjDiagramGroup));
    auto* g = new QGridLayout(group);
    m_diagram = new EmergencyDiagramView;
    addControl(CtlEjDiagram, m_diagram);
    g->addWidget(m_diagram, 0, 0, 1, 4);
    m_summary = new QLineEdit;
    m_summary->setReadOnly(true);
    addControl(CtlEjSummary, m_summary);
    g->addWidget(m_summary, 1, 0, 1, 4);
    for (std::size_t k = 0; k < kJournalPhasors; ++k) {
        auto* box = new QCheckBox(Utf8(kPhasorNames[k]));
        box->setChecked(m_settings.phasors[k]);
        auto* swatch = new QPushButton;
        swatch->setFixedSize(18, 14);
        PaintJournalSwatch(swatch, m_settings.colours[k]);
        m_phasorBoxes[k] = box;
        m_swatches[k] = swatch;
        addControl(CtlEjFirstPhasorBox + int(k), box);
        addControl(CtlEjFirstSwatch + int(k), swatch);
        const int row = 2 + int(k % 6);
        const int col = int(k / 6) * 2;
        g->addWidget(box, row, col);
        g->addWidget(swatch, row, col + 1);
        connect(box, &QCheckBox::toggled, this, [this, k](bool on) {
            m_settings.phasors[k] = on;
            updateDiagram();
        });
        connect(swatch, &QPushButton::clicked, this, [this, k] {
            const auto chosen =
                shell().dialogs().chooseColour(JournalColourOf(m_settings.colours[k]).rgb());
            if (!chosen)
                return;
            m_settings.colours[k] =
                JournalColourRef(std::uint8_t(qRed(*chosen)), std::uint8_t(qGreen(*chosen)),
                                 std::uint8_t(qBlue(*chosen)));
            PaintJournalSwatch(m_swatches[k], m_settings.colours[k]);
            updateDiagram();
        });
    }
    auto* sectors = new QGroupBox(Utf8(tx::kEjSectorGroup));
    auto* s = new QVBoxLayout(sectors);
    for (std::size_t k = 0; k < kJournalSectorBoxes; ++k) {
        auto* box = new QCheckBox(Utf8(tx::kEjSectorBoxes[k]));
        box->setChecked(m_settings.sectors[k]);
        m_sectorBoxes[k] = box;
        addControl(CtlEjFirstSectorBox + int(k), box);
        s->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this, k](bool on) {
            m_settings.sectors[k] = on;
            updateDiagram();
        });
    }
    g->addWidget(sectors, 2, 4, 6, 1);
    grid->addWidget(group, 0, 1, 3, 1);
}

}  // namespace tirv
