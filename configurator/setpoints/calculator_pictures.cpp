#include "configurator/setpoints/calculator_pictures.h"

#include "configurator/setpoints/editor_texts.h"

#include <QPainter>
#include <algorithm>
#include <vector>

namespace tirv {

namespace {

// A piece of a formula line: plain text or a superscript (the exponent).
struct Run {
    QString text;
    bool sup = false;
};
using Line = std::vector<Run>;

Run t(const char* s) { return {QString::fromUtf8(s), false}; }
Run sup(const char* s) { return {QString::fromUtf8(s), true}; }

// The characteristic solved for each quantity: left side, numerator, denominator (empty: no
// fraction line).
struct Formula {
    const char* lhs;
    Line num;
    Line den;
};

const std::vector<Formula>& formulas()
{
    static const std::vector<Formula> f{
        {"t =", {t("T · β")}, {t("( I / Iуст )"), sup("α"), t(" − 1")}},
        {"T =", {t("( ( I / Iуст )"), sup("α"), t(" − 1 ) · t")}, {t("β")}},
        {"Iуст =", {t("I")}, {t("( β · T / t + 1 )"), sup("1/α")}},
        {"I =", {t("Iуст · ( β · T / t + 1 )"), sup("1/α")}, {}},
    };
    return f;
}

QFont formulaFont(int px, bool italic)
{
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(px);
    f.setItalic(italic);
    return f;
}

int lineWidth(const Line& line, const QFont& main, const QFont& small)
{
    int w = 0;
    for (const Run& r : line)
        w += QFontMetrics(r.sup ? small : main).horizontalAdvance(r.text);
    return w;
}

void drawLine(QPainter& p, const Line& line, int x, int baseline, const QFont& main, const QFont& small)
{
    for (const Run& r : line) {
        p.setFont(r.sup ? small : main);
        p.drawText(x, r.sup ? baseline - main.pixelSize() / 2 : baseline, r.text);
        x += QFontMetrics(p.font()).horizontalAdvance(r.text);
    }
}

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

}  // namespace

QImage FormulaPicture(int mode)
{
    QImage img = blank(kFormulaWidth, kFormulaHeight);
    const Formula& f = formulas()[std::size_t(std::clamp(mode, 0, 3))];
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setPen(Qt::black);
    const QFont main = formulaFont(34, false), small = formulaFont(22, false);
    const int mid = kFormulaHeight / 2;
    p.setFont(main);
    const int lhsWidth = QFontMetrics(main).horizontalAdvance(QString::fromUtf8(f.lhs));
    const int numWidth = lineWidth(f.num, main, small);
    const int denWidth = lineWidth(f.den, main, small);
    const int body = std::max(numWidth, denWidth);
    const int x0 = (kFormulaWidth - lhsWidth - 16 - body) / 2;
    p.drawText(x0, mid + 12, QString::fromUtf8(f.lhs));
    const int x = x0 + lhsWidth + 16;
    if (f.den.empty()) {
        drawLine(p, f.num, x, mid + 12, main, small);
    } else {
        drawLine(p, f.num, x + (body - numWidth) / 2, mid - 14, main, small);
        p.fillRect(x, mid, body, 3, Qt::black);
        drawLine(p, f.den, x + (body - denWidth) / 2, mid + 44, main, small);
    }
    p.end();
    return img.convertToFormat(QImage::Format_Mono);
}

QImage CoefficientsPicture(int curve)
{
    QImage img = blank(kFormulaWidth, kCoefficientsHeight);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setPen(Qt::black);
    p.setFont(formulaFont(32, true));
    p.drawText(img.rect(), Qt::AlignCenter,
               QString::fromUtf8(editor_texts::kCalcCoefficients[std::size_t(std::clamp(curve, 0, 2))]));
    p.end();
    return img.convertToFormat(QImage::Format_Mono);
}

CalculatorPictureArea::CalculatorPictureArea(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(sizeHint());
}

void CalculatorPictureArea::setPictures(int mode, int curve)
{
    m_mode = mode;
    m_curve = curve;
    update();
}

void CalculatorPictureArea::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect r = rect();
    const int upper = r.height() * 2 / 3;
    p.fillRect(r, Qt::white);
    p.drawImage(QRect(r.left(), r.top(), r.width(), upper), FormulaPicture(m_mode));
    p.drawImage(QRect(r.left(), r.top() + upper, r.width(), r.height() - upper), CoefficientsPicture(m_curve));
}

}  // namespace tirv
