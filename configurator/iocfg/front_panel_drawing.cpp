#include "configurator/iocfg/front_panel_drawing.h"

#include "configurator/iocfg/led_panel_layout.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace tirv {
namespace {

constexpr int kColumnLeds = static_cast<int>(kLedColumn.size());

// What sits on each front besides the LEDs (panel pixels).
struct FrontParts {
    QRectF display;
    QPointF arrowKeys;  // the centre of the four arrow keys
    QPointF enterKey;   // centres of the two word keys
    QPointF resetKey;
    QRectF ledField;  // the recessed strip behind the LEDs
    bool usb;         // the M modification has a USB socket on its front
};

FrontParts PartsOf(int ledCount)
{
    if (ledCount == kColumnLeds)
        return {{24, 44, 250, 116}, {86, 232}, {204, 212}, {204, 252}, {286, 32, 222, 280}, true};
    return {{30, 44, 260, 116}, {370, 100}, {458, 80}, {458, 126}, {22, 184, 476, 84}, false};
}

QRectF R(const PanelBox& b)
{
    return {b.x, b.y, b.width, b.height};
}

void DrawScrew(QPainter& p, QPointF c)
{
    QRadialGradient g(c - QPointF(2, 2), 7);
    g.setColorAt(0, QColor(235, 235, 235));
    g.setColorAt(1, QColor(120, 122, 126));
    p.setPen(QPen(QColor(80, 82, 86), 1));
    p.setBrush(g);
    p.drawEllipse(c, 6, 6);
    p.setPen(QPen(QColor(70, 72, 76), 1.5));
    p.drawLine(c + QPointF(-4, 3), c + QPointF(4, -3));
}

void DrawHousing(QPainter& p)
{
    p.fillRect(QRectF(0, 0, kPanelWidth, kPanelHeight), QColor(58, 62, 68));
    const QRectF housing(3, 3, kPanelWidth - 6, kPanelHeight - 6);
    QLinearGradient face(housing.topLeft(), housing.bottomLeft());
    face.setColorAt(0, QColor(222, 224, 220));
    face.setColorAt(1, QColor(190, 193, 190));
    p.setPen(QPen(QColor(88, 92, 98), 2));
    p.setBrush(face);
    p.drawRoundedRect(housing, 10, 10);
    for (const QPointF c :
         {QPointF(16, 16), QPointF(kPanelWidth - 16, 16), QPointF(16, kPanelHeight - 16),
          QPointF(kPanelWidth - 16, kPanelHeight - 16)})
        DrawScrew(p, c);
}

void DrawBrand(QPainter& p, const QRectF& display)
{
    QFont brand(QStringLiteral("DejaVu Sans"));
    brand.setPixelSize(17);
    brand.setBold(true);
    p.setFont(brand);
    p.setPen(QColor(28, 52, 110));
    const QRectF r(display.left(), 12, display.width(), 26);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ТИРВ"));
    p.setPen(QPen(QColor(28, 52, 110), 2));
    p.drawLine(QPointF(display.left() + 58, 25), QPointF(display.right(), 25));
}

void DrawDisplay(QPainter& p, const QRectF& display)
{
    p.setPen(QPen(QColor(40, 42, 46), 1));
    p.setBrush(QColor(52, 55, 60));
    p.drawRoundedRect(display, 5, 5);
    const QRectF glass = display.adjusted(8, 8, -8, -8);
    QLinearGradient lcd(glass.topLeft(), glass.bottomRight());
    lcd.setColorAt(0, QColor(168, 188, 132));
    lcd.setColorAt(1, QColor(136, 158, 104));
    p.setPen(QPen(QColor(96, 112, 74), 1));
    p.setBrush(lcd);
    p.drawRect(glass);
    // Two faint rows of character cells, as an unlit display shows them.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(126, 148, 98));
    const double cell = (glass.width() - 12) / 16;
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 16; ++k)
            p.drawRect(
                QRectF(glass.left() + 6 + k * cell, glass.top() + 14 + row * 44, cell - 2, 30));
}

