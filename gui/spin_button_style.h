#pragma once
// The application style of both programs: the platform's own style, except that widgets joined
// to a field as spin buttons (gui/spin_buttons.h) are drawn as two arrow buttons stacked over
// the whole widget, not as a tiny scroll bar or a squeezed spin box.
#include <QProxyStyle>

namespace tirv {

class SpinButtonStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* widget) const override;
    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                            const QWidget* widget) const override;
    SubControl hitTestComplexControl(ComplexControl cc, const QStyleOptionComplex* opt,
                                     const QPoint& pos, const QWidget* widget) const override;
};

}  // namespace tirv
