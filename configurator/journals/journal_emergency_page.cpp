#include "configurator/journals/journal_emergency_page.h"

#include "configurator/journals/journal_emergency_file.h"
#include "configurator/journals/journal_emergency_page_diagram.h"
#include "configurator/journals/journal_emergency_values.h"
#include "configurator/journals/journal_page_controls.h"
#include "configurator/journals/journal_texts.h"
#include "configurator/ui/ids.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
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

constexpr int kEventRole = Qt::UserRole;

}  // namespace

EmergencyJournalPage::EmergencyJournalPage(Shell& shell, JournalOperations& ops,
                                           JournalStore& store, const SetpointImage& setpoints,
                                           const ModelProfile& profile,
                                           EmergencyJournalSettings settings,
                                           SerialNumberSource serial,
                                           OscillogramTargetSource target, QWidget* parent)
    : Page(shell, PageEmergencyJournal, parent),
      m_ops(ops),
      m_store(store),
      m_setpoints(setpoints),
      m_profile(profile),
      m_settings(settings),
      m_serial(std::move(serial)),
      m_target(std::move(target))
{
    build();
    refill();
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
    m_values->headerItem()->setText(kEjOpeningColumn, Utf8(tx::kEjColumnOpeningTime));
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
            m_values->headerItem()->setText(kEjOpeningColumn, QString());
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
    RunJournalExchange(
        shell(), m_ops, this,
        {[this](JournalOperations::Done done) { return m_ops.startEmergencyRead(std::move(done)); },
         [this] { setListsEnabled(false); },
         [this](const JournalOutcome& o) {
             setListsEnabled(true);
             if (o.ok()) {
                 m_caption->setText(Utf8(tx::kEjCaption));
                 refill();
             }
         }});
}

void EmergencyJournalPage::readOscillogram()
{
    const OscillogramTarget target = m_target ? m_target() : OscillogramTarget{};
    RunJournalExchange(shell(), m_ops, this,
                       {[this, target](JournalOperations::Done done) {
                            return m_ops.startOscillogramRead(target, std::move(done));
                        },
                        nullptr,
                        [this](const JournalOutcome& o) {
                            // OK to the "newer" question reads the journal again, once this
                            // exchange has let the line go.
                            if (o.rereadJournal)
                                QTimer::singleShot(0, this,
                                                   [this] { command(PageCmdEmergencyRead); });
                        }});
}

void EmergencyJournalPage::setListsEnabled(bool on)
{
    m_events->setEnabled(on);
    m_values->setEnabled(on);
}

void EmergencyJournalPage::open()
{
    // The parser leaves the journal as it was unless the file is good.
    OpenJournalFile(
        shell(), kEmergencyJournalFileTexts,
        [this](const std::string& path) {
            return LoadEmergencyJournalFile(path, m_store.emergency);
        },
        [this] {
            m_caption->setText(Utf8(tx::kEjCaptionFromFile));
            refill();
        });
}

void EmergencyJournalPage::save()
{
    SaveJournalFile(shell(), kEmergencyJournalFileTexts, m_serial,
                    [this](const std::string& path, int modelCode, int serialNumber) {
                        return SaveEmergencyJournalFile(path, m_store.emergency, modelCode,
                                                        serialNumber);
                    });
}

}  // namespace tirv
