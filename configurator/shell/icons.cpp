#include "configurator/shell/icons.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <QPainterPath>
#include <QPixmap>

namespace tirv {

namespace {

constexpr int kToolW = 40;
constexpr int kToolH = 32;

void Sheet(QPainter& p, QColor fill)
{
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(fill);
    QPainterPath path;
    path.moveTo(12, 4);
    path.lineTo(24, 4);
    path.lineTo(29, 9);
    path.lineTo(29, 28);
    path.lineTo(12, 28);
    path.closeSubpath();
    p.drawPath(path);
}

void Arrow(QPainter& p, QPointF from, QPointF to, QColor c)
{
    p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    QPolygonF head{to + d * 3, to - d * 5 + n * 5, to - d * 5 - n * 5};
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(head);
}

void Device(QPainter& p, QRectF r)
{
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.setBrush(QColor(200, 205, 215));
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(QColor(40, 160, 60));
    p.drawEllipse(QPointF(r.left() + 4, r.top() + 4), 1.6, 1.6);
    p.setBrush(QColor(210, 50, 40));
    p.drawEllipse(QPointF(r.left() + 4, r.top() + 9), 1.6, 1.6);
}

void Letters(QPainter& p, const QString& s, QColor bg)
{
    p.setPen(QPen(QColor(50, 50, 50), 1));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(6, 3, 28, 26), 4, 4);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(s.size() > 2 ? 10 : 13);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(6, 3, 28, 26), Qt::AlignCenter, s);
}

void Draw(QPainter& p, int image)
{
    switch (image) {
    case 0:  // new
        Sheet(p, Qt::white);
        p.setPen(QPen(QColor(230, 170, 0), 2));
        p.drawLine(QPointF(8, 6), QPointF(14, 12));
        p.drawLine(QPointF(8, 12), QPointF(14, 6));
        break;
    case 1:  // open
        p.setPen(QPen(QColor(120, 90, 20), 1.2));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(7, 9, 26, 18));
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(QPolygonF{{7, 27}, {12, 14}, {36, 14}, {33, 27}});
        break;
    case 2:  // save
        p.setPen(QPen(QColor(30, 40, 90), 1.2));
        p.setBrush(QColor(60, 90, 170));
        p.drawRoundedRect(QRectF(9, 5, 22, 22), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(13, 5, 14, 8));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(13, 18, 14, 9));
        break;
    case 3:  // stop the exchange
        p.setPen(QPen(QColor(120, 20, 20), 1.2));
        p.setBrush(QColor(210, 40, 30));
        p.drawEllipse(QRectF(9, 5, 22, 22));
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(15, 11, 10, 10));
        break;
    case 4:  // read from device
        Device(p, QRectF(4, 8, 14, 18));
        Sheet(p, Qt::white);
        Arrow(p, QPointF(16, 17), QPointF(27, 17), QColor(20, 120, 40));
        break;
    case 5:  // write to device
        Device(p, QRectF(22, 8, 14, 18));
        p.translate(-8, 0);
        Sheet(p, Qt::white);
        p.translate(8, 0);
        Arrow(p, QPointF(14, 17), QPointF(26, 17), QColor(190, 60, 20));
        break;
    case 6:  // measurements: phasors
        p.setPen(QPen(Qt::gray, 1));
        p.setBrush(Qt::black);
        p.drawRect(QRectF(7, 3, 26, 26));
        p.setPen(QPen(QColor(255, 220, 0), 2));
        p.drawLine(QPointF(20, 16), QPointF(30, 8));
        p.setPen(QPen(QColor(0, 200, 0), 2));
        p.drawLine(QPointF(20, 16), QPointF(12, 8));
        p.setPen(QPen(QColor(255, 60, 60), 2));
        p.drawLine(QPointF(20, 16), QPointF(20, 27));
        break;
    case 7:
        Letters(p, "?", QColor(120, 120, 120));
        break;
    case 8:  // working journal
        Letters(p, "РЖ", QColor(60, 110, 170));
        break;
    case 9:  // emergency journal
        Letters(p, "АЖ", QColor(190, 50, 40));
        break;
    case 10:  // network scan
        p.setPen(QPen(QColor(40, 40, 40), 1.5));
        p.drawLine(QPointF(5, 24), QPointF(35, 24));
        for (int x : {9, 20, 31}) {
            p.drawLine(QPointF(x, 24), QPointF(x, 17));
            Device(p, QRectF(x - 4, 5, 8, 12));
        }
        break;
    case 11:  // link settings
        p.setPen(QPen(QColor(40, 40, 40), 1.2));
        p.setBrush(QColor(230, 230, 230));
        p.drawRoundedRect(QRectF(5, 10, 14, 12), 2, 2);
        p.drawRoundedRect(QRectF(23, 10, 14, 12), 2, 2);
        p.setPen(QPen(QColor(30, 100, 200), 2.5));
        p.drawLine(QPointF(19, 16), QPointF(23, 16));
        break;
    case 12:  // setpoints
        Letters(p, "У", QColor(40, 120, 60));
        break;
    case 13:  // I/O settings
        Letters(p, "В/В", QColor(110, 80, 150));
        break;
    case 14:  // LEDs
        for (int i = 0; i < 3; ++i) {
            p.setPen(QPen(QColor(40, 40, 40), 1));
            p.setBrush(i == 1 ? QColor(40, 200, 60) : QColor(220, 50, 40));
            p.drawEllipse(QPointF(11 + i * 9, 16), 3.5, 3.5);
        }
        break;
    case 15:  // I/O state
        Letters(p, "I/O", QColor(150, 110, 40));
        break;
    default:
        break;
    }
}

QPixmap Round(QColor c, QChar glyph)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c.darker(150), 1));
    p.setBrush(c);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QString(glyph));
    return pm;
}

}  // namespace

QIcon ToolbarIcon(int image)
{
    QPixmap pm(kToolW, kToolH);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    Draw(p, image);
    p.end();
    return QIcon(pm);
}

QIcon StatusBarIcon(StatusIcon icon)
{
    switch (icon) {
    case StatusIcon::Info:
        return QIcon(Round(QColor(40, 110, 200), QChar('i')));
    case StatusIcon::Ok:
        return QIcon(Round(QColor(40, 160, 60), QChar(0x2713)));
    case StatusIcon::Warning:
        return QIcon(Round(QColor(230, 160, 0), QChar('!')));
    case StatusIcon::Error:
        return QIcon(Round(QColor(200, 40, 30), QChar('x')));
    case StatusIcon::None:
        break;
    }
    return QIcon();
}

QIcon AppIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    Device(p, QRectF(4, 2, 24, 28));
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(150, 200, 160));
    p.drawRect(QRectF(11, 6, 13, 8));
    p.end();
    return QIcon(pm);
}

}  // namespace tirv
