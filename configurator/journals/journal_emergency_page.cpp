#include "configurator/journals/journal_emergency_page.h"

#include "configurator/journals/journal_emergency_file.h"
#include "configurator/journals/journal_emergency_page_diagram.h"
#include "configurator/journals/journal_emergency_values.h"
#include "configurator/journals/journal_texts.h"
#include "configurator/shell/command_line.h"
#include "configurator/ui/ids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace tirv {
namespace {

namespace tx = journal_texts;

QString Utf8(const char* s)
{
    return QString::fromUtf8(s);
}

QString Utf8(const std::string& s)
{
    return QString::fromStdString(s);
}

constexpr std::array<const char*, kJournalPhasors> kPhasorNames{
    "Ia", "Ib", "Ic", "Ua", "Ub", "Uc", "Uab", "Ubc", "Uca", "3Io", "3Uo"};
constexpr int kEventRole = Qt::UserRole;
constexpr int kOpeningColumn = 14;

QColor ColourOf(std::uint32_t ref)
{
    return QColor(RedOf(ref), GreenOf(ref), BlueOf(ref));
}

void PaintSwatch(QPushButton* b, std::uint32_t ref)
{
    b->setStyleSheet(QStringLiteral("background-color: %1;").arg(ColourOf(ref).name()));
}

}  // namespace

EmergencyJournalPage::EmergencyJournalPage(Shell& shell, JournalOperations& ops,
                                           JournalStore& store, const SetpointImage& setpoints,
                                           const ModelProfile& profile,
                                           EmergencyJournalSettings settings,
                                           SerialNumberSource serial,
                                           OscillogramTargetSource target, QWidget* parent)
    : Page(shell, PageEmergencyJournal, parent), m_ops(ops), m_store(store),
      m_setpoints(setpoints), m_profile(profile), m_settings(settings),
      m_serial(std::move(serial)), m_target(std::move(target))
{
    build();
    refill();
}

