#include "configurator/journals/vector_diagram_view.h"

#include <QPainter>

#include <algorithm>

namespace tirv {
namespace {

QColor ToQColor(Rgb c)
{
    return QColor(c.r, c.g, c.b);
}

QPoint ToQPoint(PixelPoint p)
{
    return QPoint(p.x, p.y);
}

void DrawLine(QPainter& painter, const PixelLine& line)
{
    painter.drawLine(ToQPoint(line.from), ToQPoint(line.to));
}

}  // namespace

void PaintVectorDiagram(QPainter& painter, const VectorDiagramGeometry& g)
{
    painter.save();
    // The field and the axes sit on whole pixels; only the phasors are smoothed.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, 0, g.width, g.height), ToQColor(kDiagramBackground));
    QPen axisPen(ToQColor(kDiagramAxisColour));
    axisPen.setWidth(kDiagramAxisPenWidth);
    painter.setPen(axisPen);
    DrawLine(painter, g.horizontalAxis);
    DrawLine(painter, g.verticalAxis);

    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const PhasorShape& shape : g.shapes()) {
        const QColor colour = ToQColor(shape.colour);
        QPen pen(colour);
        pen.setWidth(kPhasorPenWidth);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        DrawLine(painter, shape.line);
        if (shape.hasArrowhead) {
            const PieWedge& w = shape.arrowhead;
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            // QPainter takes angles in sixteenths of a degree, counter-clockwise like the wedge.
            painter.drawPie(QRect(w.topLeft.x, w.topLeft.y, w.size, w.size),
                            static_cast<int>(w.startDegrees * 16.0),
                            static_cast<int>(w.spanDegrees * 16.0));
        }
    }
    painter.restore();
}

void PaintVectorDiagram(QPainter& painter, QSize size, std::span<const PhasorInput> phasors)
{
    PaintVectorDiagram(painter, LayOutVectorDiagram(size.width(), size.height(), phasors));
}

QImage RenderVectorDiagram(QSize size, std::span<const PhasorInput> phasors)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    PaintVectorDiagram(painter, size, phasors);
    return image;
}

VectorDiagramView::VectorDiagramView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void VectorDiagramView::setPhasors(std::span<const PhasorInput> phasors)
{
    m_count = std::min(phasors.size(), m_phasors.size());
    std::copy_n(phasors.begin(), m_count, m_phasors.begin());
    update();
}

QSize VectorDiagramView::sizeHint() const
{
    return QSize(300, 280);  // wider than high, as the relays' pages have it
}

void VectorDiagramView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintVectorDiagram(painter, size(), phasors());
}

}  // namespace tirv
