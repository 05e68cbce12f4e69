#pragma once
// The calculator's pictures, drawn by us: the formula of the computed quantity (about 624 × 145
// pixels) and the coefficients of the chosen curve (624 × 78), both monochrome, and the area
// that shows them scaled with smoothing (static 5900).
#include <QImage>
#include <QWidget>

namespace tirv {

inline constexpr int kFormulaWidth = 624;
inline constexpr int kFormulaHeight = 145;
inline constexpr int kCoefficientsHeight = 78;

// Mode 0..3: t, T, Iуст, I.
QImage FormulaPicture(int mode);
// Curve 0..2: normal, very, extremely inverse.
QImage CoefficientsPicture(int curve);

class CalculatorPictureArea : public QWidget {
public:
    explicit CalculatorPictureArea(QWidget* parent);
    void setPictures(int mode, int curve);
    QSize sizeHint() const override { return {kFormulaWidth / 2, (kFormulaHeight + kCoefficientsHeight) / 2}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int m_mode = 0;
    int m_curve = 0;
};

}  // namespace tirv