void EmergencyJournalPage::build()
{
    auto* grid = new QGridLayout(this);
    m_caption = new QLabel(Utf8(tx::kEjCaption));
    addControl(CtlJournalCaption, m_caption);
    grid->addWidget(m_caption, 0, 0);

    m_events = MakeJournalList(this, {tx::kColumnDate, tx::kColumnTime, tx::kEjColumnEvent,
                                      tx::kEjColumnStarted},
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
    m_values->setColumnWidth(kOpeningColumn, static_cast<int>(62 * scale));
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
    auto* sort = new QComboBox;
    sort->addItems({QString::fromUtf8("По возрастанию"), QString::fromUtf8("По убыванию")});
    sort->setCurrentIndex(1);
    auto* apply = new QPushButton(QString::fromUtf8("Применить"));
    auto* byDates = new QCheckBox(QString::fromUtf8("Выборка по датам"));
    auto* from = new QDateEdit;
    auto* to = new QDateEdit;
    bottom->addWidget(new QLabel(QString::fromUtf8("Сортировка")));
    bottom->addWidget(sort);
    bottom->addWidget(apply);
    bottom->addWidget(new QLabel(QString::fromUtf8("Чтение записей АЖ из файла:")));
    bottom->addWidget(byDates);
    bottom->addWidget(from);
    bottom->addWidget(to);
    bottom->addStretch();
    const std::pair<int, QWidget*> unused[] = {{CtlEjSortOrder, sort}, {CtlEjSortApply, apply},
                                               {CtlEjByDates, byDates}, {CtlEjFrom, from},
                                               {CtlEjTo, to}};
    for (const auto& [id, w] : unused) {
        w->setEnabled(false);
        addControl(id, w);
    }
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
        PaintSwatch(swatch, m_settings.colours[k]);
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
            const auto chosen = shell().dialogs().chooseColour(ColourOf(m_settings.colours[k]).rgb());
            if (!chosen)
                return;
            m_settings.colours[k] = JournalColourRef(std::uint8_t(qRed(*chosen)),
                                                     std::uint8_t(qGreen(*chosen)),
                                                     std::uint8_t(qBlue(*chosen)));
            PaintSwatch(m_swatches[k], m_settings.colours[k]);
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

void EmergencyJournalPage::command(int id)
{
    switch (id) {
    case PageCmdEmergencyRead:
        read();
        break;
    case PageCmdEmergencyOpen:
        open();
        break;
    case PageCmdEmergencySave:
        save();
        break;
    case PageCmdEmergencyOscillogram:
        readOscillogram();
        break;
    case PageCmdEmergencyApply:
        updateDiagram();
        break;
    default:
        break;
    }
}

void EmergencyJournalPage::setControlsLocked(bool locked)
{
    m_locked = locked;
    updateOscillogramButton();
}

void EmergencyJournalPage::refill()
{
    m_events->clear();
    m_values->clear();
    m_summary->clear();
    m_selected = -1;
    const EmergencyJournal& j = m_store.emergency;
    if (j.hasData) {
        int position = 0;
        for (const int index : j.events()) {
            const EmergencyRowPair rows = EmergencyRows(j.records[std::size_t(index)], j.mClass);
            QStringList first;
            for (const std::string& t : rows.first)
                first << Utf8(t);
            auto* a = new QTreeWidgetItem(m_events, first);
            auto* b = new QTreeWidgetItem(m_events, {QString(), QString(), Utf8(rows.outcome)});
            a->setData(0, kEventRole, position);
            b->setData(0, kEventRole, position);
            ++position;
        }
    }
    WidenJournalColumns(m_events);
    showValues();
}

void EmergencyJournalPage::rowChanged(QTreeWidgetItem* item)
{
    const int position = item ? item->data(0, kEventRole).toInt() : -1;
    if (position == m_selected)
        return;
    m_selected = position;
    showValues();
}

void EmergencyJournalPage::selectEvent(int k)
{
    const int row = k * 2;
    if (k < 0 || row >= m_events->topLevelItemCount()) {
        m_events->setCurrentItem(nullptr);
        m_selected = -1;
        showValues();
        return;
    }
    m_events->setCurrentItem(m_events->topLevelItem(row));
}

void EmergencyJournalPage::showValues()
{
    m_values->clear();
    m_summary->clear();
    m_values->headerItem()->setText(kOpeningColumn, Utf8(tx::kEjColumnOpeningTime));
    const EmergencyJournal& j = m_store.emergency;
    const auto events = j.events();
    if (m_selected >= 0 && m_selected < int(events.size())) {
        const EmergencyRecord& r = j.records[std::size_t(events[std::size_t(m_selected)])];
        const EmergencyValues v = EmergencyValuesOf(r, j.mClass);
        m_summary->setText(Utf8(EmergencySummaryText(r, j.mClass)));
        QStringList magnitudes{Utf8(tx::kEjRowMagnitudes)};
        for (const std::string& t : v.magnitudeTexts)
            magnitudes << Utf8(t);
        magnitudes << (v.opening.shown ? Utf8(v.opening.text) : QString());
        QStringList angles{Utf8(tx::kEjRowAngles)};
        for (const std::string& t : v.angleTexts)
            angles << Utf8(t);
        new QTreeWidgetItem(m_values, magnitudes);
        new QTreeWidgetItem(m_values, angles);
        if (!v.opening.shown)
            m_values->headerItem()->setText(kOpeningColumn, QString());
        WidenJournalColumns(m_values);
    }
    updateOscillogramButton();
    updateDiagram();
}

void EmergencyJournalPage::updateOscillogramButton()
{
    const EmergencyJournal& j = m_store.emergency;
    const auto events = j.events();
    const bool qualifies = m_selected >= 0 && m_selected < int(events.size()) &&
                           events[std::size_t(m_selected)] == j.oscillogramEvent();
    m_oscillogram->setEnabled(qualifies && !m_locked && !shell().state().busy);
}

void EmergencyJournalPage::updateDiagram()
{
    EmergencyDiagramContent c;
    const EmergencyJournal& j = m_store.emergency;
    const auto events = j.events();
    for (std::size_t k = 0; k < kJournalPhasors; ++k) {
        const std::uint32_t ref = m_settings.colours[k];
        c.colours[k] = Rgb{RedOf(ref), GreenOf(ref), BlueOf(ref)};
        c.sectorBoxes = m_settings.sectors;
    }
    if (m_selected >= 0 && m_selected < int(events.size())) {
        const EmergencyValues v =
            EmergencyValuesOf(j.records[std::size_t(events[std::size_t(m_selected)])], j.mClass);
        c.hasEvent = true;
        for (std::size_t k = 0; k < kJournalPhasors; ++k) {
            c.phasors[k] = PhasorInput{m_settings.phasors[k], v.magnitudes[k], v.angles[k] * 10.0,
                                       c.colours[k]};
            c.anglesDegrees[k] = v.angles[k];
        }
        c.setpoints = &m_setpoints;
        c.profile = &m_profile;
    }
    m_diagram->setContent(c);
}

void EmergencyJournalPage::read()
{
    QPointer<EmergencyJournalPage> self(this);
    shell().runExchange({[self](std::function<void(bool)> done) {
                             if (!self) {
                                 done(false);
                                 return;
                             }
                             self->m_events->setEnabled(false);
                             self->m_values->setEnabled(false);
                             const bool started = self->m_ops.startEmergencyRead(
                                 [self, done](const JournalOutcome& o) {
                                     if (self) {
                                         self->m_events->setEnabled(true);
                                         self->m_values->setEnabled(true);
                                         if (o.ok()) {
                                             self->m_caption->setText(Utf8(tx::kEjCaption));
                                             self->refill();
                                         }
                                     }
                                     done(o.ok());
                                 });
                             if (!started) {
                                 self->m_events->setEnabled(true);
                                 self->m_values->setEnabled(true);
                                 done(false);
                             }
                         },
                         [self] {
                             if (self)
                                 self->m_ops.abort();
                         }});
}

void EmergencyJournalPage::readOscillogram()
{
    QPointer<EmergencyJournalPage> self(this);
    const OscillogramTarget target = m_target ? m_target() : OscillogramTarget{};
    shell().runExchange({[self, target](std::function<void(bool)> done) {
                             if (!self) {
                                 done(false);
                                 return;
                             }
                             const bool started = self->m_ops.startOscillogramRead(
                                 target, [self, done](const JournalOutcome& o) {
                                     done(o.ok());
                                     // OK to the "newer" question reads the journal again,
                                     // once this exchange has let the line go.
                                     if (self && o.rereadJournal)
                                         QTimer::singleShot(0, self, [self] {
                                             if (self)
                                                 self->command(PageCmdEmergencyRead);
                                         });
                                 });
                             if (!started)
                                 done(false);
                         },
                         [self] {
                             if (self)
                                 self->m_ops.abort();
                         }});
}

void EmergencyJournalPage::open()
{
    QString path = shell().takeCommandLinePath(int(FileKind::EmergencyJournal));
    if (path.isEmpty()) {
        FileRequest request{Utf8(tx::kEjOpenTitle), Utf8(tx::kEjFilter), Utf8(tx::kEjExtension), false, {}};
        path = shell().dialogs().chooseFile(request);
        // A name of another kind is ignored.
        if (path.isEmpty() || !HasJournalExtension(path.toStdString(), tx::kEjExtension))
            return;
    }
    EmergencyJournal loaded;
    const JournalFileOutcome o = LoadEmergencyJournalFile(path.toStdString(), loaded);
    if (o.result == JournalFileResult::CannotOpen) {
        shell().reporter().ask(CannotOpenJournalFileMessage(o.systemError));
        return;
    }
    if (o.result == JournalFileResult::BadFormat) {
        shell().reporter().ask(EmergencyJournalBadFileMessage());
        return;
    }
    m_store.emergency = loaded;
    m_caption->setText(Utf8(tx::kEjCaptionFromFile));
    refill();
    if (!shell().state().busy)
        shell().reporter().status(Utf8(tx::kEjOpened), StatusIcon::Ok);
}

void EmergencyJournalPage::save()
{
    FileRequest request{Utf8(tx::kEjSaveTitle), Utf8(tx::kEjFilter), Utf8(tx::kEjExtension), true, {}};
    const QString path = shell().dialogs().chooseFile(request);
    if (path.isEmpty())
        return;
    const JournalFileOutcome o = SaveEmergencyJournalFile(
        path.toStdString(), m_store.emergency, shell().model().code(), m_serial ? m_serial() : 0);
    if (o.result != JournalFileResult::Ok) {
        shell().reporter().ask(CannotOpenJournalFileMessage(o.systemError));
        return;
    }
    if (!shell().state().busy)
        shell().reporter().status(Utf8(tx::kEjSaved), StatusIcon::Ok);
}

}  // namespace tirv
