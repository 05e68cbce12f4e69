// The widgets of the two layouts: the edit fields of dialog 102 and the list view of dialog 103.
#include "configurator/journals/measurement_list.h"
#include "configurator/journals/measurement_page.h"
#include "configurator/journals/measurement_texts.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTableWidget>

#include <algorithm>

namespace tirv {
namespace {

namespace tx = measurement_texts;

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// Integer-layout rows: a name, the magnitude's value index and the angle's (0: none).
struct FieldRow {
    const char* name;
    std::size_t magnitude;
    std::size_t angle;
};
constexpr std::array<FieldRow, 14> kFieldRows{{
    {tx::kPhasorNames[0], 1, 14},
    {tx::kPhasorNames[1], 2, 15},
    {tx::kPhasorNames[2], 3, 16},
    {tx::kPhasorNames[3], 4, 17},
    {tx::kPhasorNames[4], 5, 18},
    {tx::kPhasorNames[5], 6, 19},
    {tx::kPhasorNames[6], 7, 20},
    {tx::kPhasorNames[7], 8, 21},
    {tx::kPhasorNames[8], 9, 22},
    {tx::kRowZeroCurrent, 10, 23},
    {tx::kRowZeroVoltage, 11, 24},
    {tx::kRowPositiveCurrent, 12, 0},
    {tx::kRowNegativeCurrent, 13, 0},
    {tx::kRowTemperature, 0, 0},
}};

}  // namespace

void MeasurementPage::buildIntegerFields(QWidget* box)
{
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(Utf8(tx::kListColumns[1])), 0, 1, Qt::AlignCenter);
    grid->addWidget(new QLabel(Utf8(tx::kListColumns[2])), 0, 2, Qt::AlignCenter);
    const auto field = [this](std::size_t index) {
        auto* e = new QLineEdit;
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight);
        e->setMaxLength(static_cast<int>(kMaxValueTextLength));
        e->setFixedWidth(80);
        m_fields[index] = e;
        addControl(CtlMeasFirstField + static_cast<int>(index), e);
        return e;
    };
    int row = 1;
    for (const FieldRow& r : kFieldRows) {
        grid->addWidget(new QLabel(Utf8(r.name)), row, 0);
        grid->addWidget(field(r.magnitude), row, 1);
        if (r.angle != 0)
            grid->addWidget(field(r.angle), row, 2);
        ++row;
    }
    grid->setRowStretch(row, 1);
}

void MeasurementPage::buildList(QWidget* box)
{
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new QTableWidget(kMeasurementListRows, 3);
    addControl(CtlMeasList, m_list);
    layout->addWidget(m_list);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(18);
    // The widths are given at 96 pixels per inch.
    const QScreen* screen = this->screen();
    const double scale = screen ? screen->logicalDotsPerInchX() / 96.0 : 1.0;
    for (int c = 0; c < 3; ++c) {
        auto* head = new QTableWidgetItem(Utf8(tx::kListColumns[static_cast<std::size_t>(c)]));
        m_list->setHorizontalHeaderItem(c, head);
        m_list->setColumnWidth(c, static_cast<int>(kMeasurementListColumnWidths[c] * scale));
    }
    for (int r = 0; r < kMeasurementListRows; ++r)
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(
                c == 0 ? QString::fromStdString(MeasurementListRowText(r)) : QString());
            item->setTextAlignment(Qt::AlignCenter);
            m_list->setItem(r, c, item);
        }
    // The padding puts the short names at the column's right edge in the relays' own font; in
    // another font it would push them out of sight, so they are aligned there instead.
    for (const MeasurementListLabel& label : kMeasurementListLabels)
        if (label.padding > 0)
            m_list->item(label.row, 0)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (const MeasurementListLabel& label : kMeasurementListLabels)
        if (label.padding > 0)
            m_list->item(label.row, 0)->setText(QString::fromUtf8(label.text));
    // Never narrower than its longest heading: a cut-off group name says nothing.
    m_list->resizeColumnToContents(0);
    m_list->setColumnWidth(0, std::max(m_list->columnWidth(0),
                                       static_cast<int>(kMeasurementListColumnWidths[0] * scale)));
    int width = 4;
    for (int c = 0; c < 3; ++c)
        width += m_list->columnWidth(c);
    m_list->setMinimumWidth(width + 20);
}

void MeasurementPage::display(const MeasurementTable& table)
{
    const std::size_t count = MeasurementValueCount(table.layout);
    for (std::size_t i = 0; i < count; ++i) {
        const QString text = QString::fromStdString(FormatMeasurement(table, i));
        if (table.layout == MeasurementLayout::Integer) {
            if (m_fields[i])
                m_fields[i]->setText(text);
        } else {
            const MeasurementValueInfo& info = kMeasurementValueTable[i];
            if (QTableWidgetItem* item = m_list->item(info.listRow, info.listColumn))
                item->setText(text);
        }
    }
}

}  // namespace tirv
