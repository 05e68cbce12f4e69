#include "configurator/setpoints/setpoint_tab_strip.h"

#include "configurator/setpoints/editor_texts.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace tirv {

namespace {

// The strip's pens and brushes, as the rest of the relay tool draws its tabs.
const QColor kOwnLabel(0, 0, 255);
const QColor kGreen(0, 128, 0);
const QColor kDarkBlue(0, 0, 122);
const QColor kOtherFill(232, 228, 213);
const QColor kOwnFill(Qt::white);

}  // namespace

SetpointTabButton::SetpointTabButton(const QString& text, bool own, QWidget* parent)
    : QAbstractButton(parent), m_own(own)
{
    setText(text);
    // Reachable with the Tab key, but a click leaves the focus in the field being edited, so
    // that leaving it is decided by the tab switch (a rejected field keeps the focus).
    setFocusPolicy(Qt::TabFocus);
}

QSize SetpointTabButton::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 28, fm.height() + 12};
}

void SetpointTabButton::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

void SetpointTabButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect r = rect().adjusted(0, m_own ? 0 : 3, -1, 0);
    const QColor shadow = palette().color(QPalette::Dark);

    // Body: rounded top corners, open at the bottom for the own tab.
    QPainterPath body;
    body.moveTo(r.left(), r.bottom());
    body.lineTo(r.left(), r.top() + 4);
    body.lineTo(r.left() + 4, r.top());
    body.lineTo(r.right() - 4, r.top());
    body.lineTo(r.right(), r.top() + 4);
    body.lineTo(r.right(), r.bottom());
    p.fillPath(body, m_own ? kOwnFill : kOtherFill);

    // Shadow on the right, white highlight on the left and top, then the outline.
    p.setPen(QPen(shadow, 2));
    p.drawLine(r.right() - 1, r.top() + 4, r.right() - 1, r.bottom());
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(r.left() + 1, r.bottom(), r.left() + 1, r.top() + 4);
    p.setPen(QPen(m_own ? kGreen : kDarkBlue, 1));
    p.drawPath(body);
    if (!m_own) {
        p.setPen(QPen(shadow, 4));
        p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    }

    p.setPen(m_own ? kOwnLabel : palette().color(QPalette::ButtonText));
    p.drawText(r, Qt::AlignCenter, text());
    if (hasFocus()) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(r.adjusted(4, 4, -4, -3));
    }
}

SetpointTabStrip::SetpointTabStrip(int ownTab, std::function<void(int)> select, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    for (int k = 0; k < 5; ++k) {
        auto* b = new SetpointTabButton(QString::fromUtf8(editor_texts::kTabButtons[std::size_t(k)]),
                                        k == ownTab, this);
        m_buttons[std::size_t(k)] = b;
        row->addWidget(b);
        connect(b, &QAbstractButton::clicked, this, [select, k] { select(k); });
    }
    row->addStretch(1);
}

}  // namespace tirv
