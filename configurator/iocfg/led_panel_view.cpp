#include "configurator/iocfg/led_panel_view.h"

#include "configurator/iocfg/io_labels.h"
#include "configurator/iocfg/led_panel_layout.h"

#include <QMouseEvent>
#include <QPainter>

namespace tirv {
namespace {

constexpr int kFontPointsRow = 10;
constexpr int kFontPointsColumn = 8;

QRectF Rect(const PanelBox& b)
{
    return {b.x, b.y, b.width, b.height};
}

}  // namespace

LedPanelView::LedPanelView(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(260, 170);
}

QSize LedPanelView::sizeHint() const
{
    return {static_cast<int>(kPanelWidth), static_cast<int>(kPanelHeight)};
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
    return Rect(LedPlaceOf(m_leds, led).label);
}

QRectF LedPanelView::lampRect(int led) const
{
    return Rect(LedPlaceOf(m_leds, led).lamp);
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
        // Left-aligned column labels keep off the window's edge.
        p.drawText(column ? r.adjusted(4, 0, -2, 0) : r,
                   Qt::AlignVCenter | (column ? Qt::AlignLeft : Qt::AlignHCenter),
                   QString::fromStdString(LedLabel(signal, column)));
    }
}

void LedPanelView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        emit clicked(e->position().toPoint());
}

}  // namespace tirv