void DrawKey(QPainter& p, const QRectF& r)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(92, 96, 104));
    g.setColorAt(1, QColor(56, 59, 65));
    p.setPen(QPen(QColor(30, 32, 36), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 4, 4);
}

void DrawArrowKey(QPainter& p, QPointF c, double angleDegrees)
{
    DrawKey(p, QRectF(c - QPointF(13, 13), QSizeF(26, 26)));
    QPainterPath arrow;
    arrow.moveTo(0, -6);
    arrow.lineTo(6, 4);
    arrow.lineTo(-6, 4);
    arrow.closeSubpath();
    p.save();
    p.translate(c);
    p.rotate(angleDegrees);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(232, 232, 232));
    p.drawPath(arrow);
    p.restore();
}

void DrawWordKey(QPainter& p, QPointF c, const QString& word)
{
    const QRectF r(c - QPointF(30, 13), QSizeF(60, 26));
    DrawKey(p, r);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(QColor(236, 236, 236));
    p.drawText(r, Qt::AlignCenter, word);
}

void DrawKeys(QPainter& p, const FrontParts& parts)
{
    const QPointF c = parts.arrowKeys;
    DrawArrowKey(p, c + QPointF(0, -30), 0);
    DrawArrowKey(p, c + QPointF(30, 0), 90);
    DrawArrowKey(p, c + QPointF(0, 30), 180);
    DrawArrowKey(p, c + QPointF(-30, 0), 270);
    DrawWordKey(p, parts.enterKey, QStringLiteral("Ввод"));
    DrawWordKey(p, parts.resetKey, QStringLiteral("Сброс"));
}

void DrawUsb(QPainter& p, const QRectF& display)
{
    const QRectF socket(display.left() + 4, kPanelHeight - 44, 30, 14);
    p.setPen(QPen(QColor(40, 42, 46), 1));
    p.setBrush(QColor(150, 154, 160));
    p.drawRoundedRect(socket, 2, 2);
    p.setBrush(QColor(30, 32, 36));
    p.drawRect(socket.adjusted(5, 4, -5, -4));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(10);
    p.setFont(f);
    p.setPen(QColor(50, 52, 58));
    p.drawText(QRectF(socket.right() + 6, socket.top() - 2, 40, 18), Qt::AlignVCenter,
               QStringLiteral("USB"));
}

void DrawLeds(QPainter& p, int ledCount, const QRectF& field)
{
    p.setPen(QPen(QColor(150, 153, 150), 1));
    p.setBrush(QColor(176, 179, 176));
    p.drawRoundedRect(field, 6, 6);
    for (int k = 0; k < ledCount; ++k) {
        const LedPlace place = LedPlaceOf(ledCount, k);
        // The lamp: a dark bezel and an unlit dome.
        const QRectF lamp = R(place.lamp);
        p.setPen(QPen(QColor(40, 40, 44), 2));
        p.setBrush(QColor(64, 64, 68));
        p.drawEllipse(lamp);
        QRadialGradient dome(lamp.center() - QPointF(3, 3), lamp.width() * 0.6);
        dome.setColorAt(0, QColor(214, 120, 110));
        dome.setColorAt(1, QColor(128, 34, 30));
        p.setPen(Qt::NoPen);
        p.setBrush(dome);
        p.drawEllipse(lamp.adjusted(3, 3, -3, -3));
        // The label window the page writes the assignment in.
        p.setPen(QPen(QColor(96, 98, 100), 1));
        p.setBrush(QColor(248, 248, 242));
        p.drawRect(R(place.label));
    }
}

}  // namespace

QImage DrawFrontPanel(int ledCount)
{
    const int leds = ledCount == kColumnLeds ? kColumnLeds : static_cast<int>(kLedRow.size());
    QImage image(static_cast<int>(kPanelWidth), static_cast<int>(kPanelHeight),
                 QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const FrontParts parts = PartsOf(leds);
    DrawHousing(p);
    DrawBrand(p, parts.display);
    DrawDisplay(p, parts.display);
    DrawKeys(p, parts);
    if (parts.usb)
        DrawUsb(p, parts.display);
    DrawLeds(p, leds, parts.ledField);
    p.end();
    return image;
}

}  // namespace tirv
