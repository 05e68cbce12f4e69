#include "gui/spin_button_style.h"

#include "gui/spin_buttons.h"

#include <QPainter>
#include <QStyleOption>
#include <QWidget>

namespace tirv {

namespace {

bool Joined(const QWidget* w) { return w != nullptr && w->property(kSpinButtonsProperty).toBool(); }

// The two halves of the widget and what they stand for in its own terms.
struct Halves {
    QStyle::SubControl up, down;
};
Halves HalvesOf(QStyle::ComplexControl cc)
{
    if (cc == QStyle::CC_ScrollBar)  // the setpoint tabs: the upper arrow steps up
        return {QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine};
    return {QStyle::SC_SpinBoxUp, QStyle::SC_SpinBoxDown};
}

bool Handled(QStyle::ComplexControl cc, const QWidget* w)
{
    return (cc == QStyle::CC_ScrollBar || cc == QStyle::CC_SpinBox) && Joined(w);
}

}  // namespace

QRect SpinButtonStyle::subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                                      const QWidget* widget) const
{
    if (!Handled(cc, widget))
        return QProxyStyle::subControlRect(cc, opt, sc, widget);
    const QRect r = opt->rect;
    const Halves h = HalvesOf(cc);
    const int upper = r.height() / 2;
    if (sc == h.up)
        return QRect(r.left(), r.top(), r.width(), upper);
    if (sc == h.down)
        return QRect(r.left(), r.top() + upper, r.width(), r.height() - upper);
    if (sc == SC_SpinBoxFrame)
        return r;
    return {};  // no groove, slider or text field
}

QStyle::SubControl SpinButtonStyle::hitTestComplexControl(ComplexControl cc, const QStyleOptionComplex* opt,
                                                          const QPoint& pos, const QWidget* widget) const
{
    if (!Handled(cc, widget))
        return QProxyStyle::hitTestComplexControl(cc, opt, pos, widget);
    const Halves h = HalvesOf(cc);
    if (subControlRect(cc, opt, h.up, widget).contains(pos))
        return h.up;
    if (subControlRect(cc, opt, h.down, widget).contains(pos))
        return h.down;
    return SC_None;
}

void SpinButtonStyle::drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                                         const QWidget* widget) const
{
    if (!Handled(cc, widget)) {
        QProxyStyle::drawComplexControl(cc, opt, p, widget);
        return;
    }
    const Halves h = HalvesOf(cc);
    bool upEnabled = (opt->state & State_Enabled) != 0;
    bool downEnabled = upEnabled;
    if (const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(opt)) {
        upEnabled = upEnabled && (spin->stepEnabled & QAbstractSpinBox::StepUpEnabled);
        downEnabled = downEnabled && (spin->stepEnabled & QAbstractSpinBox::StepDownEnabled);
    }
    const struct { SubControl sc; PrimitiveElement arrow; bool enabled; } parts[] = {
        {h.up, PE_IndicatorArrowUp, upEnabled},
        {h.down, PE_IndicatorArrowDown, downEnabled},
    };
    for (const auto& part : parts) {
        QStyleOptionButton button;
        button.QStyleOption::operator=(*opt);
        button.rect = subControlRect(cc, opt, part.sc, widget);
        button.state &= ~(State_Sunken | State_On | State_MouseOver | State_HasFocus);
        if (!part.enabled)
            button.state &= ~State_Enabled;
        const bool pressed = (opt->activeSubControls & part.sc) && (opt->state & State_Sunken);
        button.state |= pressed ? State_Sunken : State_Raised;
        proxy()->drawPrimitive(PE_PanelButtonCommand, &button, p, widget);
        QStyleOption arrow = button;
        // The arrow as large as the half allows, clear of the bevel.
        arrow.rect = button.rect.adjusted(2, 1, -2, -1);
        proxy()->drawPrimitive(part.arrow, &arrow, p, widget);
    }
}

}  // namespace tirv
