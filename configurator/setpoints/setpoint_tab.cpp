// Building one setpoint tab from the layout of its model class.
#include "configurator/setpoints/editor_texts.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/setpoints/setpoint_tab_strip.h"
#include "configurator/ui/ids.h"
#include "gui/spin_buttons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tirv {

namespace {

const QColor kBackground(245, 244, 241);
// Rows a column of group boxes holds before the next column starts (a tab is 290 units high).
constexpr int kRowsPerColumn = 19;

void paintBackground(QWidget* w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, kBackground);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

int rowsOf(const LayoutGroup& g)
{
    int rows = 1, checks = 0;
    for (const auto& it : g.items)
        it.type == ItemType::Check ? ++checks : ++rows;
    return rows + (checks + 1) / 2;
}

}  // namespace

SetpointTab::SetpointTab(SetpointEditor& editor, Shell& shell, int tab, QWidget* parent)
    : Page(shell, PageSetpoints, parent), m_editor(editor), m_tab(tab)
{
    paintBackground(this);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
}

void SetpointTab::command(int id)
{
    if (id >= TabButtonId(m_tab, 0) && id <= TabButtonId(m_tab, 4))
        m_editor.switchTab(id - TabButtonId(m_tab, 0));
}

void SetpointTab::build(const ModelProfile& p)
{
    QWidget*& slot = m_contents[p.isM ? 1 : 0];
    if (!slot) {
        slot = buildContent(p);
        layout()->addWidget(slot);
    }
    for (QWidget* c : m_contents)
        if (c)
            c->setVisible(c == slot);
    m_content = slot;
    registerControls(slot);
    // Hosted without a layout (no main window) the tab takes the size its controls need.
    if (!parentWidget() || !parentWidget()->layout())
        resize(sizeHint());
}

QWidget* SetpointTab::buildContent(const ModelProfile& p)
{
    auto* content = new QWidget(this);
    paintBackground(content);
    content->setProperty("dialog", TabDialog(p.isM, m_tab));
    auto* v = new QVBoxLayout(content);
    v->setContentsMargins(6, 4, 6, 6);
    auto* strip = new SetpointTabStrip(m_tab, [this](int k) { m_editor.switchTab(k); }, content);
    for (int k = 0; k < 5; ++k) {
        strip->button(k)->setObjectName(QString::number(TabButtonId(m_tab, k)));
        strip->button(k)->installEventFilter(this);
    }
    v->addWidget(strip);

    auto* columns = new QHBoxLayout;
    v->addLayout(columns, 1);
    QVBoxLayout* column = nullptr;
    int used = kRowsPerColumn;
    for (const LayoutGroup& g : TabLayout(p, m_tab)) {
        const int rows = rowsOf(g);
        if (!column || used + rows > kRowsPerColumn) {
            if (column)
                column->addStretch(1);
            column = new QVBoxLayout;
            columns->addLayout(column);
            used = 0;
        }
        used += rows;
        auto* box = new QGroupBox(QString::fromStdString(g.title), content);
        box->setObjectName(QString::number(g.id));
        if (g.blueTitle)
            box->setStyleSheet(QStringLiteral("QGroupBox { color: rgb(0, 0, 255); }"));
        addGroupItems(g, box, p);
        column->addWidget(box);
    }
    if (column)
        column->addStretch(1);
    columns->addStretch(1);
    return content;
}

