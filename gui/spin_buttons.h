#pragma once
// Spin buttons joined to their field: the up/down arrow buttons sit inside the field's right
// edge, as one control, whatever widget carries them (a short scroll bar on the setpoint tabs, a
// narrow QSpinBox on the link pages). The style installed at start-up (PrepareApplication) draws
// a widget marked by kSpinButtonsProperty as the platform's two arrow buttons.
#include <QEvent>
#include <QLineEdit>
#include <QObject>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace tirv {

inline constexpr const char* kSpinButtonsProperty = "tirvSpinButtons";
inline constexpr int kSpinButtonsWidth = 17;

namespace detail {

// Keeps the buttons on the field's right inner edge as the field is resized.
class SpinButtonsAnchor : public QObject {
public:
    SpinButtonsAnchor(QLineEdit* field, QWidget* buttons) : QObject(field), m_field(field), m_buttons(buttons)
    {
        field->installEventFilter(this);
        place();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == m_field && (e->type() == QEvent::Resize || e->type() == QEvent::Show))
            place();
        return QObject::eventFilter(watched, e);
    }

private:
    void place()
    {
        const int frame = 1;
        m_buttons->setGeometry(m_field->width() - kSpinButtonsWidth - frame, frame, kSpinButtonsWidth,
                               std::max(0, m_field->height() - 2 * frame));
    }
    QLineEdit* m_field;
    QWidget* m_buttons;
};

}  // namespace detail

// Moves `buttons` into `field`, at its right edge and its full height, and keeps the field's text
// clear of them; a field of fixed width grows by the buttons' width. The buttons keep their
// object name and whether they were hidden, so pages find and show them as before.
inline void JoinSpinButtons(QLineEdit* field, QWidget* buttons)
{
    const bool hidden = buttons->testAttribute(Qt::WA_WState_ExplicitShowHide) && buttons->isHidden();
    buttons->setParent(field);  // also takes it out of the layout it stood in
    buttons->setProperty(kSpinButtonsProperty, true);
    buttons->setMinimumSize(0, 0);
    buttons->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    buttons->setCursor(Qt::ArrowCursor);
    if (field->minimumWidth() > 0 && field->minimumWidth() == field->maximumWidth())
        field->setFixedWidth(field->minimumWidth() + kSpinButtonsWidth);
    const QMargins m = field->textMargins();
    field->setTextMargins(m.left(), m.top(), m.right() + kSpinButtonsWidth, m.bottom());
    new detail::SpinButtonsAnchor(field, buttons);
    if (!hidden)
        buttons->show();
}

}  // namespace tirv
