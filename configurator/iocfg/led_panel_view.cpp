#include "configurator/iocfg/led_panel_view.h"

#include "configurator/iocfg/io_labels.h"

#include <QMouseEvent>
#include <QPainter>

namespace tirv {
namespace {

// The panel is laid out in units of a 520 × 340 picture and stretched with the control.
constexpr double kPanelWidth = 520;
constexpr double kPanelHeight = 340;
constexpr int kFontPointsRow = 10;
constexpr int kFontPointsColumn = 8;

}  // namespace

LedPanelView::LedPanelView(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(260, 170);
}

void LedPanelView::setPanel(int ledCount, const QImage& picture)
{
    m_leds = ledCount == kLedCountM ? kLedCountM : kLedCountNonM;
    m_picture = picture;
    if (m_selected >= m_leds)
        m_selected = -1;
    update();
}

void LedPanelView::setImage(const LedImage& image)
{
    m_image = image;
    update();
}

void LedPanelView::setSelected(int led)
{
    m_selected = led;
    update();
}

QRectF LedPanelView::panelRect(int led) const
{
    if (m_leds == kLedCountM)  // one column, top to bottom
        return {90, 40.0 + led * 34.0, 300, 28};
    return {30.0 + led * 94.0, 230, 88, 28};  // one row, left to right
}

QRectF LedPanelView::lampRect(int led) const
{
    const QRectF r = panelRect(led);
    if (m_leds == kLedCountM)
        return {r.left() - 36, r.top() + 4, 20, 20};
    return {r.center().x() - 10, r.top() - 34, 20, 20};
}

QRect LedPanelView::labelRect(int led) const
{
    const double sx = width() / kPanelWidth;
    const double sy = height() / kPanelHeight;
    const QRectF r = panelRect(led);
    return QRectF(r.left() * sx, r.top() * sy, r.width() * sx, r.height() * sy).toRect();
}

int LedPanelView::ledAt(QPoint pos) const
{
    for (int k = 0; k < m_leds; ++k)
        if (labelRect(k).contains(pos))
            return k;
    return -1;
}

void LedPanelView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (!m_picture.isNull()) {
        p.drawImage(rect(), m_picture);
    } else {
        // No picture beside the program: a plain front with the LEDs where the picture has them.
        p.fillRect(rect(), QColor(70, 74, 80));
        p.setPen(QPen(QColor(40, 40, 44), 2));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
        const double sx = width() / kPanelWidth;
        const double sy = height() / kPanelHeight;
        p.setPen(Qt::NoPen);
        for (int k = 0; k < m_leds; ++k) {
            const QRectF l = lampRect(k);
            p.setBrush(QColor(150, 30, 30));
            p.drawEllipse(QRectF(l.left() * sx, l.top() * sy, l.width() * sx, l.height() * sy));
        }
        for (int k = 0; k < m_leds; ++k)
            p.fillRect(labelRect(k), QColor(235, 235, 228));
    }
    const bool column = m_leds == kLedCountM;
    QFont font(QStringLiteral("Serif"));
    font.setPointSize(column ? kFontPointsColumn : kFontPointsRow);
    p.setFont(font);
    for (int k = 0; k < m_leds; ++k) {
        const QRect r = labelRect(k);
        const bool selected = k == m_selected;
        if (selected)
            p.fillRect(r, palette().color(QPalette::Highlight));
        p.setPen(selected ? palette().color(QPalette::HighlightedText) : QColor(Qt::black));
        const int signal = static_cast<int>(m_image.at(k, LedSignal));
        p.drawText(r, Qt::AlignVCenter | (column ? Qt::AlignLeft : Qt::AlignHCenter),
                   QString::fromStdString(LedLabel(signal, column)));
    }
}

void LedPanelView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        emit clicked(e->position().toPoint());
}

}  // namespace tirv