void SetpointTab::addGroupItems(const LayoutGroup& g, QWidget* box, const ModelProfile& p)
{
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    int row = 0, checkColumn = 0;
    auto place = [&](QWidget* w, int id, int r, int c, int span = 1) {
        w->setObjectName(QString::number(id));
        grid->addWidget(w, r, c, 1, span);
        const ControlState s = ControlStateFor(p, id);
        if (s == ControlState::Disabled)
            w->setEnabled(false);
        else if (s == ControlState::Hidden)
            w->hide();
    };
    for (const LayoutItem& it : g.items) {
        const QString label = QString::fromStdString(it.label);
        switch (it.type) {
        case ItemType::Edit:
        case ItemType::RecordingTime: {
            place(new QLabel(label, box), it.control + kLabelOffset, row, 0);
            auto* e = new QLineEdit(box);
            e->setFixedWidth(56);
            e->installEventFilter(this);
            place(e, it.control, row, 1);
            if (it.type == ItemType::RecordingTime) {
                e->setReadOnly(true);
                e->setFocusPolicy(Qt::NoFocus);
            } else {
                const int id = it.control;
                connect(e, &QLineEdit::textEdited, this, [this, id] { m_editor.typed(id); });
                auto* sb = new QScrollBar(Qt::Vertical, box);
                sb->setFocusPolicy(Qt::NoFocus);
                sb->setRange(0, 2);
                sb->setValue(1);
                sb->setFixedSize(16, e->sizeHint().height());
                connect(sb, &QAbstractSlider::actionTriggered, this, [this, sb, id](int action) {
                    // The up arrow steps the value up; other notifications are ignored.
                    if (action == QAbstractSlider::SliderSingleStepSub)
                        m_editor.spin(id + kSpinOffset, true);
                    else if (action == QAbstractSlider::SliderSingleStepAdd)
                        m_editor.spin(id + kSpinOffset, false);
                    sb->setSliderPosition(1);
                });
                place(sb, id + kSpinOffset, row, 2);
                JoinSpinButtons(e, sb);
            }
            ++row;
            break;
        }
        case ItemType::List: {
            place(new QLabel(label, box), it.control + kLabelOffset, row, 0);
            auto* list = new QComboBox(box);
            const int k = ChoiceIndexOfList(p, it.control);
            for (const char* item : p.choices[std::size_t(k)].items)
                list->addItem(QString::fromUtf8(item));
            list->setCurrentIndex(it.control == kRecloseCountList ? 1 : 0);
            const int id = it.control;
            connect(list, &QComboBox::currentIndexChanged, this, [this, id] { m_editor.listChanged(id); });
            place(list, id, row, 1, 2);
            ++row;
            break;
        }
        case ItemType::Check: {
            auto* c = new QCheckBox(label, box);
            c->installEventFilter(this);
            const int id = it.control;
            connect(c, &QCheckBox::clicked, this, [this, id] { m_editor.checkClicked(id); });
            if (checkColumn == 0)
                place(c, id, row, 0);
            else
                place(c, id, row++, 1, 2);
            checkColumn ^= 1;
            break;
        }
        }
    }
}

void SetpointTab::registerControls(QWidget* content)
{
    for (QWidget* w : content->findChildren<QWidget*>()) {
        bool ok = false;
        const int id = w->objectName().toInt(&ok);
        if (ok)
            addControl(id, w);
    }
}

bool SetpointTab::eventFilter(QObject* watched, QEvent* e)
{
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w)
        return false;
    const int id = w->objectName().toInt();
    if (e->type() == QEvent::FocusIn && qobject_cast<QLineEdit*>(w) && m_editor.validationFailed() &&
        m_editor.rejectedField() != id) {
        // A rejected field keeps the focus until it is valid, also when the window system hands
        // the focus elsewhere (after a message box closes, on reactivation).
        QTimer::singleShot(0, this, [this] {
            if (QLineEdit* bad = m_editor.edit(m_editor.rejectedField()))
                bad->setFocus(Qt::OtherFocusReason);
        });
        return false;
    }
    if (e->type() == QEvent::FocusOut && qobject_cast<QLineEdit*>(w)) {
        // Leaving for another application or a popup is no decision of the user's.
        const auto reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            m_editor.leaveField(id);
        return false;
    }
    if (e->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (auto* c = qobject_cast<QCheckBox*>(w)) {
        c->toggle();
        m_editor.checkClicked(id);
        return true;
    }
    if (qobject_cast<QLineEdit*>(w)) {
        // Enter moves on to the next control, as the Tab key does.
        for (QWidget* n = w->nextInFocusChain(); n && n != w; n = n->nextInFocusChain())
            if ((n->focusPolicy() & Qt::TabFocus) && n->isVisible() && n->isEnabled()) {
                n->setFocus(Qt::TabFocusReason);
                break;
            }
        return true;
    }
    return false;
}

}  // namespace tirv
